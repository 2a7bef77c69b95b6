#include "sequence/BatchKernels.h"

#if defined(__x86_64__)

// Only the functions of the body are compiled for AVX-512 with VBMI2 (its
// funnel shift saves two instructions per word); the library calls them after
// checking that the processor runs it.
#define HORGRID_KERNEL_TARGET __attribute__((target("avx512f,avx512vbmi2,popcnt")))
#define HORGRID_KERNEL_NAME GroupDistancesAvx512Vbmi2
#define HORGRID_AVX512_FUNNEL 1
#include "sequence/BatchLanesAvx512.h"

#endif
