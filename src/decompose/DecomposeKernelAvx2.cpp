#include "decompose/DecomposeKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>

// Only these functions are compiled for AVX2; the library calls them after
// checking that the processor runs it.
#define HORGRID_AVX2 __attribute__((target("avx2")))
#define HORGRID_KERNEL_TARGET HORGRID_AVX2

namespace horgrid::decompose {
namespace {

// 32-bit keys in the eight lanes of a 256-bit register.
struct Narrow8 {
    using Key = std::int32_t;
    using Vector = __m256i;
    static constexpr std::size_t kLanes = kAvx2Lanes;
    HORGRID_AVX2 static __m256i Set(Key key) { return _mm256_set1_epi32(key); }
    HORGRID_AVX2 static __m256i Load(const Key* at) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    }
    HORGRID_AVX2 static void Store(Key* at, __m256i value) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), value);
    }
    HORGRID_AVX2 static __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
    HORGRID_AVX2 static __m256i Max(__m256i a, __m256i b) { return _mm256_max_epi32(a, b); }
    template <int count>
    HORGRID_AVX2 static __m256i ShiftUp(__m256i a, __m256i below) {
        // Lane j takes lane j - count (mod 8) of each, then the lowest count
        // lanes come from below.
        const __m256i from =
            _mm256_setr_epi32((8 - count) % 8, (9 - count) % 8, (10 - count) % 8, (11 - count) % 8,
                              (12 - count) % 8, (13 - count) % 8, (14 - count) % 8, (15 - count) % 8);
        return _mm256_blend_epi32(_mm256_permutevar8x32_epi32(a, from),
                                  _mm256_permutevar8x32_epi32(below, from), (1 << count) - 1);
    }
};

// The match or mismatch key of each cell loaded from the 32-bit profile.
struct Profile32Scores {
    const std::int32_t* profile;
    __m256i lowest;
    HORGRID_AVX2 __m256i Add(__m256i from, std::size_t offset, std::size_t v) const {
        return _mm256_add_epi32(
            from, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(profile + offset + v * kAvx2Lanes)));
    }
};

}  // namespace
}  // namespace horgrid::decompose

#include "decompose/DecomposeRowBody.h"

namespace horgrid::decompose {

HORGRID_AVX2 void RowAvx2(const Layout& layout, const ActiveMonomers& active, int code, std::int32_t startKey,
                          std::int32_t* row) {
    const Profile32Scores scores{layout.narrowProfile.data() + static_cast<std::size_t>(code) * layout.cells,
                                 _mm256_set1_epi32(std::min(layout.narrowMatch, layout.narrowMismatch))};
    StripedRow<Narrow8>(layout, active, layout.narrowRamp.data(), kNarrowNegative, startKey, layout.narrowInsertion,
                        layout.narrowDeletion, scores, row);
}

}  // namespace horgrid::decompose

#endif
