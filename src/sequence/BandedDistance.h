#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace horgrid {

// The edit distance of one pattern against many texts within a band of at
// most 64 diagonals, one machine word a column: the cheap first try for pairs
// that are known to lie close (copies of one repeat). Cells outside the band
// take the cost of leaving it by a plain insertion or deletion, so every
// answer is the cost of some alignment and never below the distance; when the
// band holds every alignment within the limit, an answer within the limit is
// the exact distance. Not for concurrent use; keep one per thread.
//
//     BandedPattern band;
//     band.SetPattern(copy);
//     if (band.Covers(other.size(), limit)) d = band.DistanceAtMost(other, limit);
class BandedPattern {
public:
    BandedPattern();

    // Builds the shifted match masks of `pattern` (copied; `pattern` need not
    // outlive the call).
    void SetPattern(std::string_view pattern);

    // Whether one word holds every diagonal an alignment of cost at most
    // `limit` with a text of `textLength` can use.
    bool Covers(std::size_t textLength, std::uint64_t limit) const;

    // The distance to `text` when it is at most `limit`, otherwise some value
    // greater than `limit`. Requires Covers(text.size(), limit).
    std::uint32_t DistanceAtMost(std::string_view text, std::uint64_t limit) const;

private:
    std::vector<std::uint16_t> codeOf_;
    std::vector<std::uint64_t> masks_;
    std::size_t length_ = 0;
    std::size_t words_ = 0;
};

}  // namespace horgrid
