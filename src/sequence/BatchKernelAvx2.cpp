#include "sequence/BatchKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Only the functions below are compiled for AVX2; the library calls them after
// checking that the processor runs it.
#define HORGRID_KERNEL_TARGET __attribute__((target("avx2,popcnt")))
#define HORGRID_KERNEL_NAME GroupDistancesAvx2

namespace horgrid::batch {

namespace {

// A group's eight lanes are two registers of four.
struct Lanes {
    struct Vector {
        __m256i half[2];
    };
    struct Carry {
        __m256i hp[2];
        __m256i hn[2];
    };

    HORGRID_KERNEL_TARGET static Vector Load(const std::uint64_t* eight) {
        const __m256i* at = reinterpret_cast<const __m256i*>(eight);
        return Vector{{_mm256_loadu_si256(at), _mm256_loadu_si256(at + 1)}};
    }
    HORGRID_KERNEL_TARGET static void Store(std::uint64_t* eight, Vector v) {
        __m256i* at = reinterpret_cast<__m256i*>(eight);
        _mm256_storeu_si256(at, v.half[0]);
        _mm256_storeu_si256(at + 1, v.half[1]);
    }
    HORGRID_KERNEL_TARGET static Vector Fill(std::uint64_t word) {
        const __m256i all = _mm256_set1_epi64x(static_cast<long long>(word));
        return Vector{{all, all}};
    }
    HORGRID_KERNEL_TARGET static Vector And(Vector a, Vector b) {
        return Vector{{_mm256_and_si256(a.half[0], b.half[0]), _mm256_and_si256(a.half[1], b.half[1])}};
    }
    HORGRID_KERNEL_TARGET static Carry Start() {
        const __m256i one = _mm256_set1_epi64x(1);
        return Carry{{one, one}, {_mm256_setzero_si256(), _mm256_setzero_si256()}};
    }
    // The engine's column step (MyersCore.h) on four lanes per register.
    HORGRID_KERNEL_TARGET static void Step(Vector match, Vector& vp, Vector& vn, Carry& carry) {
        const __m256i ones = _mm256_set1_epi64x(-1);
        for (std::size_t h = 0; h < 2; ++h) {
            const __m256i pv = vp.half[h];
            const __m256i mv = vn.half[h];
            const __m256i xv = _mm256_or_si256(match.half[h], mv);
            const __m256i xm = _mm256_or_si256(match.half[h], carry.hn[h]);
            const __m256i sum = _mm256_add_epi64(_mm256_and_si256(xm, pv), pv);
            const __m256i xh = _mm256_or_si256(_mm256_xor_si256(sum, pv), xm);
            __m256i ph = _mm256_or_si256(mv, _mm256_andnot_si256(_mm256_or_si256(xh, pv), ones));
            __m256i mh = _mm256_and_si256(pv, xh);
            const __m256i hpOut = _mm256_srli_epi64(ph, 63);
            const __m256i hnOut = _mm256_srli_epi64(mh, 63);
            ph = _mm256_or_si256(_mm256_slli_epi64(ph, 1), carry.hp[h]);
            mh = _mm256_or_si256(_mm256_slli_epi64(mh, 1), carry.hn[h]);
            vp.half[h] = _mm256_or_si256(mh, _mm256_andnot_si256(_mm256_or_si256(xv, ph), ones));
            vn.half[h] = _mm256_and_si256(ph, xv);
            carry.hp[h] = hpOut;
            carry.hn[h] = hnOut;
        }
    }
};

}  // namespace

}  // namespace horgrid::batch

#include "sequence/BatchKernelBody.h"

#endif
