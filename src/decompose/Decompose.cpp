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
#include "decompose/DecomposeTrace.h"
#include "decompose/KeptDecomposition.h"
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

}  // namespace decompose

namespace {

using namespace decompose;

// Scores relative to the base line stay within this; past it the row is
// moved to a new base line, so every key's high half fits 32 bits.
constexpr std::int64_t kRebaseAt = std::int64_t{1} << 28;
constexpr std::int64_t kScoreRangeLimit = std::int64_t{1} << 27;
// The same for 32-bit keys, whose score has 16 bits: a row's cells lie within
// a monomer's score range (padding included) of the best score, so with
// ranges up to 2^12 and the base line moved past 2^12 they stay within
// +-3 * 2^12.
constexpr std::int64_t kNarrowRebaseAt = std::int64_t{1} << 12;
constexpr std::int64_t kNarrowScoreRangeLimit = std::int64_t{1} << 12;

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

// Which oriented monomers the rows compute (TypeRun): run r covers the
// record bases from ends[r - 1] (0 for the first) to ends[r].
struct ActivePlan {
    std::vector<std::size_t> ends;
    std::vector<std::vector<std::uint32_t>> monomers;

    // The run of record base b (the last one past its end).
    std::size_t RunOf(std::size_t b) const {
        const auto at = std::upper_bound(ends.begin(), ends.end(), b) - ends.begin();
        return std::min(static_cast<std::size_t>(at), ends.size() - 1);
    }
};

constexpr std::size_t kNoRun = std::numeric_limits<std::size_t>::max();

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

// Calls f(cell) for every cell of the monomers (carry vectors included).
template <typename Key, typename F>
void ForCells(const Layout& layout, const std::vector<std::uint32_t>& monomers, Key* row, const F& f) {
    const bool carries = layout.rowLength > layout.cells;
    for (const std::uint32_t m : monomers) {
        Key* first = row + layout.offset[m];
        for (Key* cell = first; cell != first + layout.vectors[m] * layout.lanes; ++cell) f(*cell);
        if (!carries) continue;
        Key* carry = row + layout.cells + m * layout.lanes;
        for (std::size_t k = 0; k < layout.lanes; ++k) f(carry[k]);
    }
}

// Where a run of the DP stands after a position: the row, the base line of
// its scores, the best score relative to it, the epoch of its starts, and
// `origin`, the record position the run began from (its fresh start); `run`:
// the plan's run of the monomers it computed last (the others' cells are
// stale and start afresh when their run comes).
template <typename Key>
struct RowState {
    std::vector<Key> row;
    std::size_t run = kNoRun;
    std::size_t origin = 0;
    std::int64_t baseLine = 0;
    std::int64_t relative = 0;  // best[i - 1] - baseLine
    std::int64_t epoch = 0;
    std::int64_t previousBest = 0;  // best[i - 1]
};

// Runs the DP with keys of type Key (the score above `startBits` bits of
// segment start) over the record positions from + 1 ... to, carrying `state`
// along, and sets their trace entries (see DecomposeTrace.h: per position the
// last segment's oriented monomer and length and the step of the best score).
// The starts are relative to an epoch that moves up when the newest start
// would leave the window; false when some cell's start is too far behind for
// that (only 32-bit keys have so small a window), the trace then is
// incomplete. With `captured`, the state after position `capture` goes there.
// Moves `state` to the plan's run of base b: the monomers that the previous
// run did not compute start afresh (no segment of theirs runs in).
template <typename Key>
void EnterRun(const Layout& layout, const ActivePlan& plan, std::size_t b, Key negative, RowState<Key>& state) {
    if (state.run != kNoRun && b < plan.ends[state.run]) return;
    const std::size_t run = plan.RunOf(b);
    if (run == state.run) return;
    std::vector<std::uint32_t> fresh;
    if (state.run == kNoRun) {
        fresh = plan.monomers[run];
    } else {
        std::set_difference(plan.monomers[run].begin(), plan.monomers[run].end(), plan.monomers[state.run].begin(),
                            plan.monomers[state.run].end(), std::back_inserter(fresh));
    }
    ForCells(layout, fresh, state.row.data(), [&](Key& cell) { cell = negative; });
    state.run = run;
}

// Row i of the DP: the epoch of the starts moved up when the newest start
// would leave the window of the keys (false when some cell's start is too far
// behind for that), the plan's run of base i - 1 entered, and the row stepped
// from the state's best score.
template <typename Key, typename Step>
bool StepRow(std::string_view sequence, const Layout& layout, const ActivePlan& plan, int startBits,
             Key negative, const Step& step, RowState<Key>& state, std::size_t i) {
    const std::int64_t window = std::int64_t{1} << std::min(startBits, 62);
    const std::int64_t startMask = window - 1;
    std::vector<Key>& row = state.row;
    const auto local = static_cast<std::int64_t>(i - state.origin);
    if (local - 1 - state.epoch == startMask && state.run != kNoRun) {
        std::int64_t earliest = startMask;
        const std::vector<std::uint32_t>& computed = plan.monomers[state.run];
        ForCells(layout, computed, row.data(),
                 [&](Key& cell) { earliest = std::min<std::int64_t>(earliest, cell & startMask); });
        if (earliest < window / 4) return false;
        ForCells(layout, computed, row.data(), [&](Key& cell) { cell = static_cast<Key>(cell - earliest); });
        state.epoch += earliest;
    }
    EnterRun(layout, plan, i - 1, negative, state);
    const std::vector<std::uint32_t>& active = plan.monomers[state.run];
    const int code = BaseCode(static_cast<unsigned char>(sequence[i - 1]));
    const Key startKey = static_cast<Key>(ScoreKey(state.relative, startBits) + (local - 1 - state.epoch));
    step(ActiveMonomers{active.data(), active.size()}, code, startKey, row.data());
    return true;
}

// The highest key of a segment ending at the row, and its oriented monomer
// (the first of the active ones among equal keys).
template <typename Key>
std::pair<Key, std::uint32_t> TopOf(const Layout& layout, const std::vector<std::uint32_t>& active,
                                    const std::vector<Key>& row) {
    Key top = row[layout.last[active[0]]];
    std::uint32_t topMonomer = active[0];
    for (std::size_t a = 1; a < active.size(); ++a) {
        const Key key = row[layout.last[active[a]]];
        if (key > top) {
            top = key;
            topMonomer = active[a];
        }
    }
    return {top, topMonomer};
}

// The row moved to a new base line when its scores stray past rebaseAt.
template <typename Key>
void Rebase(const Layout& layout, const std::vector<std::uint32_t>& active, int startBits,
            std::int64_t rebaseAt, RowState<Key>& state) {
    if (state.relative <= rebaseAt && state.relative >= -rebaseAt) return;
    const Key shift = static_cast<Key>(ScoreKey(state.relative, startBits));
    ForCells(layout, active, state.row.data(), [&](Key& cell) { cell = static_cast<Key>(cell - shift); });
    state.baseLine += state.relative;
    state.relative = 0;
}

template <typename Key, typename Step>
bool RunRows(std::string_view sequence, const Layout& layout, const ActivePlan& plan, int startBits,
             std::int64_t rebaseAt, Key negative, const Step& step, RowState<Key>& state, std::size_t from,
             std::size_t to, PackedTrace& trace, std::size_t capture = 0, RowState<Key>* captured = nullptr) {
    const std::int64_t startMask = (std::int64_t{1} << std::min(startBits, 62)) - 1;
    const std::vector<Key>& row = state.row;
    for (std::size_t i = from + 1; i <= to; ++i) {
        const auto local = static_cast<std::int64_t>(i - state.origin);
        if (!StepRow(sequence, layout, plan, startBits, negative, step, state, i)) return false;
        const std::vector<std::uint32_t>& active = plan.monomers[state.run];
        const auto [top, topMonomer] = TopOf(layout, active, row);
        state.relative = static_cast<std::int64_t>(top) >> startBits;
        const std::int64_t best = state.baseLine + state.relative;
        trace.Set(i, topMonomer, static_cast<std::size_t>(local - (state.epoch + (top & startMask))),
                  best - state.previousBest);
        state.previousBest = best;
        Rebase(layout, active, startBits, rebaseAt, state);
        if (captured != nullptr && i == capture) *captured = state;
    }
    return true;
}

// Whether two runs at one position go on alike: every entry of their rows
// holds the same segment start and a score that differs by the same amount
// as their best scores do. The DP is then the same from there on, but for
// that amount, so every later trace entry is the same.
template <typename Key>
bool SameFuture(const Layout& layout, const ActivePlan& plan, const RowState<Key>& a, const RowState<Key>& b,
                int startBits) {
    if (a.row.size() != b.row.size() || a.run != b.run || a.run == kNoRun) return false;  // no state captured
    const std::int64_t startMask = (std::int64_t{1} << startBits) - 1;
    const std::int64_t shift = (a.baseLine + a.relative) - (b.baseLine + b.relative);
    if (a.previousBest - b.previousBest != shift) return false;
    const auto originA = static_cast<std::int64_t>(a.origin) + a.epoch;
    const auto originB = static_cast<std::int64_t>(b.origin) + b.epoch;
    bool same = true;
    const Key* rowA = a.row.data();
    // The same cells of b, found by their offset in a's row.
    ForCells(layout, plan.monomers[a.run], rowA, [&](const Key& cell) {
        const std::int64_t keyA = cell, keyB = b.row[static_cast<std::size_t>(&cell - rowA)];
        same = same && originA + (keyA & startMask) == originB + (keyB & startMask) &&
               (a.baseLine + (keyA >> startBits)) - (b.baseLine + (keyB >> startBits)) == shift;
    });
    return same;
}

// One record's DP cut into pieces for the threads (RecordThreads): piece k
// holds the trace entries of positions bounds[k] + 1 ... bounds[k + 1].
struct TracePieces {
    std::vector<std::size_t> bounds;
    std::vector<PackedTrace> traces;
    std::size_t overlap = 0;
    unsigned threads = 1;

    TracePieces(std::size_t n, const std::vector<std::string>& monomers, const Scoring& scoring,
                const RecordThreads& threading)
        : overlap(threading.overlap), threads(threading.threads) {
        const std::size_t count =
            threading.threads <= 1
                ? 1
                : std::clamp<std::size_t>(n / std::max<std::size_t>(threading.minPiece, 1), 1, threading.threads);
        for (std::size_t k = 0; k <= count; ++k) bounds.push_back(k * n / count);
        for (std::size_t k = 0; k < count; ++k) traces.emplace_back(n, monomers, scoring);
    }
    // The trace that holds position i (1 ... n).
    PackedTrace& At(std::size_t i) {
        std::size_t k = traces.size() - 1;
        while (i <= bounds[k]) --k;
        return traces[k];
    }
};

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

// What a DP run with a new set is checked against (ShadowRows): the trace of
// a run over the same bases with another set, and which types of that set the
// new one keeps in place (same index, same sequence).
struct Shadow {
    const PackedTrace& trace;
    const std::vector<char>& kept;
};

constexpr std::size_t kUndecided = std::numeric_limits<std::size_t>::max();

// The DP of the new set's rows over positions from + 1 ... to, each row
// started from the kept run's best score (carried in state.previousBest),
// not from its own: the rows a full DP of the new set has wherever its best
// scores are the kept ones. With `check`, at every position the kept run's
// last segment must be of a kept type and the changed types that the plan
// computes there (the others' rows are the kept run's) must end no segment
// that the full DP would take instead (a higher score, the same score with a
// later start, or the same start and an earlier type); by induction the full
// DP then has the kept run's trace at every position. Returns 0, the first
// position that fails, or kUndecided when a start leaves the window of the
// keys (as RunRows).
template <typename Key, typename Step>
std::size_t ShadowRows(std::string_view sequence, const Layout& layout, const ActivePlan& plan, int startBits,
                       std::int64_t rebaseAt, Key negative, const Step& step, const Shadow& shadow,
                       RowState<Key>& state, std::size_t from, std::size_t to, bool check) {
    const std::int64_t startMask = (std::int64_t{1} << std::min(startBits, 62)) - 1;
    const std::vector<Key>& row = state.row;
    for (std::size_t i = from + 1; i <= to; ++i) {
        const auto local = static_cast<std::int64_t>(i);
        if (!StepRow(sequence, layout, plan, startBits, negative, step, state, i)) return kUndecided;
        const std::vector<std::uint32_t>& active = plan.monomers[state.run];
        const std::int64_t best = state.previousBest + shadow.trace.Step(i);
        if (check) {
            const std::uint32_t keptMonomer = shadow.trace.Monomer(i);
            if (!shadow.kept[keptMonomer / 2]) return i;
            const auto [top, topMonomer] = TopOf(layout, active, row);
            const std::int64_t score = state.baseLine + (static_cast<std::int64_t>(top) >> startBits);
            const std::int64_t length = local - (state.epoch + (top & startMask));
            const auto keptLength = static_cast<std::int64_t>(shadow.trace.Length(i));
            if (score > best || (score == best && (length < keptLength ||
                                                   (length == keptLength && topMonomer < keptMonomer)))) {
                return i;
            }
        }
        state.previousBest = best;
        state.relative = best - state.baseLine;
        Rebase(layout, active, startBits, rebaseAt, state);
    }
    return 0;
}

// How many bases past a failed position the new set's own DP runs before it
// is checked to go on like the kept run's (the first segment of a window,
// often a partial monomer, goes to whichever type fits its bases best).
constexpr std::size_t kRepair = 2000;

// The new set's trace of a record where it provably is the kept run's from
// some position on: the changed types (`changed`, oriented indices of the
// layout's set) checked by ShadowRows from the first position, or, where that
// fails early, the new set's own DP up to a little past the failure, then
// checked to fall into step (SameFuture) with the rows driven by the kept best
// scores, and ShadowRows from there. Fills `trace` with the new set's trace
// (positions past the repair from the kept one) and returns true, false when
// that does not hold, or nothing when a start leaves the window of the keys.
template <typename Key, typename Step>
std::optional<bool> RunAgain(std::string_view sequence, const Layout& layout,
                             const std::vector<std::uint32_t>& changed, int startBits, std::int64_t rebaseAt,
                             Key negative, const Step& step, const Shadow& shadow, PackedTrace& trace) {
    const std::size_t n = sequence.size();
    const std::size_t oriented = layout.offset.size();
    std::size_t repair = 0;  // positions the new set's own DP runs
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<TypeRun> runs;
        if (repair > 0) {
            runs.push_back({repair, {}});
            for (std::uint32_t m = 0; m < oriented; ++m) runs.back().oriented.push_back(m);
        }
        runs.push_back({n, changed});
        const ActivePlan plan = MakePlan(runs, oriented, n);
        RowState<Key> driven;
        driven.row.assign(layout.rowLength, negative);
        trace.Clear();
        if (repair > 0) {
            RowState<Key> own;
            own.row.assign(layout.rowLength, negative);
            if (!RunRows(sequence, layout, plan, startBits, rebaseAt, negative, step, own, 0, repair,
                         trace) ||
                ShadowRows(sequence, layout, plan, startBits, rebaseAt, negative, step, shadow, driven, 0,
                           repair, false) != 0) {
                return std::nullopt;
            }
            if (!SameFuture(layout, plan, own, driven, startBits)) return false;
        }
        const std::size_t failed = ShadowRows(sequence, layout, plan, startBits, rebaseAt, negative, step,
                                              shadow, driven, repair, n, true);
        if (failed == kUndecided) return std::nullopt;
        if (failed == 0) {
            for (std::size_t i = repair + 1; i <= n; ++i) {
                trace.Set(i, shadow.trace.Monomer(i), shadow.trace.Length(i), shadow.trace.Step(i));
            }
            return true;
        }
        repair = failed + kRepair;
        if (2 * repair > n) return false;
    }
    return false;
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

// run(layout, step, startBits, rebaseAt, negative) with the kernel's 32-bit
// keys when it has them and the scores fit, and with 64-bit keys when there
// are none or run answers nothing with them (a start left their window).
template <typename Run>
bool WithKeys(const std::vector<std::string>& monomers, const Scoring& scoring, DecomposeKernel kernel,
              const Run& run) {
#if defined(__x86_64__)
    const bool narrow = kernel == DecomposeKernel::Avx512Narrow || kernel == DecomposeKernel::Avx2;
    if (narrow && NarrowKeysFit(monomers, scoring)) {
        const bool avx2 = kernel == DecomposeKernel::Avx2;
        const Layout layout = BuildLayout(monomers, scoring, avx2 ? kAvx2Lanes : kAvx512NarrowLanes, true);
        const auto step = [&](const ActiveMonomers& active, int code, std::int32_t startKey, std::int32_t* row) {
            (avx2 ? RowAvx2 : RowAvx512Narrow)(layout, active, code, startKey, row);
        };
        const std::optional<bool> done =
            run(layout, step, kNarrowStartBits, kNarrowRebaseAt, kNarrowNegative);
        if (done) {
            return *done;
        }
    }
    // AVX2 has no 64-bit kernel: its fallback is the portable one.
    const bool avx512 = kernel == DecomposeKernel::Avx512 || kernel == DecomposeKernel::Avx512Narrow;
    const RowKernel row = avx512 ? RowAvx512 : RowPortable;
    const Layout layout = BuildLayout(monomers, scoring, avx512 ? kAvx512Lanes : 1, false);
#else
    (void)kernel;
    const RowKernel row = RowPortable;
    const Layout layout = BuildLayout(monomers, scoring, 1, false);
#endif
    const auto step = [&](const ActiveMonomers& active, int code, std::int64_t startKey, std::int64_t* cells) {
        row(layout, active, layout.profile.data() + code * layout.cells, startKey, cells);
    };
    return run(layout, step, kWideStartBits, kRebaseAt, kNegative).value_or(false);
}

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

// RunAgain with the kernel of FillTrace over the new set's oriented `monomers`.
bool FillAgain(std::string_view sequence, const std::vector<std::string>& monomers,
               const std::vector<std::uint32_t>& changed, const Scoring& scoring, DecomposeKernel kernel,
               const Shadow& shadow, PackedTrace& trace) {
    return WithKeys(
        monomers, scoring, kernel,
        [&](const Layout& layout, const auto& step, int startBits, std::int64_t rebaseAt, auto negative) {
            return RunAgain(sequence, layout, changed, startBits, rebaseAt, negative, step, shadow, trace);
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

}  // namespace

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

KeptDecomposition DecomposeKeeping(std::string_view sequence, const std::vector<MonomerType>& types,
                                   const Scoring& scoring) {
    if (const std::string error = DecomposeLimitError(types, scoring, sequence.size()); !error.empty()) {
        throw std::invalid_argument(error);
    }
    KeptDecomposition kept;
    for (const MonomerType& type : types) kept.types.push_back(type.sequence);
    if (sequence.empty()) return kept;
    const std::vector<std::string> monomers = Oriented(types);
    TracePieces trace(sequence.size(), monomers, scoring, RecordThreads{});
    FillTrace(sequence, monomers, scoring, BestKernel(), MakePlan({}, monomers.size(), sequence.size()),
              trace);
    kept.segments = Traceback(sequence, monomers, trace, true);
    kept.trace = std::make_shared<const PackedTrace>(std::move(trace.traces[0]));
    return kept;
}

std::optional<KeptDecomposition> DecomposeAgain(std::string_view sequence,
                                                const std::vector<MonomerType>& types, const Scoring& scoring,
                                                const KeptDecomposition& kept) {
    if (!kept.trace || sequence.empty() || !DecomposeLimitError(types, scoring, sequence.size()).empty()) {
        return std::nullopt;
    }
    std::vector<char> same(kept.types.size(), 0);
    std::vector<std::uint32_t> changed;
    for (std::size_t t = 0; t < types.size(); ++t) {
        if (t < same.size() && kept.types[t] == types[t].sequence) {
            same[t] = 1;
        } else {
            changed.push_back(static_cast<std::uint32_t>(2 * t));
            changed.push_back(static_cast<std::uint32_t>(2 * t + 1));
        }
    }
    if (changed.size() > types.size()) return std::nullopt;  // more than half the types changed
    KeptDecomposition again;
    for (const MonomerType& type : types) again.types.push_back(type.sequence);
    const Shadow shadow{*kept.trace, same};
    if (changed.empty()) {
        for (std::size_t i = 1; i <= sequence.size(); ++i) {
            if (!same[shadow.trace.Monomer(i) / 2]) return std::nullopt;
        }
        again.segments = kept.segments;
        again.trace = kept.trace;
        return again;
    }
    const std::vector<std::string> monomers = Oriented(types);
    TracePieces trace(sequence.size(), monomers, scoring, RecordThreads{});
    if (!FillAgain(sequence, monomers, changed, scoring, BestKernel(), shadow, trace.traces[0])) {
        return std::nullopt;
    }
    again.segments = Traceback(sequence, monomers, trace, true);
    again.trace = std::make_shared<const PackedTrace>(std::move(trace.traces[0]));
    return again;
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
