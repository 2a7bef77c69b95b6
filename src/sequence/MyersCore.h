#pragma once

// The scalar bit-parallel edit distance (Myers 1999, in Hyyrö's block
// formulation) on caller-provided memory, so the same code runs on stack
// buffers for short sequences and on an engine's reusable buffers otherwise.
// Internal to the sequence comparison: callers use EditDistance.h or
// LevenshteinEngine.h.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace horgrid::myers {

inline constexpr std::size_t kByteValues = 256;

// 64-bit words that hold one bit per position of a sequence of `length` bytes.
constexpr std::size_t WordsFor(std::size_t length) {
    return (length + 63) / 64;
}

// Codes a pattern can use: one per distinct byte, plus code 0 for every byte
// the pattern lacks.
constexpr std::size_t CodesFor(std::size_t length) {
    return (length < kByteValues ? length : kByteValues) + 1;
}

// The match masks of one pattern. codeOf maps every byte value to its code
// (0 for bytes absent from the pattern); masks[code * words + w] holds bit b
// of word w set where pattern[64 w + b] has that code.
struct Pattern {
    const std::uint16_t* codeOf = nullptr;
    const std::uint64_t* masks = nullptr;
    std::size_t length = 0;
    std::size_t words = 0;
};

// Fills codeOf (kByteValues entries) and masks (CodesFor(m) * WordsFor(m)
// words) for `pattern` and returns the view of them.
Pattern BuildPattern(std::string_view pattern, std::uint16_t* codeOf, std::uint64_t* masks);

// Distance of the pattern (length >= 1) and a text, computed only in the
// diagonal band that can hold an alignment of cost <= limit (Ukkonen),
// stopping as soon as the score on the diagonal that ends in the last cell
// exceeds limit. Requires limit >= the length difference. Returns the exact
// distance when it is <= limit, otherwise a value > limit. vp and vn need room
// for pattern.words words each.
std::uint32_t BandedDistance(const Pattern& pattern, std::string_view text, std::uint64_t limit,
                             std::uint64_t* vp, std::uint64_t* vn);

// The distance of pattern and text when it is at most limit, else some value
// greater than limit; any lengths. Long patterns are tried in widening bands
// first, since a band of width k costs about k / 64 words per text byte
// instead of the pattern's full word count.
std::uint32_t DistanceAtMost(const Pattern& pattern, std::string_view text, std::uint64_t limit,
                             std::uint64_t* vp, std::uint64_t* vn);

}  // namespace horgrid::myers
