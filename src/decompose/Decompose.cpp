#include "decompose/Decompose.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

#include "common/Parallel.h"
#include "decompose/DecomposeEngine.h"
#include "decompose/DecomposeKernels.h"
#include "decompose/DecomposeRows.h"
#include "decompose/DecomposeTrace.h"
#include "decompose/SegmentIdentity.h"
#include "sequence/InstructionSet.h"

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

// The sum of the four score magnitudes.
std::int64_t Magnitudes(const Scoring& scoring) {
    return std::int64_t{std::abs(scoring.insertion)} + std::abs(scoring.deletion) +
           std::abs(scoring.mismatch) + std::abs(scoring.match);
}

Layout BuildLayout(const std::vector<std::string>& monomers, const Scoring& scoring, std::size_t lanes,
                   bool narrow) {
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
    layout.rowLength = layout.cells + (lanes > 1 ? monomers.size() * lanes : 0);
    const int startBits = narrow ? kNarrowStartBits : kWideStartBits;
    const auto key = [&](std::int64_t score) { return ScoreKey(score, startBits); };
    if (narrow) {
        layout.matchMask.assign(kCodes * layout.cells / lanes, 0);
        layout.narrowProfile.assign(kCodes * layout.cells, static_cast<std::int32_t>(key(scoring.mismatch)));
    } else {
        layout.profile.assign(kCodes * layout.cells, key(scoring.mismatch));
    }
    for (std::size_t m = 0; m < monomers.size(); ++m) {
        for (std::size_t k = 0; k < lanes; ++k) {
            const std::int64_t ramp =
                key(std::int64_t{scoring.deletion} * static_cast<std::int64_t>(k * layout.vectors[m]));
            if (narrow) {
                layout.narrowRamp.push_back(static_cast<std::int32_t>(ramp));
            } else {
                layout.laneRamp.push_back(ramp);
            }
        }
    }
    const auto setBit = [&](std::vector<std::uint16_t>& masks, int code, std::size_t cell) {
        masks[(code * layout.cells + cell) / lanes] |= static_cast<std::uint16_t>(1u << (cell % lanes));
    };
    for (std::size_t m = 0; m < monomers.size(); ++m) {
        for (std::size_t p = 0; p < monomers[m].size(); ++p) {
            const std::size_t cell = cellOf(m, p);
            const int code = BaseCode(static_cast<unsigned char>(monomers[m][p]));
            if (code == kCodes - 1) continue;
            if (narrow) {
                setBit(layout.matchMask, code, cell);
                layout.narrowProfile[code * layout.cells + cell] =
                    static_cast<std::int32_t>(key(scoring.match));
            } else {
                layout.profile[code * layout.cells + cell] = key(scoring.match);
            }
        }
    }
    layout.insertionKey = key(scoring.insertion);
    layout.deletionKey = key(scoring.deletion);
    layout.lowestKey = key(std::min(scoring.match, scoring.mismatch));
    layout.narrowInsertion = static_cast<std::int32_t>(layout.insertionKey);
    layout.narrowDeletion = static_cast<std::int32_t>(layout.deletionKey);
    layout.narrowMatch = static_cast<std::int32_t>(key(scoring.match));
    layout.narrowMismatch = static_cast<std::int32_t>(key(scoring.mismatch));
    return layout;
}

ActivePlan MakePlan(const std::vector<TypeRun>& runs, std::size_t monomers, std::size_t n) {
    ActivePlan plan;
    if (runs.empty()) {
        plan.ends.push_back(n);
        plan.monomers.emplace_back(monomers);
        for (std::size_t m = 0; m < monomers; ++m) plan.monomers[0][m] = static_cast<std::uint32_t>(m);
        return plan;
    }
    for (const TypeRun& run : runs) {
        const bool sorted = std::is_sorted(run.oriented.begin(), run.oriented.end()) &&
                            std::adjacent_find(run.oriented.begin(), run.oriented.end()) == run.oriented.end();
        if (run.oriented.empty() || !sorted || run.oriented.back() >= monomers ||
            (!plan.ends.empty() && run.end < plan.ends.back())) {
            throw std::invalid_argument("type runs out of order or naming no type");
        }
        plan.ends.push_back(run.end);
        plan.monomers.push_back(run.oriented);
    }
    return plan;
}

// RunRows over the whole record, its pieces on their threads. Every piece
// but the first starts afresh `overlap` bases before its first position;
// where its run does not go on like the true one (SameFuture with the end of
// the piece before, itself true), the piece is run again from that end, so
// the trace is always the one a single run gives. False as RunRows.
template <typename Key, typename Step>
bool RunPieces(std::string_view sequence, const Layout& layout, const ActivePlan& plan, int startBits,
               std::int64_t rebaseAt, Key negative, const Step& step, TracePieces& pieces) {
    const std::size_t count = pieces.traces.size();
    std::vector<RowState<Key>> ends(count), starts(count);
    std::vector<char> done(count, 0);
    ParallelFor(count, pieces.threads, [&](std::size_t k, unsigned) {
        const std::size_t begin = pieces.bounds[k];
        RowState<Key>& state = ends[k];
        state.row.assign(layout.rowLength, negative);
        state.origin = k == 0 ? 0 : begin - std::min(pieces.overlap, begin - pieces.bounds[k - 1]);
        pieces.traces[k].Clear();
        done[k] = RunRows(sequence, layout, plan, startBits, rebaseAt, negative, step, state, state.origin,
                          pieces.bounds[k + 1], pieces.traces[k], begin, k == 0 ? nullptr : &starts[k]);
    });
    if (std::find(done.begin(), done.end(), 0) != done.end()) return false;
    for (std::size_t k = 1; k < count; ++k) {
        if (SameFuture(layout, plan, ends[k - 1], starts[k], startBits)) continue;
        pieces.traces[k].Clear();
        ends[k] = ends[k - 1];
        if (!RunRows(sequence, layout, plan, startBits, rebaseAt, negative, step, ends[k], pieces.bounds[k],
                     pieces.bounds[k + 1], pieces.traces[k])) {
            return false;
        }
    }
    return true;
}

#if defined(__x86_64__)
// Whether every monomer's score range, padding of a 32-bit vector included,
// fits 32-bit keys.
bool NarrowKeysFit(const std::vector<std::string>& monomers, const Scoring& scoring) {
    std::size_t longest = 0;
    for (const std::string& monomer : monomers) longest = std::max(longest, monomer.size());
    constexpr std::size_t padding = kAvx512NarrowLanes;  // the widest
    return static_cast<double>(Magnitudes(scoring)) * static_cast<double>(longest + 2 + padding) <=
           static_cast<double>(kNarrowScoreRangeLimit);
}
#endif

// The DP with the given kernel into `trace`: 32-bit keys when the kernel has
// them, the scores fit and no start leaves their window, else 64-bit keys.
void FillTrace(std::string_view sequence, const std::vector<std::string>& monomers, const Scoring& scoring,
               DecomposeKernel kernel, const ActivePlan& plan, TracePieces& trace) {
    WithKeys(monomers, scoring, kernel,
             [&](const Layout& layout, const auto& step, int startBits, std::int64_t rebaseAt,
                 auto negative) -> std::optional<bool> {
                 if (RunPieces(sequence, layout, plan, startBits, rebaseAt, negative, step, trace))
                     return true;
                 return std::nullopt;
             });
}

// The segments of a filled trace, from the last position down; each block of
// the trace is released as the traceback passes below it unless `keep`.
std::vector<Segment> Traceback(std::string_view sequence, const std::vector<std::string>& monomers,
                               TracePieces& trace, bool keep) {
    std::vector<Segment> segments;
    for (std::size_t i = sequence.size(); i > 0;) {
        if (!keep) trace.At(i).ReleaseAbove(i);
        const std::uint32_t monomer = trace.At(i).Monomer(i);
        const std::size_t start = i - trace.At(i).Length(i);
        Segment segment;
        segment.start = static_cast<std::int64_t>(start);
        segment.end = static_cast<std::int64_t>(i - 1);
        segment.type = monomer / 2;
        segment.reverse = monomer % 2 == 1;
        for (std::size_t j = i; j > start; --j) segment.score += trace.At(j).Step(j);
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

// The fastest kernel the processor runs, chosen on the first call.
DecomposeKernel BestKernel() {
    static const DecomposeKernel kBest =
        DecomposeKernelSupported(DecomposeKernel::Avx512Narrow) ? DecomposeKernel::Avx512Narrow
        : DecomposeKernelSupported(DecomposeKernel::Avx2)       ? DecomposeKernel::Avx2
                                                                : DecomposeKernel::Portable;
    return kBest;
}

}  // namespace decompose

using namespace decompose;

std::string DecomposeLimitError(const std::vector<MonomerType>& types, const Scoring& scoring,
                                std::size_t length) {
    if (types.empty()) return "no monomer type";
    if (length >= (std::size_t{1} << 32)) return "a record of 2^32 bases or more";
    const std::int64_t magnitudes = Magnitudes(scoring);
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
                                         const Scoring& scoring, DecomposeKernel kernel,
                                         const RecordThreads& threads, const std::vector<TypeRun>& runs) {
    if (const std::string error = DecomposeLimitError(types, scoring, sequence.size()); !error.empty()) {
        throw std::invalid_argument(error);
    }
    const std::size_t n = sequence.size();
    if (n == 0) return {};
    const std::vector<std::string> monomers = Oriented(types);
    const ActivePlan plan = MakePlan(runs, monomers.size(), n);
    TracePieces trace(n, monomers, scoring, threads);
    FillTrace(sequence, monomers, scoring, kernel, plan, trace);

    return Traceback(sequence, monomers, trace, false);
}

std::vector<Segment> Decompose(std::string_view sequence, const std::vector<MonomerType>& types,
                               const Scoring& scoring, unsigned threads, const std::vector<TypeRun>& runs) {
    RecordThreads threading;
    threading.threads = threads;
    return DecomposeWithKernel(sequence, types, scoring, BestKernel(), threading, runs);
}

bool DecomposeKernelSupported(DecomposeKernel kernel) {
    if (kernel == DecomposeKernel::Portable) return true;
    if (kernel == DecomposeKernel::Avx2) return InstructionSetSupported(InstructionSet::Avx2);
    return InstructionSetSupported(InstructionSet::Avx512);
}

std::vector<DecomposeKernel> SupportedDecomposeKernels() {
    std::vector<DecomposeKernel> kernels;
    for (const DecomposeKernel kernel : {DecomposeKernel::Portable, DecomposeKernel::Avx2,
                                         DecomposeKernel::Avx512, DecomposeKernel::Avx512Narrow}) {
        if (DecomposeKernelSupported(kernel)) kernels.push_back(kernel);
    }
    return kernels;
}

std::string_view DecomposeKernelName(DecomposeKernel kernel) {
    switch (kernel) {
        case DecomposeKernel::Portable:
            return "portable";
        case DecomposeKernel::Avx2:
            return "AVX2";
        case DecomposeKernel::Avx512:
            return "AVX-512 64-bit";
        case DecomposeKernel::Avx512Narrow:
            break;
    }
    return "AVX-512";
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
