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

// One 64-row word of the column step. Rows are pattern positions, columns
// text positions; vp and vn hold the word's vertical deltas D[i][j] -
// D[i-1][j] of +1 and -1 (one bit per row), match its rows' match bits for the
// column's text byte. hp and hn carry the horizontal delta D[i][j] - D[i][j-1]
// (+1, -1, or 0 when both are clear) of the row above the word in, and that of
// the word's last row out. Every kernel that runs the step word by word (the
// engine, the portable batch lanes, the band) calls this one; Word is
// std::uint64_t or a vector of them, one independent word a lane.
template <typename Word>
inline void Step(Word match, Word& vp, Word& vn, Word& hp, Word& hn) {
    const Word pv = vp;
    const Word mv = vn;
    const Word xv = match | mv;
    const Word xm = match | hn;
    const Word xh = (((xm & pv) + pv) ^ pv) | xm;
    Word ph = mv | ~(xh | pv);
    Word mh = pv & xh;
    const Word hpOut = ph >> 63;
    const Word hnOut = mh >> 63;
    ph = (ph << 1) | hp;
    mh = (mh << 1) | hn;
    vp = mh | ~(xv | ph);
    vn = ph & xv;
    hp = hpOut;
    hn = hnOut;
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

// Work memory of one comparison: room for the pattern's word count in each.
struct Columns {
    std::uint64_t* vp = nullptr;
    std::uint64_t* vn = nullptr;
};

// The distance of pattern and text when it is at most limit, else some value
// greater than limit; any lengths, memory linear in the pattern. Only the
// words that can hold a cell of an alignment within the limit are computed,
// and long pairs are first tried with small limits (see MyersCore.cpp).
std::uint32_t DistanceAtMost(const Pattern& pattern, std::string_view text, std::uint64_t limit,
                             const Columns& columns);

}  // namespace horgrid::myers
