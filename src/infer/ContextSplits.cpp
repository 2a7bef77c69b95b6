#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "common/Parallel.h"
#include "infer/GroupConsensus.h"
#include "infer/InferState.h"
#include "sequence/EditDistance.h"

namespace horgrid::infer {
namespace {

constexpr std::size_t kNone = ColumnSegment::kNone;
constexpr std::size_t kContextSample = 200;  // members aligned for a context's consensus
// A donor stands beside the neighbour in at least this fraction (1/n) of the
// copies the context holds: the other layout of the HOR, not a rearrangement
// of a few copies whose monomer matches some of the sites by chance.
constexpr std::size_t kDonorShare = 8;

// The members of one type that stand between the same two types in their run.
struct Context {
    std::size_t before = 0;
    std::size_t after = 0;
    Group group;
};

bool ShareSide(const Context& a, const Context& b) { return a.before == b.before || a.after == b.after; }

// The contexts of every type that hold at least minCount and a twentieth of
// the type's segments with both neighbours, largest first.
std::vector<std::vector<Context>> TypeContexts(const std::vector<ColumnSegment>& segments, std::size_t types,
                                               std::size_t minCount) {
    std::vector<std::map<std::pair<std::size_t, std::size_t>, std::vector<std::size_t>>> byPair(types);
    std::vector<std::size_t> total(types, 0);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const ColumnSegment& s = segments[i];
        if (s.before == kNone || s.after == kNone) continue;
        ++total[s.type];
        byPair[s.type][{segments[s.before].type, segments[s.after].type}].push_back(i);
    }
    std::vector<std::vector<Context>> contexts(types);
    for (std::size_t type = 0; type < types; ++type) {
        for (auto& [pair, members] : byPair[type]) {
            if (members.size() < minCount || 20 * members.size() < total[type]) continue;
            contexts[type].push_back({pair.first, pair.second, Group{std::move(members), {}, 0}});
        }
        std::stable_sort(contexts[type].begin(), contexts[type].end(), [](const Context& a, const Context& b) {
            return a.group.members.size() > b.group.members.size();
        });
    }
    return contexts;
}

// What the contexts are judged on: the monomers, the segments' pieces, and
// for every type the types that follow and precede it, most frequent first.
struct Evidence {
    const std::vector<MonomerType>& set;
    const std::vector<std::string_view>& views;
    const std::vector<ColumnSegment>* segments;
    float mergeLimit;
    std::size_t minCount;
    std::size_t inferred;  // the set's first monomers, the inferred ones
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> after;   // type -> (count, type)
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> before;

    // Two contexts are two HOR positions when neither neighbour is shared (no
    // copy of a variant reads the one where the other stands), the neighbours
    // on one side at least are not one position in two layers (they lie
    // farther apart than monomers that merge), and their members separate.
    bool Distinct(const Context& a, const Context& b) const {
        const auto far = [&](std::size_t x, std::size_t y) {
            return PercentApart(set[x].sequence, set[y].sequence) > mergeLimit;
        };
        return !ShareSide(a, b) && (far(a.before, b.before) || far(a.after, b.after)) &&
               SeparateColumns(a.group, b.group, views);
    }

    // The members of `c` (type `type`) are a hybrid of `position` and the
    // position that another HOR variant puts beside one of c's neighbours (the
    // type other than `type` that most often follows c's first neighbour or
    // precedes its second): they carry that position's distinguishing bases
    // in the half on that neighbour's side (CarriesDonor). (Either of two
    // contexts may be the hybrid: the larger one when the array's copies
    // mostly hold the variant.)
    bool Hybrid(const Context& c, std::size_t type, const Context& position) const {
        const std::string& own = position.group.consensus;
        const auto aligned = [&](const Group& group) {
            std::vector<std::string> bases;
            const std::size_t count = std::min(group.members.size(), kContextSample);
            for (std::size_t k = 0; k < count; ++k)
                bases.push_back(AlignedBases(views[group.members[k * group.members.size() / count]], own));
            return bases;
        };
        for (const bool fromLeft : {true, false}) {
            for (const auto& [count, donor] : fromLeft ? after[c.before] : before[c.after]) {
                if (donor == type) continue;
                if (count < minCount || kDonorShare * count < c.group.members.size()) break;
                std::vector<std::string> family;  // the other monomers
                for (std::size_t k = 0; k < inferred; ++k) {
                    if (k != type && k != donor) family.push_back(AlignedBases(set[k].sequence, own));
                }
                if (CarriesDonor(aligned(c.group), aligned(position.group), own,
                                 AlignedBases(set[donor].sequence, own), family, fromLeft) == DonorPart::kCarried)
                    return true;
                break;
            }
        }
        return false;
    }
};

// Whether nine in ten members of context `a` are followed in their run by a
// member of `b` before the next member of `a` (within kLayoutReach monomers).
constexpr std::size_t kLayoutReach = 100;
bool Follows(const std::vector<ColumnSegment>& segments, const Context& a, const std::vector<std::uint8_t>& in) {
    std::size_t followed = 0;
    for (const std::size_t m : a.group.members) {
        std::size_t at = segments[m].after;
        for (std::size_t step = 0; at != kNone && step < kLayoutReach; ++step, at = segments[at].after) {
            if (in[at] == 1) break;
            if (in[at] == 2) {
                ++followed;
                break;
            }
        }
    }
    return 10 * followed >= 9 * a.group.members.size();
}

// Two contexts stand in one layout of the HOR: nearly every copy of one is
// followed by one of the other within its copy (3 and 7 of a 12-monomer HOR
// that share a type; 4 of the whole HOR and 10, which a variant lacking 4
// holds too). One position in two layouts is not: a copy of one layout is
// followed by one of the other only where the array happens to lay them so.
bool OneLayout(const std::vector<ColumnSegment>& segments, const Context& a, const Context& b) {
    std::vector<std::uint8_t> in(segments.size(), 0);
    for (const std::size_t m : a.group.members) in[m] = 1;
    for (const std::size_t m : b.group.members) in[m] = 2;
    if (Follows(segments, a, in)) return true;
    for (const std::size_t m : a.group.members) in[m] = 2;
    for (const std::size_t m : b.group.members) in[m] = 1;
    return Follows(segments, b, in);
}

// The positions a type's contexts hold (see SplitByContext), as member lists;
// empty when they hold one.
std::vector<std::vector<std::size_t>> Positions(const std::vector<Context>& contexts, std::size_t type,
                                                const Evidence& evidence) {
    const std::vector<std::string_view>& views = evidence.views;
    // Seeds: the distinct pair of one layout (OneLayout) whose smaller
    // context is largest, then every context distinct from all seeds and of
    // one layout with each, largest first. A seed holds at least
    // an eighth of the contexts' copies: two positions that one type holds
    // stand in every copy of some layout of the HOR, while a context of a few
    // copies is a rearrangement or a position that a variant holds twice,
    // and the other contexts would join it by their nearest consensus.
    std::size_t total = 0;
    for (const Context& c : contexts) total += c.group.members.size();
    const auto large = [&](std::size_t k) { return kDonorShare * contexts[k].group.members.size() >= total; };
    std::vector<std::size_t> seeds;
    std::size_t best = 0;
    for (std::size_t i = 0; i < contexts.size(); ++i) {
        for (std::size_t j = i + 1; j < contexts.size() && large(j); ++j) {
            const std::size_t smaller = contexts[j].group.members.size();
            if (smaller > best && evidence.Distinct(contexts[i], contexts[j]) &&
                OneLayout(*evidence.segments, contexts[i], contexts[j])) {
                best = smaller;
                seeds = {i, j};
            }
        }
    }
    if (seeds.empty()) seeds = {0};
    for (std::size_t k = 0; k < contexts.size(); ++k) {
        if (std::find(seeds.begin(), seeds.end(), k) != seeds.end() || !large(k)) continue;
        if (std::all_of(seeds.begin(), seeds.end(),
                        [&](std::size_t s) {
                            return evidence.Distinct(contexts[k], contexts[s]) &&
                                   OneLayout(*evidence.segments, contexts[k], contexts[s]);
                        }))
            seeds.push_back(k);
    }
    std::vector<std::vector<std::size_t>> positions;
    for (const std::size_t s : seeds) positions.push_back(contexts[s].group.members);
    for (std::size_t k = 0; k < contexts.size(); ++k) {
        if (std::find(seeds.begin(), seeds.end(), k) != seeds.end()) continue;
        const Context& c = contexts[k];
        // A junction: its first neighbour is one position's, its second
        // another's (a copy of a HOR variant that lacks the positions between
        // them); when it separates from every position it is a hybrid of two.
        bool left = false;
        bool right = false;
        bool apart = true;
        std::size_t nearest = 0;
        std::uint32_t distance = UINT32_MAX;
        for (std::size_t p = 0; p < seeds.size(); ++p) {
            const Context& seed = contexts[seeds[p]];
            const bool l = seed.before == c.before;
            const bool r = seed.after == c.after;
            left = left || l;
            right = right || r;
            apart = apart && SeparateColumns(c.group, seed.group, views);
            const std::uint32_t d = Levenshtein(c.group.consensus, seed.group.consensus);
            if (d < distance) {
                distance = d;
                nearest = p;
            }
        }
        const Context& seed = contexts[seeds[nearest]];
        if (apart && ((left && right) || evidence.Hybrid(c, type, seed) || evidence.Hybrid(seed, type, c))) {
            positions.push_back(c.group.members);
        } else {
            positions[nearest].insert(positions[nearest].end(), c.group.members.begin(), c.group.members.end());
        }
    }
    if (positions.size() < 2) return {};
    return positions;
}

// The types that follow and precede every type in the runs, most frequent first.
void Neighbours(const std::vector<ColumnSegment>& segments, std::size_t types, Evidence& evidence) {
    std::vector<std::map<std::size_t, std::size_t>> after(types);
    for (const ColumnSegment& s : segments) {
        if (s.after != kNone) ++after[s.type][segments[s.after].type];
    }
    std::vector<std::map<std::size_t, std::size_t>> before(types);
    for (std::size_t t = 0; t < types; ++t) {
        for (const auto& [next, count] : after[t]) before[next][t] += count;
    }
    const auto ranked = [](const std::map<std::size_t, std::size_t>& counts) {
        std::vector<std::pair<std::size_t, std::size_t>> list;
        for (const auto& [type, count] : counts) list.emplace_back(count, type);
        std::sort(list.rbegin(), list.rend());
        return list;
    };
    for (std::size_t t = 0; t < types; ++t) {
        evidence.after.push_back(ranked(after[t]));
        evidence.before.push_back(ranked(before[t]));
    }
}

}  // namespace

std::size_t SplitByContext(const std::vector<std::string>& sequences, State& state, const InferSettings& settings) {
    const std::vector<ColumnSegment> segments = ColumnSegments(sequences, state, settings.regions.satelliteIdentity);
    std::vector<std::string_view> views;
    for (const ColumnSegment& s : segments) views.push_back(s.piece);
    std::vector<std::vector<Context>> contexts = TypeContexts(segments, state.inferred, settings.minCount);
    Evidence evidence{state.set, views, &segments, settings.mergeLimit, settings.minCount, state.inferred, {}, {}};
    Neighbours(segments, state.inferred, evidence);
    std::vector<std::vector<std::string>> split(state.inferred);  // consensuses of each type that splits
    ParallelFor(state.inferred, settings.threads, [&](std::size_t type, unsigned) {
        if (contexts[type].size() < 2) return;
        for (Context& c : contexts[type]) Summarise(c.group, views, kContextSample);
        for (std::vector<std::size_t>& members : Positions(contexts[type], type, evidence)) {
                Group group{std::move(members), {}, 0};
            Summarise(group, views, settings.consensusSample);
            split[type].push_back(std::move(group.consensus));
        }
    });
    std::vector<MonomerType> set;
    std::vector<MonomerType> added;
    for (std::size_t type = 0; type < state.inferred; ++type) {
        if (split[type].empty()) {
            set.push_back(state.set[type]);
            continue;
        }
        set.push_back({state.set[type].name, split[type][0]});
        for (std::size_t k = 1; k < split[type].size(); ++k) added.push_back({"", split[type][k]});
    }
    if (added.empty()) return 0;
    set.insert(set.end(), added.begin(), added.end());
    ReplaceInferred(state, std::move(set));
    return added.size();
}

}  // namespace horgrid::infer
