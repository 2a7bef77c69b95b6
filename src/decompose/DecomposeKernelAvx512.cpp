#include "decompose/DecomposeKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Only these functions are compiled for AVX-512; the library calls them after
// checking that the processor runs them.
#define HORGRID_AVX512 __attribute__((target("avx512f")))

namespace horgrid::decompose {
namespace {

// The vector operations of one key width. The all-lane forms go through their
// masked variants: GCC 12 warns about the undefined source operand the plain
// forms pass internally.
struct Wide {
    using Key = std::int64_t;
    static constexpr std::size_t kLanes = kAvx512Lanes;
    static constexpr __mmask8 kAll = 0xff;
    HORGRID_AVX512 static __m512i Set(Key key) { return _mm512_set1_epi64(key); }
    HORGRID_AVX512 static __m512i Add(__m512i a, __m512i b) { return _mm512_add_epi64(a, b); }
    HORGRID_AVX512 static __m512i Max(__m512i a, __m512i b) { return _mm512_mask_max_epi64(a, kAll, a, b); }
    // Lanes moved up by `count`, the lowest ones taken from the top of `below`.
    template <int count>
    HORGRID_AVX512 static __m512i ShiftUp(__m512i a, __m512i below) {
        return _mm512_mask_alignr_epi64(a, kAll, a, below, kLanes - count);
    }
};

struct Narrow {
    using Key = std::int32_t;
    static constexpr std::size_t kLanes = kAvx512NarrowLanes;
    static constexpr __mmask16 kAll = 0xffff;
    HORGRID_AVX512 static __m512i Set(Key key) { return _mm512_set1_epi32(key); }
    HORGRID_AVX512 static __m512i Add(__m512i a, __m512i b) { return _mm512_add_epi32(a, b); }
    HORGRID_AVX512 static __m512i Max(__m512i a, __m512i b) { return _mm512_mask_max_epi32(a, kAll, a, b); }
    template <int count>
    HORGRID_AVX512 static __m512i ShiftUp(__m512i a, __m512i below) {
        return _mm512_mask_alignr_epi32(a, kAll, a, below, kLanes - count);
    }
};

// The match or mismatch score of one record base added to `from`, vector v of
// the monomer at `offset`: loaded from the profile (64-bit keys) or chosen by
// a bit per cell (32-bit keys).
struct ProfileScores {
    const std::int64_t* profile;
    HORGRID_AVX512 __m512i Add(__m512i from, std::size_t offset, std::size_t v) const {
        return _mm512_add_epi64(from, _mm512_loadu_si512(profile + offset + v * kAvx512Lanes));
    }
};

struct MaskScores {
    const std::uint16_t* masks;
    __m512i match;
    __m512i mismatch;
    HORGRID_AVX512 __m512i Add(__m512i from, std::size_t offset, std::size_t v) const {
        return _mm512_mask_add_epi32(_mm512_add_epi32(from, mismatch), masks[offset / kAvx512NarrowLanes + v],
                                     from, match);
    }
};

// The step from row i-1 to row i in the striped layout. The diagonal and
// insertion steps read row i-1 only; the deletions run along the monomer
// within row i: a first pass carries them from each vector to the next (the
// next position of every lane), a scan over the lanes gives every lane the
// best deletion run entering it from below (the carry out of lane k, or the
// run entering lane k carried on through its V cells: C[k+1] = max(A[k],
// C[k] + V deletions), in log2(lanes) doubling steps), and a second pass
// carries that through every vector. Farrar's lazy-F loop instead goes round
// once per lane above an aligned stretch, whose deletions reach every later
// position, and its data-dependent exit mispredicts.
template <typename Ops, typename Scores>
HORGRID_AVX512 inline void StripedRow(const Layout& layout, const typename Ops::Key* laneRamp,
                                      typename Ops::Key negativeKey, typename Ops::Key startKey,
                                      typename Ops::Key insertionKey, typename Ops::Key deletionKey,
                                      const Scores& scores, typename Ops::Key* row) {
    using Key = typename Ops::Key;
    constexpr std::size_t lanes = Ops::kLanes;
    const __m512i negative = Ops::Set(negativeKey);
    const __m512i start = Ops::Set(startKey);
    const __m512i insertion = Ops::Set(insertionKey);
    const __m512i deletion = Ops::Set(deletionKey);
    for (std::size_t monomer = 0; monomer < layout.offset.size(); ++monomer) {
        const std::size_t offset = layout.offset[monomer];
        const std::size_t vectors = layout.vectors[monomer];
        Key* cells = row + offset;
        __m512i segmentStart = Ops::Add(start, _mm512_loadu_si512(laneRamp + monomer * lanes));
        __m512i diagonal =
            Ops::template ShiftUp<1>(_mm512_loadu_si512(cells + (vectors - 1) * lanes), negative);
        __m512i carry = negative;
        for (std::size_t v = 0; v < vectors; ++v) {
            const std::size_t at = v * lanes;
            const __m512i old = _mm512_loadu_si512(cells + at);
            __m512i value = scores.Add(Ops::Max(diagonal, segmentStart), offset, v);
            value = Ops::Max(value, Ops::Add(old, insertion));
            value = Ops::Max(value, carry);
            segmentStart = Ops::Add(segmentStart, deletion);
            _mm512_storeu_si512(cells + at, value);
            carry = Ops::Add(value, deletion);
            diagonal = old;
        }
        __m512i run = Ops::Set(static_cast<Key>(deletionKey * static_cast<Key>(vectors)));
        carry = Ops::template ShiftUp<1>(carry, negative);
        carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<1>(carry, negative), run));
        run = Ops::Add(run, run);
        carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<2>(carry, negative), run));
        run = Ops::Add(run, run);
        carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<4>(carry, negative), run));
        if constexpr (lanes == 16) {
            run = Ops::Add(run, run);
            carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<8>(carry, negative), run));
        }
        for (std::size_t v = 0; v < vectors; ++v) {
            const std::size_t at = v * lanes;
            _mm512_storeu_si512(cells + at, Ops::Max(_mm512_loadu_si512(cells + at), carry));
            carry = Ops::Add(carry, deletion);
        }
    }
}

}  // namespace

HORGRID_AVX512 void RowAvx512(const Layout& layout, const std::int64_t* profile, std::int64_t startKey,
                              std::int64_t* row) {
    StripedRow<Wide>(layout, layout.laneRamp.data(), kNegative, startKey, layout.insertionKey,
                     layout.deletionKey, ProfileScores{profile}, row);
}

HORGRID_AVX512 void RowAvx512Narrow(const Layout& layout, int code, std::int32_t startKey,
                                    std::int32_t* row) {
    const MaskScores scores{
        layout.matchMask.data() + static_cast<std::size_t>(code) * layout.cells / kAvx512NarrowLanes,
        _mm512_set1_epi32(layout.narrowMatch), _mm512_set1_epi32(layout.narrowMismatch)};
    StripedRow<Narrow>(layout, layout.narrowRamp.data(), kNarrowNegative, startKey, layout.narrowInsertion,
                       layout.narrowDeletion, scores, row);
}

}  // namespace horgrid::decompose

#endif
