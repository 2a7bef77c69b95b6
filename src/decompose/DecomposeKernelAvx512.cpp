#include "decompose/DecomposeKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>

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
    __m512i lowest;  // the lower of match and mismatch
    HORGRID_AVX512 __m512i Add(__m512i from, std::size_t offset, std::size_t v) const {
        return _mm512_add_epi64(from, _mm512_loadu_si512(profile + offset + v * kAvx512Lanes));
    }
};

struct MaskScores {
    const std::uint16_t* masks;
    __m512i match;
    __m512i mismatch;
    __m512i lowest;
    HORGRID_AVX512 __m512i Add(__m512i from, std::size_t offset, std::size_t v) const {
        return _mm512_mask_add_epi32(_mm512_add_epi32(from, mismatch), masks[offset / kAvx512NarrowLanes + v],
                                     from, match);
    }
};

// The step from row i-1 to row i in the striped layout. The diagonal and
// insertion steps read row i-1 only; the deletions run along the monomer
// within row i: a first pass carries them from each vector to the next (the
// next position of every lane), then a scan over the lanes gives every lane
// the best deletion run entering it from below (the carry out of lane k, or
// the run entering lane k carried on through its V cells: C[k+1] = max(A[k],
// C[k] + V deletions), in log2(lanes) doubling steps). Cell v of a lane is
// final as max(stored, C + v deletions); rather than store that in a second
// pass, C goes to the monomer's carry vector at the end of the row and the
// next step applies it as it loads the cells (only the vector of the last
// position is finished here, for the caller). Farrar's lazy-F loop instead
// goes round once per lane above an aligned stretch, whose deletions reach
// every later position, and its data-dependent exit mispredicts. Lane 0 of
// C, which nothing enters, holds a fresh start's lowest score, below every
// cell of the lane and a real key, like every stored value.
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
        Key* carries = row + layout.cells + monomer * lanes;
        const __m512i firstStart = Ops::Add(start, _mm512_loadu_si512(laneRamp + monomer * lanes));
        __m512i segmentStart = firstStart;
        __m512i entering = _mm512_loadu_si512(carries);  // row i-1's C, carried along its lanes
        const __m512i lastEntering =
            Ops::Add(entering, Ops::Set(static_cast<Key>(deletionKey * static_cast<Key>(vectors - 1))));
        __m512i diagonal = Ops::template ShiftUp<1>(
            Ops::Max(_mm512_loadu_si512(cells + (vectors - 1) * lanes), lastEntering), negative);
        __m512i carry = negative;
        for (std::size_t v = 0; v < vectors; ++v) {
            const std::size_t at = v * lanes;
            const __m512i old = Ops::Max(_mm512_loadu_si512(cells + at), entering);
            entering = Ops::Add(entering, deletion);
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
        carry = Ops::Max(carry, Ops::Add(firstStart, scores.lowest));
        _mm512_storeu_si512(carries, carry);
        const std::size_t last = (layout.length[monomer] - 1) % vectors;
        Key* lastCells = cells + last * lanes;
        _mm512_storeu_si512(
            lastCells,
            Ops::Max(_mm512_loadu_si512(lastCells),
                     Ops::Add(carry, Ops::Set(static_cast<Key>(deletionKey * static_cast<Key>(last))))));
    }
}

}  // namespace

HORGRID_AVX512 void RowAvx512(const Layout& layout, const std::int64_t* profile, std::int64_t startKey,
                              std::int64_t* row) {
    StripedRow<Wide>(layout, layout.laneRamp.data(), kNegative, startKey, layout.insertionKey,
                     layout.deletionKey, ProfileScores{profile, _mm512_set1_epi64(layout.lowestKey)}, row);
}

HORGRID_AVX512 void RowAvx512Narrow(const Layout& layout, int code, std::int32_t startKey,
                                    std::int32_t* row) {
    const MaskScores scores{
        layout.matchMask.data() + static_cast<std::size_t>(code) * layout.cells / kAvx512NarrowLanes,
        _mm512_set1_epi32(layout.narrowMatch), _mm512_set1_epi32(layout.narrowMismatch),
        _mm512_set1_epi32(std::min(layout.narrowMatch, layout.narrowMismatch))};
    StripedRow<Narrow>(layout, layout.narrowRamp.data(), kNarrowNegative, startKey, layout.narrowInsertion,
                       layout.narrowDeletion, scores, row);
}

}  // namespace horgrid::decompose

#endif
