#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace horgrid {

// Counts of the 3-mers of A, C, G and T (upper case only; 3-mers holding any
// other byte are not counted, which keeps the bound: they are the same for
// both strings away from an edit).
using KmerCounts = std::array<std::uint32_t, 64>;

KmerCounts CountKmers(std::string_view bases);

// A lower bound of the edit distance of two strings from their lengths and
// 3-mer counts: the length difference, and L1 of the counts / 6 (an edit
// changes at most 3 of a string's 3-mers and adds at most 3).
std::uint32_t DistanceLowerBound(const KmerCounts& a, std::size_t aLength, const KmerCounts& b, std::size_t bLength);

// A text's nearest sequence of a set: the first of the least edit distance.
struct NearestSequence {
    std::size_t index = 0;
    std::uint32_t distance = 0;
};

// The nearest sequence of `set` (not empty) to every text (pure), exactly as
// the least of all the text's edit distances to the set, first on ties.
// Sequences are compared eight at a time (LevenshteinBatch groups); a group
// is compared only while the least lower bound of its sequences' distances
// (length difference, and the 3-mer counts: an edit changes at most 3 of a
// string's 3-mers and adds at most 3, so distance >= L1 of the counts / 6) is
// at most the least distance found so far, nearest groups first.
std::vector<NearestSequence> NearestSequences(const std::vector<std::string_view>& texts,
                                              const std::vector<std::string_view>& set, unsigned threads);

}  // namespace horgrid
