#include "infer/StretchMonomers.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "common/Parallel.h"
#include "infer/GroupConsensus.h"
#include "infer/InfixFit.h"
#include "infer/LeaderClusters.h"
#include "infer/TandemPeriod.h"

namespace horgrid::infer {

double RotatedApart(const std::string& monomer, const std::vector<std::string>& near) {
    std::size_t best = monomer.size();
    for (const std::string& other : near) best = std::min(best, InfixEdits(monomer, other + other));
    return monomer.empty() ? 100.0 : 100.0 * static_cast<double>(best) / static_cast<double>(monomer.size());
}

namespace {

// The pieces of the segments that lie in a tandem stretch and in no stretch
// of HorClass, of at least minIdentity, ACGT only and within a third of their
// type's length (one monomer each, not two nor half of one).
std::vector<std::string> OutsidePieces(const std::vector<std::string>& sequences, const State& state,
                                       const InferSettings& settings) {
    std::vector<std::string> pieces;
    const RegionClass kind = HorClass(state.regions);
    for (const ArrayStretch& stretch : state.regions) {
        if (stretch.kind == kind) continue;
        const std::vector<Segment>& record = state.segments[stretch.record];
        for (std::size_t i = stretch.first; i <= stretch.last; ++i) {
            const Segment& segment = record[i];
            const bool tandem =
                std::any_of(state.tandem.begin(), state.tandem.end(), [&](const RecordWindow& w) {
                    return w.record == stretch.record &&
                           segment.start >= static_cast<std::int64_t>(w.begin) &&
                           segment.end < static_cast<std::int64_t>(w.end);
                });
            const std::size_t typeLength = state.set[segment.type].sequence.size();
            const auto length = static_cast<std::size_t>(segment.end - segment.start + 1);
            if (!tandem || segment.identity < settings.minIdentity || 3 * length < 2 * typeLength ||
                2 * length > 3 * typeLength) {
                continue;
            }
            std::string piece = Piece(sequences, state.segments, {stretch.record, i});
            if (piece.find_first_not_of("ACGT") == std::string::npos) pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

// Groups of the pieces at the closeness or, where that leaves most of them in
// no group of minCount, at the first looser level that groups most; largest
// first, summarised.
std::vector<Group> LooseGroups(const std::vector<std::string_view>& views, const InferSettings& settings) {
    std::vector<std::size_t> order(views.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<Group> groups;
    for (const float level : {1.0f, 1.5f, 2.0f, 2.5f}) {
        groups.clear();
        std::size_t grouped = 0;
        for (std::vector<std::size_t>& members : LeaderClusters(views, order, level * settings.closeness,
                                                                settings.threads, settings.leaderSample)) {
            if (members.size() < settings.minCount) continue;
            grouped += members.size();
            groups.push_back({std::move(members), {}, 0});
        }
        if (2 * grouped >= views.size()) break;
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.members.size() > b.members.size(); });
    ParallelFor(groups.size(), settings.threads,
                [&](std::size_t g, unsigned) { Summarise(groups[g], views, settings.consensusSample); });
    return groups;
}

// The pieces that `groups` leave out, as one group, when they are most of
// the pieces and five times minCount or more (copies so scattered that even
// the loosest level groups few; a consensus of that many recovers the
// ancestor they share): kept when its consensus lies within 100 -
// minIdentity of them on average and nearer than the nearest of `near` does
// (sampled); pieces of unrelated sequence give a consensus that fits none of
// them. Empty otherwise.
std::vector<Group> ScatteredRest(const std::vector<std::string_view>& views, const std::vector<Group>& groups,
                                 const std::vector<std::string>& near, const InferSettings& settings) {
    std::vector<bool> grouped(views.size(), false);
    for (const Group& group : groups)
        for (const std::size_t member : group.members) grouped[member] = true;
    Group rest;
    for (std::size_t k = 0; k < views.size(); ++k)
        if (!grouped[k]) rest.members.push_back(k);
    if (2 * rest.members.size() <= views.size() || rest.members.size() < 5 * settings.minCount) return {};
    Summarise(rest, views, settings.consensusSample);
    const std::size_t measured = std::min<std::size_t>(rest.members.size(), 100);
    double nearest = 0;
    for (std::size_t k = 0; k < measured; ++k) {
        const std::string_view piece = views[rest.members[k * rest.members.size() / measured]];
        float best = 100;
        for (const std::string& monomer : near) best = std::min(best, PercentApart(piece, monomer));
        nearest += best;
    }
    nearest /= static_cast<double>(measured);
    if (rest.spread >= 100.0 - settings.minIdentity || nearest <= rest.spread) return {};
    return {std::move(rest)};
}

}  // namespace

std::vector<std::size_t> ShiftedGroups(const std::vector<std::string>& consensuses, float mergeLimit) {
    std::vector<std::size_t> shifted;
    std::vector<std::string> kept;
    for (std::size_t g = 0; g < consensuses.size(); ++g) {
        const bool near = std::any_of(kept.begin(), kept.end(), [&](const std::string& other) {
            return PercentApart(consensuses[g], other) < mergeLimit;
        });
        if (!near && !kept.empty() && RotatedApart(consensuses[g], kept) < mergeLimit) {
            shifted.push_back(g);
        } else {
            kept.push_back(consensuses[g]);
        }
    }
    return shifted;
}

std::vector<std::string> UnfitPeriods(const std::vector<std::string>& sequences, const State& state,
                                      std::size_t period, const InferSettings& settings) {
    std::vector<std::string> own;
    TandemPeriodSettings reach = settings.period;
    reach.minPeriod = period / 2;
    reach.maxPeriod = 2 * period;
    const std::size_t least = 10 * period;
    for (const RecordWindow& window : state.tandem) {
        const std::string& record = sequences[window.record];
        const std::vector<Segment>& segments = state.segments[window.record];
        std::size_t from = window.begin;  // first base not fitted
        const auto unfit = [&](std::size_t to) {
            if (to < from + least) return;
            const TandemPeriod found = FindTandemPeriod({record.substr(from, to - from)}, reach);
            if (found.period == 0 || found.start + found.period > to - from) return;
            std::string piece = record.substr(from + found.start, found.period);
            if (piece.find_first_not_of("ACGT") == std::string::npos &&
                RotatedApart(piece, own) >= 2.0 * settings.closeness) {
                own.push_back(std::move(piece));
            }
        };
        auto at = std::lower_bound(segments.begin(), segments.end(), static_cast<std::int64_t>(window.begin),
                                   [](const Segment& s, std::int64_t position) { return s.end < position; });
        for (; at != segments.end() && at->start < static_cast<std::int64_t>(window.end); ++at) {
            if (at->identity < settings.minIdentity) continue;
            unfit(std::max(from, static_cast<std::size_t>(std::max<std::int64_t>(at->start, 0))));
            from = std::max(from, static_cast<std::size_t>(at->end + 1));
        }
        unfit(std::min(window.end, record.size()));
    }
    return own;
}

std::vector<std::string> StretchMonomers(const std::vector<std::string>& sequences, const State& state,
                                         const std::vector<std::string>& near,
                                         const InferSettings& settings) {
    if (state.tandem.empty()) return {};
    const std::vector<std::string> pieces = OutsidePieces(sequences, state, settings);
    if (pieces.size() < settings.minCount) return {};
    const std::vector<std::string_view> views(pieces.begin(), pieces.end());
    std::vector<std::string> own;
    std::vector<Group> groups = LooseGroups(views, settings);
    const std::size_t loose = groups.size();
    for (Group& rest : ScatteredRest(views, groups, near, settings)) groups.push_back(std::move(rest));
    for (std::size_t g = 0; g < groups.size(); ++g) {
        // The scattered rest fits its copies better than the live monomers
        // do, so it needs to lie only the closeness from them.
        const double apart = g < loose ? 2.0 * settings.closeness : settings.closeness;
        if (RotatedApart(groups[g].consensus, near) < apart) continue;
        const auto close = [&](const std::string& monomer) {
            return PercentApart(groups[g].consensus, monomer) < settings.mergeLimit;
        };
        if (std::none_of(own.begin(), own.end(), close)) own.push_back(groups[g].consensus);
    }
    // An old array is read in one phase too: a group that is an earlier one
    // cut in another phase gives no monomer, its segments belong to that one.
    const std::vector<std::size_t> shifted = ShiftedGroups(own, settings.mergeLimit);
    for (auto g = shifted.rbegin(); g != shifted.rend(); ++g)
        own.erase(own.begin() + static_cast<std::ptrdiff_t>(*g));
    return own;
}

}  // namespace horgrid::infer
