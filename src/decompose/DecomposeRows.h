#pragma once

// The DP driver shared by the decomposition (Decompose.cpp) and its take-over
// from a kept one (DecomposeAgain.cpp): the rows a run carries along, the
// plan of the monomers it computes, and the choice of keys. Internal to the
// decomposition; Decompose.h is the interface.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "decompose/Decompose.h"
#include "decompose/DecomposeEngine.h"
#include "decompose/DecomposeKernels.h"
#include "decompose/DecomposeTrace.h"

namespace horgrid::decompose {

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
std::vector<std::string> Oriented(const std::vector<MonomerType>& types);

// The sum of the four score magnitudes.
std::int64_t Magnitudes(const Scoring& scoring);

Layout BuildLayout(const std::vector<std::string>& monomers, const Scoring& scoring, std::size_t lanes,
                   bool narrow);

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

ActivePlan MakePlan(const std::vector<TypeRun>& runs, std::size_t monomers, std::size_t n);

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
void EnterRun(const Layout& layout, const ActivePlan& plan, std::size_t b, Key negative,
              RowState<Key>& state) {
    if (state.run != kNoRun && b < plan.ends[state.run]) return;
    const std::size_t run = plan.RunOf(b);
    if (run == state.run) return;
    std::vector<std::uint32_t> fresh;
    if (state.run == kNoRun) {
        fresh = plan.monomers[run];
    } else {
        std::set_difference(plan.monomers[run].begin(), plan.monomers[run].end(),
                            plan.monomers[state.run].begin(), plan.monomers[state.run].end(),
                            std::back_inserter(fresh));
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
            threading.threads <= 1 ? 1
                                   : std::clamp<std::size_t>(n / std::max<std::size_t>(threading.minPiece, 1),
                                                             1, threading.threads);
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

// A kept run's rows after the positions kRowsEvery, 2 kRowsEvery, ... before
// the record's end, so that a run with another set can start there
// (DecomposeAgain): the rows, of the keys the run had, and the place of each
// oriented monomer's cells in the kept layout. About 8 bytes a base with 30
// monomers of 180 bases and 32-bit keys.
inline constexpr std::size_t kRowsEvery = 16384;

struct KeptRows {
    std::size_t lanes = 0;
    std::size_t cells = 0;  // the layout's cells; the carry vectors follow them
    std::vector<std::size_t> offset;
    std::vector<std::size_t> vectors;
    std::vector<RowState<std::int32_t>> narrow;  // with 32-bit keys
    std::vector<RowState<std::int64_t>> wide;    // with 64-bit keys

    template <typename Key>
    std::vector<RowState<Key>>& Of() {
        if constexpr (sizeof(Key) == 4) {
            return narrow;
        } else {
            return wide;
        }
    }
    template <typename Key>
    const std::vector<RowState<Key>>& Of() const {
        return const_cast<KeptRows*>(this)->Of<Key>();
    }
    // Whether rows of `Key` for every kRowsEvery-th position of n bases are
    // here, with the lanes of `layout`.
    template <typename Key>
    bool Hold(const Layout& layout, std::size_t n) const {
        return lanes == layout.lanes && Of<Key>().size() == (n - 1) / kRowsEvery;
    }
};

#if defined(__x86_64__)
// Whether every monomer's score range, padding of a 32-bit vector included,
// fits 32-bit keys.
bool NarrowKeysFit(const std::vector<std::string>& monomers, const Scoring& scoring);
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
        const auto step = [&](const ActiveMonomers& active, int code, std::int32_t startKey,
                              std::int32_t* row) {
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
    const auto step = [&](const ActiveMonomers& active, int code, std::int64_t startKey,
                          std::int64_t* cells) {
        row(layout, active, layout.profile.data() + code * layout.cells, startKey, cells);
    };
    return run(layout, step, kWideStartBits, kRebaseAt, kNegative).value_or(false);
}

// The DP with the given kernel into `trace`: 32-bit keys when the kernel has
// them, the scores fit and no start leaves their window, else 64-bit keys.
void FillTrace(std::string_view sequence, const std::vector<std::string>& monomers, const Scoring& scoring,
               DecomposeKernel kernel, const ActivePlan& plan, TracePieces& trace);

// The segments of a filled trace, from the last position down; each block of
// the trace is released as the traceback passes below it unless `keep`.
std::vector<Segment> Traceback(std::string_view sequence, const std::vector<std::string>& monomers,
                               TracePieces& trace, bool keep);

// The fastest kernel the processor runs, chosen on the first call.
DecomposeKernel BestKernel();

}  // namespace horgrid::decompose
