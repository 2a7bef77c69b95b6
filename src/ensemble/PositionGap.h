#pragma once

#include <cstdint>

namespace horgrid {

// The distance in bases from the previously written monomer's position to this
// one's, as the merge and the purification write it in the length column.
// Positions are whatever the file held, so the difference is taken modulo 2^32
// (two's complement) rather than overflowing.
inline int PositionGap(int position, int previous) {
    return static_cast<int>(static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(previous));
}

}  // namespace horgrid
