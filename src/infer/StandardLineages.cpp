#include <algorithm>
#include <limits>
#include <map>

#include "common/Parallel.h"
#include "data/EmbeddedData.h"
#include "infer/InferState.h"
#include "sequence/EditDistance.h"

namespace horgrid::infer {
namespace {

// The HOR position a standard name stands for: its variant HORs' monomers
// (`S3C17H1-B.1`) are the live HOR's (`S3C17H1L.1`) in another layout, so the
// live mark and a variant's letter are dropped from the HOR's name.
std::string PositionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::string(name);
    std::string_view hor = name.substr(0, dot);
    const std::size_t dash = hor.rfind('-');
    if (dash != std::string_view::npos && dash + 1 < hor.size() &&
        std::all_of(hor.begin() + static_cast<std::ptrdiff_t>(dash) + 1, hor.end(),
                    [](char c) { return c >= 'A' && c <= 'Z'; }))
        hor = hor.substr(0, dash);
    else if (hor.back() == 'L')
        hor.remove_suffix(1);
    return std::string(hor) + std::string(name.substr(dot));
}

// Where an inferred monomer lies from the standard HOR positions: the nearest
// profile consensus of each position within reach.
struct Standing {
    std::map<std::string, std::uint32_t> near;  // position -> edits to its nearest profile
    std::uint32_t length = 0;

    // The nearest position (near.end() when none lies within reach).
    auto Nearest() const {
        return std::min_element(near.begin(), near.end(),
                                [](const auto& a, const auto& b) { return a.second < b.second; });
    }

    // The position the monomer stands for on its own: the nearest, within
    // kStandardLineageDistance of its length, every other at least twice as
    // far (nearer its standard monomer than halfway to any other); empty
    // otherwise.
    std::string Own() const {
        const auto limit = static_cast<std::uint32_t>(kStandardLineageDistance * length);
        const auto nearest = Nearest();
        if (nearest == near.end() || nearest->second > limit) return {};
        for (const auto& [position, edits] : near) {
            if (position != nearest->first && (edits <= nearest->second || edits < 2 * nearest->second))
                return {};
        }
        return nearest->first;
    }

    // Whether the monomer may stand for `position` in its column: it is the
    // nearest (a tie with another is left to the column), within
    // kColumnLineageDistance, every other position not tied at least
    // kColumnLineageMargin times as far.
    bool InColumn(const std::string& position) const {
        const auto at = near.find(position);
        if (at == near.end() || at->second > kColumnLineageDistance * length) return false;
        return std::all_of(near.begin(), near.end(), [&](const auto& other) {
            return other.second == at->second || other.second >= kColumnLineageMargin * at->second;
        });
    }
};

Standing Stand(std::string_view monomer, const std::vector<MonomerType>& profiles,
               const std::vector<std::string>& positions) {
    Standing standing;
    standing.length = static_cast<std::uint32_t>(monomer.size());
    const auto reach = static_cast<std::uint32_t>(kColumnLineageMargin * kColumnLineageDistance *
                                                  static_cast<double>(monomer.size())) +
                       1;
    for (std::size_t p = 0; p < profiles.size(); ++p) {
        const std::uint32_t edits = LevenshteinAtMost(monomer, profiles[p].sequence, reach);
        if (edits > reach) continue;
        const auto [at, added] = standing.near.emplace(positions[p], edits);
        if (!added) at->second = std::min(at->second, edits);
    }
    return standing;
}

// The type that most often follows (`after`) or precedes each type in reading
// order, among segments that touch in one record on one strand; kNone where
// none does.
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::vector<std::size_t> UsualNeighbour(const State& state, bool after) {
    constexpr std::int64_t kTouch = 10;  // bases between touching segments, at most
    std::vector<std::map<std::size_t, std::size_t>> counts(state.set.size());
    for (const std::vector<Segment>& record : state.segments) {
        for (std::size_t i = 0; i + 1 < record.size(); ++i) {
            const Segment& a = record[i];
            const Segment& b = record[i + 1];
            if (a.reverse != b.reverse || b.start > a.end + 1 + kTouch) continue;
            const Segment& first = a.reverse ? b : a;
            const Segment& second = a.reverse ? a : b;
            ++counts[after ? first.type : second.type][after ? second.type : first.type];
        }
    }
    std::vector<std::size_t> usual(state.set.size(), kNone);
    for (std::size_t t = 0; t < counts.size(); ++t) {
        std::size_t most = 0;
        for (const auto& [type, n] : counts[t]) {
            if (n > most) {
                most = n;
                usual[t] = type;
            }
        }
    }
    return usual;
}

}  // namespace

std::vector<JoinedLineage> JoinStandardLineages(State& state, unsigned threads,
                                                const std::vector<std::size_t>& apart) {
    static const std::vector<MonomerType> kProfiles = EmbeddedMonomerRecords("AS-HOR.consensus.fa.gz");
    static const std::vector<std::string> kPositions = [] {
        std::vector<std::string> positions;
        for (const MonomerType& profile : kProfiles) positions.push_back(PositionOf(profile.name));
        return positions;
    }();
    std::vector<Standing> standing(state.inferred);
    ParallelFor(state.inferred, threads, [&](std::size_t k, unsigned) {
        standing[k] = Stand(state.set[k].sequence, kProfiles, kPositions);
    });
    const std::vector<std::size_t> counts = TypeCounts(state.segments, state.set.size());
    // Positions are the array's HOR's: the HOR whose profiles lie nearest to
    // the monomers of most segments. Another HOR's profile that a line
    // happens to lie near says nothing of the position of this array's HOR
    // it stands for.
    const auto horOf = [](const std::string& position) { return position.substr(0, position.rfind('.')); };
    std::map<std::string, std::size_t> votes;
    for (std::size_t k = 0; k < state.inferred; ++k) {
        const auto nearest = standing[k].Nearest();
        if (nearest != standing[k].near.end()) votes[horOf(nearest->first)] += counts[k];
    }
    if (!votes.empty()) {
        const std::string hor =
            std::max_element(votes.begin(), votes.end(), [](const auto& a, const auto& b) {
                return a.second < b.second;
            })->first;
        for (Standing& one : standing)
            std::erase_if(one.near, [&](const auto& p) { return horOf(p.first) != hor; });
    }
    std::vector<std::string> names(state.inferred);
    for (std::size_t k = 0; k < state.inferred; ++k) names[k] = standing[k].Own();
    std::vector<bool> keepsOwn(state.inferred, false);
    for (std::size_t k : apart) keepsOwn.at(k) = true;
    // A monomer that stands for no position on its own joins one that does
    // in its column (the type beside it on one side the same) when it may
    // stand for that position there: a line of a HOR variant that descended
    // farther from the standard monomer than the unit's line.
    const std::vector<std::size_t> after = UsualNeighbour(state, true);
    const std::vector<std::size_t> before = UsualNeighbour(state, false);
    const auto sameColumn = [&](std::size_t a, std::size_t b) {
        return (after[a] != kNone && after[a] == after[b]) || (before[a] != kNone && before[a] == before[b]);
    };
    std::vector<std::string> joins(names);
    for (std::size_t k = 0; k < state.inferred; ++k) {
        if (!names[k].empty() || keepsOwn[k]) continue;
        for (std::size_t n = 0; n < state.inferred; ++n) {
            if (!names[n].empty() && !keepsOwn[n] && sameColumn(k, n) && standing[k].InColumn(names[n])) {
                joins[k] = names[n];
                break;
            }
        }
    }
    const auto distance = [&](std::size_t k) { return standing[k].near.at(joins[k]); };
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t k = 0; k < state.inferred; ++k) {
        if (!joins[k].empty() && !keepsOwn[k]) byName[joins[k]].push_back(k);
    }
    std::vector<JoinedLineage> joined;
    std::vector<bool> dropped(state.inferred, false);
    for (const auto& [name, lines] : byName) {
        if (lines.size() < 2) continue;
        const std::size_t kept =
            *std::min_element(lines.begin(), lines.end(), [&](std::size_t a, std::size_t b) {
                if (names[a].empty() != names[b].empty()) return names[b].empty();
                if (distance(a) != distance(b)) return distance(a) < distance(b);
                return counts[a] > counts[b];
            });
        JoinedLineage lineage{kept, lines, 0};
        for (std::size_t k : lines) {
            lineage.members += counts[k];
            if (k != kept) dropped[k] = true;
        }
        joined.push_back(std::move(lineage));
    }
    if (joined.empty()) return joined;
    std::vector<MonomerType> set;
    std::vector<std::size_t> index(state.inferred, 0);
    for (std::size_t k = 0; k < state.inferred; ++k) {
        index[k] = set.size();
        if (!dropped[k]) set.push_back(state.set[k]);
    }
    for (JoinedLineage& lineage : joined) lineage.monomer = index[lineage.monomer];
    ReplaceInferred(state, std::move(set));
    return joined;
}

}  // namespace horgrid::infer
