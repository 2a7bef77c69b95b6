#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace horgrid {

// The largest distance d for which threshold > DistancePercent(d, length)
// (the single-precision percentage d * 100 / length), or nothing when no
// distance qualifies (an empty sequence gives an infinite or NaN percentage;
// a threshold <= 0 admits nothing). Since the percentage never decreases with
// d, "threshold > percentage" is exactly "d <= this limit", which turns a
// percentage test into a bounded edit distance (LevenshteinAtMost,
// LevenshteinBatch::LastWithin).
std::optional<std::uint32_t> LargestDistanceBelow(float threshold, std::size_t length);

}  // namespace horgrid
