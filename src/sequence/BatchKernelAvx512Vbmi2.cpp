#include "sequence/BatchKernels.h"

#if defined(__x86_64__)

// Only the functions of the body are compiled for AVX-512 with VBMI2 (its
// funnel shift saves two instructions per word); the library calls them after
// checking that the processor runs it.
#define HORGRID_AVX512_TARGET __attribute__((target("avx512f,avx512vbmi2,popcnt")))
#define HORGRID_AVX512_FUNNEL 1
#define HORGRID_AVX512_KERNEL GroupDistancesAvx512Vbmi2
#include "sequence/BatchKernelAvx512Body.h"

#endif
