// The AVX-512 group kernel, included by BatchKernelAvx512.cpp and
// BatchKernelAvx512Vbmi2.cpp, each with its own target. Before including,
// define HORGRID_AVX512_TARGET (the function attribute), HORGRID_AVX512_FUNNEL
// (1 to use the VBMI2 funnel shift) and HORGRID_AVX512_KERNEL (the name of the
// entry point). No include guard: it is meant to be compiled once per target.

#include <immintrin.h>

#include "sequence/BatchKernels.h"

namespace horgrid::batch {

namespace {

// Ternary-logic truth tables over the operands (a, b, c).
constexpr int kAXorBOrC = 0xBE;    // (a ^ b) | c
constexpr int kAOrNotBOrC = 0xF1;  // a | ~(b | c)

// Shifts by constant counts. The masked forms with every lane selected are
// the plain shift instructions; the unmasked intrinsics trip GCC 12's
// uninitialised-value warning inside its own header.
constexpr __mmask8 kAllLanes = 0xFF;
HORGRID_AVX512_TARGET inline __m512i TopBit(__m512i x) {
    return _mm512_maskz_srli_epi64(kAllLanes, x, 63);
}

// (x << 1) | (the top bit of below): a horizontal delta vector moved one row
// down, with the delta of the word above entering at bit 0.
HORGRID_AVX512_TARGET inline __m512i ShiftIn(__m512i x, __m512i below) {
#if HORGRID_AVX512_FUNNEL
    return _mm512_shldi_epi64(x, below, 1);
#else
    return _mm512_or_si512(_mm512_maskz_slli_epi64(kAllLanes, x, 1), TopBit(below));
#endif
}

// One 64-row word of the column step for eight patterns at once. phAbove and
// mhAbove are the previous word's horizontal deltas before the shift (their top
// bits are the deltas entering this word); they become this word's.
HORGRID_AVX512_TARGET inline void Step(__m512i match, __m512i& vp, __m512i& vn, __m512i& phAbove,
                                       __m512i& mhAbove) {
    const __m512i pv = vp;
    const __m512i mv = vn;
    const __m512i xv = _mm512_or_si512(match, mv);
    const __m512i xm = _mm512_or_si512(match, TopBit(mhAbove));
    const __m512i sum = _mm512_add_epi64(_mm512_and_si512(xm, pv), pv);
    const __m512i xh = _mm512_ternarylogic_epi64(sum, pv, xm, kAXorBOrC);
    const __m512i ph = _mm512_ternarylogic_epi64(mv, xh, pv, kAOrNotBOrC);
    const __m512i mh = _mm512_and_si512(pv, xh);
    const __m512i phShifted = ShiftIn(ph, phAbove);
    const __m512i mhShifted = ShiftIn(mh, mhAbove);
    vp = _mm512_ternarylogic_epi64(mhShifted, xv, phShifted, kAOrNotBOrC);
    vn = _mm512_and_si512(phShifted, xv);
    phAbove = ph;
    mhAbove = mh;
}

// kWords > 0: a group of exactly that many words, state in registers;
// kWords == 0: any word count, state in the caller's buffer.
template <std::size_t kWords>
HORGRID_AVX512_TARGET void Run(const Group& group, const std::uint16_t* text, std::size_t length,
                               std::uint64_t* state, std::uint32_t* out) {
    const std::size_t words = kWords != 0 ? kWords : group.words;
    __m512i localP[kWords != 0 ? kWords : 1];
    __m512i localN[kWords != 0 ? kWords : 1];
    __m512i* vp = kWords != 0 ? localP : reinterpret_cast<__m512i*>(state);
    __m512i* vn = kWords != 0 ? localN : reinterpret_cast<__m512i*>(state) + words;
    for (std::size_t w = 0; w < words; ++w) {
        vp[w] = _mm512_set1_epi64(-1);
        vn[w] = _mm512_setzero_si512();
    }
    const std::size_t stride = words * kLanes;
    for (std::size_t j = 0; j < length; ++j) {
        const std::uint64_t* eq = group.masks + text[j] * stride;
        __m512i phAbove = _mm512_set1_epi64(-1);  // the first row grows by one per column
        __m512i mhAbove = _mm512_setzero_si512();
        for (std::size_t w = 0; w < words; ++w) {
            Step(_mm512_loadu_si512(eq + w * kLanes), vp[w], vn[w], phAbove, mhAbove);
        }
    }
    // D[m][n] = D[0][n] + the vertical deltas of the last column down to row m.
    long long score[kLanes];
    for (std::size_t lane = 0; lane < kLanes; ++lane) score[lane] = static_cast<long long>(length);
    for (std::size_t w = 0; w < words; ++w) {
        const __m512i valid = _mm512_loadu_si512(group.valid + w * kLanes);
        alignas(64) unsigned long long plus[kLanes];
        alignas(64) unsigned long long minus[kLanes];
        _mm512_store_si512(plus, _mm512_and_si512(vp[w], valid));
        _mm512_store_si512(minus, _mm512_and_si512(vn[w], valid));
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            score[lane] += __builtin_popcountll(plus[lane]) - __builtin_popcountll(minus[lane]);
        }
    }
    for (std::size_t lane = 0; lane < kLanes; ++lane) out[lane] = static_cast<std::uint32_t>(score[lane]);
}

}  // namespace

HORGRID_AVX512_TARGET void HORGRID_AVX512_KERNEL(const Group& group, const std::uint16_t* text,
                                                 std::size_t length, std::uint64_t* state,
                                                 std::uint32_t* out) {
    ForWordCount(group.words, [&]<std::size_t kWords>() { Run<kWords>(group, text, length, state, out); });
}

}  // namespace horgrid::batch
