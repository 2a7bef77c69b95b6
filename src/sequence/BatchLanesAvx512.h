// The lane operations of the AVX-512 group kernel, then its body; included by
// BatchKernelAvx512.cpp and BatchKernelAvx512Vbmi2.cpp, each with its own
// target. Before including, define HORGRID_KERNEL_TARGET, HORGRID_KERNEL_NAME
// (see BatchKernelBody.h) and HORGRID_AVX512_FUNNEL (1 to use the VBMI2
// funnel shift). No include guard: it is meant to be compiled once per target.

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

// A group's eight lanes are one register.
struct Lanes {
    using Vector = __m512i;
    // The previous word's horizontal deltas before the shift: their top bits
    // are the deltas entering the next word.
    struct Carry {
        __m512i phAbove;
        __m512i mhAbove;
    };

    HORGRID_KERNEL_TARGET static Vector Load(const std::uint64_t* eight) { return _mm512_loadu_si512(eight); }
    HORGRID_KERNEL_TARGET static void Store(std::uint64_t* eight, Vector v) { _mm512_storeu_si512(eight, v); }
    HORGRID_KERNEL_TARGET static Vector Fill(std::uint64_t word) {
        return _mm512_set1_epi64(static_cast<long long>(word));
    }
    HORGRID_KERNEL_TARGET static Vector And(Vector a, Vector b) { return _mm512_and_si512(a, b); }
    HORGRID_KERNEL_TARGET static Carry Start() {
        return Carry{_mm512_set1_epi64(-1), _mm512_setzero_si512()};
    }

    HORGRID_KERNEL_TARGET static __m512i TopBit(__m512i x) {
        return _mm512_maskz_srli_epi64(kAllLanes, x, 63);
    }

    // (x << 1) | (the top bit of below): a horizontal delta vector moved one
    // row down, with the delta of the word above entering at bit 0.
    HORGRID_KERNEL_TARGET static __m512i ShiftIn(__m512i x, __m512i below) {
#if HORGRID_AVX512_FUNNEL
        return _mm512_shldi_epi64(x, below, 1);
#else
        return _mm512_or_si512(_mm512_maskz_slli_epi64(kAllLanes, x, 1), TopBit(below));
#endif
    }

    // The engine's column step (MyersCore.h), with ternary logic.
    HORGRID_KERNEL_TARGET static void Step(Vector match, Vector& vp, Vector& vn, Carry& carry) {
        const __m512i pv = vp;
        const __m512i mv = vn;
        const __m512i xv = _mm512_or_si512(match, mv);
        const __m512i xm = _mm512_or_si512(match, TopBit(carry.mhAbove));
        const __m512i sum = _mm512_add_epi64(_mm512_and_si512(xm, pv), pv);
        const __m512i xh = _mm512_ternarylogic_epi64(sum, pv, xm, kAXorBOrC);
        const __m512i ph = _mm512_ternarylogic_epi64(mv, xh, pv, kAOrNotBOrC);
        const __m512i mh = _mm512_and_si512(pv, xh);
        const __m512i phShifted = ShiftIn(ph, carry.phAbove);
        const __m512i mhShifted = ShiftIn(mh, carry.mhAbove);
        vp = _mm512_ternarylogic_epi64(mhShifted, xv, phShifted, kAOrNotBOrC);
        vn = _mm512_and_si512(phShifted, xv);
        carry.phAbove = ph;
        carry.mhAbove = mh;
    }
};

}  // namespace

}  // namespace horgrid::batch

#include "sequence/BatchKernelBody.h"
