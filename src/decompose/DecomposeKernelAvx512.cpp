#include "decompose/DecomposeKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>

// Only these functions are compiled for AVX-512; the library calls them after
// checking that the processor runs them.
#define HORGRID_AVX512 __attribute__((target("avx512f")))
#define HORGRID_KERNEL_TARGET HORGRID_AVX512

namespace horgrid::decompose {
namespace {

// The vector operations of one key width. The all-lane forms go through their
// masked variants: GCC 12 warns about the undefined source operand the plain
// forms pass internally.
struct Wide {
    using Key = std::int64_t;
    using Vector = __m512i;
    static constexpr std::size_t kLanes = kAvx512Lanes;
    static constexpr __mmask8 kAll = 0xff;
    HORGRID_AVX512 static __m512i Set(Key key) { return _mm512_set1_epi64(key); }
    HORGRID_AVX512 static __m512i Load(const Key* at) { return _mm512_loadu_si512(at); }
    HORGRID_AVX512 static void Store(Key* at, __m512i value) { _mm512_storeu_si512(at, value); }
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
    using Vector = __m512i;
    static constexpr std::size_t kLanes = kAvx512NarrowLanes;
    static constexpr __mmask16 kAll = 0xffff;
    HORGRID_AVX512 static __m512i Set(Key key) { return _mm512_set1_epi32(key); }
    HORGRID_AVX512 static __m512i Load(const Key* at) { return _mm512_loadu_si512(at); }
    HORGRID_AVX512 static void Store(Key* at, __m512i value) { _mm512_storeu_si512(at, value); }
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

}  // namespace
}  // namespace horgrid::decompose

#include "decompose/DecomposeRowBody.h"

namespace horgrid::decompose {

HORGRID_AVX512 void RowAvx512(const Layout& layout, const ActiveMonomers& active, const std::int64_t* profile,
                              std::int64_t startKey, std::int64_t* row) {
    StripedRow<Wide>(layout, active, layout.laneRamp.data(), kNegative, startKey, layout.insertionKey,
                     layout.deletionKey, ProfileScores{profile, _mm512_set1_epi64(layout.lowestKey)}, row);
}

HORGRID_AVX512 void RowAvx512Narrow(const Layout& layout, const ActiveMonomers& active, int code,
                                    std::int32_t startKey, std::int32_t* row) {
    const MaskScores scores{
        layout.matchMask.data() + static_cast<std::size_t>(code) * layout.cells / kAvx512NarrowLanes,
        _mm512_set1_epi32(layout.narrowMatch), _mm512_set1_epi32(layout.narrowMismatch),
        _mm512_set1_epi32(std::min(layout.narrowMatch, layout.narrowMismatch))};
    StripedRow<Narrow>(layout, active, layout.narrowRamp.data(), kNarrowNegative, startKey, layout.narrowInsertion,
                       layout.narrowDeletion, scores, row);
}

}  // namespace horgrid::decompose

#endif
