#pragma once

// The choice of row kernel behind Decompose, for the tests and benchmarks
// that run every kernel against the plain DP.

#include <cstddef>
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

// How one record is spread over threads: into as many pieces as threads, each
// of at least minPiece bases, whose DP runs start afresh `overlap` bases
// before the piece and are checked to fall into step with the run of the
// piece before (else the piece is run again from that run's end): the result
// is the single run's for every choice.
struct RecordThreads {
    unsigned threads = 1;
    std::size_t minPiece = std::size_t{1} << 19;
    std::size_t overlap = 5000;
};

// Decompose with the given kernel (which must be supported).
std::vector<Segment> DecomposeWithKernel(std::string_view sequence, const std::vector<MonomerType>& types,
                                         const Scoring& scoring, DecomposeKernel kernel,
                                         const RecordThreads& threads = {}, const std::vector<TypeRun>& runs = {});

}  // namespace horgrid
