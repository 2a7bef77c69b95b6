#pragma once

#include <cstdint>

namespace horgrid {

// The set bits of a word, without a call: the build targets processors
// without a popcount instruction, where std::popcount is a library call.
inline std::uint32_t SetBitCount(std::uint64_t word) {
    word -= (word >> 1) & 0x5555555555555555;
    word = (word & 0x3333333333333333) + ((word >> 2) & 0x3333333333333333);
    return static_cast<std::uint32_t>((((word + (word >> 4)) & 0x0f0f0f0f0f0f0f0f) * 0x0101010101010101) >> 56);
}

// The set bits of `word` below bit `bit` (0-63): a code's rank in a word of a bit table.
inline std::uint32_t SetBitsBelow(std::uint64_t word, std::uint32_t bit) {
    return SetBitCount(word & ((std::uint64_t{1} << bit) - 1));
}

}  // namespace horgrid
