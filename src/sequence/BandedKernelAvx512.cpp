#include "sequence/BandedKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Only the functions below are compiled for AVX-512; BandedPattern calls them
// after checking that the processor runs it.
#define HORGRID_KERNEL_TARGET __attribute__((target("avx512f")))

namespace horgrid::banded {

namespace {

// Ternary-logic truth tables over the operands (a, b, c).
constexpr int kAXorBOrC = 0xBE;    // (a ^ b) | c
constexpr int kAOrNotBOrC = 0xF1;  // a | ~(b | c)
// The masked shifts and gathers with every lane selected are the plain
// instructions; the unmasked intrinsics trip GCC 12's uninitialised-value
// warning in its header.
constexpr __mmask8 kAllLanes = 0xFF;

HORGRID_KERNEL_TARGET inline __m512i Right(__m512i x, unsigned count) {
    return _mm512_maskz_srli_epi64(kAllLanes, x, count);
}

HORGRID_KERNEL_TARGET inline __m512i Left(__m512i x, unsigned count) {
    return _mm512_maskz_slli_epi64(kAllLanes, x, count);
}

// The column step of MyersCore.h on eight lanes: hp and hn carry the
// horizontal deltas in bit 0 in, and those of the word's last row out.
HORGRID_KERNEL_TARGET inline void Step(__m512i match, __m512i& vp, __m512i& vn, __m512i& hp, __m512i& hn) {
    const __m512i pv = vp;
    const __m512i mv = vn;
    const __m512i xv = _mm512_or_si512(match, mv);
    const __m512i xm = _mm512_or_si512(match, hn);
    const __m512i sum = _mm512_add_epi64(_mm512_and_si512(xm, pv), pv);
    const __m512i xh = _mm512_ternarylogic_epi64(sum, pv, xm, kAXorBOrC);
    const __m512i ph = _mm512_ternarylogic_epi64(mv, xh, pv, kAOrNotBOrC);
    const __m512i mh = _mm512_and_si512(pv, xh);
    const __m512i phShifted = _mm512_or_si512(Left(ph, 1), hp);
    const __m512i mhShifted = _mm512_or_si512(Left(mh, 1), hn);
    hp = Right(ph, 63);
    hn = Right(mh, 63);
    vp = _mm512_ternarylogic_epi64(mhShifted, xv, phShifted, kAOrNotBOrC);
    vn = _mm512_and_si512(phShifted, xv);
}

template <std::size_t Words>
HORGRID_KERNEL_TARGET void Columns(const Group& group, std::uint64_t* vpState, std::uint64_t* vnState,
                                   std::uint64_t* topState) {
    __m512i vp[Words];
    __m512i vn[Words];
    for (std::size_t k = 0; k < Words; ++k) {
        vp[k] = _mm512_loadu_si512(vpState + k * kLanes);
        vn[k] = _mm512_loadu_si512(vnState + k * kLanes);
    }
    __m512i top = _mm512_loadu_si512(topState);
    const __m512i one = _mm512_set1_epi64(1);
    const __m512i zero = _mm512_setzero_si512();
    const __m512i entering = _mm512_set1_epi64(static_cast<long long>(std::uint64_t{1} << 63));
    // Byte j - 1 of each text, and where its column's match words start.
    const unsigned char* texts[kLanes];
    for (std::size_t t = 0; t < kLanes; ++t) texts[t] = reinterpret_cast<const unsigned char*>(group.texts[t]) - 1;
    alignas(64) long long index[kLanes];
    for (std::size_t j = 1; j <= group.columns; ++j) {
        // Scalar work beside the vector step: it does not wait for the
        // previous column, so the processor runs it ahead.
        for (std::size_t t = 0; t < kLanes; ++t)
            index[t] = group.bases[t] + static_cast<long long>(group.offsetOf[texts[t][j]] + j);
        const __m512i at = _mm512_load_si512(index);
        __m512i match[Words];
        for (std::size_t k = 0; k < Words; ++k)
            match[k] = _mm512_mask_i64gather_epi64(zero, kAllLanes, at, group.windows + 64 * k, 8);
        // The band moves one row down (BandedPattern's Band::Column).
        for (std::size_t k = 0; k + 1 < Words; ++k) {
            vp[k] = _mm512_or_si512(Right(vp[k], 1), Left(vp[k + 1], 63));
            vn[k] = _mm512_or_si512(Right(vn[k], 1), Left(vn[k + 1], 63));
        }
        vp[Words - 1] = _mm512_or_si512(Right(vp[Words - 1], 1), entering);
        vn[Words - 1] = Right(vn[Words - 1], 1);
        __m512i hp = one;
        __m512i hn = zero;
        for (std::size_t k = 0; k < Words; ++k) Step(match[k], vp[k], vn[k], hp, hn);
        top = _mm512_sub_epi64(_mm512_add_epi64(_mm512_add_epi64(top, one), _mm512_and_si512(vp[0], one)),
                               _mm512_and_si512(vn[0], one));
    }
    for (std::size_t k = 0; k < Words; ++k) {
        _mm512_storeu_si512(vpState + k * kLanes, vp[k]);
        _mm512_storeu_si512(vnState + k * kLanes, vn[k]);
    }
    _mm512_storeu_si512(topState, top);
}

}  // namespace

HORGRID_KERNEL_TARGET void ColumnsAvx512(const Group& group, std::uint64_t* vp, std::uint64_t* vn,
                                         std::uint64_t* top) {
    switch (group.words) {
        case 1:
            return Columns<1>(group, vp, vn, top);
        case 2:
            return Columns<2>(group, vp, vn, top);
        case 3:
            return Columns<3>(group, vp, vn, top);
        default:
            return Columns<4>(group, vp, vn, top);
    }
}

}  // namespace horgrid::banded

#endif
