#include "infer/InferState.h"

#include <algorithm>
#include <array>
#include <map>
#include <numeric>
#include <optional>

#include "common/Parallel.h"
#include "infer/GroupConsensus.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"
#include "sequence/LevenshteinEngine.h"

namespace horgrid::infer {

std::vector<std::size_t> TypeCounts(const Decomposition& segments, std::size_t types) {
    std::vector<std::size_t> counts(types, 0);
    for (const std::vector<Segment>& record : segments) {
        for (const Segment& segment : record) ++counts[segment.type];
    }
    return counts;
}

void ReplaceInferred(State& state, std::vector<MonomerType> inferred) {
    const std::size_t count = inferred.size();
    inferred.insert(inferred.end(), state.set.begin() + static_cast<std::ptrdiff_t>(state.inferred), state.set.end());
    state.set = std::move(inferred);
    state.inferred = count;
}

// The class of the stretches that make monomers and copies: live HOR, or
// diverged HOR where no stretch is live (a read whose sequencing errors put
// every copy 10 % or more from the next, an array that is all old).
RegionClass HorClass(const std::vector<ArrayStretch>& stretches) {
    const bool live = std::any_of(stretches.begin(), stretches.end(),
                                  [](const ArrayStretch& s) { return s.kind == RegionClass::LiveHor; });
    return live ? RegionClass::LiveHor : RegionClass::DivergedHor;
}

std::vector<LiveSegment> LiveSegments(const Decomposition& segments,
                                      const std::vector<ArrayStretch>& stretches, double identity) {
    std::vector<LiveSegment> live;
    const RegionClass kind = HorClass(stretches);
    for (const ArrayStretch& stretch : stretches) {
        if (stretch.kind != kind) continue;
        for (std::size_t i = stretch.first; i <= stretch.last; ++i) {
            if (segments[stretch.record][i].identity >= identity) live.push_back({stretch.record, i});
        }
    }
    return live;
}

std::string Piece(const std::vector<std::string>& sequences, const Decomposition& segments,
                  const LiveSegment& live) {
    const Segment& segment = segments[live.record][live.index];
    const std::string_view piece(sequences[live.record].data() + segment.start,
                                 static_cast<std::size_t>(segment.end - segment.start + 1));
    return segment.reverse ? ReverseComplement(piece) : std::string(piece);
}

// The live segments of inferred monomers as HOR columns read them: forward
// pieces, each with its neighbours in the run (same record and strand, at
// most 50 bases apart, in reading order).
std::vector<ColumnSegment> ColumnSegments(const std::vector<std::string>& sequences, const State& state,
                                          double identity, std::vector<LiveSegment>* at) {
    const std::vector<LiveSegment> live = LiveSegments(state.segments, state.regions, identity);
    std::vector<ColumnSegment> out;
    std::vector<std::size_t> slot(live.size(), ColumnSegment::kNone);  // live index -> out
    for (std::size_t k = 0; k < live.size(); ++k) {
        const Segment& segment = state.segments[live[k].record][live[k].index];
        if (segment.type >= state.inferred) continue;
        slot[k] = out.size();
        if (at != nullptr) at->push_back(live[k]);
        out.push_back({segment.type, ColumnSegment::kNone, ColumnSegment::kNone,
                       Piece(sequences, state.segments, live[k])});
    }
    for (std::size_t k = 0; k + 1 < live.size(); ++k) {
        if (slot[k] == ColumnSegment::kNone || slot[k + 1] == ColumnSegment::kNone ||
            live[k].record != live[k + 1].record || live[k].index + 1 != live[k + 1].index)
            continue;
        const Segment& a = state.segments[live[k].record][live[k].index];
        const Segment& b = state.segments[live[k + 1].record][live[k + 1].index];
        if (a.reverse != b.reverse || b.start - a.end > 50) continue;
        ColumnSegment& first = out[slot[a.reverse ? k + 1 : k]];
        ColumnSegment& second = out[slot[a.reverse ? k : k + 1]];
        first.after = slot[a.reverse ? k : k + 1];
        second.before = slot[a.reverse ? k + 1 : k];
    }
    return out;
}

namespace {

using ByColumn = std::map<std::size_t, std::map<std::uint64_t, std::vector<std::size_t>>>;

// Whether two columns of one type keep their own bases: at some site where
// their consensuses differ (but the first and last 10 bases, where segments
// of one position start and end a few bases apart), most copies of each
// column (of up to 200) have their own column's base, and four in five of
// those that have either column's base there have their own. Two columns of
// the HOR are two positions however few bases tell them (CHM13 chr18's 3 and
// 7 differ by one): a copy keeps its position's base, and a layer of either
// column that changed the base has neither.
bool KeepOwnBases(const Group& a, const Group& b, const std::vector<std::string_view>& pieces) {
    constexpr std::size_t kEnds = 10;
    const auto keeps = [&](const Group& own, const Group& other) {
        const std::string across = AlignedBases(other.consensus, own.consensus);
        const auto aligned = [&](const Group& of) {
            std::vector<std::string> bases;
            const std::size_t measured = std::min<std::size_t>(of.members.size(), 200);
            for (std::size_t k = 0; k < measured; ++k)
                bases.push_back(AlignedBases(pieces[of.members[k * of.members.size() / measured]], own.consensus));
            return bases;
        };
        const std::vector<std::string> mine = aligned(own);
        const std::vector<std::string> theirs = aligned(other);
        const auto loyal = [](const std::vector<std::string>& copies, std::size_t site, char base, char lost) {
            std::size_t kept = 0;
            std::size_t left = 0;
            for (const std::string& bases : copies) {
                kept += bases[site] == base;
                left += bases[site] == lost;
            }
            return 2 * kept > copies.size() && 5 * kept >= 4 * (kept + left);
        };
        for (std::size_t site = kEnds; site + kEnds < own.consensus.size(); ++site) {
            if (across[site] == own.consensus[site]) continue;
            if (loyal(mine, site, own.consensus[site], across[site]) &&
                loyal(theirs, site, across[site], own.consensus[site]))
                return true;
        }
        return false;
    };
    return a.consensus != b.consensus && (keeps(a, b) || keeps(b, a));
}

// The live segments of each type that takes several columns of the unit, by
// the columns (a bit each) whose unit neighbours agree best with their own
// neighbours in HOR reading order: type -> columns -> live index. A member
// whose neighbours fit several columns equally is left out, or, with
// `tiedColumns`, kept under all of those columns.
ByColumn ColumnsOfLive(const State& state, const std::vector<LiveSegment>& live,
                       const std::vector<std::size_t>& unit, bool tiedColumns) {
    const std::size_t size = unit.size();
    ByColumn byColumn;
    for (std::size_t k = 0; k < live.size(); ++k) {
        const std::vector<Segment>& record = state.segments[live[k].record];
        const Segment& segment = record[live[k].index];
        std::vector<std::size_t> columns;
        for (std::size_t c = 0; c < size; ++c) {
            if (unit[c] == segment.type) columns.push_back(c);
        }
        if (columns.size() < 2) continue;
        const auto neighbour = [&](int step) -> std::optional<std::size_t> {
            const int direction = segment.reverse ? -step : step;
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(live[k].index) + direction;
            if (at < 0 || at >= static_cast<std::ptrdiff_t>(record.size())) return std::nullopt;
            const Segment& other = record[static_cast<std::size_t>(at)];
            if (other.reverse != segment.reverse ||
                std::max(other.start - segment.end, segment.start - other.end) > 50)
                return std::nullopt;
            return other.type;
        };
        const std::optional<std::size_t> before = neighbour(-1);
        const std::optional<std::size_t> after = neighbour(1);
        // The column whose neighbours agree best, when only one does; with
        // `tiedColumns` the columns that agree best together, as one class.
        std::uint64_t found = 0;
        int best = 0;
        for (const std::size_t c : columns) {
            const int fits = static_cast<int>(before && unit[(c + size - 1) % size] == *before) +
                             static_cast<int>(after && unit[(c + 1) % size] == *after);
            if (fits > best) {
                found = 0;
                best = fits;
            }
            if (fits == best) found |= std::uint64_t{1} << c;
        }
        const bool single = (found & (found - 1)) == 0;
        if (best > 0 && (single || tiedColumns)) byColumn[segment.type][found].push_back(k);
    }
    return byColumn;
}

// The monomers that replace each type of `byColumn` whose columns separate
// (SeparateColumns; columns that do not, join, unless `byPlace`) into at least
// two of minCount members or more, none under `minShare` of the largest:
// appended to `added`, the type to `removed`.
void SplitTypes(const std::vector<std::string>& sequences, const State& state,
                const std::vector<LiveSegment>& live, const ByColumn& byColumn, const InferSettings& settings,
                double minShare, bool byPlace, std::vector<MonomerType>& added,
                std::vector<std::size_t>& removed) {
    for (const auto& [type, columns] : byColumn) {
        std::vector<std::string> pieces;
        std::vector<Group> groups;
        for (const auto& [column, members] : columns) {
            Group group;
            for (const std::size_t k : members) {
                group.members.push_back(pieces.size());
                pieces.push_back(Piece(sequences, state.segments, live[k]));
            }
            if (group.members.size() >= settings.minCount) groups.push_back(std::move(group));
        }
        const std::vector<std::string_view> views(pieces.begin(), pieces.end());
        ParallelFor(groups.size(), settings.threads,
                    [&](std::size_t g, unsigned) { Summarise(groups[g], views, settings.consensusSample); });
        // Columns that do not separate join.
        for (std::size_t i = 0; i < groups.size() && !byPlace; ++i) {
            for (std::size_t j = i + 1; j < groups.size(); ++j) {
                if (SeparateColumns(groups[i], groups[j], views) || KeepOwnBases(groups[i], groups[j], views))
                    continue;
                groups[i].members.insert(groups[i].members.end(), groups[j].members.begin(),
                                         groups[j].members.end());
                Summarise(groups[i], views, settings.consensusSample);
                groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(j));
                j = i;
            }
        }
        std::size_t largest = 0;
        for (const Group& group : groups) largest = std::max(largest, group.members.size());
        const auto small = [&](const Group& group) {
            return static_cast<double>(group.members.size()) < minShare * static_cast<double>(largest);
        };
        if (groups.size() < 2 || std::any_of(groups.begin(), groups.end(), small)) continue;
        removed.push_back(type);
        for (const Group& group : groups) added.push_back({"", group.consensus});
    }
}

}  // namespace

// Splits every monomer that takes several columns of the unit into one
// monomer per column, where the columns separate and each column holds at
// least `minShare` of the largest one's members. A member whose neighbours fit
// several columns equally is left out, or, with `tiedColumns`, joins the class
// of those columns (in a window of two HOR layouts one position stands in
// both). With `byPlace` the columns are positions by their place alone.
// Returns how many monomers it added (0 when it split nothing); they are the
// last inferred ones.
std::size_t SplitByColumn(const std::vector<std::string>& sequences, State& state,
                          const std::vector<std::size_t>& unit, const InferSettings& settings,
                          double minShare, bool tiedColumns, bool byPlace) {
    if (unit.size() < 2 || unit.size() > 64) return 0;
    const std::vector<LiveSegment> live =
        LiveSegments(state.segments, state.regions, settings.regions.satelliteIdentity);
    std::vector<MonomerType> added;
    std::vector<std::size_t> removed;
    SplitTypes(sequences, state, live, ColumnsOfLive(state, live, unit, tiedColumns), settings, minShare,
               byPlace, added, removed);
    if (removed.empty()) return 0;
    std::vector<MonomerType> set;
    for (std::size_t k = 0; k < state.inferred; ++k) {
        if (std::find(removed.begin(), removed.end(), k) == removed.end()) set.push_back(state.set[k]);
    }
    set.insert(set.end(), added.begin(), added.end());
    ReplaceInferred(state, std::move(set));
    return added.size();
}

// Hybrid monomers inside a monomer: a member whose first half keeps to one
// monomer and second half to another (a 3/5 in the field's names) lies only
// about half their distance from either parent, inside the leaders'
// closeness, so it stays in a parent's group. Each member is compared with the
// hybrids of its own monomer and every other one (first half of one, second
// half of the other); members at least 2 % closer to one hybrid than to their
// own monomer, when there are at least `minCount` of them and a two-hundredth
// of the two parents' members, become a monomer of their own (their consensus, which must
// lie at least 3 % from both parents). Returns how many monomers it added;
// they follow the inferred ones.
std::size_t SplitHybrids(const std::vector<std::string>& sequences, State& state,
                         const InferSettings& settings) {
    const std::size_t count = state.inferred;
    if (count < 2) return 0;
    const auto half = [](const std::string& s, bool first) {
        return first ? s.substr(0, s.size() / 2) : s.substr(s.size() / 2);
    };
    // The hybrids worth trying: both parents at least 4 % from the hybrid.
    struct Hybrid {
        std::size_t first = 0, second = 0;
        std::string sequence;
    };
    std::vector<Hybrid> hybrids;
    for (std::size_t a = 0; a < count; ++a) {
        for (std::size_t b = 0; b < count; ++b) {
            if (a == b) continue;
            const std::string& sa = state.set[a].sequence;
            const std::string& sb = state.set[b].sequence;
            std::string sequence = half(sa, true) + half(sb, false);
            if (PercentApart(sequence, sa) < 4 || PercentApart(sequence, sb) < 4) continue;
            hybrids.push_back({a, b, std::move(sequence)});
        }
    }
    if (hybrids.empty()) return 0;
    const std::vector<LiveSegment> live =
        LiveSegments(state.segments, state.regions, settings.regions.satelliteIdentity);
    std::vector<std::size_t> kept;  // live indexes of inferred monomers
    for (std::size_t k = 0; k < live.size(); ++k) {
        if (state.segments[live[k].record][live[k].index].type < count) kept.push_back(k);
    }
    std::vector<std::size_t> chosen(kept.size(), hybrids.size());
    ParallelFor(kept.size(), settings.threads, [&](std::size_t i, unsigned) {
        const LiveSegment& at = live[kept[i]];
        const std::size_t type = state.segments[at.record][at.index].type;
        const std::string piece = Piece(sequences, state.segments, at);
        float best = PercentApart(state.set[type].sequence, piece) - 2;
        for (std::size_t h = 0; h < hybrids.size() && best >= 0; ++h) {
            if (hybrids[h].first != type && hybrids[h].second != type) continue;
            // Only a distance within the best so far matters: bounded.
            const std::string& hybrid = hybrids[h].sequence;
            const auto limit = static_cast<std::uint32_t>(best * static_cast<float>(hybrid.size()) / 100);
            const std::uint32_t distance = LevenshteinAtMost(hybrid, piece, limit);
            if (distance > limit) continue;
            const float apart = DistancePercent(static_cast<int>(distance), hybrid.size());
            if (apart <= best) {
                best = apart;
                chosen[i] = h;
            }
        }
    });
    std::vector<std::size_t> typeCount(count, 0);
    for (const std::size_t k : kept) ++typeCount[state.segments[live[k].record][live[k].index].type];
    std::vector<std::vector<std::size_t>> members(hybrids.size());  // pieces of each hybrid
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (chosen[i] == hybrids.size()) continue;
        members[chosen[i]].push_back(pieces.size());
        pieces.push_back(Piece(sequences, state.segments, live[kept[i]]));
    }
    const std::vector<std::string_view> views(pieces.begin(), pieces.end());
    std::vector<MonomerType> added;
    for (std::size_t h = 0; h < hybrids.size(); ++h) {
        const std::size_t parents = typeCount[hybrids[h].first] + typeCount[hybrids[h].second];
        if (members[h].size() < settings.minCount || 100 * members[h].size() < parents / 2) continue;
        Group group;
        group.members = members[h];
        Summarise(group, views, settings.consensusSample);
        if (PercentApart(group.consensus, state.set[hybrids[h].first].sequence) < 3 ||
            PercentApart(group.consensus, state.set[hybrids[h].second].sequence) < 3)
            continue;
        added.push_back({"", group.consensus});
    }
    if (added.empty()) return 0;
    state.set.insert(state.set.begin() + static_cast<std::ptrdiff_t>(count), added.begin(), added.end());
    state.inferred += added.size();
    return added.size();
}

// A template that types a position of the live HOR (a type of the unit read
// with every live segment) holds monomers the rounds made no monomer of: on a
// short array a position of a few copies lies nearer a standard monomer than
// any group the leaders formed. Its live segments' consensus becomes an
// inferred monomer. Returns how many monomers it added; they follow the
// inferred ones.
std::size_t AdoptTemplates(const std::vector<std::string>& sequences, State& state,
                           const std::vector<std::size_t>& unit, const InferSettings& settings) {
    const std::vector<LiveSegment> live =
        LiveSegments(state.segments, state.regions, settings.regions.satelliteIdentity);
    std::vector<MonomerType> added;
    for (const std::size_t type : unit) {
        if (type < state.inferred) continue;
        std::vector<std::string> pieces;
        for (const LiveSegment& at : live) {
            if (state.segments[at.record][at.index].type == type)
                pieces.push_back(Piece(sequences, state.segments, at));
        }
        if (pieces.size() < settings.minCount) continue;
        const std::vector<std::string_view> views(pieces.begin(), pieces.end());
        Group group;
        group.members.resize(pieces.size());
        std::iota(group.members.begin(), group.members.end(), std::size_t{0});
        Summarise(group, views, settings.consensusSample);
        added.push_back({"", group.consensus});
    }
    state.set.insert(state.set.begin() + static_cast<std::ptrdiff_t>(state.inferred), added.begin(), added.end());
    state.inferred += added.size();
    return added.size();
}

namespace {

// A live segment's bases aligned alone to `monomer` on the segment's strand.
std::vector<Segment> AloneAgainst(const std::vector<std::string>& sequences, const Segment& segment,
                                  std::size_t record, const std::string& monomer, const Scoring& scoring) {
    const std::string_view bases(sequences[record].data() + segment.start,
                                 static_cast<std::size_t>(segment.end - segment.start + 1));
    return Decompose(bases, {{"", segment.reverse ? ReverseComplement(monomer) : monomer}}, scoring);
}

// The inferred monomers other than its own that a live segment aligns to with
// its own score (same bases, same strand), found with one engine per worker;
// `column` and `at` as ColumnSegments gives them.
std::vector<std::vector<std::size_t>> TiedMonomers(const std::vector<std::string>& sequences, const State& state,
                                                   const std::vector<ColumnSegment>& column,
                                                   const std::vector<LiveSegment>& at,
                                                   const InferSettings& settings) {
    std::vector<std::vector<std::size_t>> tied(column.size());
    std::vector<LevenshteinEngine> engines(std::max(1U, settings.threads));
    ParallelFor(column.size(), settings.threads, [&](std::size_t k, unsigned worker) {
        LevenshteinEngine& engine = engines[worker];
        const std::string& piece = column[k].piece;
        // A score as good as the own monomer's lies at most a couple of
        // edits further (an edit costs at most as much as a mismatch).
        const std::uint32_t limit = engine.Distance(piece, state.set[column[k].type].sequence) + 2;
        const Segment& segment = state.segments[at[k].record][at[k].index];
        for (std::size_t type = 0; type < state.inferred; ++type) {
            if (type == column[k].type || engine.DistanceAtMost(piece, state.set[type].sequence, limit) > limit)
                continue;
            const std::vector<Segment> alone =
                AloneAgainst(sequences, segment, at[k].record, state.set[type].sequence, settings.scoring);
            if (alone.size() == 1 && !alone[0].reverse && alone[0].score == segment.score) tied[k].push_back(type);
        }
    });
    return tied;
}

}  // namespace

// Segments whose bases cannot tell two monomers apart: a live segment of an
// inferred monomer that aligns to other inferred monomers with its own score
// (the decomposition gives such a segment the first of them in the set) takes
// the one whose other copies, those the bases place, stand most often
// between the same two neighbours in their runs (beside the one neighbour at
// the end of a run). CHM13 chr18's 3 and 7 differ at one base, 3/7 and 7 at
// two: a copy that carries one base of each is placed by its neighbours, as
// 2 _ 8 places 3/7. The decomposition keeps its score. Returns how many
// segments changed type.
std::size_t PlaceTiedSegments(const std::vector<std::string>& sequences, State& state,
                              const InferSettings& settings) {
    std::vector<LiveSegment> at;
    const std::vector<ColumnSegment> column =
        ColumnSegments(sequences, state, settings.regions.satelliteIdentity, &at);
    const std::vector<std::vector<std::size_t>> tied = TiedMonomers(sequences, state, column, at, settings);
    constexpr std::size_t kAny = ColumnSegment::kNone - 1;
    const auto typeOf = [&](std::size_t k) { return k == ColumnSegment::kNone ? kAny : column[k].type; };
    // (type before, type, type after) -> placed segments; kAny on a side counts every neighbour.
    std::map<std::array<std::size_t, 3>, std::size_t> between;
    for (std::size_t k = 0; k < column.size(); ++k) {
        if (!tied[k].empty()) continue;
        const std::size_t before = typeOf(column[k].before);
        const std::size_t after = typeOf(column[k].after);
        ++between[{before, column[k].type, after}];
        if (before != kAny && after != kAny) {
            ++between[{before, column[k].type, kAny}];
            ++between[{kAny, column[k].type, after}];
        }
    }
    std::size_t changed = 0;
    for (std::size_t k = 0; k < column.size(); ++k) {
        const std::size_t before = typeOf(column[k].before);
        const std::size_t after = typeOf(column[k].after);
        if (tied[k].empty() || (before == kAny && after == kAny)) continue;
        const auto placed = [&](std::size_t type) {
            const auto found = between.find({before, type, after});
            return found == between.end() ? std::size_t{0} : found->second;
        };
        std::size_t best = column[k].type;
        for (const std::size_t type : tied[k]) {
            if (placed(type) > placed(best)) best = type;
        }
        if (best == column[k].type) continue;
        Segment& segment = state.segments[at[k].record][at[k].index];
        segment.identity =
            AloneAgainst(sequences, segment, at[k].record, state.set[best].sequence, settings.scoring)[0].identity;
        segment.type = best;
        ++changed;
    }
    return changed;
}

}  // namespace horgrid::infer
