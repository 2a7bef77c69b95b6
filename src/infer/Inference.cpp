#include "infer/Inference.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <tuple>
#include <utility>

#include "common/Parallel.h"
#include "decompose/ChunkedDecompose.h"
#include "decompose/Decompose.h"
#include "ensemble/SupracromReferences.h"
#include "infer/GroupConsensus.h"
#include "infer/HorColumns.h"
#include "infer/InferState.h"
#include "infer/InferredNames.h"
#include "infer/LeaderClusters.h"
#include "infer/StandardMonomers.h"
#include "infer/StretchMonomers.h"
#include "infer/TemplateHits.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"

namespace horgrid {
namespace {

using infer::ColumnSegments;
using infer::Decomposition;
using infer::HorClass;
using infer::JoinedLineage;
using infer::JoinStandardLineages;
using infer::LiveSegment;
using infer::LiveSegments;
using infer::Piece;
using infer::PlaceTiedSegments;
using infer::ShiftedGroups;
using infer::SplitByColumn;
using infer::SplitByContext;
using infer::SplitHybrids;
using infer::TypeCounts;
using infer::State;
using infer::StretchMonomers;
using infer::UnfitPeriods;

using Window = RecordWindow;

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool OnlyAcgt(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == 'A' || c == 'C' || c == 'G' || c == 'T'; });
}

RoundReport Report(std::size_t round, std::size_t monomers, const Decomposition& segments) {
    RoundReport report{round, monomers, 0, 0};
    std::size_t count = 0;
    for (const std::vector<Segment>& record : segments) {
        for (const Segment& segment : record) {
            report.score += segment.score;
            report.identity += segment.identity;
            ++count;
        }
    }
    if (count > 0) report.identity /= static_cast<double>(count);
    return report;
}

// Decomposes the windows with `set` and puts their segments in place of the
// base decomposition's segments there; the base segments outside keep their
// type plus `offset`. `kept`: the decomposition's windows, in (those of an
// earlier one, whose windows with the same bases are taken over where the
// set decomposes them alike) and out.
Decomposition DecomposeWindows(const std::vector<std::string>& sequences, const std::vector<MonomerType>& set,
                               const std::vector<Window>& windows, const Decomposition& base,
                               std::size_t offset, const InferSettings& settings,
                               std::shared_ptr<const KeptWindows>& kept) {
    std::vector<std::string> parts;
    for (const Window& window : windows) {
        parts.push_back(sequences[window.record].substr(window.begin, window.end - window.begin));
    }
    auto after = std::make_shared<KeptWindows>();
    const Decomposition inside =
        DecomposeInWindowsKept(parts, set, settings.scoring, settings.threads, kept.get(), *after);
    kept = std::move(after);
    Decomposition result(sequences.size());
    std::vector<std::size_t> next(sequences.size(), 0);  // next base segment per record
    const auto keepBase = [&](std::size_t record, std::int64_t before) {
        const std::vector<Segment>& from = base[record];
        std::size_t& k = next[record];
        for (; k < from.size() && from[k].start < before; ++k) {
            if (from[k].end < before &&
                (result[record].empty() || from[k].start > result[record].back().end)) {
                result[record].push_back(from[k]);
                result[record].back().type += offset;
            }
        }
    };
    for (std::size_t w = 0; w < windows.size(); ++w) {
        const Window& window = windows[w];
        keepBase(window.record, static_cast<std::int64_t>(window.begin));
        for (Segment segment : inside[w]) {
            segment.start += static_cast<std::int64_t>(window.begin);
            segment.end += static_cast<std::int64_t>(window.begin);
            result[window.record].push_back(segment);
        }
        std::size_t& k = next[window.record];
        while (k < base[window.record].size() &&
               base[window.record][k].start < static_cast<std::int64_t>(window.end))
            ++k;
    }
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        keepBase(r, static_cast<std::int64_t>(sequences[r].size()) + 1);
    }
    return result;
}

// The arrays of the state's decomposition, measured with the pairs of
// segments the state's last arrays measured.
void FindRegions(const std::vector<std::string>& sequences, const RegionSettings& settings, State& state) {
    auto after = std::make_shared<std::vector<NearestMemo>>();
    state.regions = ArrayRegions(sequences, state.segments, settings, state.nearest.get(), after.get());
    state.nearest = std::move(after);
}

// The satellite stretches of a decomposition, widened by a margin.
std::vector<Window> SatelliteWindows(const std::vector<std::string>& sequences,
                                     const std::vector<ArrayStretch>& stretches) {
    constexpr std::size_t kMargin = 500;
    std::vector<Window> windows;
    for (const ArrayStretch& stretch : stretches) {
        if (stretch.kind == RegionClass::NotSatellite) continue;
        const std::size_t length = sequences[stretch.record].size();
        Window window{stretch.record,
                      static_cast<std::size_t>(stretch.start) -
                          std::min<std::size_t>(kMargin, static_cast<std::size_t>(stretch.start)),
                      std::min(length, static_cast<std::size_t>(stretch.end) + 1 + kMargin)};
        if (!windows.empty() && windows.back().record == window.record &&
            window.begin <= windows.back().end) {
            windows.back().end = std::max(windows.back().end, window.end);
        } else {
            windows.push_back(window);
        }
    }
    return windows;
}

// Windows sorted and joined where they overlap or touch.
std::vector<Window> JoinWindows(std::vector<Window> all) {
    std::sort(all.begin(), all.end(), [](const Window& a, const Window& b) {
        return a.record != b.record ? a.record < b.record : a.begin < b.begin;
    });
    std::vector<Window> joined;
    for (const Window& window : all) {
        if (!joined.empty() && joined.back().record == window.record && window.begin <= joined.back().end) {
            joined.back().end = std::max(joined.back().end, window.end);
        } else {
            joined.push_back(window);
        }
    }
    return joined;
}

// What a round decomposes: the satellite stretches of the last decomposition,
// the stretches that share k-mers with the new set (monomers that reach
// satellite the last set missed) and the `tandem` ones (of the de novo
// route's period), joined, in record and position order.
std::vector<Window> RoundWindows(const std::vector<std::string>& sequences,
                                 const std::vector<MonomerType>& set,
                                 const std::vector<ArrayStretch>& stretches,
                                 const std::vector<Window>& tandem) {
    std::vector<Window> all = SatelliteWindows(sequences, stretches);
    const std::vector<Window> hits = TemplateWindows(sequences, set);
    all.insert(all.end(), hits.begin(), hits.end());
    all.insert(all.end(), tandem.begin(), tandem.end());
    return JoinWindows(std::move(all));
}

// Percent of the ACGT bases in segments of satellite identity, and their bases.
std::pair<double, std::size_t> SatelliteShare(const std::vector<std::string>& sequences,
                                              const Decomposition& segments, double identity) {
    std::size_t bases = 0;
    std::size_t explained = 0;
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        for (const char c : sequences[r]) bases += c == 'A' || c == 'C' || c == 'G' || c == 'T';
        for (const Segment& segment : segments[r]) {
            if (segment.identity >= identity)
                explained += static_cast<std::size_t>(segment.end - segment.start + 1);
        }
    }
    return {bases == 0 ? 0 : 100.0 * static_cast<double>(explained) / static_cast<double>(bases), explained};
}

// Score of the segments that start in the live stretches.
std::int64_t LiveScore(const Decomposition& segments, const std::vector<ArrayStretch>& stretches) {
    std::int64_t score = 0;
    const RegionClass kind = HorClass(stretches);
    for (const ArrayStretch& stretch : stretches) {
        if (stretch.kind != kind) continue;
        const std::vector<Segment>& record = segments[stretch.record];
        auto at =
            std::lower_bound(record.begin(), record.end(), stretch.start,
                             [](const Segment& s, std::int64_t position) { return s.start < position; });
        for (; at != record.end() && at->start <= stretch.end; ++at) score += at->score;
    }
    return score;
}

// The largest noise floor of the stretches that make monomers.
float LiveNoise(const std::vector<ArrayStretch>& stretches) {
    const RegionClass kind = HorClass(stretches);
    float noise = 0;
    for (const ArrayStretch& stretch : stretches) {
        if (stretch.kind == kind) noise = std::max(noise, stretch.noise);
    }
    return noise;
}

// Two groups are distinct monomers when their consensuses lie clearly further
// apart than their members lie from them.
bool Separate(const Group& a, const Group& b, const InferSettings& settings) {
    const float between = PercentApart(a.consensus, b.consensus);
    return between >= 1.0f && between >= settings.separation * (a.spread + b.spread) / 2;
}

std::vector<Group> RoundGroups(const std::vector<std::string>& pieces, const std::vector<double>& identities,
                               const InferSettings& settings) {
    const std::vector<std::string_view> views(pieces.begin(), pieces.end());
    std::vector<std::size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return identities[a] > identities[b]; });
    std::vector<Group> groups;
    for (std::vector<std::size_t>& members :
         LeaderClusters(views, order, settings.closeness, settings.threads, settings.leaderSample)) {
        if (members.size() >= settings.minCount) groups.push_back({std::move(members), {}, 0});
    }
    ParallelFor(groups.size(), settings.threads,
                [&](std::size_t g, unsigned) { Summarise(groups[g], views, settings.consensusSample); });
    const auto bySize = [](const Group& a, const Group& b) { return a.members.size() > b.members.size(); };
    std::stable_sort(groups.begin(), groups.end(), bySize);
    // Each group joins the largest earlier one it is close to and does not
    // separate from, judged on the consensuses as they came from the leaders:
    // a merged consensus moves toward the middle of its family and would pull
    // in neighbours one by one.
    std::vector<std::size_t> into(groups.size());
    std::iota(into.begin(), into.end(), 0);
    for (std::size_t j = 1; j < groups.size(); ++j) {
        for (std::size_t i = 0; i < j; ++i) {
            if (into[i] != i ||
                PercentApart(groups[i].consensus, groups[j].consensus) >= settings.mergeLimit ||
                Separate(groups[i], groups[j], settings)) {
                continue;
            }
            into[j] = i;
            break;
        }
    }
    std::vector<Group> merged;
    std::vector<std::size_t> slot(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (into[g] != g) continue;
        slot[g] = merged.size();
        merged.push_back(std::move(groups[g]));
    }
    std::vector<bool> changed(merged.size(), false);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (into[g] == g) continue;
        Group& target = merged[slot[into[g]]];
        target.members.insert(target.members.end(), groups[g].members.begin(), groups[g].members.end());
        changed[slot[into[g]]] = true;
    }
    ParallelFor(merged.size(), settings.threads, [&](std::size_t g, unsigned) {
        if (!changed[g]) return;
        std::sort(merged[g].members.begin(), merged[g].members.end());
        Summarise(merged[g], views, settings.consensusSample);
    });
    groups = std::move(merged);
    std::stable_sort(groups.begin(), groups.end(), bySize);
    return groups;
}

// Whether every monomer of `next` lies within 1 % of one of the first `count`
// of `set` and back: a round that changes nothing more is not decomposed.
bool Equivalent(const std::vector<MonomerType>& next, const std::vector<MonomerType>& set,
                std::size_t count) {
    const auto covered = [](const std::vector<MonomerType>& a, std::size_t na,
                            const std::vector<MonomerType>& b, std::size_t nb) {
        for (std::size_t i = 0; i < na; ++i) {
            bool near = false;
            for (std::size_t j = 0; j < nb && !near; ++j)
                near = PercentApart(a[i].sequence, b[j].sequence) < 1.0f;
            if (!near) return false;
        }
        return true;
    };
    return next.size() == count && covered(next, next.size(), set, count) &&
           covered(set, count, next, next.size());
}

// The templates that type at least minCount segments of satellite identity,
// and the decomposition with only their segments, typed by their index among
// them.
std::pair<std::vector<MonomerType>, Decomposition> UsedTemplates(const std::vector<MonomerType>& templates,
                                                                 const Decomposition& segments,
                                                                 double identity, std::size_t minCount) {
    std::vector<std::size_t> counts(templates.size(), 0);
    for (const std::vector<Segment>& record : segments) {
        for (const Segment& segment : record) counts[segment.type] += segment.identity >= identity;
    }
    std::vector<MonomerType> used;
    std::vector<std::size_t> index(templates.size(), templates.size());
    for (std::size_t k = 0; k < templates.size(); ++k) {
        if (counts[k] < minCount) continue;
        index[k] = used.size();
        used.push_back(templates[k]);
    }
    Decomposition kept(segments.size());
    for (std::size_t r = 0; r < segments.size(); ++r) {
        for (Segment segment : segments[r]) {
            if (index[segment.type] == templates.size()) continue;
            segment.type = index[segment.type];
            kept[r].push_back(segment);
        }
    }
    return {std::move(used), std::move(kept)};
}

// The HOR reading order of the live segments of inferred types: runs as
// FindHor cuts them.
std::vector<TypedMonomer> LiveTyped(const Decomposition& segments, const std::vector<ArrayStretch>& stretches,
                                    std::size_t inferred, double identity) {
    std::vector<TypedMonomer> typed;
    for (const LiveSegment& live : LiveSegments(segments, stretches, identity)) {
        const Segment& segment = segments[live.record][live.index];
        if (segment.type < inferred) {
            typed.push_back({live.record, segment.start, segment.end, segment.type, segment.reverse});
        }
    }
    return typed;
}

// The state of the inference between its steps.
RegionSettings Regions(const InferSettings& settings) {
    RegionSettings regions = settings.regions;
    regions.threads = settings.threads;
    return regions;
}

// The pieces of one period of the repeat as the templates cut it: three
// periods around period.start decomposed with the templates (turned to the
// other strand when the first segment of satellite identity in the middle
// period is reverse, so that the period is read in that segment's direction
// and lies in its copy); from that segment on, one period, cut where each
// segment of satellite identity starts and between those starts into equal
// pieces near the first segment's template length (monomers unlike every
// template have no boundaries of their own to find, and where an alignment
// ends in unrelated sequence is loose). Named P1, P2, ... Empty
// when no segment there reaches satellite identity. `fitted`, when given,
// counts the bases of that period in segments of satellite identity on the
// first segment's strand (the monomers of one copy), each at most the
// template's length (an alignment that runs on into other sequence is loose).
std::vector<MonomerType> CutPeriod(const std::vector<std::string>& sequences, const TandemPeriod& period,
                                   const std::vector<MonomerType>& templates, const InferSettings& settings,
                                   std::int64_t* fitted = nullptr) {
    const std::string& record = sequences[period.record];
    const std::size_t begin = period.start - std::min(period.start, period.period);
    const std::size_t end = std::min(record.size(), period.start + 2 * period.period);
    std::string stretch = record.substr(begin, end - begin);
    std::int64_t middle = static_cast<std::int64_t>(period.start - begin);
    const double satellite = settings.regions.satelliteIdentity;
    std::vector<Segment> segments;
    auto anchor = segments.end();
    for (int turn = 0; turn < 2; ++turn) {
        segments = Decompose(stretch, templates, settings.scoring);
        anchor = std::find_if(segments.begin(), segments.end(), [&](const Segment& segment) {
            return segment.start >= middle && segment.identity >= satellite;
        });
        if (anchor == segments.end() || !anchor->reverse || turn == 1) break;
        stretch = ReverseComplement(stretch);
        middle = static_cast<std::int64_t>(stretch.size()) - 1 - anchor->end;
    }
    std::vector<MonomerType> pieces;
    if (anchor == segments.end()) return pieces;
    const auto length = static_cast<std::int64_t>(templates[anchor->type].sequence.size());
    const std::int64_t last = std::min(anchor->start + static_cast<std::int64_t>(period.period),
                                       static_cast<std::int64_t>(stretch.size()));
    const auto add = [&](std::int64_t from, std::int64_t to) {  // [from, to) in equal pieces near `length`
        const std::int64_t count = (to - from + length / 2) / length;
        for (std::int64_t k = 0; k < count; ++k) {
            const auto at = static_cast<std::size_t>(from + k * (to - from) / count);
            const auto next = static_cast<std::size_t>(from + (k + 1) * (to - from) / count);
            std::string name = "P";
            name += std::to_string(pieces.size() + 1);
            pieces.push_back({std::move(name), stretch.substr(at, next - at)});
        }
    };
    std::int64_t done = anchor->start;                              // first base not in a piece
    const auto fit = [&](const Segment& segment) -> std::int64_t {  // bases in the period, at most `length`
        if (segment.reverse != anchor->reverse) return 0;
        return std::min({segment.end + 1, last, segment.start + length}) - segment.start;
    };
    if (fitted != nullptr) *fitted = fit(*anchor);
    for (auto at = anchor + 1; at != segments.end() && at->start < last - length / 2; ++at) {
        if (at->identity < satellite) continue;
        if (fitted != nullptr) *fitted += fit(*at);
        add(done, at->start);
        done = at->start;
    }
    add(done, last);
    return pieces;
}

// The de novo start: one period of the sequence as the only template, or its
// pieces where the templates fit it (route.cut of them), or where one
// monomer of the period's own (period.monomer bases of it) fits it
// (route.ownCut), when that piece fits at least half of the period outside
// its own place (tried at eight places of the period) and more of it than
// the templates do: a HOR's monomers lie close enough to cut its period at
// their starts even where no template fits them (or one far from them cuts
// it out of phase), while a piece of a HOR of unrelated monomers fits only
// its own place. Decomposed in the
// stretches that share k-mers with it and the tandem stretches of the period.
// Returns whether the templates cut the period.
bool StartFromPeriod(const std::vector<std::string>& sequences, const std::vector<MonomerType>& templates,
                     const InferSettings& settings, InferRoute& route, State& state) {
    const TandemPeriod& period = route.period;
    const std::string& record = sequences[period.record];
    std::int64_t best = 0;  // bases of the period the chosen pieces' template fits
    state.set = CutPeriod(sequences, period, templates, settings, &best);
    const bool templatesCut = !state.set.empty();
    route.cut = state.set.size();
    const auto own = static_cast<std::int64_t>(period.monomer);  // a piece fits its own place
    for (std::size_t k = 0; period.monomer > 0 && k < 8; ++k) {
        std::int64_t fitted = 0;
        const std::size_t at = period.start + k * (period.period - period.monomer) / 8;
        std::vector<MonomerType> pieces =
            CutPeriod(sequences, period, {{"P1", record.substr(at, period.monomer)}}, settings, &fitted);
        if (pieces.empty() || fitted <= best ||
            2 * (fitted - own) < static_cast<std::int64_t>(period.period) - own)
            continue;
        best = fitted;
        state.set = std::move(pieces);
        route.cut = 0;
        route.ownCut = state.set.size();
    }
    if (state.set.empty()) state.set = {{"P1", record.substr(period.start, period.period)}};
    state.inferred = state.set.size();
    state.tandem = period.stretches;
    std::vector<Window> windows = TemplateWindows(sequences, state.set);
    windows.insert(windows.end(), state.tandem.begin(), state.tandem.end());
    state.segments = DecomposeWindows(sequences, state.set, JoinWindows(std::move(windows)),
                                      Decomposition(sequences.size()), 0, settings, state.kept);
    return templatesCut;
}

// The rounds (see InferMonomers) from the state's decomposition on; `round`
// counts the decompositions.
void RunRounds(const std::vector<std::string>& sequences, State& state, const std::vector<MonomerType>& kept,
               const Decomposition& outside, const InferSettings& settings, std::size_t& round,
               const std::function<void(const RoundReport&)>& onRound) {
    const RegionSettings regionSettings = Regions(settings);
    const double satellite = regionSettings.satelliteIdentity;
    bool taken = false;  // a set inferred in the rounds was taken

    for (; round < settings.maxRounds; ++round) {
        std::vector<std::string> pieces;
        std::vector<double> identities;
        for (const LiveSegment& live : LiveSegments(state.segments, state.regions, satellite)) {
            std::string piece = Piece(sequences, state.segments, live);
            const Segment& segment = state.segments[live.record][live.index];
            const std::size_t typeLength = state.set[segment.type].sequence.size();
            if (!OnlyAcgt(piece) || piece.size() * 2 < typeLength || piece.size() > typeLength * 2) continue;
            pieces.push_back(std::move(piece));
            identities.push_back(segment.identity);
        }
        // Copies of a read lie apart by their sequencing errors as well.
        InferSettings grouping = settings;
        grouping.closeness += LiveNoise(state.regions);
        std::vector<std::string> near;
        for (const Group& group : RoundGroups(pieces, identities, grouping)) near.push_back(group.consensus);
        if (!state.tandem.empty()) {  // a tandem repeat of the de novo route: one phase
            const std::vector<std::size_t> shifted = ShiftedGroups(near, settings.mergeLimit);
            for (auto g = shifted.rbegin(); g != shifted.rend(); ++g)
                near.erase(near.begin() + static_cast<std::ptrdiff_t>(*g));
        }
        std::vector<MonomerType> next;
        for (const std::string& consensus : near) next.push_back({MonomerName(next.size()), consensus});
        for (std::string& own : StretchMonomers(sequences, state, near, settings)) {
            next.push_back({MonomerName(next.size()), std::move(own)});
        }
        if (next.empty() || (taken && Equivalent(next, state.set, state.inferred))) break;
        const std::size_t inferred = next.size();
        next.insert(next.end(), kept.begin(), kept.end());
        std::shared_ptr<const KeptWindows> kept = state.kept;
        Decomposition segments =
            DecomposeWindows(sequences, next, RoundWindows(sequences, next, state.regions, state.tandem),
                             outside, inferred, settings, kept);
        // The first set inferred is always taken; later rounds must raise the
        // score of the live stretches.
        if (taken && LiveScore(segments, state.regions) <= LiveScore(state.segments, state.regions)) break;
        onRound(Report(round + 1, next.size(), segments));
        taken = true;
        state.set = std::move(next);
        state.inferred = inferred;
        state.segments = std::move(segments);
        state.kept = std::move(kept);
        FindRegions(sequences, regionSettings, state);
    }
}

}  // namespace

std::vector<MonomerType> FamilyReferenceTemplates() {
    std::vector<MonomerType> references;
    for (const SupracromReference& reference : kSupracromReferences) {
        references.push_back({std::string(reference.name), std::string(reference.sequence)});
    }
    return references;
}

std::vector<MonomerType> DefaultTemplates() {
    return StandardClassMonomers();
}

std::vector<MonomerType> OrientTemplates(std::vector<MonomerType> templates) {
    for (std::size_t k = 1; k < templates.size(); ++k) {
        const std::string turned = ReverseComplement(templates[k].sequence);
        const std::string& first = templates[0].sequence;
        if (Levenshtein(turned, first) < Levenshtein(Upper(templates[k].sequence), Upper(first))) {
            templates[k].sequence = turned;
        }
    }
    return templates;
}

namespace {

// The members a group needs where the records hold `copies` copies of the
// HOR: minCount, or fewer where that is more than they show of every
// position. Records of n copies show each position whole at least n - 1
// times, one copy being cut by their ends, and a variant copy that lacks the
// position takes one more: n - 2, never below two (a piece seen once is no
// repeat).
std::size_t MemberFloor(std::size_t copies, std::size_t minCount) {
    return std::clamp<std::size_t>(copies > 2 ? copies - 2 : 0, std::min<std::size_t>(2, minCount), minCount);
}

// The member floor of the rounds, before any HOR is known: the copies are the
// tandem stretches of the records' period (FindTandemPeriod) over the period.
// Records long enough for minCount + 2 copies of the longest period looked
// for keep minCount without measuring.
std::size_t RoundFloor(const std::vector<std::string>& sequences, const InferSettings& settings) {
    std::size_t bases = 0;
    for (const std::string& sequence : sequences) bases += sequence.size();
    if (settings.minCount <= 2 || bases >= (settings.minCount + 2) * settings.period.maxPeriod)
        return settings.minCount;
    const TandemPeriod period = FindTandemPeriod(sequences, settings.period);
    if (period.period == 0) return settings.minCount;
    std::size_t tandem = 0;
    for (const RecordWindow& stretch : period.stretches) tandem += stretch.end - stretch.begin;
    return MemberFloor(tandem / period.period, settings.minCount);
}

// What every step of InferMonomers shares: the upper-case records, the
// settings, the segments that stay where no satellite lies, and the rounds
// reported so far.
struct Run {
    std::vector<std::string> sequences;
    const InferSettings& settings;
    const std::function<void(const RoundReport&)>& onRound;
    RegionSettings regionSettings;
    double satellite = 0;
    Decomposition none;
    Decomposition outside;
    std::size_t round = 1;
    std::size_t minCount = 0;  // as given; settings.minCount is the rounds' floor (RoundFloor)
};

// Decomposes again with the state's set, names its inferred monomers M1, M2,
// ... when `rename`, reports the round and finds the arrays again.
void Redecompose(Run& run, State& state, bool rename = true) {
    if (rename) {
        for (std::size_t k = 0; k < state.inferred; ++k) state.set[k].name = MonomerName(k);
    }
    state.segments = DecomposeWindows(run.sequences, state.set,
                                      RoundWindows(run.sequences, state.set, state.regions, state.tandem),
                                      run.outside, state.inferred, run.settings, state.kept);
    run.onRound(Report(++run.round, state.set.size(), state.segments));
    FindRegions(run.sequences, run.regionSettings, state);
}

// The HOR of the live segments: a unit of inferred monomers, the templates'
// segments monomers outside it (they keep the runs whole), or with
// `templates` a unit of any type.
HorResult LiveHor(const Run& run, const State& state, bool templates = false) {
    HorSearch search;
    search.canonical = true;
    search.variantArrays = true;
    search.fewSharingCopies = run.minCount + 2;  // where MemberFloor lies below minCount
    if (!templates) search.unitTypes = state.inferred;
    return FindHor(LiveTyped(state.segments, state.regions, state.set.size(), run.satellite), search);
}

// The route: the templates, or one period of the sequence when the templates
// explain little (less than minTemplateShare of the bases and either less
// than minTemplateBases or less than half of what the sequence's own period
// explains). False when neither explains anything (no period).
bool ChooseRoute(Run& run, const std::vector<MonomerType>& starting, Inference& result, State& state) {
    const InferSettings& settings = run.settings;
    state.set = starting;
    state.segments = DecomposeWindows(run.sequences, state.set, TemplateWindows(run.sequences, state.set),
                                      run.none, 0, settings, state.kept);
    run.onRound(Report(1, state.set.size(), state.segments));
    std::size_t explained = 0;
    std::tie(result.route.templateShare, explained) =
        SatelliteShare(run.sequences, state.segments, run.satellite);
    const TandemPeriod period = result.route.templateShare < settings.minTemplateShare
                                    ? FindTandemPeriod(run.sequences, settings.period)
                                    : TandemPeriod{};
    if (result.route.templateShare < settings.minTemplateShare &&
        (explained < settings.minTemplateBases ||
         (period.period > 0 && 100 * period.share > 2 * result.route.templateShare))) {
        result.route.fromTemplates = false;
        result.route.period = period;
        if (period.period == 0) return false;
        StartFromPeriod(run.sequences, starting, settings, result.route, state);
        run.onRound(Report(++run.round, state.set.size(), state.segments));
    }
    return true;
}

// After the rounds of the de novo route: a tandem stretch that the monomers
// fit nowhere (UnfitPeriods) gets a period of its own, and the rounds go on
// from there, so its copies give monomers of their own.
void OwnPeriods(Run& run, std::size_t period, State& state) {
    if (state.tandem.empty() || state.inferred == 0) return;
    std::vector<std::string> unfit = UnfitPeriods(run.sequences, state, period, run.settings);
    if (unfit.empty()) return;
    for (std::string& own : unfit) {
        const auto at = state.set.begin() + static_cast<std::ptrdiff_t>(state.inferred);
        state.set.insert(at, {MonomerName(state.inferred), std::move(own)});
        ++state.inferred;
    }
    Redecompose(run, state);
    RunRounds(run.sequences, state, {}, run.outside, run.settings, run.round, run.onRound);
}

// The rounds from the chosen route. The templates that type satellite stay as
// the monomers of the satellite outside the live arrays; their segments stay
// where no satellite lies. When the templates type satellite but no array of
// it (they fit some monomers of a HOR whose others are unlike them): the
// period of the sequence, cut by the templates, when that gives an array.
void InferRounds(Run& run, const std::vector<MonomerType>& starting, Inference& result, State& state) {
    std::vector<MonomerType> kept;
    if (result.route.fromTemplates) {
        std::tie(kept, run.outside) =
            UsedTemplates(state.set, state.segments, run.satellite, run.settings.minCount);
    }
    FindRegions(run.sequences, run.regionSettings, state);
    RunRounds(run.sequences, state, kept, run.outside, run.settings, run.round, run.onRound);
    if (!result.route.fromTemplates) OwnPeriods(run, result.route.period.period, state);
    if (state.inferred > 0 || !result.route.fromTemplates) return;
    InferRoute route{false, result.route.templateShare, FindTandemPeriod(run.sequences, run.settings.period),
                     0};
    State periodic;
    if (route.period.period == 0 || !StartFromPeriod(run.sequences, starting, run.settings, route, periodic))
        return;
    run.onRound(Report(++run.round, periodic.set.size(), periodic.segments));
    FindRegions(run.sequences, run.regionSettings, periodic);
    RunRounds(run.sequences, periodic, {}, run.none, run.settings, run.round, run.onRound);
    if (periodic.inferred == 0) return;
    state = std::move(periodic);
    result.route = route;
    run.outside = run.none;
}

// Every HOR position. The unit's shared columns first, else those of the
// longer window that holds every type (two positions sharing one type hide
// the whole HOR). There both columns are positions of most copies, so neither
// may hold under a quarter of the other's members (a handful of copies of a
// variant is no position of its own), and the split stands only when the HOR
// found afterwards is as long as the window and holds two monomers the split
// made or more: one type in two layouts of the HOR (an 8-monomer copy and a
// 6-monomer one) is no pair of positions. The copies that fit both columns
// (the junction monomer of a HOR variant that lacks the positions between
// them) may give a monomer outside the unit.
HorResult SplitColumns(Run& run, State& state) {
    HorResult hor = LiveHor(run, state);
    // Where the live monomers hold few copies of the window, a column needs
    // fewer members and its place makes it a position (SplitByColumn).
    const auto split = [&](const std::vector<std::size_t>& window, double minShare, bool tiedColumns) {
        InferSettings settings = run.settings;
        const std::size_t monomers =
            LiveTyped(state.segments, state.regions, state.set.size(), run.satellite).size();
        if (!window.empty())
            settings.minCount =
                std::min(settings.minCount, MemberFloor(monomers / window.size(), run.minCount));
        return SplitByColumn(run.sequences, state, window, settings, minShare, tiedColumns,
                             settings.minCount < run.minCount);
    };
    for (std::size_t times = 0; times < 3; ++times) {
        std::size_t added = split(hor.unit, 0, false);
        std::optional<State> before;
        if (added == 0 && !hor.sharingUnit.empty()) {
            before = state;
            added = split(hor.sharingUnit, 0.25, true);
        }
        if (added == 0) break;
        Redecompose(run, state);
        HorResult next = LiveHor(run, state);
        if (before) {
            // The window was right when it comes back as the unit, its shared
            // type's columns now positions of their own.
            std::size_t inUnit = 0;
            for (std::size_t k = state.inferred - added; k < state.inferred; ++k) {
                inUnit += std::find(next.unit.begin(), next.unit.end(), k) != next.unit.end();
            }
            const bool holds = next.unit.size() == hor.sharingUnit.size() && inUnit >= 2;
            if (!holds) {
                state = std::move(*before);
                break;
            }
        }
        hor = std::move(next);
    }
    return hor;
}

// Layers and variants of every column (ReviseByColumn), until nothing changes.
void ReviseColumns(Run& run, State& state, HorResult& hor) {
    for (std::size_t times = 0; times < 3; ++times) {
        std::vector<std::string> monomers;
        for (std::size_t k = 0; k < state.inferred; ++k) monomers.push_back(state.set[k].sequence);
        const std::vector<std::string> revised = ReviseByColumn(
            ColumnSegments(run.sequences, state, run.satellite), monomers, hor.unit, run.settings.minCount,
            run.settings.consensusSample, run.settings.threads, run.settings.mergeLimit);
        if (revised.empty()) break;
        std::vector<MonomerType> set;
        for (const std::string& sequence : revised) set.push_back({MonomerName(set.size()), sequence});
        set.insert(set.end(), state.set.begin() + static_cast<std::ptrdiff_t>(state.inferred),
                   state.set.end());
        state.set = std::move(set);
        state.inferred = revised.size();
        Redecompose(run, state, false);
        hor = LiveHor(run, state);
    }
}

// How many of the segments of type `line` in `before` lie where `after` has
// a segment of type `type` (starts within a few bases).
std::size_t Followed(const Decomposition& before, const Decomposition& after, std::size_t line,
                     std::size_t type) {
    constexpr std::int64_t kSamePlace = 20;
    std::size_t count = 0;
    for (std::size_t r = 0; r < before.size(); ++r) {
        const std::vector<Segment>& now = after[r];
        for (const Segment& segment : before[r]) {
            if (segment.type != line) continue;
            const auto at =
                std::lower_bound(now.begin(), now.end(), segment.start - kSamePlace,
                                 [](const Segment& s, std::int64_t start) { return s.start < start; });
            if (at != now.end() && at->start <= segment.start + kSamePlace && at->type == type) ++count;
        }
    }
    return count;
}

// Monomers that stand for one standard monomer become one
// (JoinStandardLineages): a variant's copies of a position and the unit's
// drift apart and the rounds give each its own monomer, which reads as two
// types of one position. A join stands when the monomer kept takes 19 in 20
// of the segments its lines held, or 9 in 10 when no line's segments mostly
// went elsewhere (every copy noisier than an assembly's leaves a few to
// their neighbours' monomers, not a line to another position). Where one does
// not, the lines whose segments mostly went elsewhere (a position the
// standard set draws close to another) keep their own monomers, or, when no
// line did, all of that join's lines, and the rest are joined again once;
// where that fails too, nothing is joined.
void JoinLineages(Run& run, State& state, HorResult& hor) {
    const State before = state;
    const std::vector<std::size_t> had = TypeCounts(before.segments, before.set.size());
    std::vector<std::size_t> apart;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::vector<JoinedLineage> joined = JoinStandardLineages(state, run.settings.threads, apart);
        if (joined.empty()) return;
        Redecompose(run, state);
        const std::vector<std::size_t> counts = TypeCounts(state.segments, state.set.size());
        bool holds = true;
        std::vector<std::size_t> keepApart;
        for (const JoinedLineage& lineage : joined) {
            if (20 * counts[lineage.monomer] >= 19 * lineage.members) continue;
            std::vector<std::size_t> astray;
            for (std::size_t line : lineage.lines) {
                if (2 * Followed(before.segments, state.segments, line, lineage.monomer) <= had[line])
                    astray.push_back(line);
            }
            if (astray.empty() && 10 * counts[lineage.monomer] >= 9 * lineage.members) continue;
            holds = false;
            keepApart.insert(keepApart.end(), astray.empty() ? lineage.lines.begin() : astray.begin(),
                             astray.empty() ? lineage.lines.end() : astray.end());
        }
        if (holds) {
            hor = LiveHor(run, state);
            return;
        }
        state = before;
        apart.insert(apart.end(), keepApart.begin(), keepApart.end());
    }
}

}  // namespace

Inference InferMonomers(const std::vector<std::string>& input, const std::vector<MonomerType>& templates,
                        const InferSettings& given, const std::function<void(const RoundReport&)>& onRound) {
    std::vector<std::string> sequences;
    for (const std::string& sequence : input) sequences.push_back(Upper(sequence));
    InferSettings settings = given;
    settings.minCount = RoundFloor(sequences, given);
    Run run{std::move(sequences), settings, onRound, Regions(settings), 0, {}, {}, 1, given.minCount};
    run.satellite = run.regionSettings.satelliteIdentity;
    run.none.assign(run.sequences.size(), {});
    run.outside = run.none;
    Inference result;
    State state;
    std::vector<MonomerType> starting;
    for (const MonomerType& type : OrientTemplates(templates))
        starting.push_back({type.name, Upper(type.sequence)});
    if (!ChooseRoute(run, starting, result, state)) {
        result.segments.assign(run.sequences.size(), {});
        return result;
    }
    InferRounds(run, starting, result, state);
    if (state.inferred == 0) {  // no live array: the templates type what there is
        result.monomers = state.set;
        result.segments = std::move(state.segments);
        result.regions = std::move(state.regions);
        return result;
    }
    // Hybrids that the leaders left inside a parent: HOR positions of alpha
    // satellite (the de novo route's repeats have no standard hybrids to find,
    // and the step would cost them a decomposition).
    if (result.route.fromTemplates && SplitHybrids(run.sequences, state, settings) > 0)
        Redecompose(run, state);
    for (std::size_t times = 0; times < 3 && SplitByContext(run.sequences, state, settings) > 0; ++times)
        Redecompose(run, state);
    HorResult hor = SplitColumns(run, state);
    if (result.route.fromTemplates &&
        AdoptTemplates(run.sequences, state, LiveHor(run, state, true).unit, settings) > 0) {
        Redecompose(run, state);
        hor = SplitColumns(run, state);
    }
    ReviseColumns(run, state, hor);
    // A column of the unit joins the monomers that stand in it, and their
    // copies are decomposed again: a variant's 10 and the unit's, one
    // position, become one, and where another position lies close (S2C18H1L's
    // 4 and 10, 2 % apart) the unit's copies of 10 may go to it. They stand
    // in their own context there, which tells them apart. (Alpha satellite
    // only, with the join of lines that follows: on the de novo route plant
    // arrays gained monomers and nothing else.)
    if (result.route.fromTemplates && SplitByContext(run.sequences, state, settings) > 0) {
        Redecompose(run, state);
        hor = LiveHor(run, state);
    }
    if (result.route.fromTemplates) JoinLineages(run, state, hor);
    if (PlaceTiedSegments(run.sequences, state, settings) > 0) hor = LiveHor(run, state);
    onRound(Report(0, state.set.size(), state.segments));
    result.monomers = std::move(state.set);
    result.inferred = state.inferred;
    result.segments = std::move(state.segments);
    result.regions = std::move(state.regions);
    result.hor = std::move(hor);
    result.hybrids = FindHybrids(result.monomers, result.inferred);
    NameInHorOrder(result, TypeCounts(result.segments, result.monomers.size()));
    return result;
}

}  // namespace horgrid
