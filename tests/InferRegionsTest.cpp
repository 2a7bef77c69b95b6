#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "InferTestArray.h"
#include "data/EmbeddedData.h"
#include "decompose/MonomerSet.h"
#include "infer/ArrayRegions.h"
#include "infer/HorColumns.h"
#include "infer/Inference.h"
#include "infer/StandardMonomers.h"
#include "infer/TandemPeriod.h"
#include "seqio/SequenceReader.h"

namespace horgrid::test {
namespace {

Inference Infer(const std::string& sequence, const std::vector<MonomerType>& templates) {
    InferSettings settings;
    settings.threads = 2;
    return InferMonomers({sequence}, templates, settings, [](const RoundReport&) {});
}

// For every true type, the inferred monomer (of the first `inferred`) nearest to it.
std::vector<std::size_t> NearestInferred(const std::vector<std::string>& types, const Inference& inference) {
    std::vector<std::size_t> nearest;
    for (const std::string& type : types) {
        std::size_t best = 0;
        for (std::size_t k = 1; k < inference.inferred; ++k) {
            if (PercentApart(type, inference.monomers[k].sequence) <
                PercentApart(type, inference.monomers[best].sequence)) {
                best = k;
            }
        }
        nearest.push_back(best);
    }
    return nearest;
}

// An array of a HOR (`types` in order) and a variant of it that lacks the
// positions after `from` up to `to` (or has, with `hybrid`, a monomer two
// bases from position `to` in their place, or with `cut` as well the first
// `cut` bases of the position after `from` and the rest of `to`, added to
// `wanted`): copies of the
// variant (a `share` of them, in blocks of five) are a lineage `lineage` from
// the HOR's at every position; each copy 0.5-1.5 % from its lineage. The
// first `own` copies are the variant's own array before the live one (ending
// before base `ownEnd`). With `stray`, the variant's position `from` is
// stray.variantFrom, and every stray.every-th whole copy has stray.monomer in
// place of position `from` and stray.after after it (a rearrangement of a
// few copies), or is stray.copy.
struct StrayCopies {
    std::string variantFrom;
    std::string monomer;
    std::vector<std::string> after;
    std::vector<std::string> copy;
    std::size_t every = 0;
};

std::string LayOutVariantArray(std::mt19937_64& random, const std::vector<std::string>& types,
                               std::size_t from, std::size_t to, bool hybrid, std::size_t cut, double share,
                               double lineage, std::size_t copies, std::size_t own,
                               std::vector<std::string>& wanted, std::size_t& ownEnd,
                               const StrayCopies& stray = {}) {
    std::vector<std::string> variant;
    for (std::size_t p = 0; p < types.size(); ++p) {
        if (p == from && !stray.variantFrom.empty()) {
            variant.push_back(stray.variantFrom);
        } else if (p <= from || p > to) {
            variant.push_back(types[p]);
        }
        if (p == from && hybrid) {
            std::string junction = types[to];
            if (cut > 0) {
                junction = types[from + 1].substr(0, cut) + types[to].substr(cut);
            } else {
                for (const std::size_t site : {40, 120}) junction[site] = junction[site] == 'A' ? 'C' : 'A';
            }
            wanted.push_back(junction);
            variant.push_back(std::move(junction));
        }
    }
    for (std::string& type : variant) type = reference::Mutate(random, type, lineage);
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    std::string sequence = reference::RandomSequence(random, 500);
    bool ofVariant = false;
    for (std::size_t copy = 0; copy < copies; ++copy) {
        if (copy % 5 == 0) ofVariant = copy < own || roll(random) < share;
        if (copy == own) ownEnd = sequence.size();
        const double divergence = 0.005 + 0.01 * roll(random);
        const bool strays = !ofVariant && stray.every > 0 && copy % stray.every == stray.every / 2;
        // Copies of another layout stand at no fixed spacing (which would make
        // the whole array one long period).
        if (!ofVariant && !stray.copy.empty() && ((copy * 2654435761u) >> 9) % stray.every == 0) {
            for (const std::string& type : stray.copy)
                sequence += reference::Mutate(random, type, divergence);
            continue;
        }
        for (std::size_t p = 0; p < (ofVariant ? variant : types).size(); ++p) {
            const bool replaced = strays && p == from && !stray.monomer.empty();
            sequence += reference::Mutate(random, replaced ? stray.monomer : (ofVariant ? variant : types)[p],
                                          divergence);
            for (const std::string& type : strays&& p == from ? stray.after : std::vector<std::string>{})
                sequence += reference::Mutate(random, type, divergence);
        }
    }
    return sequence + reference::RandomSequence(random, 500);
}

// HOR positions closer than copies of different positions usually are: the
// last positions are 5-7 % mutants of the first ones (or two of them 0.5-2.5 %
// mutants, which only their HOR column tells apart); copies lie 1-2 % (and
// 0.5-3 %, and 3-6 %: groups of one position that the leaders cut must join)
// from their position. Also a 16-monomer HOR whose last four positions are
// neighbours 1-3 % from the first of them; a hybrid of two positions 5-7 %
// apart (first 100 bases of one) that takes the second one's place in two
// copies in five, about 1.7 % from it, so that only its mosaic of two columns
// tells it apart; and a 16-monomer HOR in three layers of copies, 6 % apart at
// every position, which must not split a position. Also HORs whose copies
// are mostly a variant that lacks some positions (of its own lineage, so its
// monomers differ a little from the HOR's at every position): 12 positions
// two pairs of which lie 0-2 % apart, most copies the 8-monomer variant whose
// junction monomer is two bases from the position it stands for (S2C18H1L's
// 1 2 3/7 8 ... 12), and 16 positions, the last three 7-8 % apart, half the
// copies lacking 14 and 15; and an 11-monomer HOR with 40 % of the copies
// 1 2 3 4/7 8 ... 11, whose 4/7 holds only two of the bases that tell 4 from
// 7 near its junction (S2C8H1L's). Every position and hybrid must be a monomer of
// its own, the unit every position (the whole HOR, not the variant), and no
// position may split. Last, 40 copies of a 13-monomer variant 6 % from the
// HOR stand before the live array as an array of their own: its copies are
// no copies of the unit, unlike a variant's copies among whole ones.
TEST(InferPositions, ClosePositionsStayApartAndCopiesNeverSplit) {
    struct Case {
        std::uint64_t seed;
        std::size_t distinct;  // types 20-35 % apart
        double sibling;        // the first `siblings` with a sibling this far (percent, +-1)
        std::size_t siblings;
        double divergence;        // per copy, from this ...
        double spread;            // ... to this much more
        bool neighbours = false;  // the siblings are of the last type and follow it
        std::size_t copies = 60;
        std::size_t hybridFirst = 0, hybridSecond = 0;  // positions; none when equal
        std::size_t cut = 0;                            // bases of the first in the hybrid
        double hybridShare = 0;                         // copies whose second position is the hybrid
        double layer = 0;  // three layers of copies, each this far from the HOR at every position
        std::vector<std::size_t> order = {};  // HOR order as indexes into the types (empty: as made)
        // A HOR variant that lacks positions from..to (0-based, between
        // `junctionFrom` and `junctionTo` exclusive of the first and inclusive
        // of the last: 1 2 | 3 4 5 6 7 | 8 ...), with `junctionHybrid` a
        // monomer two bases from position junctionTo in its place; its copies
        // (`variantShare`, in blocks of five) are a lineage `lineage` from the HOR's.
        std::size_t junctionFrom = 0, junctionTo = 0;
        bool junctionHybrid = false;
        double variantShare = 0;
        double lineage = 0;
        std::size_t ownArray = 0;  // the first copies: the variant's own array
        // Position junctionTo is the one after junctionFrom in its first half
        // but for four bases of position 1, and the junction monomer is the
        // first `junctionCut` bases of the latter, which hold two of them,
        // and the rest of the former.
        std::size_t junctionCut = 0;
        // Every `strayEvery`-th whole copy has, in place of position
        // junctionFrom, the first half of position 2 and the second half of
        // junctionFrom; the variant's junctionFrom carries junctionTo's bases
        // at five sites spread over the monomer.
        std::size_t strayEvery = 0;
        // Instead, every strayEvery-th copy holds junctionFrom twice, with a
        // hybrid of the next position and the one before it between
        // (chr10's 4 5 6/2/4 5 6), the second of them two bases apart.
        bool strayTwice = false;
        // Or it is a copy of a HOR twice the unit's length, A B' E F G H C D
        // (the last four of the `distinct` types are E F G H, B' 12 % from B).
        bool strayLonger = false;
        // Or a copy of a HOR twice as long that holds C twice, A E F G C' H
        // C' D, its C' of its own line of descent, 2 % from C.
        bool strayRepeats = false;
    };
    const std::vector<Case> cases = {
        {11, 4, 6, 4, 0.005, 0.01},
        {12, 5, 6, 5, 0.005, 0.01},
        {16, 5, 1.5, 2, 0.005, 0.01},
        {13, 5, 0, 0, 0.005, 0.025},
        {14, 1, 0, 0, 0.005, 0.025, false, 400},
        {15, 4, 0, 0, 0.03, 0.03},
        {21, 13, 2, 3, 0.005, 0.015, true, 80},
        {23, 10, 6, 2, 0.005, 0.01, false, 150, 0, 10, 100, 0.4},
        {22, 16, 0, 0, 0.005, 0.01, false, 150, 0, 0, 0, 0, 0.03},
        // S2C18H1L-like: 3 and 7, 4 and 10 0-2 % apart; most copies are the
        // 8-monomer variant 1 2 3/7 8 ... 12 of their own lineage.
        {24,
         10,
         1,
         2,
         0.005,
         0.01,
         false,
         150,
         0,
         0,
         0,
         0,
         0,
         {2, 3, 0, 1, 4, 5, 10, 6, 7, 11, 8, 9},
         1,
         6,
         true,
         0.65,
         0.012},
        // S3C17H1L-like: 14, 15, 16 7-8 % apart; half the copies are the
        // 14-monomer variant 1 ... 13 16 of their own lineage.
        {25, 14, 7.5, 2, 0.005, 0.01, true, 150, 0, 0, 0, 0, 0, {}, 12, 14, false, 0.5, 0.008},
        // The same with a farther lineage (1.5 %): 13 beside the junction
        // differs from its own copies in the HOR yet is no hybrid of 13 and 15.
        {26, 14, 7.5, 2, 0.005, 0.01, true, 150, 0, 0, 0, 0, 0, {}, 12, 14, false, 0.5, 0.015},
        // S3C17H1-B-like: 40 copies of a 13-monomer variant, 6 % from the
        // HOR at every position, are an array of their own before the live
        // 16-mer (which holds none of them): no copies of its unit.
        {27, 14, 7.5, 2, 0.005, 0.01, true, 140, 0, 0, 0, 0, 0, {}, 2, 5, false, 0, 0.06, 40},
        // S2C8H1L-like: 40 % of the copies are 1 2 3 4/7 8 ... 11 of their own
        // lineage, 4/7 carrying only two of the bases by which 4 differs from
        // 7 in the half on the junction's side.
        {28, 11, 0, 0, 0.005, 0.01, false, 150, 0, 0, 0, 0, 0, {}, 2, 6, true, 0.4, 0.012, 0, 1},
        // S2C15H1L-like: 45 % of the copies are 1 2 3 4 (the variant's 4
        // with five of 11's bases, spread), and seven whole copies hold a 2/4
        // in 4's place: beside 5 it is no donor that makes one 4 a hybrid.
        {29, 11, 0, 0, 0.005, 0.01, false, 150, 0, 0, 0, 0, 0, {}, 3, 10, false, 0.45, 0.0, 0, 0, 12},
        // S1C10H1L-like: one copy in ten is 1 2 3 4 5 6/4 5' 6 7 8, 5' two
        // bases from 5: the two contexts of 5 there are no two positions.
        {30, 8, 0, 0, 0.005, 0.01, false, 150, 0, 0, 0, 0, 0, {}, 4, 4, false, 0, 0, 0, 0, 10, true},
        // S1C1/5/19H1L-like: a 4-monomer unit and one copy in ten of a HOR
        // twice as long, whose B' lies 12 % from B: its copies stand in no
        // column of the unit, so none of its monomers joins one as a layer.
        {31, 8, 0, 0, 0.005, 0.01, false, 150, 0, 0, 0, 0, 0, {}, 0, 0, false, 0, 0, 0, 0, 10, false, true},
        // S1C1/5/19H1L-like: a third of the copies are the 8-monomer HOR
        // 1 2 3 4 5 6/4 5 2/6 beside the unit 1 2/4 5 2/6: its two 5s, of
        // their own line of descent, stand in contexts of their own, yet in
        // another layout than the unit's 5, so 5 is one monomer.
        {32, 8, 0, 0,     0.005, 0.01, false, 150, 0, 0,     0,     0,   0,
         {}, 0, 0, false, 0,     0,    0,     0,   3, false, false, true}};
    for (const Case& c : cases) {
        std::mt19937_64 random(c.seed);
        const std::string ancestor = reference::RandomSequence(random, 171);
        std::vector<std::string> types = TestTypes(random, ancestor, c.distinct);
        for (std::size_t k = 0; k < c.siblings; ++k) {
            const std::string& of = types[c.neighbours ? c.distinct - 1 : k];
            std::string sibling;
            do {
                sibling = reference::Mutate(random, of, c.sibling / 100 - 0.005);
            } while (std::abs(PercentApart(of, sibling) - c.sibling) > 1);
            types.push_back(sibling);
        }
        if (!c.order.empty()) {
            std::vector<std::string> ordered;
            for (const std::size_t k : c.order) ordered.push_back(types[k]);
            types = std::move(ordered);
        }
        std::size_t cut = 0;
        if (c.junctionCut > 0) {
            std::string& to = types[c.junctionTo];
            const std::string& from = types[c.junctionFrom + 1];
            std::vector<std::size_t> sites;  // where position 1 differs from `from` in the first half
            for (std::size_t k = 12; k < 80; ++k) {
                if (types[0][k] != from[k]) sites.push_back(k);
            }
            to = from.substr(0, 85) + to.substr(85);
            for (std::size_t k = 0; k < 4; ++k)
                to[sites[k * sites.size() / 4]] = types[0][sites[k * sites.size() / 4]];
            cut = (sites[sites.size() / 4] + sites[sites.size() / 2]) / 2 + 1;
        }
        std::vector<std::string> wanted = types;
        std::string sequence;
        std::size_t ownEnd = 0;
        StrayCopies stray;
        if (c.strayRepeats) {
            std::string own;
            do {
                own = reference::Mutate(random, types[2], 0.018);
            } while (std::abs(PercentApart(types[2], own) - 2) > 0.5);
            stray.every = c.strayEvery;
            stray.copy = {types[0], types[4], types[5], types[6], own, types[7], own, types[3]};
            types.resize(4);
        } else if (c.strayLonger) {
            std::string near;
            do {
                near = reference::Mutate(random, types[1], 0.115);
            } while (std::abs(PercentApart(types[1], near) - 12) > 1);
            stray.every = c.strayEvery;
            stray.copy = {types[0], near, types[4], types[5], types[6], types[7], types[2], types[3]};
            types.resize(4);
            wanted.push_back(near);
        } else if (c.strayTwice) {
            stray.every = c.strayEvery;
            stray.after = {types[c.junctionFrom + 1].substr(0, 85) + types[c.junctionFrom - 1].substr(85),
                           types[c.junctionFrom]};
            for (const std::size_t site : {40, 120})
                stray.after[1][site] = stray.after[1][site] == 'A' ? 'C' : 'A';
            wanted.push_back(stray.after[0]);
        } else if (c.strayEvery > 0) {
            stray.every = c.strayEvery;
            stray.variantFrom = types[c.junctionFrom];
            for (const std::size_t site : {20, 55, 90, 125, 160})
                stray.variantFrom[site] = types[c.junctionTo][site];
            stray.monomer = types[1].substr(0, 85) + types[c.junctionFrom].substr(85);
            wanted.push_back(stray.monomer);
        }
        if (c.variantShare > 0 || c.ownArray > 0 || c.strayEvery > 0) {
            sequence =
                LayOutVariantArray(random, types, c.junctionFrom, c.junctionTo, c.junctionHybrid, cut,
                                   c.variantShare, c.lineage, c.copies, c.ownArray, wanted, ownEnd, stray);
        } else if (c.hybridFirst == c.hybridSecond && c.layer == 0) {
            TestArrayShape shape;
            shape.copies = c.copies;
            shape.divergence = c.divergence;
            shape.spread = c.spread;
            sequence = LayOutTestArray(random, types, shape).sequence;
        } else {
            if (c.hybridFirst != c.hybridSecond)
                wanted.push_back(types[c.hybridFirst].substr(0, c.cut) + types[c.hybridSecond].substr(c.cut));
            std::vector<std::vector<std::string>> layers(c.layer > 0 ? 3 : 1, types);
            for (std::vector<std::string>& layer : layers) {
                for (std::string& type : layer) type = reference::Mutate(random, type, c.layer);
            }
            std::uniform_real_distribution<double> roll(0.0, 1.0);
            sequence = reference::RandomSequence(random, 500);
            for (std::size_t copy = 0; copy < c.copies; ++copy) {
                const bool variant = roll(random) < c.hybridShare;
                const double divergence = c.divergence + c.spread * roll(random);
                const std::vector<std::string>& layer = layers[copy * layers.size() / c.copies];
                for (std::size_t p = 0; p < types.size(); ++p) {
                    const bool hybrid = variant && p == c.hybridSecond;
                    sequence += reference::Mutate(random, hybrid ? wanted.back() : layer[p], divergence);
                }
            }
            sequence += reference::RandomSequence(random, 500);
        }
        const Inference inference = Infer(sequence, {{"a", ancestor}});
        const std::string label = "seed " + std::to_string(c.seed);
        EXPECT_EQ(inference.inferred, wanted.size()) << label;
        const std::vector<std::size_t> nearest = NearestInferred(wanted, inference);
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            EXPECT_LT(PercentApart(wanted[k], inference.monomers[nearest[k]].sequence), 2)
                << label << " type " << k;
            for (std::size_t j = 0; j < k; ++j)
                EXPECT_NE(nearest[j], nearest[k]) << label << ": " << j << " and " << k << " merged";
        }
        EXPECT_EQ(inference.hor.unit.size(), types.size()) << label;
        // Copies of a variant among whole ones are copies of the unit; those
        // of its own array are not.
        EXPECT_EQ(inference.hor.variantArrays.size(), c.ownArray > 0 ? 1u : 0u) << label;
        for (const HorCopy& copy : inference.hor.copies)
            EXPECT_GT(static_cast<std::size_t>(copy.end), ownEnd)
                << label << ": a copy in the variant's array";
    }
}

// The junction monomer of a HOR variant (A B C D beside A C' D, C' one base
// from C past the ends; a few copies hold C itself there, as in CHM13 chr18,
// where B is C with one base changed in its right half, so that no base tells
// a hybrid of B and C from C) stands in C's column but only at the junction:
// it is a monomer of its own, although its one base does not tell every copy
// apart. Not so a variant
// standing in place (copies A B C' D), nor one that follows a junction
// monomer already of its own (copies A H D', H outside the unit): only
// neighbours in the unit place a copy. Nor the positions of a longer HOR
// (copies A B P Q H C D of their own lineage, P and Q one base from C and D,
// none of the three in the unit): they stand in none of the unit's columns,
// so they join none of its monomers as a layer. The same when the unit is the
// 8-monomer variant 1 2 H 8 ... 12 of a 12-monomer HOR whose 4, 5 and 6 are
// one base from 10, 11 and 12, and 4's copies are typed as 10: that unit
// monomer stands out of step in the longer copies and places none of them.
// A monomer outside the unit that lies nearer a column than any other column
// does is one position with it (CHM13 chr10, chr12) unless it mixes two
// columns: X in copies A X D, B with C's bases only in its last ten (where
// segments of one position end apart), and C with seven bases changed in its
// middle (copies A B C' D), join B and C (B here unlike C); X a crossover of
// B and C in the middle stays a hybrid, as does C' a crossover of C and D.
// X two bases from C in copies A X D stands in C's column, not in the one its
// neighbour before it gives, and joins C. X, B with C's bases at the last two
// sites before the end's ten where they differ, joins B when a third of B's
// own copies carry them too (CHM13 chr10's 2 before 5): the column varies there.
TEST(InferPositions, JunctionMonomerOfAVariantIsItsOwn) {
    enum class Layout {
        Junction,
        DonorLine,
        OneDonorBase,
        InPlace,
        AfterHybrid,
        Longer,
        LongerShared,
        LateCrossover,
        Patch,
        Crossover,
        InPlaceCrossover,
        AfterJunction,
        SharedLate
    };
    for (const Layout layout :
         {Layout::Junction, Layout::DonorLine, Layout::OneDonorBase, Layout::InPlace, Layout::AfterHybrid,
          Layout::Longer, Layout::LongerShared, Layout::LateCrossover, Layout::Patch, Layout::Crossover,
          Layout::InPlaceCrossover, Layout::AfterJunction, Layout::SharedLate}) {
        std::mt19937_64 random(61);
        const std::string ancestor = reference::RandomSequence(random, 171);
        std::vector<std::string> types = TestTypes(random, ancestor, 5);  // the fifth is H
        const auto changed = [](std::string monomer, std::size_t site = 90) {
            monomer[site] = monomer[site] == 'A' ? 'C' : 'A';
            return monomer;
        };
        const bool mixed = layout >= Layout::LateCrossover;
        if (!mixed) types[1] = changed(types[2], 150);
        if (layout == Layout::DonorLine) {
            // B's own line of descent changed two sites of its left half to
            // bases neither A nor D has there, which C's junction copies lack.
            for (std::size_t site = 20, found = 0; found < 2 && site < 80; ++site) {
                for (const char base : std::string("ACGT")) {
                    const auto near = [&](const std::string& other) {
                        return other[site - 1] == base || other[site] == base || other[site + 1] == base;
                    };
                    if (base == types[2][site] || near(types[0]) || near(types[3])) continue;
                    types[1][site] = base;
                    ++found;
                    site += 20;
                    break;
                }
            }
        }
        std::string outside;  // X or C', typed as a monomer of its own
        std::string shared;   // B with X's bases of C
        if (layout == Layout::Patch) {
            outside = types[2];
            for (std::size_t site = 60; site < 88; site += 4) outside = changed(outside, site);
        } else if (layout == Layout::SharedLate) {
            shared = types[1];
            // The last two sites before the end's ten where B and C differ and
            // A or D has B's base (else B's own change, which tells no donor).
            const std::string c = AlignedBases(types[2], shared);
            const std::string a = AlignedBases(types[0], shared);
            const std::string d = AlignedBases(types[3], shared);
            std::size_t found = 0;
            for (std::size_t site = shared.size() - 11; found < 2; --site) {
                const auto has = [&](const std::string& other) {
                    return other[site - 1] == shared[site] || other[site] == shared[site] ||
                           other[site + 1] == shared[site];
                };
                if (c[site] == shared[site] || c[site] == '-' || !(has(a) || has(d))) continue;
                shared[site] = c[site];
                ++found;
            }
            outside = changed(shared, 30);
        } else if (layout == Layout::AfterJunction) {
            outside = changed(changed(types[2], 30), 100);
        } else if (layout == Layout::InPlaceCrossover) {
            outside = changed(changed(types[2].substr(0, 85) + types[3].substr(85), 30), 100);
        } else if (mixed) {
            const std::size_t cut = layout == Layout::Crossover ? 85 : 161;
            outside = changed(changed(types[1].substr(0, cut) + types[2].substr(cut), 30), 100);
        }
        std::string junction = changed(types[2]);  // C' of the junction layouts
        if (layout == Layout::OneDonorBase) {
            // B also differs from C at one site of the left half, where C
            // has A's base, and C' carries B's base there: the one base on
            // the junction's side is B's, too few sites for a chance test.
            std::size_t site = 30;
            while (types[0][site] != types[2][site]) ++site;
            types[1][site] = junction[site] = types[2][site] == 'G' ? 'T' : 'G';
        }
        std::vector<std::string> monomers = types;
        std::vector<std::size_t> unit = {0, 1, 2, 3};
        std::vector<std::string> longer;  // a copy of the longer HOR, of a lineage 1.5 % from the HOR's
        std::vector<std::size_t> longerTyped;
        if (layout == Layout::Longer) {  // A B P Q H C D
            for (const std::string& type :
                 {types[0], types[1], changed(types[2]), changed(types[3]), types[4], types[2], types[3]})
                longer.push_back(reference::Mutate(random, type, 0.015));
            longerTyped = {0, 1, 5, 6, 4, 2, 3};
            monomers.insert(monomers.end(), {longer[2], longer[3]});
        } else if (layout == Layout::LongerShared) {
            std::vector<std::string> whole = TestTypes(random, ancestor, 12);
            for (const std::size_t p : {3, 4, 5}) whole[p] = changed(whole[p + 6]);
            monomers = {whole[0],  whole[1],  types[4], whole[7], whole[8], whole[9],
                        whole[10], whole[11], whole[2], whole[4], whole[5], whole[6]};
            unit = {0, 1, 2, 3, 4, 5, 6, 7};
            for (const std::string& type : whole) longer.push_back(reference::Mutate(random, type, 0.015));
            longerTyped = {0, 1, 8, 5, 9, 10, 11, 3, 4, 5, 6, 7};
        }
        if (mixed) monomers.push_back(outside);
        std::vector<std::string> unitCopy;
        for (const std::size_t type : unit) unitCopy.push_back(monomers[type]);
        std::vector<std::string> sharedCopy = unitCopy;  // with SharedLate, a third of the whole copies
        if (layout == Layout::SharedLate) sharedCopy[1] = shared;
        std::vector<ColumnSegment> segments;
        const auto run = [&](const std::vector<std::string>& monomers,
                             const std::vector<std::size_t>& typed) {
            for (std::size_t k = 0; k < monomers.size(); ++k) {  // one run of all copies
                const std::size_t before = segments.empty() ? ColumnSegment::kNone : segments.size() - 1;
                segments.push_back(
                    {typed[k], before, ColumnSegment::kNone, reference::Mutate(random, monomers[k], 0.01)});
                if (before != ColumnSegment::kNone) segments[before].after = segments.size() - 1;
            }
        };
        std::uniform_real_distribution<double> roll(0.0, 1.0);
        for (int copy = 0; copy < 90; ++copy) {
            if (copy % 3 != 0) {
                run(copy % 9 < 3 ? sharedCopy : unitCopy, unit);
            } else if (layout <= Layout::OneDonorBase) {
                run({types[0], roll(random) < 0.1 ? types[2] : junction, types[3]}, {0, 2, 3});
            } else if (layout == Layout::InPlace) {
                run({types[0], types[1], changed(types[2]), types[3]}, {0, 1, 2, 3});
            } else if (layout == Layout::AfterHybrid) {
                run({types[0], types[4], changed(types[3])}, {0, 4, 3});
            } else if (layout == Layout::Patch || layout == Layout::InPlaceCrossover) {
                run({types[0], types[1], outside, types[3]}, {0, 1, 5, 3});
            } else if (mixed) {
                run({types[0], outside, types[3]}, {0, 5, 3});
            } else {
                run(longer, longerTyped);
            }
        }
        const std::vector<std::string> revised = ReviseByColumn(segments, monomers, unit, 3, 1000, 1, 8);
        if (layout <= Layout::OneDonorBase) {
            ASSERT_EQ(revised.size(), 6u) << static_cast<int>(layout);
            EXPECT_LT(PercentApart(revised[5], junction), 1);
        } else if (layout == Layout::LateCrossover || layout == Layout::Patch ||
                   layout == Layout::AfterJunction || layout == Layout::SharedLate) {
            const std::size_t joined =
                layout == Layout::LateCrossover || layout == Layout::SharedLate ? 1 : 2;
            EXPECT_EQ(revised.size(), 5u) << static_cast<int>(layout);
            if (revised.size() == 5) {
                EXPECT_LT(PercentApart(revised[joined], types[joined]), 2) << static_cast<int>(layout);
            }
        } else {
            EXPECT_TRUE(revised.empty()) << static_cast<int>(layout);
        }
    }
}

// Two layouts of one HOR side by side, as in CHM13 chr13: 11-monomer copies
// and 7-monomer copies that lack four positions, three of which are 5-7 %
// siblings of positions of the short layout. Until the siblings are told
// apart the short layout looks like the unit; the 11 positions and the
// 11-monomer unit must come out, and a sibling never joins its position.
TEST(InferPositions, SiblingsInOneOfTwoLayouts) {
    std::mt19937_64 random(31);
    const std::string ancestor = reference::RandomSequence(random, 171);
    std::vector<std::string> types = TestTypes(random, ancestor, 8);
    const auto sibling = [&](const std::string& of) {
        std::string made;
        do {
            made = reference::Mutate(random, of, 0.055);
        } while (std::abs(PercentApart(of, made) - 6) > 1);
        return made;
    };
    // Positions 1-6 and 11 are types 0-5 and 6; 7, 8, 9 are siblings of 11, 1, 3.
    const std::vector<std::string> positions = {
        types[0],          types[1],          types[2],          types[3], types[4], types[5],
        sibling(types[6]), sibling(types[0]), sibling(types[2]), types[7], types[6]};
    const std::vector<std::size_t> shortLayout = {0, 1, 2, 3, 4, 5, 10};
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    std::string sequence = reference::RandomSequence(random, 500);
    for (int copy = 0; copy < 80; ++copy) {
        const bool full = roll(random) < 0.5;
        const double divergence = 0.005 + 0.01 * roll(random);
        for (std::size_t p = 0; p < positions.size(); ++p) {
            if (full || std::find(shortLayout.begin(), shortLayout.end(), p) != shortLayout.end())
                sequence += reference::Mutate(random, positions[p], divergence);
        }
    }
    sequence += reference::RandomSequence(random, 500);
    const Inference inference = Infer(sequence, {{"a", ancestor}});
    EXPECT_EQ(inference.inferred, positions.size());
    const std::vector<std::size_t> nearest = NearestInferred(positions, inference);
    for (std::size_t k = 0; k < positions.size(); ++k) {
        EXPECT_LT(PercentApart(positions[k], inference.monomers[nearest[k]].sequence), 2)
            << "position " << k + 1;
        for (std::size_t j = 0; j < k; ++j)
            EXPECT_NE(nearest[j], nearest[k]) << "positions " << j + 1 << ", " << k + 1;
    }
    EXPECT_EQ(inference.hor.unit.size(), positions.size());
}

// A HOR that uses one monomer twice (A B C A D): the unit holds it twice, the
// set once, and every segment is typed by a monomer of the set.
TEST(InferPositions, MonomerUsedTwiceInTheUnit) {
    std::mt19937_64 random(41);
    const std::string ancestor = reference::RandomSequence(random, 171);
    const std::vector<std::string> types = TestTypes(random, ancestor, 4);
    TestArrayShape shape;
    shape.copies = 50;
    shape.missing = 0;
    const TestArray array =
        LayOutTestArray(random, {types[0], types[1], types[2], types[0], types[3]}, shape);
    const Inference inference = Infer(array.sequence, {{"a", ancestor}});
    EXPECT_EQ(inference.inferred, 4u);
    EXPECT_EQ(inference.hor.unit.size(), 5u);
    for (const std::vector<Segment>& record : inference.segments) {
        for (const Segment& segment : record) ASSERT_LT(segment.type, inference.monomers.size());
    }
}

// Seven copies of an 11-mer whose fifth and sixth positions lie 7.5 % apart,
// the fifth given as a template beside the ancestor (a standard monomer that
// fits one position of a short array): the template's copies must not cut the
// runs the HOR is read from, and every position is a monomer of its own.
TEST(InferPositions, TemplateTypesAPositionOfAShortArray) {
    std::mt19937_64 random(61);
    const std::string ancestor = reference::RandomSequence(random, 171);
    std::vector<std::string> types = TestTypes(random, ancestor, 11);
    types[5] = reference::Mutate(random, types[4], 0.075);
    TestArrayShape shape;
    shape.copies = 7;
    shape.missing = 0;
    const TestArray array = LayOutTestArray(random, types, shape);
    const Inference inference = Infer(array.sequence, {{"a", ancestor}, {"t", types[4]}});
    EXPECT_EQ(inference.inferred, types.size());
    EXPECT_EQ(inference.hor.unit.size(), types.size());
}

// A HOR position made of the first half of one position and the second half
// of another is inferred as a monomer of its own and reported as a hybrid.
TEST(InferPositions, HybridMonomer) {
    std::mt19937_64 random(51);
    const std::string ancestor = reference::RandomSequence(random, 171);
    std::vector<std::string> types = TestTypes(random, ancestor, 6);
    types.push_back(types[1].substr(0, 85) + types[4].substr(85));
    TestArrayShape shape;
    shape.copies = 40;
    const TestArray array = LayOutTestArray(random, types, shape);
    const Inference inference = Infer(array.sequence, {{"a", ancestor}});
    ASSERT_EQ(inference.inferred, 7u);
    const std::vector<std::size_t> nearest = NearestInferred(types, inference);
    ASSERT_EQ(inference.hybrids.size(), 1u);
    EXPECT_EQ(inference.hybrids[0].monomer, nearest[6]);
    EXPECT_EQ(inference.hybrids[0].first, nearest[1]);
    EXPECT_EQ(inference.hybrids[0].second, nearest[4]);
}

// A hybrid of two positions 12 % apart (first half of one, second half of the
// other) lies about 6 % from each, inside the leaders' closeness, so the
// leaders leave it in a parent's group; in a third of the copies it takes the
// first parent's place. It must come out as a monomer of its own, and no
// position may be lost to it.
TEST(InferPositions, HybridOfClosePositions) {
    std::mt19937_64 random(61);
    const std::string ancestor = reference::RandomSequence(random, 171);
    std::vector<std::string> types = TestTypes(random, ancestor, 5);
    std::string sibling;
    do {
        sibling = reference::Mutate(random, types[2], 0.12);
    } while (std::abs(PercentApart(types[2], sibling) - 12) > 1);
    const std::string hybrid = types[2].substr(0, 85) + sibling.substr(85);
    const std::vector<std::string> positions = {types[0], types[1], types[2], types[3], sibling, types[4]};
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    std::string sequence = reference::RandomSequence(random, 500);
    for (int copy = 0; copy < 90; ++copy) {
        const bool variant = roll(random) < 0.33;
        const double divergence = 0.005 + 0.01 * roll(random);
        for (std::size_t p = 0; p < positions.size(); ++p)
            sequence += reference::Mutate(random, variant && p == 2 ? hybrid : positions[p], divergence);
    }
    sequence += reference::RandomSequence(random, 500);
    const Inference inference = Infer(sequence, {{"a", ancestor}});
    std::vector<std::string> wanted = positions;
    wanted.push_back(hybrid);
    const std::vector<std::size_t> nearest = NearestInferred(wanted, inference);
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        EXPECT_LT(PercentApart(wanted[k], inference.monomers[nearest[k]].sequence), 2) << "monomer " << k;
        for (std::size_t j = 0; j < k; ++j)
            EXPECT_NE(nearest[j], nearest[k]) << "monomers " << j << ", " << k;
    }
}

// Two positions one base apart (CHM13 chr18's 3 and 7), a third of the
// copies of each with a third base there: those copies align to both
// monomers with one score, so only their place in the HOR tells them. Every
// copy must be typed by its own position's monomer, on either strand.
TEST(InferPositions, CopiesTheBasesCannotTellStandInTheirColumn) {
    std::mt19937_64 random(71);
    const std::string ancestor = reference::RandomSequence(random, 171);
    std::vector<std::string> positions = TestTypes(random, ancestor, 6);
    constexpr std::size_t kSite = 90;
    positions[4] = positions[2];
    positions[4][kSite] = positions[2][kSite] == 'A' ? 'C' : 'A';
    std::string neither = positions[2];
    neither[kSite] = positions[2][kSite] == 'G' || positions[4][kSite] == 'G' ? 'T' : 'G';
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    std::string sequence = reference::RandomSequence(random, 500);
    constexpr std::size_t kCopies = 150;
    for (std::size_t block = 0; block < kCopies / 10; ++block) {
        std::string copies;
        for (std::size_t copy = 0; copy < 10; ++copy) {
            const double divergence = 0.005 + 0.01 * roll(random);
            for (std::size_t p = 0; p < positions.size(); ++p) {
                const bool tied = (p == 2 || p == 4) && roll(random) < 1.0 / 3;
                copies += reference::Mutate(random, tied ? neither : positions[p], divergence);
            }
        }
        sequence += block % 4 == 3 ? ReverseComplement(copies) : copies;
    }
    sequence += reference::RandomSequence(random, 500);
    const Inference inference = Infer(sequence, {{"a", ancestor}});
    ASSERT_EQ(inference.inferred, positions.size());
    const std::vector<std::size_t> nearest = NearestInferred(positions, inference);
    std::map<std::size_t, std::size_t> typed;
    for (const Segment& segment : inference.segments[0]) ++typed[segment.type];
    for (const std::size_t p : {2, 4}) {
        EXPECT_NEAR(static_cast<double>(typed[nearest[p]]), static_cast<double>(kCopies), 3)
            << "position " << p;
    }
}

// A generated region: random sequence, monomeric satellite (monomers of one
// ancestor, 15 % from it), a live HOR array, monomeric satellite, a diverged
// HOR array (copies 10-12 % from their type), random sequence.
// HORs of the standard set and a variant whose copies descend apart from the
// unit's, mixed copy by copy; each copy's monomers 1 % from their line.
// - chr9's S2C9H1L.1-7 and the variant 1 2 6 7, its 6 from a second
//   standard 6 a few per cent from the unit's: the rounds make two monomers
//   of the two 6s, yet both stand for one standard monomer, so they are one
//   type of one position.
TEST(InferPositions, LinesOfOneStandardMonomerAreOne) {
    struct Case {
        std::string hor;
        std::vector<std::size_t> whole, variant;  // records of the HOR's profiles, in order
        // variant copies; the distance from their profiles of the line of
        // the variant's first `drifted` monomers
        double share, lineage;
        std::size_t drifted;
        std::size_t unit, inferred;
        unsigned seed = 83;
    };
    const std::vector<Case> cases = {
        {"S2C9H1L.", {12, 13, 14, 15, 16, 17, 18}, {19, 20, 21, 22}, 1.0 / 3, 0, 0, 7, 7},
        // chr17's 14-monomer variant opens with its own variant HOR's 1
        // (S3C17H1-B.1, 20 edits from S3C17H1L.1)
        // clang-format off
        {"S3C17H1", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                    {16, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, 0.4, 0, 0, 16, 16},
        // clang-format on
        // a variant's 1 of a line that descended a tenth from the profile:
        // it stands for 1 only in 1's column
        {"S2C8H1L.", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 1, 2, 3, 4, 5, 6, 7, 8}, 0.4, 0.10, 1, 11, 11},
        // chr18's 1 2 3/7 8-12 in four copies of five, its line 2 % from the
        // unit's: the variant's 10 and the unit's are one column, and the
        // unit's 10 copies stay 10 beside 4 (2 % from 10) in their own context
        // clang-format off
        {"S2C18H1L.", {5, 6, 14, 7, 8, 9, 13, 0, 1, 2, 3, 4},
                      {5, 6, 15, 0, 1, 2, 3, 4}, 0.8, 0.02, 8, 12, 13, 9},
        // clang-format on
    };
    const std::vector<MonomerType> all = EmbeddedMonomerRecords("AS-HOR.consensus.fa.gz");
    for (const Case& c : cases) {
        std::vector<std::string> profiles;
        for (const MonomerType& type : all) {
            if (type.name.starts_with(c.hor)) profiles.push_back(type.sequence);
        }
        std::mt19937_64 random(c.seed);
        std::vector<std::string> whole, variant;
        for (std::size_t k : c.whole) whole.push_back(profiles.at(k));
        for (std::size_t k : c.variant)
            variant.push_back(reference::Mutate(random, profiles.at(k), variant.size() < c.drifted ? c.lineage : 0));
        std::uniform_real_distribution<double> uniform(0, 1);
        std::string sequence;
        for (int copy = 0; copy < 400; ++copy) {
            for (const std::string& type : uniform(random) < c.share ? variant : whole)
                sequence += reference::Mutate(random, type, 0.01);
        }
        const Inference inference = Infer(sequence, StandardClassMonomers());
        EXPECT_EQ(inference.hor.unit.size(), c.unit) << c.hor;
        EXPECT_EQ(inference.inferred, c.inferred) << c.hor;
    }
}

TEST(InferRegions, OnlyTheLiveArrayMakesMonomersAndCopies) {
    std::mt19937_64 random(21);
    const std::string ancestor = reference::RandomSequence(random, 171);
    const auto monomeric = [&] {
        std::string text;
        for (int k = 0; k < 120; ++k) text += reference::Mutate(random, ancestor, 0.15);
        return text;
    };
    TestArrayShape shape;
    shape.types = 6;
    shape.copies = 30;
    shape.reversed = 0;
    const TestArray array = MakeTestArray(21, ancestor, shape);
    const std::string left = reference::RandomSequence(random, 10000) + monomeric();
    TestArrayShape old;
    old.types = 5;
    old.copies = 20;
    old.divergence = 0.10;
    old.spread = 0.02;
    const TestArray diverged = MakeTestArray(22, ancestor, old);
    const std::string sequence =
        left + array.sequence + monomeric() + diverged.sequence + reference::RandomSequence(random, 10000);
    const auto arrayStart = static_cast<std::int64_t>(left.size());
    const auto arrayEnd = arrayStart + static_cast<std::int64_t>(array.sequence.size()) - 1;

    const Inference inference = Infer(sequence, {{"a", ancestor}});
    EXPECT_EQ(inference.inferred, 6u) << "the flanks grew the set";
    EXPECT_EQ(inference.hor.unit.size(), 6u);
    std::string classes;
    for (const ArrayStretch& stretch : inference.regions) {
        classes += "LDMN"[static_cast<int>(stretch.kind)];
        if (stretch.kind == RegionClass::LiveHor) {
            EXPECT_NEAR(static_cast<double>(stretch.start), static_cast<double>(arrayStart), 200);
            EXPECT_NEAR(static_cast<double>(stretch.end), static_cast<double>(arrayEnd), 200);
        }
    }
    EXPECT_EQ(classes, "NMLMDN");
    EXPECT_NEAR(static_cast<double>(inference.hor.copies.size()), 30, 1);
    for (const HorCopy& copy : inference.hor.copies) {
        EXPECT_GE(copy.start, arrayStart - 200);
        EXPECT_LE(copy.end, arrayEnd + 200);
        EXPECT_GE(copy.types.size() - copy.adds.size(), 2u);
    }

    // Measured with the pairs of another decomposition of the sequence (some
    // segments turned, below satellite identity or gone, which moves the
    // offsets of the rest), the nearest copies and arrays are those measured
    // afresh.
    const std::vector<Segment> segments = Decompose(sequence, inference.monomers, Scoring{});
    std::vector<Segment> other;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i % 13 == 5) continue;
        other.push_back(segments[i]);
        if (i % 7 == 3) other.back().reverse = !other.back().reverse;
        if (i % 11 == 2) other.back().identity = 0;
    }
    RegionSettings settings;
    settings.threads = 2;
    std::vector<NearestMemo> before;
    std::vector<NearestMemo> after;
    ArrayRegions({sequence}, {other}, settings, nullptr, &before);
    const auto text = [](const std::vector<ArrayStretch>& stretches) {
        std::ostringstream out;
        for (const ArrayStretch& s : stretches) {
            out << s.first << '-' << s.last << ':' << s.start << '-' << s.end << '='
                << static_cast<int>(s.kind) << ' ';
        }
        return out.str();
    };
    EXPECT_EQ(text(ArrayRegions({sequence}, {segments}, settings, &before, &after)),
              text(ArrayRegions({sequence}, {segments}, settings)));
    const NearestCopy fresh = NearestCopies(sequence, segments, settings, settings.divergedDistance);
    for (const NearestMemo* memo : {&before[0], &after[0]}) {
        const NearestCopy taken =
            NearestCopies(sequence, segments, settings, settings.divergedDistance, memo);
        EXPECT_EQ(taken.distances, fresh.distances);
        EXPECT_EQ(taken.offsets, fresh.offsets);
    }
}

// A tandem repeat that is not alpha satellite: a random unit of 150-200 bases,
// copies 2-10 % apart, no template but the built-in ones.
TEST(InferRoute, DeNovoPeriodWithoutTemplates) {
    for (const std::uint64_t seed : {31u, 32u, 33u}) {
        std::mt19937_64 random(seed);
        const std::size_t period = 150 + random() % 51;
        const std::string unit = reference::RandomSequence(random, period);
        std::string sequence = reference::RandomSequence(random, 5000);
        std::uniform_real_distribution<double> divergence(0.01, 0.05);
        for (int k = 0; k < 300; ++k) sequence += reference::Mutate(random, unit, divergence(random));
        sequence += reference::RandomSequence(random, 5000);
        const TandemPeriod found = FindTandemPeriod({sequence});
        EXPECT_NEAR(static_cast<double>(found.period), static_cast<double>(period), 2) << seed;

        const Inference inference = Infer(sequence, DefaultTemplates());
        EXPECT_FALSE(inference.route.fromTemplates) << seed;
        EXPECT_EQ(inference.inferred, 1u) << seed;
        ASSERT_GE(inference.monomers.size(), 1u);
        // The monomer is the unit read from some phase.
        const std::string twice = unit + unit;
        double best = 100;
        for (std::size_t shift = 0; shift < period; ++shift) {
            best = std::min(best, PercentApart(twice.substr(shift, period), inference.monomers[0].sequence));
        }
        EXPECT_LT(best, 2) << seed;
        EXPECT_NEAR(static_cast<double>(inference.hor.copies.size()), 300, 3) << seed;
    }
    std::mt19937_64 random(34);
    EXPECT_EQ(FindTandemPeriod({reference::RandomSequence(random, 50000)}).period, 0u);
}

// A dense live array and beside it (after it, or for the last seed before
// it) an old array of its family (28 % from the unit, copies 5 % from their
// ancestor: too sparse for its strand switches to give whole copies) whose
// blocks of ten copies alternate strands: the period must start where the
// switch nearest to the densest stretch maps into it, a live copy's first
// base, not anywhere in the densest stretch.
TEST(InferRoute, PeriodTakesThePhaseOfASparseSwitch) {
    for (const std::uint64_t seed : {41u, 42u, 43u}) {
        std::mt19937_64 random(seed);
        const std::string unit = reference::RandomSequence(random, 178);
        const std::string old = reference::Mutate(random, unit, 0.28);
        std::string sequence;
        for (int block = 0; block < 12; ++block) {
            std::string copies;
            for (int k = 0; k < 10; ++k) copies += reference::Mutate(random, old, 0.05);
            sequence += block % 2 == 1 ? copies : ReverseComplement(copies);
        }
        if (seed != 43) sequence = ReverseComplement(sequence);
        const std::size_t before = seed == 43 ? sequence.size() : 0;
        std::string live;
        std::vector<std::size_t> starts;  // of the live copies
        for (int k = 0; k < 600; ++k) {
            starts.push_back(before + live.size());
            live += reference::Mutate(random, unit, 0.02);
        }
        sequence = seed == 43 ? sequence + live : live + sequence;
        const TandemPeriod found = FindTandemPeriod({sequence});
        ASSERT_EQ(found.period, 178u) << seed;
        const auto next = std::lower_bound(starts.begin(), starts.end(), found.start);
        std::size_t off = next == starts.end() ? 178 : *next - found.start;
        if (next != starts.begin()) off = std::min(off, found.start - *(next - 1));
        EXPECT_LE(off, 5u) << seed << " start " << found.start;
    }
}

// Templates of both orientations (every second DXZ1 monomer reverse-complemented).
TEST(InferRoute, TemplatesOfMixedOrientation) {
    std::vector<MonomerType> templates = ReadMonomerSet(HORGRID_SOURCE_DIR "/examples/dxz1_monomers.fa");
    std::vector<std::string> types;
    for (std::size_t k = 0; k < templates.size(); ++k) {
        types.push_back(templates[k].sequence);
        if (k % 2 == 1) templates[k].sequence = ReverseComplement(templates[k].sequence);
    }
    std::mt19937_64 random(41);
    TestArrayShape shape;
    shape.copies = 25;
    const TestArray array = LayOutTestArray(random, types, shape);
    const Inference inference = Infer(array.sequence, templates);
    EXPECT_EQ(inference.inferred, 12u);
    EXPECT_EQ(inference.hor.unit.size(), 12u);
}

// The real D21Z1 array (CHM13 cen21) against the standard HMM annotation:
// monomers cut where the standard ones start, each standard position one
// inferred monomer and back, the 11-monomer unit, no copy outside the array.
// Also with 8 % substitutions (a noisy read: copies about 16 % apart, so the
// array is a diverged HOR, whose stretches then make the monomers), and on
// pieces of three or four HOR copies, read on the reverse strand (a contig or
// read of a few copies): 6 kb holding two whole copies and one of the variant
// that lacks 8-11 (7 and 11, 2.4 % apart, two or three copies each), 6 kb
// whose positions 8-11 have two copies, and 8 kb whose 11-mer reads as copies
// of that variant's 7-mer and a 9-mer.
TEST(InferReal, Cen21StandardPhaseAndPositions) {
    const std::vector<SequenceRecord> records = [] {
        std::vector<SequenceRecord> read;
        SequenceReader reader(HORGRID_SOURCE_DIR "/examples/cen21.fa");
        for (SequenceRecord record; reader.Next(record);) read.push_back(std::move(record));
        return read;
    }();
    ASSERT_EQ(records.size(), 1u);
    struct Standard {
        std::int64_t start, end;
        std::string position;
    };
    std::vector<Standard> standard;
    std::ifstream table(HORGRID_SOURCE_DIR "/tests/data/cen21_standard.tsv");
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Standard s;
        fields >> s.start >> s.end >> s.position;
        standard.push_back(s);
    }
    ASSERT_GT(standard.size(), 1900u);
    std::string noisy = records[0].sequence;
    std::mt19937_64 random(61);
    for (char& base : noisy) {
        const std::size_t at = reference::kDna.find(base);
        if (at != std::string_view::npos && random() % 100 < 8)
            base = reference::kDna[(at + 1 + random() % 3) % 4];
    }
    struct Piece {
        std::string label;
        std::string sequence;
        std::int64_t offset = 0;  // of the piece in the array
        bool reverse = false;     // the piece is the reverse complement
        double least = 98;        // purity both ways, percent
    };
    const auto piece = [&](std::int64_t offset, std::size_t length, bool reverse) {
        std::string bases = records[0].sequence.substr(static_cast<std::size_t>(offset), length);
        return Piece{std::to_string(length) + " bases from " + std::to_string(offset),
                     reverse ? ReverseComplement(bases) : bases, offset, reverse};
    };
    for (const Piece& p :
         {Piece{"cen21", records[0].sequence}, Piece{"cen21, 8 % substitutions", noisy, 0, false, 97},
          piece(151949, 6000, true), piece(238549, 6000, true), piece(194049, 8000, true)}) {
        const std::string& label = p.label;
        InferSettings settings;
        settings.threads = 2;
        const Inference inference =
            InferMonomers({p.sequence}, DefaultTemplates(), settings, [](const RoundReport&) {});

        // The segments in the array's coordinates, and the standard monomers of the piece.
        const auto length = static_cast<std::int64_t>(p.sequence.size());
        std::vector<Segment> segments = inference.segments[0];
        for (Segment& segment : segments) {
            const std::int64_t start = p.reverse ? length - 1 - segment.end : segment.start;
            segment.end = p.offset + (p.reverse ? length - 1 - segment.start : segment.end);
            segment.start = p.offset + start;
        }
        std::sort(segments.begin(), segments.end(),
                  [](const Segment& a, const Segment& b) { return a.start < b.start; });
        std::vector<Standard> inPiece;
        for (const Standard& s : standard) {
            if (s.start >= p.offset && s.end <= p.offset + length) inPiece.push_back(s);
        }
        std::map<std::string, std::map<std::size_t, std::size_t>> forward;  // position -> monomer -> count
        std::map<std::size_t, std::map<std::string, std::size_t>> backward;
        std::size_t pairs = 0;
        std::size_t exact = 0;  // starts within 5 bases
        for (const Standard& s : inPiece) {
            const auto at =
                std::lower_bound(segments.begin(), segments.end(), s.start - 85,
                                 [](const Segment& x, std::int64_t position) { return x.start < position; });
            for (auto it = at; it != segments.end() && it->start < s.end; ++it) {
                const std::int64_t overlap = std::min(s.end, it->end + 1) - std::max(s.start, it->start);
                if (2 * overlap < s.end - s.start) continue;
                ++forward[s.position][it->type];
                ++backward[it->type][s.position];
                ++pairs;
                exact += std::abs(it->start - s.start) <= 5;
                break;
            }
        }
        const auto purity = [&](const auto& counted) {
            std::size_t agree = 0;
            for (const auto& [key, counts] : counted) {
                std::size_t most = 0;
                for (const auto& [other, count] : counts) most = std::max(most, count);
                agree += most;
            }
            return 100.0 * static_cast<double>(agree) / static_cast<double>(pairs);
        };
        EXPECT_GT(pairs, inPiece.size() * 95 / 100) << label;
        EXPECT_GT(100.0 * static_cast<double>(exact) / static_cast<double>(pairs), 90)
            << label << ": not the standard phase";
        EXPECT_GE(purity(forward), p.least) << label << ": standard positions merged";
        EXPECT_GE(purity(backward), p.least) << label << ": a monomer spans two positions";
        EXPECT_EQ(inference.hor.unit.size(), 11u) << label;
        for (const HorCopy& copy : inference.hor.copies) {
            EXPECT_GE(copy.start, standard.front().start - 5000) << label;
            EXPECT_LE(copy.end, standard.back().end + 5000) << label;
        }
    }
}

}  // namespace
}  // namespace horgrid::test
