#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace horgrid {

// Unit-cost Levenshtein distance of two byte strings (case-sensitive, no
// wildcards, any byte values, any lengths).
//
// All of these compute exactly what the plain two-row dynamic programming
// gives, with the bit-parallel algorithm of Myers (1999) in Hyyrö's block
// formulation: 64 cells per machine word, the shorter sequence as the pattern,
// only the diagonal band an answer can lie in (Ukkonen). Monomer-sized
// sequences (the shorter one up to 256 bytes) run on stack buffers and never
// allocate; longer ones allocate once per call, linear in the shorter length.
// For loops over many pairs see also LevenshteinEngine.h (reusable buffers,
// one pattern against many texts) and LevenshteinBatch.h (one text against a
// fixed set of sequences, vectorised eight at a time: the all-vs-all loops).

// The distance of two copies.
std::uint32_t LevenshteinDistance(std::string s1, std::string s2);

// The same count without copying the inputs; what the hot loops call.
std::uint32_t Levenshtein(std::string_view s1, std::string_view s2);

// For yes/no questions: the distance when it is at most `limit`, otherwise
// some value greater than `limit`. It stops as soon as the answer is known:
// at once when the lengths differ by more than `limit`, else once the score on
// the diagonal that ends in the last cell exceeds `limit`; only the band of
// diagonals an alignment within `limit` can use is computed.
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
