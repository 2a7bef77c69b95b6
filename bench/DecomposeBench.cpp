// Single-thread speed of the decomposition on a generated 100 kb array of
// the 12 DXZ1 monomer types (24 with their reverse complements): the plain DP
// over (position, monomer, monomer base) that the tests keep as the
// reference, against Decompose with every row kernel this processor runs.
// Every kernel must give the plain DP's segments. Times are processor time of
// this single-threaded process.

#include <time.h>

#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ReferenceDecompose.h"
#include "SequenceGenerator.h"
#include "decompose/DecomposeEngine.h"
#include "decompose/MonomerSet.h"

namespace {

using namespace horgrid;

constexpr std::size_t kArrayBases = 100000;

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// HOR copies of the types in order, each copy mutated by 1-3 %.
std::string Array(const std::vector<MonomerType>& types, std::size_t bases) {
    std::mt19937_64 random(171);
    std::uniform_real_distribution<double> divergence(0.01, 0.03);
    std::string array;
    while (array.size() < bases) {
        const double copyDivergence = divergence(random);
        for (const MonomerType& type : types)
            array += reference::Mutate(random, type.sequence, copyDivergence);
    }
    array.resize(bases);
    return array;
}

double Seconds(const std::function<void()>& body) {
    const double start = ProcessSeconds();
    body();
    return ProcessSeconds() - start;
}

bool Same(const std::vector<Segment>& a, const std::vector<Segment>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].start != b[i].start || a[i].end != b[i].end || a[i].type != b[i].type ||
            a[i].reverse != b[i].reverse || a[i].score != b[i].score || a[i].identity != b[i].identity) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    const std::vector<MonomerType> types = ReadMonomerSet(HORGRID_SOURCE_DIR "/examples/dxz1_monomers.fa");
    const std::string array = Array(types, kArrayBases);
    std::size_t cells = 0;
    for (const MonomerType& type : types) cells += 2 * type.sequence.size();
    std::printf(
        "\nDecomposition of a %zu-base array, %zu monomer types (%zu with reverse complements), "
        "%.2g DP cells, single thread:\n\n",
        array.size(), types.size(), 2 * types.size(), static_cast<double>(cells * array.size()));
    std::printf("%-28s %10s %14s %10s  %s\n", "engine", "seconds", "cells/second", "speed-up", "result");
    std::vector<Segment> plain;
    const double plainSeconds =
        Seconds([&] { plain = reference::ReferenceDecompose(array, types, Scoring{}); });
    const double total = static_cast<double>(cells * array.size());
    std::printf("%-28s %10.3f %14.3g %10s  %zu segments, score %lld\n", "plain DP (reference)", plainSeconds,
                total / plainSeconds, "1x", plain.size(), static_cast<long long>(TotalScore(plain)));
    for (const DecomposeKernel kernel : SupportedDecomposeKernels()) {
        std::vector<Segment> fast;
        const double seconds = Seconds([&] { fast = DecomposeWithKernel(array, types, Scoring{}, kernel); });
        const double speedUp = plainSeconds / seconds;
        const std::string label = "Decompose, " + std::string(DecomposeKernelName(kernel));
        std::printf("%-28s %10.3f %14.3g %9.1fx  %s%s\n", label.c_str(), seconds, total / seconds, speedUp,
                    Same(fast, plain) ? "identical" : "DIFFERS",
                    kernel == DecomposeKernel::Avx512Narrow
                        ? (speedUp >= 30 ? " (target >= 30x: met)" : " (target >= 30x: MISSED)")
                        : "");
    }
    return 0;
}
