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
//
// Callers pass the record's length as a C string, std::strlen(sequence.c_str()):
// the percentage divides by the bytes before the first NUL, so a record whose
// sequence holds a stray NUL byte (from a damaged file) keeps the percentages
// of the established output; for a sequence read from a text line, which holds
// no NUL, it is the whole length.
std::optional<std::uint32_t> LargestDistanceBelow(float threshold, std::size_t length);

}  // namespace horgrid
