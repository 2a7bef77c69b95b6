// Pairs per second of the edit-distance implementations on the same generated
// monomers: the plain two-row algorithm (the reference), edlib (global mode,
// distance only), horgrid's scalar engine (exact and bounded) and horgrid's
// batch at every instruction set this processor runs; then long sequences
// (the -d case, horgrid and edlib side by side) and the HOR builder's
// nearest-match search. Times are processor time of this single-threaded
// process, so other load on the machine matters little. `horgrid_bench long`
// runs the long pairs only.

#include <edlib.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "sequence/DistanceLimit.h"
#include "sequence/EditDistance.h"
#include "sequence/LevenshteinBatch.h"
#include "sequence/LevenshteinEngine.h"

namespace {

using namespace horgrid;

constexpr std::size_t kMonomers = 512;
constexpr std::size_t kMonomerLength = 171;
constexpr double kMinimumSeconds = 1.0;
constexpr int kLongRepeats = 3;

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Copies of one 171-base monomer, each 0-20 % diverged, so pairs lie 0-40 % apart.
std::vector<std::string> Monomers() {
    std::mt19937_64 random(2024);
    const std::string type = reference::RandomSequence(random, kMonomerLength);
    std::vector<std::string> monomers;
    for (std::size_t k = 0; k < kMonomers; ++k) {
        monomers.push_back(reference::Mutate(random, type, 0.2 * static_cast<double>(k) / kMonomers));
    }
    return monomers;
}

struct Result {
    double pairsPerSecond = 0;
    std::uint64_t checksum = 0;  // sum of the distances of row 0 against all columns
};

// Runs `row(i, out)` (distances of monomer i against every monomer) over rows
// 0, 1, 2, ... until kMinimumSeconds of processor time have passed.
Result Measure(const std::function<void(std::size_t, std::uint32_t*)>& row) {
    std::vector<std::uint32_t> out(kMonomers);
    Result result;
    row(0, out.data());
    for (const std::uint32_t d : out) result.checksum += d;
    std::size_t pairs = 0;
    const double start = ProcessSeconds();
    double elapsed = 0;
    for (std::size_t i = 0; elapsed < kMinimumSeconds; i = (i + 1) % kMonomers) {
        row(i, out.data());
        pairs += kMonomers;
        elapsed = ProcessSeconds() - start;
    }
    result.pairsPerSecond = static_cast<double>(pairs) / elapsed;
    return result;
}

// The 12 DXZ1 monomer types shipped in examples/.
std::vector<std::string> DxzTypes() {
    std::ifstream in(std::string(HORGRID_SOURCE_DIR) + "/examples/dxz1_monomers.fa");
    std::vector<std::string> types;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line[0] == '>') {
            types.emplace_back();
        } else if (!types.empty()) {
            for (const char c : line)
                types.back() += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return types;
}

// The HOR builder's question for every monomer: the nearest earlier one less
// than 7 % away. Returns the number of monomers that found one.
std::size_t NearestBelowSevenPercent(const std::vector<std::string>& monomers, bool batched) {
    const std::vector<std::string_view> views(monomers.begin(), monomers.end());
    LevenshteinBatch batch(views);
    std::size_t matched = 0;
    for (std::size_t i = 1; i < views.size(); ++i) {
        const std::optional<std::uint32_t> limit = LargestDistanceBelow(7.0f, views[i].size());
        if (!limit) continue;
        if (batched) {
            matched += batch.LastWithin(views[i], i, *limit) >= 0;
            continue;
        }
        for (std::size_t j = i; j-- > 0;) {
            if (LevenshteinAtMost(views[i], views[j], *limit) <= *limit) {
                ++matched;
                break;
            }
        }
    }
    return matched;
}

void HorSearch() {
    const std::vector<std::string> types = DxzTypes();
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> divergence(0.01, 0.03);
    std::vector<std::string> regular;
    while (regular.size() < 30000) {
        const double copyDivergence = divergence(random);
        for (const std::string& type : types)
            regular.push_back(reference::Mutate(random, type, copyDivergence));
    }
    std::vector<std::string> distinct;
    for (std::size_t k = 0; k < 5000; ++k)
        distinct.push_back(reference::Mutate(random, types[k % types.size()], 0.15));

    std::printf("\nHOR builder's search, nearest earlier monomer < 7 %% away, processor seconds:\n");
    std::printf("%-44s %10s %10s\n", "monomers", "matched", "seconds");
    const auto report = [](const char* name, const std::vector<std::string>& monomers, bool batched) {
        const double start = ProcessSeconds();
        const std::size_t matched = NearestBelowSevenPercent(monomers, batched);
        std::printf("%-44s %10zu %10.2f\n", name, matched, ProcessSeconds() - start);
    };
    report("30,000 regular (12-mer HOR), LastWithin", regular, true);
    report("30,000 regular, LevenshteinAtMost per pair", regular, false);
    report("5,000 mutually different, LastWithin", distinct, true);
    report("5,000 mutually different, LevenshteinAtMost", distinct, false);
}

// The -d case: long pairs, one call each, horgrid and edlib in the same run.
// Each call is repeated and the fastest kept, since other work on the machine
// can only slow a run down.
void LongPairs() {
    std::printf("\nLong sequences (the -d case), one call each, best of %d, processor seconds:\n",
                kLongRepeats);
    std::printf("%-38s %10s %10s %10s %10s\n", "pair", "distance", "horgrid", "edlib", "edlib/hg");
    const EdlibAlignConfig config = edlibNewAlignConfig(-1, EDLIB_MODE_NW, EDLIB_TASK_DISTANCE, nullptr, 0);
    std::mt19937_64 random(99);
    const std::string read = reference::RandomSequence(random, 100000);
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"100 kb vs a 1 % diverged copy", reference::Mutate(random, read, 0.01)},
        {"100 kb vs a 10 % diverged copy", reference::Mutate(random, read, 0.10)},
        {"100 kb vs a 30 % diverged copy", reference::Mutate(random, read, 0.30)},
        {"100 kb vs an unrelated 80 kb", reference::RandomSequence(random, 80000)}};
    for (const auto& [name, other] : pairs) {
        std::uint32_t distance = 0;
        int theirs = -1;
        double ours = 1e30;
        double edlib = 1e30;
        for (int repeat = 0; repeat < kLongRepeats; ++repeat) {
            double start = ProcessSeconds();
            distance = Levenshtein(read, other);
            ours = std::min(ours, ProcessSeconds() - start);
            start = ProcessSeconds();
            EdlibAlignResult r = edlibAlign(read.data(), static_cast<int>(read.size()), other.data(),
                                            static_cast<int>(other.size()), config);
            edlib = std::min(edlib, ProcessSeconds() - start);
            theirs = r.editDistance;
            edlibFreeAlignResult(r);
        }
        std::printf("%-38s %10u %10.4f %10.4f %10.2f%s\n", name.c_str(), distance, ours, edlib, edlib / ours,
                    static_cast<std::uint32_t>(theirs) == distance ? "" : "  DIFFERENT");
    }
}

}  // namespace

// With the argument "long" only the long pairs run.
int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "long") {
        LongPairs();
        return 0;
    }
    const std::vector<std::string> monomers = Monomers();
    const std::vector<std::string_view> views(monomers.begin(), monomers.end());
    std::uint64_t meanDistance = 0;
    for (const std::string& m : monomers) meanDistance += reference::PlainLevenshtein(monomers[0], m);
    std::printf(
        "Edit distance of %zu generated monomers of ~%zu bases (0-40 %% apart, distance to the first "
        "%.1f on average), all-vs-all rows, processor time:\n\n",
        kMonomers, kMonomerLength, static_cast<double>(meanDistance) / kMonomers);

    struct Method {
        std::string name;
        Result result;
    };
    std::vector<Method> methods;
    methods.push_back({"plain two-row DP (reference)", Measure([&](std::size_t i, std::uint32_t* out) {
                           for (std::size_t j = 0; j < kMonomers; ++j) {
                               out[j] = reference::PlainLevenshtein(monomers[i], monomers[j]);
                           }
                       })});
    const EdlibAlignConfig config = edlibNewAlignConfig(-1, EDLIB_MODE_NW, EDLIB_TASK_DISTANCE, nullptr, 0);
    methods.push_back({"edlib (global, distance only)", Measure([&](std::size_t i, std::uint32_t* out) {
                           for (std::size_t j = 0; j < kMonomers; ++j) {
                               EdlibAlignResult r = edlibAlign(
                                   monomers[i].data(), static_cast<int>(monomers[i].size()),
                                   monomers[j].data(), static_cast<int>(monomers[j].size()), config);
                               out[j] = static_cast<std::uint32_t>(r.editDistance);
                               edlibFreeAlignResult(r);
                           }
                       })});
    methods.push_back({"horgrid Levenshtein (scalar)", Measure([&](std::size_t i, std::uint32_t* out) {
                           for (std::size_t j = 0; j < kMonomers; ++j)
                               out[j] = Levenshtein(views[i], views[j]);
                       })});
    LevenshteinEngine engine;
    methods.push_back({"horgrid engine, one pattern per row", Measure([&](std::size_t i, std::uint32_t* out) {
                           engine.SetPattern(views[i]);
                           for (std::size_t j = 0; j < kMonomers; ++j) out[j] = engine.DistanceTo(views[j]);
                       })});
    for (const InstructionSet set : SupportedInstructionSets()) {
        LevenshteinBatch batch(views, set);
        methods.push_back({"horgrid batch, " + std::string(InstructionSetName(set)),
                           Measure([&](std::size_t i, std::uint32_t* out) {
                               batch.Distances(views[i], 0, kMonomers, out);
                           })});
    }

    const double plain = methods[0].result.pairsPerSecond;
    const double edlib = methods[1].result.pairsPerSecond;
    std::printf("%-38s %14s %10s %10s  %s\n", "method", "pairs/s", "x plain", "x edlib", "row-0 checksum");
    for (const Method& method : methods) {
        const bool exact = method.result.checksum == methods[0].result.checksum;
        std::printf("%-38s %14.0f %10.1f %10.2f  %s\n", method.name.c_str(), method.result.pairsPerSecond,
                    method.result.pairsPerSecond / plain, method.result.pairsPerSecond / edlib,
                    exact ? "same" : "DIFFERENT");
    }

    // Yes/no questions at the HOR builder's 7 % of 171 bases: distance <= 11?
    std::printf("\nBounded (distance <= 11, the HOR builder's question on 171 bases):\n");
    const Result bounded = Measure([&](std::size_t i, std::uint32_t* out) {
        for (std::size_t j = 0; j < kMonomers; ++j) out[j] = LevenshteinAtMost(views[i], views[j], 11) <= 11;
    });
    std::printf("%-38s %14.0f %10.1f %10.2f\n", "horgrid LevenshteinAtMost (scalar)", bounded.pairsPerSecond,
                bounded.pairsPerSecond / plain, bounded.pairsPerSecond / edlib);

    LongPairs();
    HorSearch();
    return 0;
}
