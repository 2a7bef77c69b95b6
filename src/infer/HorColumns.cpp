#include "infer/HorColumns.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <numeric>
#include <optional>
#include <string_view>
#include <tuple>

#include "common/Parallel.h"
#include "infer/GroupConsensus.h"

namespace horgrid {

// The bases of `piece` aligned to each base of `consensus` (unit-cost global
// alignment; '-' where the piece lacks it).
std::string AlignedBases(std::string_view piece, std::string_view consensus) {
    const std::size_t rows = piece.size();
    const std::size_t columns = consensus.size();
    std::vector<int> score((rows + 1) * (columns + 1));
    const auto at = [&](std::size_t r, std::size_t c) -> int& { return score[r * (columns + 1) + c]; };
    for (std::size_t r = 0; r <= rows; ++r) at(r, 0) = static_cast<int>(r);
    for (std::size_t c = 0; c <= columns; ++c) at(0, c) = static_cast<int>(c);
    for (std::size_t r = 1; r <= rows; ++r) {
        for (std::size_t c = 1; c <= columns; ++c) {
            at(r, c) = std::min({at(r - 1, c - 1) + (piece[r - 1] != consensus[c - 1]), at(r - 1, c) + 1,
                                 at(r, c - 1) + 1});
        }
    }
    std::string bases(columns, '-');
    for (std::size_t r = rows, c = columns; r > 0 && c > 0;) {
        if (at(r, c) == at(r - 1, c - 1) + (piece[r - 1] != consensus[c - 1])) {
            bases[--c] = piece[--r];
        } else if (at(r, c) == at(r - 1, c) + 1) {
            --r;
        } else {
            --c;
        }
    }
    return bases;
}

// Bases at either end of a monomer where segments of one position may start or
// end a little apart, so that a member's first or last bases belong to its
// neighbour: no evidence of a hybrid.
constexpr std::size_t kEdge = 10;

namespace {

// The chance that `drawn` sites of `sites`, `marked` of which are marked, hold
// `hits` marked ones or more (one-sided hypergeometric tail).
double TailChance(std::size_t sites, std::size_t marked, std::size_t drawn, std::size_t hits) {
    const auto logChoose = [](std::size_t n, std::size_t k) {
        return std::lgamma(static_cast<double>(n) + 1) - std::lgamma(static_cast<double>(k) + 1) -
               std::lgamma(static_cast<double>(n - k) + 1);
    };
    double chance = 0;
    for (std::size_t k = hits; k <= std::min(marked, drawn); ++k) {
        if (drawn - k > sites - marked) continue;
        chance +=
            std::exp(logChoose(marked, k) + logChoose(sites - marked, drawn - k) - logChoose(sites, drawn));
    }
    return chance;
}

// The chance at or below which the donor's bases gather at the junction's end
// by more than the chance that spreads a line of descent's own changes.
constexpr double kDonorChance = 0.02;

}  // namespace

DonorPart CarriesDonor(const std::vector<std::string>& variant, const std::vector<std::string>& rest,
                       std::string_view own, std::string_view donor, const std::vector<std::string>& family,
                       bool fromLeft) {
    if (variant.empty() || rest.empty()) return DonorPart::kAbsent;
    const std::size_t half = own.size() / 2;
    const auto with = [&](const std::vector<std::string>& copies, std::size_t site) {
        std::size_t found = 0;
        for (const std::string& bases : copies) found += bases[site] == donor[site];
        return found;
    };
    std::vector<bool> carried;  // per site where donor and own differ, from the junction's end
    std::size_t near = 0;       // of them in the junction's half
    for (std::size_t k = kEdge; k + kEdge < own.size(); ++k) {
        const std::size_t site = fromLeft ? k : own.size() - 1 - k;
        if (donor[site] == own[site]) continue;
        // Own's base where no other position has it may be a change of own's
        // line of descent since the variant's parted: it tells no donor.
        // (Within a base either way: where two positions lie far apart their
        // alignment may shift a base by one.)
        const auto shared = [&](char base) {
            return std::any_of(family.begin(), family.end(), [&](const std::string& other) {
                return other[site - 1] == base || other[site] == base || other[site + 1] == base;
            });
        };
        if (!shared(own[site])) continue;
        // Where a fifth of the rest have the donor's base too, the column's
        // own copies vary: the base tells no crossover.
        if (5 * with(rest, site) >= rest.size()) continue;
        const bool has = 2 * with(variant, site) > variant.size();
        // So may the donor's base where no other position has it, when the
        // variant lacks it: the donor's line changed there since they parted.
        if (!has && !shared(donor[site])) continue;
        near += (site < half) == fromLeft;
        carried.push_back(has);
    }
    if (near == 0) return DonorPart::kUntold;
    // The most telling cut: the fewest sites from the junction's end that hold
    // the most of the carried ones, by the chance of as many there if the
    // carried sites lay anywhere.
    const std::size_t all = static_cast<std::size_t>(std::count(carried.begin(), carried.end(), true));
    // Every carried site nearer the junction's end than every other one, but
    // too few sites for any of their orders to pass the chance test (half of
    // them carried and first is the most telling): no base can tell.
    const std::size_t halfSites = carried.size() / 2;
    if (all > 0 && std::all_of(carried.begin(), carried.begin() + static_cast<std::ptrdiff_t>(all),
                               [](bool c) { return c; }) &&
        TailChance(carried.size(), halfSites, halfSites, halfSites) > kDonorChance)
        return DonorPart::kUntold;
    double chance = 1;
    std::size_t before = 0;
    for (std::size_t m = 0; m < carried.size(); ++m) {
        if (!carried[m]) continue;
        ++before;
        chance = std::min(chance, TailChance(carried.size(), all, m + 1, before));
    }
    return chance <= kDonorChance ? DonorPart::kCarried : DonorPart::kAbsent;
}

namespace {

constexpr std::size_t kNone = ColumnSegment::kNone;
// Where a segment's neighbours stand: in the columns before and after its
// own, one of them elsewhere (the junction of a HOR variant), or unknown.
constexpr char kUnplaced = 0, kInPlace = 1, kAtJunction = 2;
struct Placement {
    char where = kUnplaced;
    std::size_t across = kNone;  // at a junction: the column the other neighbour gives,
    bool fromLeft = false;       // the neighbour before the segment (else after it)
};

// The segments outside the unit (`column` kNone) that lie between two
// segments of columns with more monomers between them than the unit has
// columns there: copies of a longer HOR than the unit (its positions the unit
// lacks), which stand in none of the unit's columns. A HOR variant that
// lacks positions has fewer monomers there, and its junction monomer takes a
// column. Only placed segments in step with a placed neighbour (as many
// columns on as monomers) count: a unit monomer that holds two positions of
// the longer HOR stands out of step in its copies.
std::vector<bool> Inserted(const std::vector<ColumnSegment>& segments, const std::vector<std::size_t>& column,
                           std::size_t size) {
    // Steps to the nearest segment on one side that `counts`, at most a unit
    // away; more than a unit (size + 1, kNone) where the run goes on without one.
    const auto reach = [&](std::size_t i, bool before,
                           const auto& counts) -> std::pair<std::size_t, std::size_t> {
        std::size_t n = i;
        for (std::size_t steps = 1; steps <= size; ++steps) {
            n = before ? segments[n].before : segments[n].after;
            if (n == kNone) return {0, kNone};
            if (counts(n)) return {steps, n};
        }
        return {size + 1, kNone};
    };
    const auto columns = [&](std::size_t from, std::size_t to) {  // columns on from `from` to `to`
        return (column[to] + size - column[from] - 1) % size + 1;
    };
    std::vector<bool> inStep(segments.size(), false);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (column[i] == kNone) continue;
        const auto placed = [&](std::size_t n) { return column[n] != kNone; };
        const auto [left, from] = reach(i, true, placed);
        const auto [right, to] = reach(i, false, placed);
        inStep[i] = (from != kNone && columns(from, i) == left) || (to != kNone && columns(i, to) == right);
    }
    std::vector<bool> inserted(segments.size(), false);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (column[i] != kNone) continue;
        const auto anchor = [&](std::size_t n) { return inStep[n]; };
        const auto [left, from] = reach(i, true, anchor);
        const auto [right, to] = reach(i, false, anchor);
        if (from != kNone && to != kNone) {
            inserted[i] = left + right > columns(from, to);
        } else {
            // More than a unit of monomers to the next anchor on one side
            // (a longer HOR's copy that is a multiple of the unit long).
            inserted[i] = (left > size && (to != kNone || right > size)) || (right > size && from != kNone);
        }
    }
    return inserted;
}

// The column of every segment: unit monomers used once stand in their column;
// segments of monomers outside the unit take the column their neighbours in
// the run give them (passes forward and back until nothing changes).
std::vector<std::size_t> SegmentColumns(const std::vector<ColumnSegment>& segments,
                                        const std::vector<std::size_t>& unit, std::size_t types) {
    const std::size_t size = unit.size();
    std::vector<std::size_t> uses(types, 0);
    std::vector<std::size_t> home(types, kNone);
    for (std::size_t c = 0; c < size; ++c) {
        ++uses[unit[c]];
        home[unit[c]] = c;
    }
    std::vector<std::size_t> column(segments.size(), kNone);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (uses[segments[i].type] == 1) column[i] = home[segments[i].type];
    }
    const std::vector<bool> inserted = Inserted(segments, column, size);
    for (bool changed = true; changed;) {
        changed = false;
        const auto fill = [&](std::size_t i) {
            const ColumnSegment& s = segments[i];
            if (column[i] != kNone || uses[s.type] != 0 || inserted[i]) return;
            if (s.before != kNone && column[s.before] != kNone) {
                column[i] = (column[s.before] + 1) % size;
            } else if (s.after != kNone && column[s.after] != kNone) {
                column[i] = (column[s.after] + size - 1) % size;
            } else {
                return;
            }
            changed = true;
        };
        for (std::size_t i = 0; i < segments.size(); ++i) fill(i);
        for (std::size_t i = segments.size(); i-- > 0;) fill(i);
    }
    return column;
}

// A segment outside the unit at the junction of a HOR variant takes the
// column its neighbour before it gives (SegmentColumns); when its monomer lies
// nearer the column its neighbour after it gives, that column is its own (a
// junction monomer of `1 2 6 7` that is one of 6's copies stands in 6's).
void ColumnsByBases(const std::vector<ColumnSegment>& segments, const std::vector<std::size_t>& unit,
                    const std::vector<std::string>& monomers, std::vector<std::size_t>& column) {
    const std::size_t size = unit.size();
    std::map<std::pair<std::size_t, std::size_t>, float> apart;  // (type, column) -> percent
    const auto from = [&](std::size_t type, std::size_t c) {
        const auto [at, added] = apart.try_emplace({type, c}, 0.0f);
        if (added) at->second = PercentApart(monomers[type], monomers[unit[c]]);
        return at->second;
    };
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const ColumnSegment& s = segments[i];
        if (column[i] == kNone || s.after == kNone || column[s.after] == kNone ||
            std::find(unit.begin(), unit.end(), s.type) != unit.end() ||
            std::find(unit.begin(), unit.end(), segments[s.after].type) == unit.end())
            continue;
        const std::size_t right = (column[s.after] + size - 1) % size;
        if (right != column[i] && from(s.type, right) < from(s.type, column[i])) column[i] = right;
    }
}

// Members spread evenly over a list, at most `count` of them.
std::vector<std::size_t> Spread(const std::vector<std::size_t>& members, std::size_t count) {
    count = std::min(count, members.size());
    std::vector<std::size_t> spread;
    for (std::size_t k = 0; k < count; ++k) spread.push_back(members[k * members.size() / count]);
    return spread;
}

// Two carrier lists (ascending) travel together: four in five of each lie in both.
bool Together(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b) {
    std::vector<std::size_t> both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return 5 * both.size() >= 4 * std::max(a.size(), b.size());
}


// For every site of `consensus` (but its edges) and base other than the
// consensus base that at least a twentieth of the members (and minCount) carry: the carriers, as
// indexes into `bases` (each member's bases aligned to the consensus).
std::vector<std::vector<std::size_t>> Carriers(const std::vector<std::string>& bases, const std::string& consensus,
                                               std::size_t minCount) {
    const std::size_t least = std::max(minCount, bases.size() / 20);
    constexpr std::string_view kAlleles = "ACGT-";
    std::vector<std::vector<std::size_t>> carriers;
    for (std::size_t site = kEdge; site + kEdge < consensus.size(); ++site) {
        for (const char allele : kAlleles) {
            if (allele == consensus[site]) continue;
            std::vector<std::size_t> with;
            for (std::size_t k = 0; k < bases.size(); ++k) {
                if (bases[k][site] == allele) with.push_back(k);
            }
            if (with.size() >= least) carriers.push_back(std::move(with));
        }
    }
    return carriers;
}

// How far the members in `variant` (indexes into `bases`) are a hybrid of
// their column and the column of `donor` (its bases aligned to the column's
// consensus): the most sites where the donor differs from the consensus and
// that lie on one side of some cut, four in five of which the variant carries
// the donor's base at.
std::size_t Hybrid(const std::vector<std::string>& bases, const std::vector<std::size_t>& variant,
                   const std::string& consensus, const std::string& donor) {
    std::vector<bool> diagnostic;  // per differing site: most of the variant carry the donor's base
    for (std::size_t site = kEdge; site + kEdge < consensus.size(); ++site) {
        if (donor[site] == consensus[site]) continue;
        std::size_t carry = 0;
        for (const std::size_t k : variant) carry += bases[k][site] == donor[site];
        diagnostic.push_back(2 * carry > variant.size());
    }
    std::size_t most = 0;
    for (const bool prefix : {true, false}) {
        std::size_t carried = 0;
        for (std::size_t sites = 1; sites < diagnostic.size(); ++sites) {
            carried += diagnostic[prefix ? sites - 1 : diagnostic.size() - sites] ? 1 : 0;
            if (5 * carried >= 4 * sites) most = std::max(most, carried);
        }
    }
    return most;
}

// The members in `variant` (indexes into `bases`, aligned to the column's
// consensus), marked by `sites` bases, are a mosaic of their column and one
// other: four in five of those bases, and at least three, come from one donor
// (Hybrid; `donors` aligned to the consensus), which explains more of them
// than any other: bases that many positions share at the same place (the
// family's, which a copy may regain) point to no donor, and two bases that
// one donor shares occur by chance in real arrays (CHM13 cen21).
bool Mosaic(const std::vector<std::string>& bases, const std::vector<std::size_t>& variant,
            const std::string& consensus, const std::vector<std::string>& donors, std::size_t sites) {
    std::size_t best = 0;
    std::size_t second = 0;
    for (const std::string& donor : donors) {
        const std::size_t carried = Hybrid(bases, variant, consensus, donor);
        second = std::max(second, std::min(best, carried));
        best = std::max(best, carried);
    }
    return sites >= 2 && best >= 3 && 5 * best >= 4 * sites && best > second;
}

// One column: a sample of the segments standing in it and, for the columns up
// to kReach before and after it, the bases that travel in its copies.
class Column {
public:
    static constexpr std::size_t kReach = 2;

    Column(const std::vector<ColumnSegment>& segments, const std::vector<std::string_view>& views,
           std::vector<std::size_t> sample, std::size_t minCount, std::size_t consensusSample)
        : views_(views), sample_(std::move(sample)), minCount_(minCount), consensusSample_(consensusSample) {
        for (std::size_t step = 0; step <= kReach; ++step) {
            for (const bool before : {true, false}) {
                if (step == 0 && !before) continue;
                Side side;
                std::vector<std::size_t> neighbours;
                for (std::size_t k = 0; k < sample_.size(); ++k) {
                    std::size_t n = sample_[k];
                    for (std::size_t t = 0; t < step && n != kNone; ++t)
                        n = before ? segments[n].before : segments[n].after;
                    if (n == kNone) continue;
                    side.present.push_back(k);
                    neighbours.push_back(n);
                }
                if (side.present.size() < 2 * minCount_) continue;
                const std::string consensus = Summarised(Spread(neighbours, 200)).consensus;
                std::vector<std::string> bases;
                for (const std::size_t n : neighbours) bases.push_back(AlignedBases(views_[n], consensus));
                for (std::vector<std::size_t>& with : Carriers(bases, consensus, minCount_)) {
                    for (std::size_t& k : with) k = side.present[k];
                    side.carriers.push_back(std::move(with));
                }
                (step == 0 ? own_ : sides_.emplace_back()) = std::move(side);
            }
        }
    }

    const std::vector<std::size_t>& Sample() const { return sample_; }

    Group Summarised(std::vector<std::size_t> members) const {
        Group group{std::move(members), {}, 0};
        if (!group.members.empty()) Summarise(group, views_, consensusSample_);
        return group;
    }

    // The copies of `variant` (ascending indexes into the sample) are a
    // layer of the array: in some neighbouring column they carry at least
    // half as many bases the others mostly lack (four in five of them carry
    // each) as in this one. A hybrid or other variant that stands in some
    // copies differs far more in its own column than its copies do in the
    // next.
    bool Layer(const std::vector<std::size_t>& variant) const {
        const std::size_t own = std::max<std::size_t>(Carried(own_, variant), 1);
        return std::any_of(sides_.begin(), sides_.end(),
                           [&](const Side& side) { return 2 * Carried(side, variant) >= own; });
    }

    // The variants among `members` (ascending indexes into the sample), as
    // consensuses (see ReviseByColumn); `placement` tells for every segment
    // whether its neighbours stand in place, at a junction, or are unknown.
    std::vector<std::string> Variants(const std::vector<std::size_t>& members, const std::string& consensus,
                                      const std::vector<std::string>& donors,
                                      const std::vector<Placement>& placement,
                                      const std::vector<std::string>& columns, std::size_t self) const;

    // Whether the copies `theirs` (ascending sample indexes) of `monomer`,
    // outside the unit, mix this column (`self`; its own copies `own`, its
    // consensus `consensus`) with another one (see ReviseByColumn): in place
    // (`inPlace`), a mosaic of the column and one other; at the junction of
    // a HOR variant, a hybrid of the column and the one across; anywhere
    // else, always.
    bool Mixed(const std::vector<std::size_t>& theirs, const std::string& monomer,
               const std::vector<std::size_t>& own, const std::string& consensus, bool inPlace,
               const std::vector<Placement>& placement, const std::vector<std::string>& columns,
               std::size_t self) const;

private:
    struct Side {
        std::vector<std::size_t> present;                // sample indexes with a neighbour there
        std::vector<std::vector<std::size_t>> carriers;  // sample indexes carrying each base
    };
    const std::vector<std::string_view>& views_;
    std::vector<std::size_t> sample_;  // segment indexes
    std::size_t minCount_;
    std::size_t consensusSample_;
    Side own_;
    std::vector<Side> sides_;

    // Whether the segments `variant` hold the part of the column across the
    // junction `at` where they stand, against the column's other segments
    // `rest` (CarriesDonor; every piece aligned to `own`).
    DonorPart AcrossJunction(const std::vector<std::size_t>& variant, const std::vector<std::size_t>& rest,
                             const std::string& own, const Placement& at, const std::vector<std::string>& columns,
                             std::size_t self) const {
        const auto aligned = [&](const std::vector<std::size_t>& of) {
            std::vector<std::string> found;
            for (const std::size_t i : of) found.push_back(AlignedBases(views_[i], own));
            return found;
        };
        std::vector<std::string> family;  // the other columns
        for (std::size_t d = 0; d < columns.size(); ++d) {
            if (d != at.across && d != self) family.push_back(AlignedBases(columns[d], own));
        }
        return CarriesDonor(aligned(variant), aligned(rest), own, AlignedBases(columns[at.across], own), family,
                            at.fromLeft);
    }

    // The bases of a side that four in five of the variant's copies carry, or
    // that four in five of the other copies carry and the variant's seldom do
    // (0 when too few or too many of them reach that side).
    std::size_t Carried(const Side& side, const std::vector<std::size_t>& variant) const {
        std::vector<std::size_t> marked;
        std::set_intersection(variant.begin(), variant.end(), side.present.begin(), side.present.end(),
                              std::back_inserter(marked));
        if (marked.size() < minCount_ || side.present.size() - marked.size() < minCount_) return 0;
        std::size_t carried = 0;
        for (const std::vector<std::size_t>& with : side.carriers) {
            std::vector<std::size_t> both;
            std::set_intersection(with.begin(), with.end(), marked.begin(), marked.end(), std::back_inserter(both));
            // The variant's own base, or the others' base the variant lacks
            // (where the variant is most of the column, the consensus is its).
            const std::size_t others = side.present.size() - marked.size();
            carried += 5 * both.size() >= 4 * marked.size() ||
                       (5 * (with.size() - both.size()) >= 4 * others && 5 * both.size() <= marked.size());
        }
        return carried;
    }
};

// The junction of a HOR variant where four in five of the `variant` segments
// stand (one neighbour in place, the other another column's, most of them the
// same column on the same side) when four in five of the `rest` stand in
// place; across is kNone otherwise.
Placement AtJunction(const std::vector<std::size_t>& variant, const std::vector<std::size_t>& rest,
                     const std::vector<Placement>& placement) {
    const auto count = [&](const std::vector<std::size_t>& of) {
        std::size_t placed = 0;
        std::map<std::pair<std::size_t, bool>, std::size_t> junction;  // column across, side -> segments
        for (const std::size_t i : of) {
            placed += placement[i].where != kUnplaced;
            if (placement[i].where == kAtJunction) ++junction[{placement[i].across, placement[i].fromLeft}];
        }
        std::pair<Placement, std::size_t> most{{}, 0};  // junction, segments
        std::size_t all = 0;
        for (const auto& [at, n] : junction) {
            all += n;
            if (n > most.second) most = {{kAtJunction, at.first, at.second}, n};
        }
        return std::tuple{placed, all, most};
    };
    const auto [placed, all, most] = count(variant);
    const auto [restPlaced, restAll, restMost] = count(rest);
    if (placed == 0 || 5 * all < 4 * placed || 2 * most.second < all || 5 * restAll > restPlaced) return {};
    return most.first;
}

std::vector<std::string> Column::Variants(const std::vector<std::size_t>& members, const std::string& consensus,
                                          const std::vector<std::string>& donors,
                                          const std::vector<Placement>& placement,
                                          const std::vector<std::string>& columns, std::size_t self) const {
    std::vector<std::string> bases;
    for (const std::size_t k : members) bases.push_back(AlignedBases(views_[sample_[k]], consensus));
    const std::vector<std::vector<std::size_t>> carriers = Carriers(bases, consensus, minCount_);
    std::vector<std::string> aligned;
    for (const std::string& donor : donors) aligned.push_back(AlignedBases(donor, consensus));
    // Sites whose carriers travel together, joined.
    std::vector<std::size_t> root(carriers.size());
    std::iota(root.begin(), root.end(), 0);
    const auto find = [&](std::size_t x) {
        while (root[x] != x) x = root[x] = root[root[x]];
        return x;
    };
    for (std::size_t s = 0; s < carriers.size(); ++s) {
        for (std::size_t t = s + 1; t < carriers.size(); ++t) {
            if (Together(carriers[s], carriers[t])) root[find(s)] = find(t);
        }
    }
    std::vector<std::string> variants;
    for (std::size_t r = 0; r < carriers.size(); ++r) {
        if (find(r) != r) continue;
        std::vector<std::size_t> held(members.size(), 0);
        std::size_t sites = 0;
        for (std::size_t s = 0; s < carriers.size(); ++s) {
            if (find(s) != r) continue;
            ++sites;
            for (const std::size_t k : carriers[s]) ++held[k];
        }
        if (sites == 0) continue;
        std::vector<std::size_t> variant;  // indexes into `members`
        std::vector<std::size_t> rest;
        for (std::size_t k = 0; k < members.size(); ++k) (2 * held[k] >= sites ? variant : rest).push_back(k);
        if (variant.size() < minCount_ || rest.size() < minCount_) continue;
        const auto segmentsOf = [&](const std::vector<std::size_t>& of) {
            std::vector<std::size_t> found;
            for (const std::size_t k : of) found.push_back(sample_[members[k]]);
            return found;
        };
        // Or the junction monomer of a HOR variant that holds a fifth as many
        // copies as the rest of the column (see AtJunction).
        const bool mosaic = Mosaic(bases, variant, consensus, aligned, sites);
        const Placement at = 5 * variant.size() >= rest.size()
                                 ? AtJunction(segmentsOf(variant), segmentsOf(rest), placement)
                                 : Placement{};
        if (!mosaic && at.across == kNone) continue;
        // Where the copies' places tell a hybrid apart, its bases need not
        // tell every copy apart as well.
        const Group a = Summarised(segmentsOf(variant));
        const Group b = Summarised(segmentsOf(rest));
        // Where the two columns do not differ in the junction's half, no
        // base can tell and the place decides.
        const bool junction = at.across != kNone &&
                              AcrossJunction(a.members, b.members, b.consensus, at, columns, self) !=
                                  DonorPart::kAbsent;
        if (a.consensus != b.consensus && (junction || (mosaic && SeparateColumns(a, b, views_))))
            variants.push_back(a.consensus);
    }
    return variants;
}

bool Column::Mixed(const std::vector<std::size_t>& theirs, const std::string& monomer,
                   const std::vector<std::size_t>& own, const std::string& consensus, bool inPlace,
                   const std::vector<Placement>& placement, const std::vector<std::string>& columns,
                   std::size_t self) const {
    std::vector<std::size_t> variant;  // segment indexes
    for (const std::size_t k : theirs) variant.push_back(sample_[k]);
    std::vector<std::size_t> rest;
    for (const std::size_t k : own) rest.push_back(sample_[k]);
    if (!inPlace) {
        const Placement at = AtJunction(variant, rest, placement);
        return at.across == kNone ||
               AcrossJunction(variant, rest, consensus, at, columns, self) != DonorPart::kAbsent;
    }
    std::vector<std::string> bases;
    std::vector<std::size_t> all;
    for (const std::size_t i : variant) {
        all.push_back(bases.size());
        bases.push_back(AlignedBases(views_[i], consensus));
    }
    const std::string theirConsensus = AlignedBases(monomer, consensus);
    std::size_t sites = 0;  // where their consensus differs from the column's
    for (std::size_t site = kEdge; site + kEdge < consensus.size(); ++site)
        sites += theirConsensus[site] != consensus[site];
    std::vector<std::string> donors;
    for (std::size_t d = 0; d < columns.size(); ++d) {
        if (d != self) donors.push_back(AlignedBases(columns[d], consensus));
    }
    return Mosaic(bases, all, consensus, donors, sites);
}

// A monomer outside the unit is a copy of column `self` by its bases when it
// lies within the merge limit of the column's monomer (monomers that close
// are one unless their copies separate, and a column's copies are one
// position however they separate) and nearer it than any other column lies.
bool OfColumn(const std::string& monomer, const std::vector<std::string>& columns, std::size_t self,
              float mergeLimit) {
    const float apart = PercentApart(monomer, columns[self]);
    if (apart >= mergeLimit) return false;
    for (std::size_t d = 0; d < columns.size(); ++d) {
        if (d != self && PercentApart(columns[d], columns[self]) <= apart) return false;
    }
    return true;
}

// The monomers standing in each column: the unit's monomer (used once in the
// unit) first, then the monomers outside the unit most of whose segments
// stand there.
std::vector<std::vector<std::size_t>> Standing(const std::vector<ColumnSegment>& segments,
                                               const std::vector<std::size_t>& column,
                                               const std::vector<std::size_t>& unit, std::size_t types) {
    const std::size_t size = unit.size();
    std::vector<std::size_t> uses(types, 0);
    for (const std::size_t type : unit) ++uses[type];
    std::vector<std::vector<std::size_t>> tally(types, std::vector<std::size_t>(size, 0));
    std::vector<std::size_t> placed(types, 0);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        ++placed[segments[i].type];
        if (column[i] != kNone) ++tally[segments[i].type][column[i]];
    }
    std::vector<std::vector<std::size_t>> standing(size);
    for (std::size_t c = 0; c < size; ++c) {
        if (uses[unit[c]] == 1) standing[c].push_back(unit[c]);
    }
    for (std::size_t type = 0; type < types; ++type) {
        if (uses[type] != 0 || placed[type] == 0) continue;
        const auto most = std::max_element(tally[type].begin(), tally[type].end());
        const std::size_t c = static_cast<std::size_t>(most - tally[type].begin());
        if (2 * *most > placed[type] && !standing[c].empty()) standing[c].push_back(type);
    }
    return standing;
}

// The column a segment's neighbours put it in from the left and from the
// right (kNone where a neighbour is not placed).
std::pair<std::size_t, std::size_t> Sides(const std::vector<ColumnSegment>& segments,
                                          const std::vector<std::size_t>& column, std::size_t i, std::size_t size) {
    const ColumnSegment& s = segments[i];
    const std::size_t left = s.before == kNone || column[s.before] == kNone ? kNone : (column[s.before] + 1) % size;
    const std::size_t right = s.after == kNone || column[s.after] == kNone ? kNone : (column[s.after] + size - 1) % size;
    return {left, right};
}

// The copies (sample indexes `members` of column `c`) stand where a layer
// stands: four in five of those with both neighbours placed have them in the
// columns before and after c. A monomer at the junction of a HOR variant that
// lacks the positions between two columns (its first neighbour is one
// column's, its second another's: a hybrid of the two, as HORmon tells a
// monomer in another context) is no layer of either column however its
// copies share descent.
bool InPlace(const std::vector<ColumnSegment>& segments, const std::vector<std::size_t>& column,
             const std::vector<std::size_t>& sample, const std::vector<std::size_t>& members, std::size_t c,
             std::size_t size) {
    std::size_t placed = 0;
    std::size_t inPlace = 0;
    for (const std::size_t k : members) {
        const auto [left, right] = Sides(segments, column, sample[k], size);
        if (left == kNone || right == kNone) continue;
        ++placed;
        inPlace += left == c && right == c;
    }
    return 5 * inPlace >= 4 * placed;
}

// Where every segment's neighbours stand. Placed by neighbours of unit
// monomers only: a neighbour outside the unit (the hybrid of a junction
// itself) has no column of its own.
std::vector<Placement> Placements(const std::vector<ColumnSegment>& segments, const std::vector<std::size_t>& column,
                                  const std::vector<std::size_t>& unit) {
    std::vector<std::size_t> unitColumn(segments.size(), kNone);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (std::find(unit.begin(), unit.end(), segments[i].type) != unit.end()) unitColumn[i] = column[i];
    }
    std::vector<Placement> placement(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const auto [left, right] = Sides(segments, unitColumn, i, unit.size());
        if (column[i] == kNone || left == kNone || right == kNone) continue;
        if (left == column[i] && right == column[i]) {
            placement[i].where = kInPlace;
        } else if (left == column[i] || right == column[i]) {
            placement[i] = {kAtJunction, left == column[i] ? right : left, left != column[i]};
        }
    }
    return placement;
}

}  // namespace

std::vector<std::string> ReviseByColumn(const std::vector<ColumnSegment>& segments,
                                        const std::vector<std::string>& monomers,
                                        const std::vector<std::size_t>& unit, std::size_t minCount,
                                        std::size_t sample, unsigned threads, float mergeLimit) {
    const std::size_t types = monomers.size();
    const std::size_t size = unit.size();
    if (size < 2 || segments.empty()) return {};
    std::vector<std::size_t> column = SegmentColumns(segments, unit, types);
    ColumnsByBases(segments, unit, monomers, column);
    const std::vector<std::vector<std::size_t>> standing = Standing(segments, column, unit, types);
    std::vector<std::vector<std::size_t>> inColumn(size);  // segments standing in their monomer's column
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const std::size_t c = column[i];
        if (c == kNone) continue;
        if (std::find(standing[c].begin(), standing[c].end(), segments[i].type) != standing[c].end())
            inColumn[c].push_back(i);
    }
    std::vector<std::string_view> views;
    for (const ColumnSegment& s : segments) views.push_back(s.piece);
    const std::vector<Placement> placement = Placements(segments, column, unit);
    std::vector<std::string> columns;  // every column's unit monomer
    for (const std::size_t type : unit) columns.push_back(monomers[type]);
    std::vector<std::size_t> into(types);  // the monomer each one joins
    std::iota(into.begin(), into.end(), 0);
    std::vector<std::vector<std::string>> variants(size);
    std::vector<std::string> joined(size);  // a column's consensus where monomers joined
    ParallelFor(size, threads, [&](std::size_t c, unsigned) {
        if (inColumn[c].size() < 2 * minCount) return;
        const Column at(segments, views, Spread(inColumn[c], 300), minCount, sample);
        const std::size_t own = standing[c][0];
        const auto ofType = [&](std::size_t type) {
            std::vector<std::size_t> found;  // sample indexes
            for (std::size_t k = 0; k < at.Sample().size(); ++k) found.push_back(k);
            found.erase(std::remove_if(found.begin(), found.end(),
                                       [&](std::size_t k) { return segments[at.Sample()[k]].type != type; }),
                        found.end());
            return found;
        };
        const std::vector<std::size_t> owned = ofType(own);
        std::vector<std::size_t> members = owned;
        for (std::size_t k = 1; k < standing[c].size(); ++k) {
            const std::size_t other = standing[c][k];
            const std::vector<std::size_t> theirs = ofType(other);
            if (theirs.size() < minCount) continue;
            const bool inPlace = InPlace(segments, column, at.Sample(), theirs, c, size);
            if (!(inPlace && at.Layer(theirs)) &&
                (!OfColumn(monomers[other], columns, c, mergeLimit) ||
                 at.Mixed(theirs, monomers[other], owned, monomers[own], inPlace, placement, columns, c)))
                continue;
            into[other] = own;
            members.insert(members.end(), theirs.begin(), theirs.end());
        }
        std::sort(members.begin(), members.end());
        std::string consensus = monomers[own];
        if (members.size() != owned.size()) {
            std::vector<std::size_t> all;
            for (std::size_t i : inColumn[c]) {
                if (into[segments[i].type] == own) all.push_back(i);
            }
            consensus = joined[c] = at.Summarised(std::move(all)).consensus;
        }
        std::vector<std::string> donors;
        for (std::size_t d = 0; d < size; ++d) {
            if (unit[d] != own) donors.push_back(monomers[unit[d]]);
        }
        variants[c] = at.Variants(members, consensus, donors, placement, columns, c);
    });
    bool changed = false;
    std::vector<std::string> revised;
    for (std::size_t type = 0; type < types; ++type) {
        if (into[type] != type) {
            changed = true;
            continue;
        }
        const auto at = std::find(unit.begin(), unit.end(), type);
        const std::size_t c = static_cast<std::size_t>(at - unit.begin());
        revised.push_back(c < size && !joined[c].empty() ? joined[c] : monomers[type]);
    }
    for (std::vector<std::string>& found : variants) {
        changed = changed || !found.empty();
        revised.insert(revised.end(), found.begin(), found.end());
    }
    if (!changed) return {};
    return revised;
}

}  // namespace horgrid
