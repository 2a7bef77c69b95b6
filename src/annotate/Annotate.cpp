#include "annotate/Annotate.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <set>

#include "annotate/HorColumns.h"
#include "annotate/LikelyFamilies.h"
#include "common/Parallel.h"
#include "ensemble/CenpB.h"
#include "sequence/NearestSequences.h"
#include "decompose/ChunkedDecompose.h"
#include "infer/LeaderClusters.h"
#include "sequence/EditDistance.h"
#include "sequence/DistinctSequences.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

namespace {

// Distances of every text to every monomer of a set, row by row (text-major).
std::vector<std::uint32_t> AllDistances(const std::vector<std::string_view>& texts,
                                        const std::vector<MonomerType>& set, unsigned threads) {
    std::vector<std::string_view> views;
    for (const MonomerType& type : set) views.push_back(type.sequence);
    const std::size_t width = views.size();
    // Repeated texts (exact HOR copies) are measured once.
    const DistinctSequences distinct = FindDistinct(texts);
    std::vector<std::uint32_t> unique(distinct.sequences.size() * width);
    std::vector<std::unique_ptr<LevenshteinBatch>> batches(std::max(threads, 1u));
    ParallelFor(
        distinct.sequences.size(), threads,
        [&](std::size_t i, unsigned worker) {
            if (!batches[worker]) batches[worker] = std::make_unique<LevenshteinBatch>(views);
            batches[worker]->Distances(distinct.sequences[i], 0, width, unique.data() + i * width);
        },
        16);
    std::vector<std::uint32_t> distances(texts.size() * width);
    for (std::size_t i = 0; i < texts.size(); ++i)
        std::copy_n(unique.data() + distinct.of[i] * width, width, distances.data() + i * width);
    return distances;
}

double Percent(std::uint32_t distance, std::size_t length) {
    return length == 0 ? 100.0 : 100.0 * distance / static_cast<double>(length);
}

std::string Upper(std::string_view bases) {
    std::string text(bases);
    for (char& base : text) base = static_cast<char>(std::toupper(static_cast<unsigned char>(base)));
    return text;
}

// Splits groups whose members follow different groups in HOR order: copies of
// two positions that lie within the closeness of one leader still follow
// different monomers. A part is split off when at least `minPart` members and
// a tenth of the group follow one group; the members following a minor or no
// group stay in the largest part.
// Members a part split off a group needs (and a tenth of the group).
constexpr std::size_t kMinPart = 2;

std::vector<std::vector<std::size_t>> SplitByPredecessor(const std::vector<std::vector<std::size_t>>& groups,
                                                         const std::vector<std::size_t>& previous,
                                                         std::size_t minPart) {
    std::vector<std::size_t> groupOf(previous.size(), kNone);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const std::size_t m : groups[g]) groupOf[m] = g;
    }
    std::vector<std::vector<std::size_t>> split;
    for (const std::vector<std::size_t>& group : groups) {
        std::map<std::size_t, std::size_t> follows;  // predecessor group -> members
        for (const std::size_t m : group) {
            if (previous[m] != kNone) ++follows[groupOf[previous[m]]];
        }
        std::map<std::size_t, std::size_t> part;  // predecessor group -> index in split
        std::size_t main = kNone, mainCount = 0;
        for (const auto& [g, n] : follows) {
            if (n >= minPart && 10 * n >= group.size()) {
                part[g] = split.size();
                split.emplace_back();
                if (n > mainCount) {
                    main = part[g];
                    mainCount = n;
                }
            }
        }
        if (main == kNone) {
            split.push_back(group);
            continue;
        }
        for (const std::size_t m : group) {
            const auto it = previous[m] == kNone ? part.end() : part.find(groupOf[previous[m]]);
            split[it == part.end() ? main : it->second].push_back(m);
        }
    }
    return split;
}

// Joins groups into HOR positions: groups with the same nearest candidate
// whose members mostly follow the same position are copies of one position
// (variants that fell outside its leader's closeness). Repeated until no two
// positions join. Returns the groups of each position.
std::vector<std::vector<std::size_t>> JoinPositions(const std::vector<std::vector<std::size_t>>& groups,
                                                    const std::vector<std::size_t>& previous,
                                                    const std::vector<std::size_t>& closest) {
    std::vector<std::size_t> groupOf(previous.size(), kNone);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const std::size_t m : groups[g]) groupOf[m] = g;
    }
    std::vector<std::size_t> root(groups.size());
    std::iota(root.begin(), root.end(), 0);
    const auto find = [&](std::size_t g) {
        while (root[g] != g) g = root[g] = root[root[g]];
        return g;
    };
    for (bool joined = true; joined;) {
        joined = false;
        std::map<std::pair<std::size_t, std::size_t>, std::size_t>
            first;  // (predecessor, candidate) -> group
        for (std::size_t g = 0; g < groups.size(); ++g) {
            std::map<std::size_t, std::size_t> follows;
            for (const std::size_t m : groups[g]) {
                if (previous[m] != kNone) ++follows[find(groupOf[previous[m]])];
            }
            if (follows.empty()) continue;
            const std::size_t before =
                std::max_element(follows.begin(), follows.end(), [](const auto& x, const auto& y) {
                    return x.second < y.second;
                })->first;
            const auto [it, added] = first.emplace(std::pair{before, closest[g]}, g);
            if (!added && find(it->second) != find(g)) {
                root[find(g)] = find(it->second);
                joined = true;
            }
        }
    }
    std::vector<std::vector<std::size_t>> positions;
    std::vector<std::size_t> index(groups.size(), kNone);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::size_t r = find(g);
        if (index[r] == kNone) {
            index[r] = positions.size();
            positions.emplace_back();
        }
        positions[index[r]].push_back(g);
    }
    return positions;
}

}  // namespace

namespace {

// Copies of one HOR position: `groups` of members and the groups of each position.
struct PositionGroups {
    std::vector<std::vector<std::size_t>> groups;
    std::vector<std::vector<std::size_t>> positions;
    bool columns = false;  // the positions are the columns of the HOR's period
    std::vector<std::size_t> column;  // each member's column (HorColumns), empty without a period
};

// Positions nearest to one candidate whose members stand mostly in one
// column of the HOR are one position: copies that share substitutions (every
// other copy, say) group apart by sequence, yet fill the same place of the
// HOR. `closest`: each group's nearest candidate.
std::vector<std::vector<std::size_t>> JoinByColumn(const PositionGroups& found, const std::vector<std::size_t>& closest,
                                                   std::vector<std::vector<std::size_t>> positions) {
    if (found.column.empty()) return positions;
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> index;  // (column, candidate) -> joined position
    std::vector<std::vector<std::size_t>> joined;
    const auto most = [](const std::map<std::size_t, std::size_t>& counts) {
        return std::max_element(counts.begin(), counts.end(),
                                [](const auto& x, const auto& y) { return x.second < y.second; })
            ->first;
    };
    for (const std::vector<std::size_t>& held : positions) {
        std::map<std::size_t, std::size_t> columns, candidates;
        for (const std::size_t g : held) {
            candidates[closest[g]] += found.groups[g].size();
            for (const std::size_t m : found.groups[g]) ++columns[found.column[m]];
        }
        const auto [it, added] = index.emplace(std::pair{most(columns), most(candidates)}, joined.size());
        if (added) joined.emplace_back();
        joined[it->second].insert(joined[it->second].end(), held.begin(), held.end());
    }
    return joined;
}

// The positions of an array's members: leader groups at positionCloseness,
// split by predecessor and joined (SplitByPredecessor, JoinPositions). When
// most members lie in tiny groups (copies too noisy to group by sequence, as
// in a read: more than half members in groups of at most kMinPart) and the nearest names show a period, the positions are the
// columns of that period instead (HorColumns; breaking HOR order costs as much
// as a monomer at the name limit).
PositionGroups GroupPositions(const std::vector<std::string_view>& members, const std::vector<std::size_t>& previous,
                              const std::vector<std::uint32_t>& distance, std::size_t width,
                              const AnnotationSettings& settings, unsigned threads) {
    const std::size_t count = members.size();
    PositionGroups found;
    // The most typical copies lead the groups.
    std::vector<std::uint32_t> nearest(count);
    for (std::size_t i = 0; i < count; ++i)
        nearest[i] = *std::min_element(distance.begin() + i * width, distance.begin() + (i + 1) * width);
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return nearest[a] < nearest[b]; });
    const std::vector<std::vector<std::size_t>> leaders =
        LeaderClusters(members, order, static_cast<float>(settings.positionCloseness), threads);
    std::size_t alone = 0;  // members of groups too small to split a part off (kMinPart)
    for (const auto& group : leaders) alone += group.size() <= kMinPart ? group.size() : 0;
    double bases = 0;
    for (const std::string_view member : members) bases += static_cast<double>(member.size());
    found.column =
        HorColumns(distance, width, previous, settings.nameLimit / 100.0 * bases / static_cast<double>(count));
    const std::vector<std::size_t>& column = found.column;
    if (!column.empty() && 2 * alone > count) {
        found.columns = true;
        for (std::size_t m = 0; m < count; ++m) {
            if (column[m] >= found.groups.size()) found.groups.resize(column[m] + 1);
            found.groups[column[m]].push_back(m);
        }
        found.groups.erase(std::remove_if(found.groups.begin(), found.groups.end(),
                                          [](const auto& group) { return group.empty(); }),
                           found.groups.end());
        for (std::size_t g = 0; g < found.groups.size(); ++g) found.positions.push_back({g});
        return found;
    }
    found.groups = SplitByPredecessor(leaders, previous, kMinPart);
    std::vector<std::size_t> closest(found.groups.size(), 0);
    for (std::size_t g = 0; g < found.groups.size(); ++g) {
        std::vector<double> sums(width, 0);
        for (const std::size_t m : found.groups[g]) {
            for (std::size_t c = 0; c < width; ++c) sums[c] += distance[m * width + c];
        }
        closest[g] = static_cast<std::size_t>(std::min_element(sums.begin(), sums.end()) - sums.begin());
    }
    found.positions = JoinByColumn(found, closest, JoinPositions(found.groups, previous, closest));
    return found;
}

// A position beyond the name limit whose copies stand mostly in one column
// of the HOR takes the name most of that column's named copies have, or, in a
// column of no named copy, its nearest candidate when no other position holds
// it: copies a little too far from their standard monomer for its name (a
// variant of it in every copy) still stand in its place. Without a period it
// stays unnamed (its class). `beyond`: (position, its nearest candidate).
void NameBeyondByColumn(const PositionGroups& grouped,
                        const std::vector<std::pair<std::size_t, std::size_t>>& beyond,
                        std::vector<std::size_t>& named) {
    if (grouped.column.empty()) return;
    std::map<std::size_t, std::map<std::size_t, std::size_t>> namesOf;  // column -> candidate -> copies
    std::set<std::size_t> held;
    for (std::size_t m = 0; m < named.size(); ++m) {
        if (named[m] == kNone) continue;
        ++namesOf[grouped.column[m]][named[m]];
        held.insert(named[m]);
    }
    const auto most = [](const std::map<std::size_t, std::size_t>& counts) {
        return std::max_element(counts.begin(), counts.end(),
                                [](const auto& x, const auto& y) { return x.second < y.second; })
            ->first;
    };
    for (const auto& [p, nearest] : beyond) {
        std::map<std::size_t, std::size_t> columns;
        for (const std::size_t g : grouped.positions[p]) {
            for (const std::size_t m : grouped.groups[g]) ++columns[grouped.column[m]];
        }
        const auto found = namesOf.find(most(columns));
        if (found == namesOf.end() && held.contains(nearest)) continue;
        const std::size_t candidate = found == namesOf.end() ? nearest : most(found->second);
        held.insert(candidate);
        for (const std::size_t g : grouped.positions[p]) {
            for (const std::size_t m : grouped.groups[g]) named[m] = candidate;
        }
    }
}

// Copies of a position nearest to a hybrid of the HOR are that hybrid when
// they are as many as a part split off a group (SplitByPredecessor): a hybrid
// whose copies lie within the closeness of a position's leader.
void NameHybrids(const std::vector<std::uint32_t>& distance, std::size_t width,
                 const std::vector<MonomerType>& candidates, const PositionGroups& grouped,
                 std::vector<std::size_t>& named) {
    for (const std::vector<std::size_t>& held : grouped.positions) {
        std::map<std::size_t, std::vector<std::size_t>> hybrid;  // hybrid candidate -> members
        std::size_t size = 0;
        for (const std::size_t g : held) {
            for (const std::size_t m : grouped.groups[g]) {
                ++size;
                const auto row = distance.begin() + static_cast<std::ptrdiff_t>(m * width);
                // The first hybrid among the nearest candidates.
                const std::uint32_t nearest = *std::min_element(row, row + width);
                std::size_t near = 0;
                while (near < width && (row[near] != nearest || !IsHybrid(candidates[near].name))) ++near;
                if (named[m] != kNone && near < width && nearest < row[named[m]]) hybrid[near].push_back(m);
            }
        }
        for (const auto& [candidate, part] : hybrid) {
            if (part.size() < kMinPart || 10 * part.size() < size) continue;
            for (const std::size_t m : part) named[m] = candidate;
        }
    }
}

// A member that reads as another candidate at every base that tells it from
// its name (nearer to it by their whole distance, `between`) is that
// candidate, wherever it stands: a copy of position 7 in the place of 3 when
// the two lie a base apart, as the HMM names it. Noise rarely turns every
// telling base, and never many.
void NameBySequence(const std::vector<std::uint32_t>& distance, std::size_t width,
                    const std::vector<std::uint32_t>& between, std::vector<std::size_t>& named) {
    for (std::size_t m = 0; m < named.size(); ++m) {
        if (named[m] == kNone) continue;
        const std::uint32_t* row = distance.data() + m * width;
        const std::size_t name = named[m];
        for (std::size_t c = 0; c < width; ++c) {
            if (row[c] < row[named[m]] && row[c] + between[name * width + c] <= row[name]) named[m] = c;
        }
    }
}

// In a read, a column of the HOR may hold copies of two standard monomers (a
// variant's place of 3 holding 3 in some copies and 6 in others): its copies
// that read as another candidate at half the bases telling it from the
// column's name or more are that candidate, when they are as many as a part
// split off a group and a tenth of the column. Noise turns a telling base
// now and then, and half of them in a tenth of the copies only where none
// tells.
void NameMixedColumns(const std::vector<std::uint32_t>& distance, std::size_t width,
                      const std::vector<std::uint32_t>& between, const PositionGroups& grouped,
                      std::vector<std::size_t>& named) {
    if (!grouped.columns) return;
    for (const std::vector<std::size_t>& held : grouped.positions) {
        std::map<std::size_t, std::vector<std::size_t>> other;  // candidate -> members reading as it
        std::size_t size = 0;
        for (const std::size_t g : held) {
            for (const std::size_t m : grouped.groups[g]) {
                ++size;
                if (named[m] == kNone) continue;
                const std::uint32_t* row = distance.data() + m * width;
                const std::size_t name = named[m];
                const auto nearest = static_cast<std::size_t>(std::min_element(row, row + width) - row);
                if (nearest != name && 2 * (row[name] - row[nearest]) >= between[name * width + nearest])
                    other[nearest].push_back(m);
            }
        }
        for (const auto& [candidate, part] : other) {
            if (part.size() < kMinPart || 10 * part.size() < size) continue;
            for (const std::size_t m : part) named[m] = candidate;
        }
    }
}

// A member named after a hybrid that lies nearer one of the hybrid's parts
// (1 or 3 of "1/3") is that part: a position of a read whose HOR columns mix
// copies of 1, 3 and 1/3 is named after the hybrid, nearest to them all on
// average, and a hybrid lying a few bases from a part takes copies of it by
// the rules above (NameBySequence, for one).
void NameHybridParts(const std::vector<std::uint32_t>& distance, const std::vector<MonomerType>& candidates,
                     std::vector<std::size_t>& named) {
    const std::size_t width = candidates.size();
    for (std::size_t m = 0; m < named.size(); ++m) {
        if (named[m] == kNone || !IsHybrid(candidates[named[m]].name)) continue;
        const std::string_view hybrid = candidates[named[m]].name;
        const std::uint32_t* row = distance.data() + m * width;
        std::size_t nearest = named[m];
        for (std::size_t c = 0; c < width; ++c) {
            if (row[c] < row[nearest] && IsHybridPart(candidates[c].name, hybrid)) nearest = c;
        }
        named[m] = nearest;
    }
}

// NamePositions on the members' distances to the candidates (member-major) and theirs to each other.
std::vector<std::size_t> NamePositionsAt(const std::vector<std::string_view>& members,
                                         const std::vector<std::size_t>& previous,
                                         const std::vector<MonomerType>& candidates,
                                         const std::vector<std::uint32_t>& distance,
                                         const std::vector<std::uint32_t>& between,
                                         const AnnotationSettings& settings, unsigned threads,
                                         std::vector<std::size_t>& position) {
    const std::size_t count = members.size();
    const std::size_t width = candidates.size();
    std::vector<std::size_t> named(count, kNone);
    position.assign(count, kNone);
    if (count == 0 || width == 0) return named;
    const PositionGroups grouped = GroupPositions(members, previous, distance, width, settings, threads);
    const auto& groups = grouped.groups;
    const auto& positions = grouped.positions;
    std::vector<std::vector<double>> sums(groups.size(), std::vector<double>(width, 0));
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (const std::size_t m : groups[g]) {
            for (std::size_t c = 0; c < width; ++c) sums[g][c] += distance[m * width + c];
        }
    }

    // Positions beyond the name limit (on average) are named last (below),
    // unless they are columns of the HOR: a noisy copy keeps its place's name.
    std::vector<std::vector<double>> cost;
    std::vector<std::size_t> rowPosition, best;
    std::vector<std::pair<std::size_t, std::size_t>> beyond;  // (position, nearest candidate)
    std::vector<double> penalty;
    for (std::size_t p = 0; p < positions.size(); ++p) {
        std::vector<double> total(width, 0);
        double bases = 0;
        std::size_t size = 0;
        for (const std::size_t g : positions[p]) {
            for (std::size_t c = 0; c < width; ++c) total[c] += sums[g][c];
            for (const std::size_t m : groups[g]) {
                position[m] = p;
                bases += static_cast<double>(members[m].size());
                ++size;
            }
        }
        if (size == 0) continue;
        const std::size_t nearestCandidate =
            static_cast<std::size_t>(std::min_element(total.begin(), total.end()) - total.begin());
        const double mean = total[nearestCandidate] / static_cast<double>(size);
        if (!grouped.columns &&
            100.0 * mean / static_cast<double>(candidates[nearestCandidate].sequence.size()) > settings.nameLimit) {
            beyond.emplace_back(p, nearestCandidate);
            continue;
        }
        cost.push_back(std::move(total));
        rowPosition.push_back(p);
        best.push_back(nearestCandidate);
        penalty.push_back(settings.reusePenalty / 100.0 * bases);
    }
    // One column per candidate, plus one "share the nearest candidate" column per row.
    double total = 1;
    for (const auto& row : cost) total += std::accumulate(row.begin(), row.end(), 0.0);
    for (std::size_t r = 0; r < cost.size(); ++r) {
        const double shared = cost[r][best[r]] + penalty[r];
        cost[r].resize(width + cost.size(), total * 2 + 1);
        cost[r][width + r] = shared;
    }
    const std::vector<std::size_t> column = AssignRows(cost);
    for (std::size_t r = 0; r < column.size(); ++r) {
        const std::size_t candidate = column[r] < width ? column[r] : best[r];
        for (const std::size_t g : positions[rowPosition[r]]) {
            for (const std::size_t m : groups[g]) named[m] = candidate;
        }
    }
    NameBeyondByColumn(grouped, beyond, named);
    NameHybrids(distance, width, candidates, grouped, named);
    NameBySequence(distance, width, between, named);
    NameMixedColumns(distance, width, between, grouped, named);
    NameHybridParts(distance, candidates, named);
    return named;
}

}  // namespace

std::vector<std::size_t> NamePositions(const std::vector<std::string_view>& members,
                                       const std::vector<std::size_t>& previous,
                                       const std::vector<MonomerType>& candidates,
                                       const AnnotationSettings& settings, unsigned threads,
                                       std::vector<std::size_t>& position) {
    std::vector<std::string_view> texts;
    for (const MonomerType& type : candidates) texts.push_back(type.sequence);
    return NamePositionsAt(members, previous, candidates, AllDistances(members, candidates, threads),
                           AllDistances(texts, candidates, 1), settings, threads, position);
}

namespace {

// Names the monomers of a live HOR array by its positions (NamePositions);
// returns each member's position.
std::vector<std::size_t> NameLiveArray(const StandardSets& sets, const AnnotationSettings& settings,
                                       unsigned threads, const std::vector<std::string_view>& members,
                                       const NamedStretch& stretch, Annotation& result) {
    const HorProfiles hor = ProfilesOfHor(sets, stretch.hor);
    const std::vector<MonomerType>& candidates = hor.names;
    const std::size_t width = candidates.size();
    const std::vector<std::uint32_t> distance =
        hor.NearestOfName(AllDistances(members, hor.profiles, threads));
    std::vector<std::string_view> texts;
    for (const MonomerType& type : hor.profiles) texts.push_back(type.sequence);
    const std::vector<std::uint32_t> between = hor.Between(AllDistances(texts, hor.profiles, 1));
    // The monomer before each in HOR order (reverse runs read backwards).
    std::vector<std::size_t> previous(members.size(), kNone);
    for (std::size_t k = 1; k < members.size(); ++k) {
        const AnnotatedMonomer& left = result.monomers[stretch.first + k - 1];
        const AnnotatedMonomer& right = result.monomers[stretch.first + k];
        if (left.reverse != right.reverse || right.start - left.end > kAdjacentMonomers) continue;
        if (right.reverse) {
            previous[k - 1] = k;
        } else {
            previous[k] = k - 1;
        }
    }
    std::vector<std::size_t> position;
    const std::vector<std::size_t> named =
        NamePositionsAt(members, previous, candidates, distance, between, settings, threads, position);
    // Positions beyond every candidate are named after their class, numbered
    // per class after a '#' ("S2C13/21H1L.D3#1"): a name with '-' or '_' would
    // read as a range or a join in the copies' StV names.
    std::map<std::size_t, std::string> ownName;
    std::map<std::string, std::size_t> perClass;
    for (std::size_t k = 0; k < members.size(); ++k) {
        AnnotatedMonomer& monomer = result.monomers[stretch.first + k];
        if (named[k] != kNone) {
            const MonomerType& standard = candidates[named[k]];
            monomer.name = standard.name;
            monomer.identity = 100 - Percent(distance[k * width + named[k]], standard.sequence.size());
        } else {
            auto [it, added] = ownName.emplace(position[k], "");
            if (added) {
                const std::string& family = sets.families[monomer.family].name;
                it->second = stretch.hor + "." + family + "#" + std::to_string(++perClass[family]);
            }
            monomer.name = it->second;
            monomer.identity = 0;
        }
        monomer.horName = true;
    }
    return position;
}

// The monomers of an array as HOR types: one per name, except that positions
// sharing a name stay apart when each holds at least half as many copies as
// the largest of them. `typeName` receives each type's name.
std::vector<TypedMonomer> TypeByName(const Annotation& result, const NamedStretch& stretch,
                                     const std::vector<std::size_t>& position, std::vector<std::string>& typeName) {
    const std::size_t count = stretch.last - stretch.first;
    std::map<std::string, std::map<std::size_t, std::size_t>> sizes;  // name -> position -> members
    for (std::size_t k = 0; k < count; ++k) ++sizes[result.monomers[stretch.first + k].name][position[k]];
    std::map<std::pair<std::string, std::size_t>, std::size_t> typeOf;
    std::vector<TypedMonomer> typed;
    typeName.assign(count, "");
    for (std::size_t k = 0; k < count; ++k) {
        const AnnotatedMonomer& monomer = result.monomers[stretch.first + k];
        const auto& held = sizes[monomer.name];
        const auto largest = std::max_element(
            held.begin(), held.end(), [](const auto& x, const auto& y) { return x.second < y.second; });
        const std::size_t own = 2 * held.at(position[k]) >= largest->second ? position[k] : largest->first;
        const std::size_t type = typeOf.emplace(std::pair{monomer.name, own}, typeOf.size()).first->second;
        typed.push_back({0, monomer.start, monomer.end - 1, type, monomer.reverse});
        typeName[type] = monomer.name;
    }
    typeName.resize(typeOf.size());
    return typed;
}

// Where the unit starts: the type of the lowest standard monomer number (the
// most frequent type on ties); none when no name ends in a number.
std::optional<std::size_t> UnitStart(const std::vector<TypedMonomer>& typed,
                                     const std::vector<std::string>& typeName) {
    std::vector<std::size_t> typeCount(typeName.size(), 0);
    for (const TypedMonomer& monomer : typed) ++typeCount[monomer.type];
    std::optional<std::size_t> start;
    long lowest = std::numeric_limits<long>::max();
    for (std::size_t type = 0; type < typeName.size(); ++type) {
        const std::string_view number = MonomerOfName(typeName[type]);
        long value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || end != number.data() + number.size()) continue;
        if (value < lowest || (value == lowest && typeCount[type] > typeCount[*start])) {
            lowest = value;
            start = type;
        }
    }
    return start;
}

// The HOR of the typed monomers. Positions that share a name stay apart in
// the types; a unit that then holds a name twice must cover a tenth more than
// the unit of the names alone (CHM13 chr15's copies 1-4 and 1-11 are two
// copies of the 11-monomer HOR, not one 15-monomer unit); where the positions
// give no unit (noisy copies, each a position of its own), the names are
// read alone. Then the types are the names and `typeName` is replaced.
HorResult FindNamedHor(const std::vector<TypedMonomer>& typed, std::vector<std::string>& typeName,
                       const HorSearch& search) {
    HorResult hor = FindHor(typed, search);
    const auto covered = [](const HorResult& found) {
        std::size_t monomers = 0;
        for (const HorCopy& copy : found.copies)
            monomers += copy.kind == CopyKind::Full ? found.unit.size() : 0;
        return monomers;
    };
    std::set<std::string_view> unitNames;
    for (const std::size_t type : hor.unit) unitNames.insert(typeName[type]);
    if (!hor.unit.empty() && unitNames.size() == hor.unit.size()) return hor;
    std::map<std::string, std::size_t> nameIndex;
    std::vector<std::string> names;
    std::vector<TypedMonomer> byName = typed;
    for (TypedMonomer& monomer : byName) {
        const auto [it, added] = nameIndex.emplace(typeName[monomer.type], names.size());
        if (added) names.push_back(typeName[monomer.type]);
        monomer.type = it->second;
    }
    HorSearch nameSearch = search;
    if (search.startType) nameSearch.startType = nameIndex.at(typeName[*search.startType]);
    HorResult byNames = FindHor(std::move(byName), nameSearch);
    if (covered(hor) * 10 >= covered(byNames) * 11) return hor;
    typeName = std::move(names);
    return byNames;
}

// Adds the HOR copies of array `arrayIndex` (by start) to `result`, marks its
// monomers with their copy and fills the array's copy counts, unit length and
// CENP-B boxes per copy.
void AddCopies(std::string_view sequence, std::vector<HorCopy> copies, const std::vector<std::string>& typeName,
               const NamedStretch& stretch, std::size_t arrayIndex, Annotation& result, AnnotatedArray& array) {
    std::sort(copies.begin(), copies.end(),
              [](const HorCopy& a, const HorCopy& b) { return a.start < b.start; });
    const CenpBFinder finder;
    std::vector<std::int64_t> fullSpans;
    std::size_t boxes = 0;
    std::size_t next = stretch.first;
    for (const HorCopy& copy : copies) {
        AnnotatedCopy line;
        line.start = copy.start;
        line.end = copy.end + 1;
        line.reverse = copy.reverse;
        line.kind = copy.kind;
        line.monomers = copy.types.size();
        line.array = arrayIndex;
        std::vector<std::string> parts;
        for (const std::size_t type : copy.types) parts.emplace_back(MonomerOfName(typeName[type]));
        line.variant = StructuralVariantName(stretch.hor, parts);
        const CenpBBoxes found = finder.Find(Upper(sequence.substr(
            static_cast<std::size_t>(line.start), static_cast<std::size_t>(line.end - line.start))));
        line.cenpBBoxes = found[0].size() + found[1].size();
        boxes += line.cenpBBoxes;
        switch (copy.kind) {
            case CopyKind::Full:
                ++array.full;
                fullSpans.push_back(line.end - line.start);
                break;
            case CopyKind::Partial:
                ++array.partial;
                break;
            case CopyKind::Variant:
                ++array.variant;
                break;
        }
        while (next < stretch.last && result.monomers[next].end <= line.start) ++next;
        for (std::size_t i = next; i < stretch.last && result.monomers[i].start < line.end; ++i)
            result.monomers[i].copy = result.copies.size();
        result.copies.push_back(std::move(line));
    }
    if (!copies.empty()) array.cenpBPerCopy = static_cast<double>(boxes) / static_cast<double>(copies.size());
    if (!fullSpans.empty()) {
        std::nth_element(fullSpans.begin(),
                         fullSpans.begin() + static_cast<std::ptrdiff_t>(fullSpans.size() / 2),
                         fullSpans.end());
        array.unitBases = fullSpans[fullSpans.size() / 2];
    }
}

// How alike the array's HOR copies are: the mean identity of a named monomer
// to the monomer of the same name one unit back, over at most 256 pairs spread
// along the array. Copies of an assembled array lie closer to each other than
// to any standard monomer of another species' HOR; in a read the errors of two
// copies add up, so there the copies lie farther apart than from the
// standard.
double CopyIdentity(const std::vector<std::string>& texts, const NamedStretch& stretch, std::size_t unit,
                    const Annotation& result) {
    if (unit == 0 || stretch.last - stretch.first <= unit) return 0;
    std::vector<std::size_t> pairs;
    for (std::size_t i = stretch.first + unit; i < stretch.last; ++i) {
        const AnnotatedMonomer& here = result.monomers[i];
        const AnnotatedMonomer& back = result.monomers[i - unit];
        if (here.horName && back.horName && here.name == back.name) pairs.push_back(i);
    }
    if (pairs.empty()) return 0;
    const std::size_t step = (pairs.size() + 255) / 256;
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t p = 0; p < pairs.size(); p += step) {
        const std::size_t i = pairs[p];
        const std::size_t length = std::max(texts[i].size(), texts[i - unit].size());
        sum += 100.0 - Percent(Levenshtein(texts[i], texts[i - unit]), length);
        ++count;
    }
    return sum / static_cast<double>(count);
}

// Finds the HOR copies of one HOR array (live or diverged) on its names and
// fills the array's line.
void AnnotateHorArray(std::string_view sequence, const StandardSets& sets, const AnnotationSettings& settings,
                      unsigned threads, const std::vector<std::string>& texts, const NamedStretch& stretch,
                      std::size_t arrayIndex, Annotation& result, AnnotatedArray& array) {
    std::vector<std::string_view> members;
    for (std::size_t i = stretch.first; i < stretch.last; ++i) members.push_back(texts[i]);
    const std::vector<std::size_t> position =
        stretch.kind == ArrayClass::LiveHor ? NameLiveArray(sets, settings, threads, members, stretch, result)
                                            : std::vector<std::size_t>(members.size(), kNone);
    std::vector<std::string> typeName;
    const std::vector<TypedMonomer> typed = TypeByName(result, stretch, position, typeName);
    HorSearch search;
    search.maxGap = settings.maxGap;
    search.startType = UnitStart(typed, typeName);
    const HorResult hor = FindNamedHor(typed, typeName, search);
    // A unit of one monomer is no HOR.
    const bool unit = hor.unit.size() >= 2;
    array.unitMonomers = unit ? hor.unit.size() : 0;
    AddCopies(sequence, unit ? hor.copies : std::vector<HorCopy>(), typeName, stretch, arrayIndex, result, array);
    array.family = SuprachromosomalFamily(stretch.hor);
    array.copyIdentity = CopyIdentity(texts, stretch, array.unitMonomers, result);
}

}  // namespace

Annotation AnnotateSequence(std::string_view sequence, const StandardSets& sets,
                            const AnnotationSettings& settings, unsigned threads) {
    Annotation result;
    if (sequence.empty() || sets.families.empty()) return result;
    const LikelyFamilies likely(sets.families);
    const std::vector<Segment> segments =
        DecomposeInWindows({std::string(sequence)}, sets.families, Scoring{}, threads, 100000, 2000,
                           [&](std::string_view bases) { return likely.Runs(bases); })[0];
    std::vector<std::string> texts;
    for (const Segment& segment : segments) {
        const std::size_t length = static_cast<std::size_t>(segment.end - segment.start + 1);
        const std::size_t familyLength = sets.families[segment.type].sequence.size();
        if (segment.identity < settings.minIdentity || 2 * length < familyLength || length > 2 * familyLength)
            continue;
        AnnotatedMonomer monomer;
        monomer.start = segment.start;
        monomer.end = segment.end + 1;
        monomer.reverse = segment.reverse;
        monomer.family = segment.type;
        monomer.familyIdentity = segment.identity;
        monomer.score = segment.score;
        const std::string_view bases = sequence.substr(static_cast<std::size_t>(segment.start), length);
        texts.push_back(segment.reverse ? ReverseComplement(bases) : Upper(bases));
        result.monomers.push_back(std::move(monomer));
    }

    // The nearest standard HOR monomer of every monomer.
    std::vector<std::string_view> views(texts.begin(), texts.end());
    if (!sets.horMonomers.empty()) {
        std::vector<std::string_view> standard;
        for (const MonomerType& type : sets.horMonomers) standard.push_back(type.sequence);
        const std::vector<NearestSequence> found = NearestSequences(views, standard, threads);
        for (std::size_t i = 0; i < result.monomers.size(); ++i) {
            const std::size_t nearest = found[i].index;
            const double percent = Percent(found[i].distance, sets.horMonomers[nearest].sequence.size());
            AnnotatedMonomer& monomer = result.monomers[i];
            monomer.nearest = sets.horMonomers[nearest].name;
            monomer.nearestIdentity = 100 - percent;
            if (percent <= settings.nameLimit) {
                monomer.name = sets.horMonomers[nearest].name;
                monomer.horName = true;
                monomer.identity = 100 - percent;
            }
        }
    }
    for (AnnotatedMonomer& monomer : result.monomers) {
        if (!monomer.horName) monomer.name = sets.families[monomer.family].name;
    }

    std::set<std::string> liveHors;
    for (const MonomerType& type : sets.horMonomers) {
        if (IsLiveHor(HorOfName(type.name))) liveHors.emplace(HorOfName(type.name));
    }
    const std::vector<NamedStretch> stretches = FindArrayStretches(result.monomers, settings, liveHors);
    for (std::size_t a = 0; a < stretches.size(); ++a) {
        const NamedStretch& stretch = stretches[a];
        AnnotatedArray array;
        array.start = result.monomers[stretch.first].start;
        array.end = result.monomers[stretch.last - 1].end;
        array.kind = stretch.kind;
        array.monomers = stretch.last - stretch.first;
        array.hor = stretch.hor.empty() ? "-" : stretch.hor;
        for (std::size_t i = stretch.first; i < stretch.last; ++i) result.monomers[i].array = a;
        if (stretch.kind != ArrayClass::Monomeric) {
            AnnotateHorArray(sequence, sets, settings, threads, texts, stretch, a, result, array);
        } else {
            std::map<std::string, std::size_t> votes;
            for (std::size_t i = stretch.first; i < stretch.last; ++i)
                ++votes[SuprachromosomalFamily(sets.families[result.monomers[i].family].name)];
            array.family = std::max_element(votes.begin(), votes.end(), [](const auto& x, const auto& y) {
                               return x.second < y.second;
                           })->first;
        }
        double sum = 0;
        std::size_t named = 0;
        for (std::size_t i = stretch.first; i < stretch.last; ++i) {
            if (result.monomers[i].identity <= 0) continue;
            sum += result.monomers[i].identity;
            ++named;
        }
        array.meanIdentity = named > 0 ? sum / static_cast<double>(named) : 0;
        result.arrays.push_back(std::move(array));
    }
    return result;
}

}  // namespace horgrid
