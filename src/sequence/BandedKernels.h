#pragma once

// The shared columns of a band's group of texts (BandedDistance.cpp) in one
// AVX-512 register; other processors run them two texts to a pair of lanes
// there. Internal to the sequence comparison; BandedDistance.h is the
// interface.

#include <cstddef>
#include <cstdint>

namespace horgrid::banded {

inline constexpr std::size_t kLanes = 8;

// Eight bands of `words` words (1 ... 4) side by side, one per 64-bit lane,
// run over the columns 1 ... columns that all their texts have. Lane t's match
// bits of word k in column j are windows[bases[t] + offsetOf[texts[t][j - 1]]
// + j + 64 k]; its state is vp[k * kLanes + t], vn[k * kLanes + t] and
// top[t], in and out (BandedPattern's Band).
struct Group {
    const std::uint64_t* windows = nullptr;
    const std::size_t* offsetOf = nullptr;
    const char* texts[kLanes] = {};
    std::int64_t bases[kLanes] = {};
    std::size_t columns = 0;
    std::size_t words = 0;
};

#if defined(__x86_64__)
void ColumnsAvx512(const Group& group, std::uint64_t* vp, std::uint64_t* vn, std::uint64_t* top);
#endif

}  // namespace horgrid::banded
