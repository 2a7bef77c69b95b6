#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace horgrid {

// Percent identity of two sequences at edit distance `distance`:
// 100 * (1 - distance / max(lengthA, lengthB)); two empty sequences are 100 %
// identical.
double PairIdentity(std::uint32_t distance, std::size_t lengthA, std::size_t lengthB);

// The all-vs-all identity matrix of n records reduced to side x side pixels
// (side = min(n, the requested maximum)). Pixel p of either axis covers the
// records FirstRecord(p) ... FirstRecord(p + 1) - 1, blocks of floor(n / side)
// or one more records; each pixel holds the mean identity of every ordered
// pair (i, j) it covers, the diagonal pairs included. The matrix is symmetric.
struct IdentityGrid {
    std::size_t records = 0;
    std::size_t side = 0;
    std::vector<double> identity;  // side * side, row by row

    std::size_t FirstRecord(std::size_t pixel) const { return side == 0 ? 0 : pixel * records / side; }
    double at(std::size_t row, std::size_t column) const { return identity[row * side + column]; }
};

// Computes the grid of the given sequences with the batch edit-distance
// engine on `threads` threads. Each pair is computed once (j >= i) and added
// to its pixel while its row is computed; the n x n matrix is never held.
// When sequences repeat, each pair of distinct sequences is computed once and
// their distances are held instead, as long as that is at most 2^22 of them
// (16 MB). Every pixel is summed by one thread in one fixed order, so the
// result is the same bytes for every thread count. Requires maxSide >= 1.
IdentityGrid ComputeIdentityGrid(const std::vector<std::string_view>& sequences, std::size_t maxSide,
                                 unsigned threads);

}  // namespace horgrid
