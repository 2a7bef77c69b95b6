#pragma once

#include <cstddef>
#include <string_view>

namespace horgrid {

// The distance percentage that the dot matrix, the HOR builder, the consensus,
// the distance matrix and the HOR table share: distance * 100 / length, all in
// single precision. `length` is the length of the first sequence of the
// comparison (the row, the later record, the consensus, the earlier monomer);
// an empty one gives inf, or nan for distance 0.
inline float DistancePercent(int distance, std::size_t length) {
    return static_cast<float>(distance) * 100.0f / static_cast<float>(length);
}

// The divisor of the dot matrix and the HOR builder: the sequence's length up
// to its first NUL. These analyses measure the row as a C string, so a NUL
// (which a text line holds only when the file does) ends the row's length
// while the distance still runs over every byte.
inline std::size_t PercentDivisor(std::string_view sequence) {
    const std::size_t nul = sequence.find('\0');
    return nul == std::string_view::npos ? sequence.size() : nul;
}

}  // namespace horgrid
