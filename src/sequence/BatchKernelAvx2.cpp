#include "sequence/BatchKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Only the functions below are compiled for AVX2; the library calls them after
// checking that the processor runs it.
#define HORGRID_AVX2 __attribute__((target("avx2,popcnt")))

namespace horgrid::batch {

namespace {

// A group's eight lanes are two registers of four.
constexpr std::size_t kHalves = 2;
constexpr std::size_t kHalfLanes = kLanes / kHalves;

// One 64-row word of the column step for four patterns at once; hp and hn
// carry the horizontal delta of the row above in and of the word's last row out.
HORGRID_AVX2 inline void Step(__m256i match, __m256i& vp, __m256i& vn, __m256i& hp, __m256i& hn) {
    const __m256i ones = _mm256_set1_epi64x(-1);
    const __m256i pv = vp;
    const __m256i mv = vn;
    const __m256i xv = _mm256_or_si256(match, mv);
    const __m256i xm = _mm256_or_si256(match, hn);
    const __m256i sum = _mm256_add_epi64(_mm256_and_si256(xm, pv), pv);
    const __m256i xh = _mm256_or_si256(_mm256_xor_si256(sum, pv), xm);
    __m256i ph = _mm256_or_si256(mv, _mm256_andnot_si256(_mm256_or_si256(xh, pv), ones));
    __m256i mh = _mm256_and_si256(pv, xh);
    const __m256i hpOut = _mm256_srli_epi64(ph, 63);
    const __m256i hnOut = _mm256_srli_epi64(mh, 63);
    ph = _mm256_or_si256(_mm256_slli_epi64(ph, 1), hp);
    mh = _mm256_or_si256(_mm256_slli_epi64(mh, 1), hn);
    vp = _mm256_or_si256(mh, _mm256_andnot_si256(_mm256_or_si256(xv, ph), ones));
    vn = _mm256_and_si256(ph, xv);
    hp = hpOut;
    hn = hnOut;
}

// kWords > 0: a group of exactly that many words, state in registers;
// kWords == 0: any word count, state in the caller's buffer. Register h * words
// + w holds word w of lanes 4 h ... 4 h + 3.
template <std::size_t kWords>
HORGRID_AVX2 void Run(const Group& group, const std::uint16_t* text, std::size_t length, std::uint64_t* state,
                      std::uint32_t* out) {
    const std::size_t words = kWords != 0 ? kWords : group.words;
    __m256i localP[kHalves * (kWords != 0 ? kWords : 1)];
    __m256i localN[kHalves * (kWords != 0 ? kWords : 1)];
    __m256i* vp = kWords != 0 ? localP : reinterpret_cast<__m256i*>(state);
    __m256i* vn = kWords != 0 ? localN : reinterpret_cast<__m256i*>(state) + kHalves * words;
    for (std::size_t r = 0; r < kHalves * words; ++r) {
        vp[r] = _mm256_set1_epi64x(-1);
        vn[r] = _mm256_setzero_si256();
    }
    const std::size_t stride = words * kLanes;
    for (std::size_t j = 0; j < length; ++j) {
        const std::uint64_t* eq = group.masks + text[j] * stride;
        for (std::size_t h = 0; h < kHalves; ++h) {
            __m256i hp = _mm256_set1_epi64x(1);  // the first row grows by one per column
            __m256i hn = _mm256_setzero_si256();
            for (std::size_t w = 0; w < words; ++w) {
                const __m256i match =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(eq + w * kLanes + h * kHalfLanes));
                Step(match, vp[h * words + w], vn[h * words + w], hp, hn);
            }
        }
    }
    // D[m][n] = D[0][n] + the vertical deltas of the last column down to row m.
    long long score[kLanes];
    for (std::size_t lane = 0; lane < kLanes; ++lane) score[lane] = static_cast<long long>(length);
    for (std::size_t h = 0; h < kHalves; ++h) {
        for (std::size_t w = 0; w < words; ++w) {
            const __m256i valid = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(group.valid + w * kLanes + h * kHalfLanes));
            alignas(32) unsigned long long plus[kHalfLanes];
            alignas(32) unsigned long long minus[kHalfLanes];
            _mm256_store_si256(reinterpret_cast<__m256i*>(plus), _mm256_and_si256(vp[h * words + w], valid));
            _mm256_store_si256(reinterpret_cast<__m256i*>(minus), _mm256_and_si256(vn[h * words + w], valid));
            for (std::size_t lane = 0; lane < kHalfLanes; ++lane) {
                score[h * kHalfLanes + lane] +=
                    __builtin_popcountll(plus[lane]) - __builtin_popcountll(minus[lane]);
            }
        }
    }
    for (std::size_t lane = 0; lane < kLanes; ++lane) out[lane] = static_cast<std::uint32_t>(score[lane]);
}

}  // namespace

HORGRID_AVX2 void GroupDistancesAvx2(const Group& group, const std::uint16_t* text, std::size_t length,
                                     std::uint64_t* state, std::uint32_t* out) {
    ForWordCount(group.words, [&]<std::size_t kWords>() { Run<kWords>(group, text, length, state, out); });
}

}  // namespace horgrid::batch

#endif
