#include <memory>
#include <optional>

#include "decompose/DecomposeRows.h"
#include "decompose/KeptDecomposition.h"

namespace horgrid {
namespace {

using namespace decompose;

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

// How many bases past a failed position the new set's own DP runs at least
// before it is checked to go on like the kept run's.
constexpr std::size_t kRepair = 2000;

// The new set's row after a position of a kept row (`keptRow`, of the kept
// layout in `rows`) where the new set's best scores up to there are the kept
// run's: the cells of the kept types from the kept row, those of the changed
// ones from `driven` (ShadowRows to the same position), in the kept row's
// frame. Empty when a changed cell's start does not fit that frame's keys.
template <typename Key>
std::optional<RowState<Key>> Merge(const Layout& layout, const std::vector<char>& kept, const KeptRows& rows,
                                   const RowState<Key>& keptRow, const RowState<Key>& driven, int startBits) {
    const std::int64_t startMask = (std::int64_t{1} << std::min(startBits, 62)) - 1;
    RowState<Key> out = keptRow;
    out.row = driven.row;
    const bool carries = layout.rowLength > layout.cells;
    const std::size_t lanes = layout.lanes;
    bool fits = true;
    for (std::size_t m = 0; m < layout.offset.size(); ++m) {
        Key* to = out.row.data() + layout.offset[m];
        Key* carry = carries ? out.row.data() + layout.cells + m * lanes : nullptr;
        if (m / 2 < kept.size() && kept[m / 2]) {
            const Key* from = keptRow.row.data() + rows.offset[m];
            std::copy(from, from + rows.vectors[m] * lanes, to);
            if (carries) std::copy_n(keptRow.row.data() + rows.cells + m * lanes, lanes, carry);
            continue;
        }
        if (driven.baseLine == out.baseLine && driven.epoch == out.epoch && driven.origin == out.origin)
            continue;
        const auto convert = [&](Key& cell) {
            const std::int64_t key = cell;
            const std::int64_t score = driven.baseLine + (key >> startBits) - out.baseLine;
            const std::int64_t start = static_cast<std::int64_t>(driven.origin) + driven.epoch +
                                       (key & startMask) - static_cast<std::int64_t>(out.origin) - out.epoch;
            fits = fits && start >= 0 && start <= startMask;
            cell = static_cast<Key>(ScoreKey(score, startBits) + start);
        };
        std::for_each(to, to + layout.vectors[m] * lanes, convert);
        if (carries) std::for_each(carry, carry + lanes, convert);
    }
    if (!fits) return std::nullopt;
    return out;
}

// The state moved to a frame of best scores `shift` higher.
template <typename Key>
RowState<Key> Shifted(RowState<Key> state, std::int64_t shift) {
    state.baseLine += shift;
    state.previousBest += shift;
    return state;
}

// Everything RunAgain carries along: the plans of all and of the changed
// oriented monomers, the kept run's rows (null when they are not of these
// keys and lanes) and the new run's rows, complete or given up.
template <typename Key>
struct Again {
    ActivePlan all;
    ActivePlan only;
    const std::vector<char>& kept;
    const KeptRows* keptRows;
    KeptRows& rows;
    bool complete = true;

    // The new set's row at kept row k (position (k + 1) * kRowsEvery), in
    // the new trace's frame `shift`, from the changed cells `driven` there.
    std::optional<RowState<Key>> At(const Layout& layout, std::size_t k, const RowState<Key>& driven,
                                    int startBits, std::int64_t shift) const {
        if (keptRows == nullptr) return std::nullopt;
        std::optional<RowState<Key>> merged =
            Merge(layout, kept, *keptRows, keptRows->Of<Key>()[k], driven, startBits);
        if (merged) *merged = Shifted(std::move(*merged), shift);
        return merged;
    }
    // Keeps the new set's row at a position that is a multiple of kRowsEvery.
    void Keep(std::size_t position, std::size_t n, std::optional<RowState<Key>> row) {
        if (position % kRowsEvery != 0 || position >= n) return;
        complete = complete && row.has_value();
        if (complete) rows.Of<Key>().push_back(std::move(*row));
    }
};

// The new set's trace of a record from the kept one: ShadowRows checks the
// changed types (`changed`, oriented indices of the layout's set) from the
// first position; where that fails, the new set's whole DP runs from the last
// kept row before the failure (merged with the changed types' rows there) or
// from where the check began, at least kRepair bases past the failure, to a
// kept row where it is in step (SameFuture) with the rows driven by the kept
// best scores, and the check goes on from there. So the trace is always the
// new set's, taken from the kept one where that is proven. Fills `trace` and
// `again.rows`; nothing when a start leaves the window of the keys.
template <typename Key, typename Step>
std::optional<bool> RunAgain(std::string_view sequence, const Layout& layout, int startBits,
                             std::int64_t rebaseAt, Key negative, const Step& step, const Shadow& shadow,
                             Again<Key>& again, PackedTrace& trace) {
    const std::size_t n = sequence.size();
    const auto next = [&](std::size_t p) { return std::min(n, (p / kRowsEvery + 1) * kRowsEvery); };
    RowState<Key> own, driven;  // the new set's state at `at`, and the changed types' driven there
    own.row.assign(layout.rowLength, negative);
    driven.row.assign(layout.rowLength, negative);
    std::int64_t shift = 0;  // the new best score less the kept one from `at` on
    std::size_t brief = 0;   // checks from a kept row in step that failed before the next kept row
    trace.Clear();
    for (std::size_t at = 0;;) {
        RowState<Key> drivenAt = driven;  // where the check starts
        std::size_t passed = at;          // the last kept row passed, and the changed rows there
        RowState<Key> drivenPassed;
        std::size_t failed = 0;
        for (std::size_t p = at; p < n && failed == 0; p = next(p)) {
            failed = ShadowRows(sequence, layout, again.only, startBits, rebaseAt, negative, step, shadow,
                                driven, p, next(p), true);
            if (failed == kUndecided) return std::nullopt;
            if (failed != 0 || next(p) == n) break;
            passed = next(p);
            drivenPassed = driven;
            again.Keep(passed, n, again.At(layout, passed / kRowsEvery - 1, driven, startBits, shift));
        }
        std::optional<RowState<Key>> start;
        if (failed != 0 && passed > at)
            start = again.At(layout, passed / kRowsEvery - 1, drivenPassed, startBits, shift);
        std::size_t from = start ? passed : at;
        for (std::size_t i = at + 1; i <= (failed == 0 ? n : from); ++i) {
            trace.Set(i, shadow.trace.Monomer(i), shadow.trace.Length(i), shadow.trace.Step(i));
        }
        if (failed == 0) return true;
        brief += at > 0 && passed == at;
        if (start) {
            own = std::move(*start);
            driven = std::move(drivenPassed);
        } else {
            driven = std::move(drivenAt);
        }
        // The whole DP from `from` to a kept row where it goes on like the kept
        // run. Not in step at two kept rows in a row, or twice in step only
        // briefly: the changes reach everywhere, the rest in full.
        for (std::size_t missed = 0;; ++missed) {
            const bool seek = again.keptRows != nullptr && brief < 2 && missed < 2;
            const std::size_t to = seek ? next(std::max(from, failed + kRepair)) : n;
            for (std::size_t p = from; p < to; p = next(p)) {
                if (!RunRows(sequence, layout, again.all, startBits, rebaseAt, negative, step, own, p,
                             next(p), trace))
                    return std::nullopt;
                again.Keep(next(p), n, own);
            }
            if (to == n) return true;
            if (ShadowRows(sequence, layout, again.only, startBits, rebaseAt, negative, step, shadow, driven,
                           from, to, false) != 0) {
                return std::nullopt;
            }
            const std::optional<RowState<Key>> kept =
                again.At(layout, to / kRowsEvery - 1, driven, startBits, 0);
            from = to;
            if (kept && SameFuture(layout, again.all, own, *kept, startBits)) {
                shift = (own.baseLine + own.relative) - (kept->baseLine + kept->relative);
                at = to;
                break;
            }
        }
    }
}

// The whole DP into `trace`, keeping its rows every kRowsEvery positions in `rows`.
template <typename Key, typename Step>
std::optional<bool> RunKeeping(std::string_view sequence, const Layout& layout, int startBits,
                               std::int64_t rebaseAt, Key negative, const Step& step, PackedTrace& trace,
                               KeptRows& rows) {
    const std::size_t n = sequence.size();
    const ActivePlan plan = MakePlan({}, layout.offset.size(), n);
    RowState<Key> state;
    state.row.assign(layout.rowLength, negative);
    trace.Clear();
    for (std::size_t from = 0; from < n; from += kRowsEvery) {
        const std::size_t to = std::min(n, from + kRowsEvery);
        if (!RunRows(sequence, layout, plan, startBits, rebaseAt, negative, step, state, from, to, trace))
            return std::nullopt;
        if (to < n) rows.Of<Key>().push_back(state);
    }
    return true;
}

// Whether the kept run chooses a type that changed between every two kept
// rows: the check would fail in each stretch, so the DP is run whole at once.
bool ChangedEverywhere(const Shadow& shadow, std::size_t n) {
    for (std::size_t from = 0; from < n; from += kRowsEvery) {
        bool changed = false;
        for (std::size_t i = from + 1; i <= std::min(n, from + kRowsEvery) && !changed; ++i)
            changed = !shadow.kept[shadow.trace.Monomer(i) / 2];
        if (!changed) return false;
    }
    return true;
}

// RunAgain with the kernel of FillTrace over the new set's oriented `monomers`.
bool FillAgain(std::string_view sequence, const std::vector<std::string>& monomers,
               const std::vector<std::uint32_t>& changed, const Scoring& scoring, DecomposeKernel kernel,
               const Shadow& shadow, const KeptRows* keptRows, PackedTrace& trace, KeptRows& rows) {
    const std::size_t n = sequence.size();
    const bool everywhere = ChangedEverywhere(shadow, n);
    return WithKeys(
        monomers, scoring, kernel,
        [&](const Layout& layout, const auto& step, int startBits, std::int64_t rebaseAt, auto negative) {
            using Key = decltype(negative);
            rows = KeptRows{layout.lanes, layout.cells, layout.offset, layout.vectors, {}, {}};
            if (everywhere)
                return RunKeeping(sequence, layout, startBits, rebaseAt, negative, step, trace, rows);
            const bool hold = keptRows != nullptr && keptRows->Hold<Key>(layout, n);
            Again<Key> again{MakePlan({}, layout.offset.size(), n),
                             MakePlan({{n, changed}}, layout.offset.size(), n), shadow.kept,
                             hold ? keptRows : nullptr, rows};
            const std::optional<bool> done =
                RunAgain(sequence, layout, startBits, rebaseAt, negative, step, shadow, again, trace);
            if (done && !again.complete) rows.Of<Key>().clear();
            return done;
        });
}

// The DP of the whole set into `trace`, keeping its rows every kRowsEvery positions.
void FillKeeping(std::string_view sequence, const std::vector<std::string>& monomers, const Scoring& scoring,
                 PackedTrace& trace, KeptRows& rows) {
    WithKeys(
        monomers, scoring, BestKernel(),
        [&](const Layout& layout, const auto& step, int startBits, std::int64_t rebaseAt, auto negative) {
            rows = KeptRows{layout.lanes, layout.cells, layout.offset, layout.vectors, {}, {}};
            return RunKeeping(sequence, layout, startBits, rebaseAt, negative, step, trace, rows);
        });
}

}  // namespace

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
    auto rows = std::make_shared<KeptRows>();
    FillKeeping(sequence, monomers, scoring, trace.traces[0], *rows);
    kept.segments = Traceback(sequence, monomers, trace, true);
    kept.trace = std::make_shared<const PackedTrace>(std::move(trace.traces[0]));
    kept.rows = std::move(rows);
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
        again.rows = kept.rows;
        return again;
    }
    const std::vector<std::string> monomers = Oriented(types);
    TracePieces trace(sequence.size(), monomers, scoring, RecordThreads{});
    auto rows = std::make_shared<KeptRows>();
    if (!FillAgain(sequence, monomers, changed, scoring, BestKernel(), shadow, kept.rows.get(),
                   trace.traces[0], *rows)) {
        return std::nullopt;
    }
    again.segments = Traceback(sequence, monomers, trace, true);
    again.trace = std::make_shared<const PackedTrace>(std::move(trace.traces[0]));
    again.rows = std::move(rows);
    return again;
}

}  // namespace horgrid
