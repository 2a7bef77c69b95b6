#include "decompose/DecomposeKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Only this function is compiled for AVX-512; the library calls it after
// checking that the processor runs it.
#define HORGRID_AVX512 __attribute__((target("avx512f")))

namespace horgrid::decompose {
namespace {

// The all-lane forms through their masked variants: GCC 12 warns about the
// undefined source operand the plain forms pass internally.
constexpr __mmask8 kAll = 0xff;
HORGRID_AVX512 inline __m512i Max(__m512i a, __m512i b) {
    return _mm512_mask_max_epi64(a, kAll, a, b);
}
HORGRID_AVX512 inline __m512i Min(__m512i a, __m512i b) {
    return _mm512_mask_min_epi64(a, kAll, a, b);
}
// Lanes moved up by `count`, the lowest ones taken from the top of `below`.
template <int count>
HORGRID_AVX512 inline __m512i ShiftUp(__m512i a, __m512i below) {
    return _mm512_mask_alignr_epi64(a, kAll, a, below, 8 - count);
}

}  // namespace

// Eight monomer positions per vector. Within a row the deletions run along the
// monomer, so after the diagonal and insertion steps a prefix maximum with a
// deletion per lane finishes the row: first the last cell of the vector before
// enters lane 0, then three shift-and-maximum steps spread every lane over
// the lanes after it.
HORGRID_AVX512 void RowAvx512(const Layout& layout, const std::int64_t* profile, std::int64_t startKey,
                              std::int64_t* row) {
    const __m512i negative = _mm512_set1_epi64(kNegative);
    const __m512i start = _mm512_set1_epi64(startKey);
    const __m512i insertion = _mm512_set1_epi64(layout.insertionKey);
    const __m512i deletion1 = _mm512_set1_epi64(layout.deletionKey);
    const __m512i deletion2 = _mm512_set1_epi64(layout.deletionKey * 2);
    const __m512i deletion4 = _mm512_set1_epi64(layout.deletionKey * 4);
    const std::size_t monomers = layout.offset.size();
    for (std::size_t monomer = 0; monomer < monomers; ++monomer) {
        const std::size_t first = layout.offset[monomer];
        const std::size_t last = monomer + 1 < monomers ? layout.offset[monomer + 1] : layout.cells;
        __m512i previousOld = negative;
        __m512i previousNew = negative;
        for (std::size_t cell = first; cell < last; cell += kAvx512Lanes) {
            const __m512i old = _mm512_loadu_si512(row + cell);
            __m512i diagonal = ShiftUp<1>(old, previousOld);
            diagonal =
                Max(diagonal, _mm512_add_epi64(start, _mm512_loadu_si512(layout.startRamp.data() + cell)));
            diagonal = _mm512_add_epi64(diagonal, _mm512_loadu_si512(profile + cell));
            __m512i value = Max(diagonal, _mm512_add_epi64(old, insertion));
            value = Max(value, _mm512_add_epi64(ShiftUp<1>(negative, previousNew), deletion1));
            value = Max(value, _mm512_add_epi64(ShiftUp<1>(value, negative), deletion1));
            value = Max(value, _mm512_add_epi64(ShiftUp<2>(value, negative), deletion2));
            value = Max(value, _mm512_add_epi64(ShiftUp<4>(value, negative), deletion4));
            if (cell + kAvx512Lanes == last) {
                value = Min(value, _mm512_loadu_si512(layout.cap.data() + cell));
            }
            _mm512_storeu_si512(row + cell, value);
            previousOld = old;
            previousNew = value;
        }
    }
}

}  // namespace horgrid::decompose

#endif
