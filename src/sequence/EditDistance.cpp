#include "sequence/EditDistance.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace horgrid {

std::uint32_t Levenshtein(std::string_view s1, std::string_view s2) {
    // Two-row dynamic programming over the second string.
    const std::uint32_t m = static_cast<std::uint32_t>(s1.size());
    const std::uint32_t n = static_cast<std::uint32_t>(s2.size());
    std::vector<std::uint32_t> previous(n + 1);
    std::vector<std::uint32_t> current(n + 1);
    for (std::uint32_t j = 0; j <= n; ++j) previous[j] = j;
    for (std::uint32_t i = 0; i < m; ++i) {
        current[0] = i + 1;
        for (std::uint32_t j = 0; j < n; ++j) {
            const std::uint32_t edit = std::min(previous[j + 1] + 1, current[j] + 1);
            current[j + 1] = std::min(edit, previous[j] + (s1[i] == s2[j] ? 0u : 1u));
        }
        std::swap(previous, current);
    }
    return previous[n];
}

std::uint32_t LevenshteinAtMost(std::string_view s1, std::string_view s2, std::uint32_t /*limit*/) {
    return Levenshtein(s1, s2);
}

std::uint32_t LevenshteinDistance(std::string s1, std::string s2) { return Levenshtein(s1, s2); }

EditDistance::EditDistance(std::string a, std::string b)
    : sequenceA(std::move(a)), sequenceB(std::move(b)),
      distance(static_cast<int>(LevenshteinDistance(sequenceA, sequenceB))) {}

}  // namespace horgrid
