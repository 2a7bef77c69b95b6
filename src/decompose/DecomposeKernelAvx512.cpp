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

// Eight lanes per vector in the striped layout. The diagonal and insertion
// steps read row i-1 only; the deletions run along the monomer within row i:
// a first pass carries them from each vector to the next (the next position
// of every lane), then, as in Farrar's lazy-F loop, the carry moves up one
// lane and goes round again only while it still raises some cell (in key
// order, so a later start at an equal score counts too).
HORGRID_AVX512 void RowAvx512(const Layout& layout, const std::int64_t* profile, std::int64_t startKey,
                              std::int64_t* row) {
    const __m512i negative = _mm512_set1_epi64(kNegative);
    const __m512i start = _mm512_set1_epi64(startKey);
    const __m512i insertion = _mm512_set1_epi64(layout.insertionKey);
    const __m512i deletion = _mm512_set1_epi64(layout.deletionKey);
    for (std::size_t monomer = 0; monomer < layout.offset.size(); ++monomer) {
        const std::size_t offset = layout.offset[monomer];
        const std::size_t vectors = layout.vectors[monomer];
        std::int64_t* cells = row + offset;
        const std::int64_t* scores = profile + offset;
        __m512i segmentStart =
            _mm512_add_epi64(start, _mm512_loadu_si512(layout.laneRamp.data() + monomer * kAvx512Lanes));
        __m512i diagonal = ShiftUp<1>(_mm512_loadu_si512(cells + (vectors - 1) * kAvx512Lanes), negative);
        __m512i carry = negative;
        for (std::size_t v = 0; v < vectors; ++v) {
            const std::size_t at = v * kAvx512Lanes;
            const __m512i old = _mm512_loadu_si512(cells + at);
            __m512i value = Max(diagonal, segmentStart);
            value = _mm512_add_epi64(value, _mm512_loadu_si512(scores + at));
            value = Max(value, _mm512_add_epi64(old, insertion));
            value = Max(value, carry);
            segmentStart = _mm512_add_epi64(segmentStart, deletion);
            _mm512_storeu_si512(cells + at, value);
            carry = _mm512_add_epi64(value, deletion);
            diagonal = old;
        }
        carry = ShiftUp<1>(carry, negative);
        for (std::size_t v = 0;;) {
            const std::size_t at = v * kAvx512Lanes;
            __m512i value = _mm512_loadu_si512(cells + at);
            if (_mm512_cmpgt_epi64_mask(carry, value) == 0) break;
            value = Max(value, carry);
            _mm512_storeu_si512(cells + at, value);
            carry = _mm512_add_epi64(value, deletion);
            if (++v == vectors) {
                v = 0;
                carry = ShiftUp<1>(carry, negative);
            }
        }
    }
}

}  // namespace horgrid::decompose

#endif
