#pragma once

// The choice of row kernel behind Decompose, for the tests and benchmarks
// that run every kernel against the plain DP.

#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// Avx512 keeps 64-bit keys; Avx512Narrow, which Decompose takes where AVX-512
// runs, uses 32-bit keys when the scores and the record allow and Avx512
// otherwise; Avx2 (else taken) uses 32-bit keys likewise and Portable otherwise.
enum class DecomposeKernel { Portable, Avx2, Avx512, Avx512Narrow };

// Whether this processor runs the kernel.
bool DecomposeKernelSupported(DecomposeKernel kernel);
// Every supported kernel, Portable first.
std::vector<DecomposeKernel> SupportedDecomposeKernels();
std::string_view DecomposeKernelName(DecomposeKernel kernel);

// Decompose with the given kernel (which must be supported).
std::vector<Segment> DecomposeWithKernel(std::string_view sequence, const std::vector<MonomerType>& types,
                                         const Scoring& scoring, DecomposeKernel kernel);

}  // namespace horgrid
