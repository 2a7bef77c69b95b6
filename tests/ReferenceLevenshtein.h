#pragma once

// The plain two-row dynamic programming of the edit distance, kept as the
// reference the fast engines are checked against (tests) and measured against
// (bench). Deliberately the textbook algorithm, untouched by any speed work.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace horgrid::reference {

inline std::uint32_t PlainLevenshtein(std::string_view s1, std::string_view s2) {
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

}  // namespace horgrid::reference
