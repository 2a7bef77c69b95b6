#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace horgrid {

// Unit-cost Levenshtein distance of two byte strings (case-sensitive, no
// wildcards).
std::uint32_t LevenshteinDistance(std::string s1, std::string s2);

// The same count without copying the inputs; what the hot loops call.
std::uint32_t Levenshtein(std::string_view s1, std::string_view s2);

// For yes/no questions: the distance when it is at most `limit`, otherwise
// some value greater than `limit` (the search may stop as soon as that is known).
std::uint32_t LevenshteinAtMost(std::string_view s1, std::string_view s2, std::uint32_t limit);

// Two sequences and their edit distance, computed on construction.
class EditDistance {
public:
    EditDistance(std::string a, std::string b);

    std::string sequenceA;
    std::string sequenceB;
    int distance = 0;
};

}  // namespace horgrid
