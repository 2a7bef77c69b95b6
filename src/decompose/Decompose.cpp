#include "decompose/Decompose.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "decompose/DecomposeEngine.h"
#include "decompose/DecomposeKernels.h"
#include "decompose/SegmentIdentity.h"
#include "sequence/VectorWidth.h"

namespace horgrid {
namespace decompose {

int BaseCode(unsigned char base) {
    switch (base | 0x20) {
        case 'a':
            return 0;
        case 'c':
            return 1;
        case 'g':
            return 2;
        case 't':
            return 3;
        default:
            return kCodes - 1;
    }
}

}  // namespace decompose

namespace {

using namespace decompose;

// Scores relative to the base line stay within this; past it the row is
// moved to a new base line, so every key's high half fits 32 bits.
constexpr std::int64_t kRebaseAt = std::int64_t{1} << 28;
constexpr std::int64_t kScoreRangeLimit = std::int64_t{1} << 27;

// The types in both orientations, in the order of the tie rule: A, A', B, B', ...
std::vector<std::string> Oriented(const std::vector<MonomerType>& types) {
    std::vector<std::string> oriented;
    oriented.reserve(types.size() * 2);
    for (const MonomerType& type : types) {
        oriented.push_back(type.sequence);
        oriented.push_back(ReverseComplement(type.sequence));
    }
    return oriented;
}

Layout BuildLayout(const std::vector<std::string>& monomers, const Scoring& scoring, std::size_t lanes) {
    Layout layout;
    layout.lanes = lanes;
    // The cell of position p of monomer m.
    const auto cellOf = [&](std::size_t m, std::size_t p) {
        return layout.offset[m] + (p % layout.vectors[m]) * lanes + p / layout.vectors[m];
    };
    for (std::size_t m = 0; m < monomers.size(); ++m) {
        layout.offset.push_back(layout.cells);
        layout.length.push_back(monomers[m].size());
        layout.vectors.push_back((monomers[m].size() + lanes - 1) / lanes);
        layout.cells += layout.vectors[m] * lanes;
        layout.last.push_back(cellOf(m, monomers[m].size() - 1));
    }
    layout.profile.assign(kCodes * layout.cells, ScoreKey(scoring.mismatch));
    for (std::size_t m = 0; m < monomers.size(); ++m) {
        for (std::size_t k = 0; k < lanes; ++k) {
            layout.laneRamp.push_back(
                ScoreKey(std::int64_t{scoring.deletion} * static_cast<std::int64_t>(k * layout.vectors[m])));
        }
    }
    for (std::size_t m = 0; m < monomers.size(); ++m) {
        for (std::size_t p = 0; p < monomers[m].size(); ++p) {
            const std::size_t cell = cellOf(m, p);
            const int code = BaseCode(static_cast<unsigned char>(monomers[m][p]));
            if (code < kCodes - 1) layout.profile[code * layout.cells + cell] = ScoreKey(scoring.match);
        }
    }
    layout.insertionKey = ScoreKey(scoring.insertion);
    layout.deletionKey = ScoreKey(scoring.deletion);
    return layout;
}

struct KernelChoice {
    RowKernel row;
    std::size_t lanes;
};

KernelChoice Choose(DecomposeKernel kernel) {
#if defined(__x86_64__)
    if (kernel == DecomposeKernel::Avx512) return {RowAvx512, kAvx512Lanes};
#endif
    (void)kernel;
    return {RowPortable, 1};
}

}  // namespace

std::string DecomposeLimitError(const std::vector<MonomerType>& types, const Scoring& scoring,
                                std::size_t length) {
    if (types.empty()) return "no monomer type";
    if (length >= (std::size_t{1} << 32)) return "a record of 2^32 bases or more";
    const std::int64_t magnitudes = std::int64_t{std::abs(scoring.insertion)} + std::abs(scoring.deletion) +
                                    std::abs(scoring.mismatch) + std::abs(scoring.match);
    for (const MonomerType& type : types) {
        if (type.sequence.empty()) return "empty monomer '" + type.name + "'";
        if (magnitudes *
                static_cast<std::int64_t>(std::min<std::size_t>(type.sequence.size() + 2, kScoreRangeLimit)) >
            kScoreRangeLimit) {
            return "scores too large for monomer '" + type.name + "' of " +
                   std::to_string(type.sequence.size()) + " bases";
        }
    }
    return "";
}

std::vector<Segment> DecomposeWithKernel(std::string_view sequence, const std::vector<MonomerType>& types,
                                         const Scoring& scoring, DecomposeKernel kernel) {
    if (const std::string error = DecomposeLimitError(types, scoring, sequence.size()); !error.empty()) {
        throw std::invalid_argument(error);
    }
    const std::size_t n = sequence.size();
    if (n == 0) return {};
    const std::vector<std::string> monomers = Oriented(types);
    const KernelChoice choice = Choose(kernel);
    const Layout layout = BuildLayout(monomers, scoring, choice.lanes);
    std::vector<std::int64_t> row(layout.cells, kNegative);

    // Per position i (bases before it): the best score and the start and
    // oriented monomer of its last segment; the traceback needs nothing else.
    std::vector<std::int64_t> best(n + 1, 0);
    std::vector<std::uint32_t> startOf(n + 1, 0);
    std::vector<std::uint32_t> monomerOf(n + 1, 0);
    std::int64_t baseLine = 0;
    std::int64_t relative = 0;  // best[i - 1] - baseLine
    for (std::size_t i = 1; i <= n; ++i) {
        const int code = BaseCode(static_cast<unsigned char>(sequence[i - 1]));
        const std::int64_t startKey = ScoreKey(relative) + static_cast<std::int64_t>(i - 1);
        choice.row(layout, layout.profile.data() + code * layout.cells, startKey, row.data());
        std::int64_t top = row[layout.last[0]];
        std::uint32_t topMonomer = 0;
        for (std::size_t m = 1; m < monomers.size(); ++m) {
            const std::int64_t key = row[layout.last[m]];
            if (key > top) {
                top = key;
                topMonomer = static_cast<std::uint32_t>(m);
            }
        }
        relative = top >> 32;
        startOf[i] = static_cast<std::uint32_t>(top & 0xffffffff);
        monomerOf[i] = topMonomer;
        best[i] = baseLine + relative;
        if (relative > kRebaseAt || relative < -kRebaseAt) {
            const std::int64_t shift = ScoreKey(relative);
            for (std::int64_t& cell : row) cell -= shift;
            baseLine += relative;
            relative = 0;
        }
    }

    std::vector<Segment> segments;
    for (std::size_t i = n; i > 0;) {
        const std::size_t start = startOf[i];
        Segment segment;
        segment.start = static_cast<std::int64_t>(start);
        segment.end = static_cast<std::int64_t>(i - 1);
        segment.type = monomerOf[i] / 2;
        segment.reverse = monomerOf[i] % 2 == 1;
        segment.score = best[i] - best[start];
        segments.push_back(segment);
        i = start;
    }
    std::reverse(segments.begin(), segments.end());
    LevenshteinEngine engine;
    for (Segment& segment : segments) {
        const std::string_view bases = sequence.substr(segment.start, segment.end - segment.start + 1);
        segment.identity =
            SegmentIdentity(bases, monomers[segment.type * 2 + (segment.reverse ? 1 : 0)], engine);
    }
    return segments;
}

std::vector<Segment> Decompose(std::string_view sequence, const std::vector<MonomerType>& types,
                               const Scoring& scoring) {
    const DecomposeKernel kernel = DecomposeKernelSupported(DecomposeKernel::Avx512)
                                       ? DecomposeKernel::Avx512
                                       : DecomposeKernel::Portable;
    return DecomposeWithKernel(sequence, types, scoring, kernel);
}

bool DecomposeKernelSupported(DecomposeKernel kernel) {
    if (kernel == DecomposeKernel::Portable) return true;
    return VectorWidthSupported(VectorWidth::Avx512);
}

std::vector<DecomposeKernel> SupportedDecomposeKernels() {
    std::vector<DecomposeKernel> kernels;
    for (const DecomposeKernel kernel : {DecomposeKernel::Portable, DecomposeKernel::Avx512}) {
        if (DecomposeKernelSupported(kernel)) kernels.push_back(kernel);
    }
    return kernels;
}

std::string_view DecomposeKernelName(DecomposeKernel kernel) {
    return kernel == DecomposeKernel::Portable ? "portable" : "AVX-512";
}

std::int64_t TotalScore(const std::vector<Segment>& segments) {
    std::int64_t total = 0;
    for (const Segment& segment : segments) total += segment.score;
    return total;
}

std::string ReverseComplement(std::string_view sequence) {
    std::string out(sequence.size(), 'N');
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        static constexpr char kComplement[] = {'T', 'G', 'C', 'A', 'N'};
        out[sequence.size() - 1 - i] = kComplement[BaseCode(static_cast<unsigned char>(sequence[i]))];
    }
    return out;
}

}  // namespace horgrid
