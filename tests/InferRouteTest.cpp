#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "InferTestArray.h"
#include "infer/Inference.h"

namespace horgrid::test {
namespace {

// A true monomer of a generated array: [start, end) and its strand.
struct Placed {
    std::int64_t start = 0, end = 0;
    bool reverse = false;
    bool diverged = false;  // of the diverged stretch
};

// The diverged stretch of a plant-like array: copies of another ancestor
// `apart` from the unit, eight families 6 % from it, copies `low`-`high` from
// their family; `order` > 0 lays the first `order` families as a HOR of that
// many monomers (the stretch's own structure), else each copy is of a random
// family; blocks of `block` copies are turned to the reverse strand, all of
// them when `forward` is 0, else all but every `forward`-th block; the
// ancestor lacks `shorter` bases of the unit (a monomer of another length).
struct Stretch {
    double apart = 0.28, low = 0.10, high = 0.10;
    std::size_t order = 0, block = 0, forward = 0, shorter = 0;
};

// A CEN180-like array: a 178-base unit, eight families 6 % from it, copies
// `live` +-2 % from their family, and in its middle `diverged` copies of the
// stretch.
std::string PlantArray(std::uint64_t seed, std::size_t copies, std::size_t diverged, const Stretch& shape,
                       double live, std::vector<Placed>& truth) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    const std::string unit = reference::RandomSequence(random, 178);
    std::string old = reference::Mutate(random, unit, shape.apart);
    old.erase(old.size() / 3, shape.shorter);
    const auto families = [&](const std::string& from) {
        std::vector<std::string> made;
        for (int k = 0; k < 8; ++k) made.push_back(reference::Mutate(random, from, 0.06));
        return made;
    };
    const std::vector<std::string> alive = families(unit);
    const std::vector<std::string> ancient = families(old);
    std::string sequence;
    const auto lay = [&](const std::vector<std::string>& from, std::size_t count, double low, double high,
                         std::size_t order) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::string& family = order > 0 ? from[k % order] : from[random() % from.size()];
            const std::string copy = reference::Mutate(random, family, low + (high - low) * roll(random));
            truth.push_back({static_cast<std::int64_t>(sequence.size()),
                             static_cast<std::int64_t>(sequence.size() + copy.size()), false, &from == &ancient});
            sequence += copy;
        }
    };
    // Turns [from, to) of the sequence and its true monomers from index `first` on.
    const auto turn = [&](std::size_t from, std::size_t to, std::size_t first, std::size_t last) {
        const std::string stretch = ReverseComplement(sequence.substr(from, to - from));
        sequence.replace(from, stretch.size(), stretch);
        const auto mirror = static_cast<std::int64_t>(from + to);
        for (std::size_t k = first; k < last; ++k) {
            const Placed placed = truth[k];
            truth[k] = {mirror - placed.end, mirror - placed.start, true, placed.diverged};
        }
        std::reverse(truth.begin() + static_cast<std::ptrdiff_t>(first),
                     truth.begin() + static_cast<std::ptrdiff_t>(last));
    };
    lay(alive, copies / 2, live - 0.02, live + 0.02, 0);
    const std::size_t first = truth.size();
    lay(ancient, diverged, shape.low, shape.high, shape.order);
    const std::size_t block = shape.block == 0 ? diverged : shape.block;
    for (std::size_t b = 0; b * block < diverged; ++b) {
        if (shape.forward > 0 && b % shape.forward == shape.forward - 1) continue;
        const std::size_t from = first + b * block, to = std::min(first + diverged, from + block);
        turn(static_cast<std::size_t>(truth[from].start), static_cast<std::size_t>(truth[to - 1].end), from, to);
    }
    lay(alive, copies - copies / 2, live - 0.02, live + 0.02, 0);
    return sequence;
}

// Percent of the true monomers (in position order) that one segment overlaps by half, and of
// them the percent whose start lies within 5 bases of the median offset
// (measured on each monomer's strand); the reverse ones' coverage apart, and
// the diverged stretch's coverage and the median identity of its segments.
struct Agreement {
    double covered = 0, starts = 0, reverseCovered = 0, divergedCovered = 0, divergedIdentity = 0;
};

Agreement Agree(const std::vector<Placed>& truth, const std::vector<Segment>& segments, double minIdentity) {
    std::vector<std::int64_t> offsets(truth.size(), INT64_MIN);
    std::vector<double> identities;  // of the diverged stretch's segments
    std::size_t at = 0;
    for (std::size_t k = 0; k < truth.size(); ++k) {
        const Placed& placed = truth[k];
        while (at < segments.size() && segments[at].end < placed.start) ++at;
        for (std::size_t s = at; s < segments.size() && segments[s].start < placed.end; ++s) {
            const std::int64_t overlap =
                std::min(placed.end, segments[s].end + 1) - std::max(placed.start, segments[s].start);
            if (segments[s].identity >= minIdentity && 2 * overlap >= placed.end - placed.start) {
                offsets[k] = (segments[s].start - placed.start) * (placed.reverse ? -1 : 1);
                if (placed.diverged) identities.push_back(segments[s].identity);
            }
        }
    }
    std::vector<std::int64_t> found;
    std::size_t reverse = 0, reverseFound = 0, diverged = 0;
    for (std::size_t k = 0; k < truth.size(); ++k) {
        if (offsets[k] != INT64_MIN) found.push_back(offsets[k]);
        reverse += truth[k].reverse;
        reverseFound += truth[k].reverse && offsets[k] != INT64_MIN;
        diverged += truth[k].diverged;
    }
    Agreement agreement;
    if (found.empty()) return agreement;
    std::vector<std::int64_t> sorted = found;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const std::int64_t median = sorted[sorted.size() / 2];
    const auto near = std::count_if(found.begin(), found.end(),
                                    [&](std::int64_t offset) { return std::abs(offset - median) <= 5; });
    agreement.covered = 100.0 * static_cast<double>(found.size()) / static_cast<double>(truth.size());
    agreement.starts = 100.0 * static_cast<double>(near) / static_cast<double>(truth.size());
    agreement.reverseCovered =
        reverse == 0 ? 100 : 100.0 * static_cast<double>(reverseFound) / static_cast<double>(reverse);
    if (diverged > 0 && !identities.empty()) {
        agreement.divergedCovered = 100.0 * static_cast<double>(identities.size()) / static_cast<double>(diverged);
        std::nth_element(identities.begin(), identities.begin() + static_cast<std::ptrdiff_t>(identities.size() / 2),
                         identities.end());
        agreement.divergedIdentity = identities[identities.size() / 2];
    }
    return agreement;
}

// Repeats that are not alpha satellite, as a user brings them: the route
// must find them whatever the period and strand, and use a template that fits
// some of their monomers without sharing 12-mers with the rest.
TEST(InferRoute, GeneratedRepeats) {
    struct Case {
        const char* label;
        std::size_t types;       // unrelated monomers of a HOR (0: the plant-like array)
        std::size_t length;      // of each
        std::size_t copies;      // of the HOR
        std::size_t block;       // copies of one strand
        double templateApart;    // a template this far from the first monomer (0: the built-in ones)
        std::size_t inferred;    // monomers expected (the HOR unit)
        Stretch stretch{};       // the plant-like array's diverged stretch
        double identity = 0;     // its segments' median identity at least
        double whole = 0.7;      // share of the HOR copies found whole at least
        std::uint64_t seed = 8;  // of the plant-like array
        double family = 0;       // > 0: the monomers lie this far from one ancestor, every fourth 30 bases shorter
        double live = 0.04;      // the plant-like array's live copies from their family, +-2 %
        bool longer = false;     // with a family: every fourth from the second 29 bases longer
        std::size_t spare = 1;   // monomers beyond the unit at most (variants at strand switches)
        double starts = 95;      // percent of the plant-like array's starts within 5 bases at least
        double inside = 99;      // percent of its diverged stretch in the tandem stretches at least
    };
    const std::vector<Case> cases = {
        // 80 copies of 9 unrelated monomers, a quarter of the copies turned;
        // the template shares 12-mers with one monomer in nine only.
        {"nine unrelated, far template", 9, 171, 80, 1, 0.15, 9},
        {"nine unrelated, near template", 9, 171, 80, 1, 0.08, 9},
        // Without a template the period is one monomer, cut where the strand
        // turns: copies turned two by two stay whole, and so do their neighbours.
        {"nine unrelated, no template", 9, 171, 80, 2, 0, 1, {}, 0, 0.95},
        // A 6 kb HOR-long period, blocks of copies on either strand.
        {"6 kb period", 1, 6000, 20, 4, 0, 1},
        // 17 monomers of one 124-base family, 7 % from their ancestor (pairs
        // about 13 % apart), some shorter: the HOR period is no whole number
        // of monomers, yet its monomers, not the period, are the unit.
        {"17 monomers of one family", 17, 124, 60, 4, 0, 17, {}, 0, 0.7, 8, 0.07},
        // The same, some monomers longer, with a template 30 % from one of
        // them: where it fits, it would cut the period out of the monomers'
        // phase.
        {"17 monomers of one family, far template", 17, 124, 60, 4, 0.30, 17, {}, 0, 0.7, 8, 0.07, 0.04, true, 2},
        // Nine of one 172-base family 12 % from their ancestor: neighbours
        // share few k-mers (the monomer's votes are a fifth of the period's),
        // yet one monomer fits most of the period.
        {"nine monomers of one far family", 9, 172, 60, 4, 0, 9, {}, 0, 0.7, 8, 0.12},
        // CEN180-like with a diverged reverse-strand stretch 28 % from the unit,
        // its copies of random families 20 % apart: monomers of its own.
        {"plant-like, diverged reverse stretch", 0, 178, 1000, 0, 0, 0, {}, 85},
        // A stretch 30 % from the unit in its own three-monomer order (copies
        // 8-12 % from their family), four in five of its blocks of 20 copies
        // reverse: the unit's monomers fit it at about 68 %.
        {"plant-like, diverged stretch of its own", 0, 178, 1000, 0, 0, 0, {0.30, 0.08, 0.12, 3, 20, 5}, 85},
        // The same stretch of random families, its monomer 10 bases shorter:
        // the strand switches lie in it, and a period taken beside one would
        // be a copy and a piece of the next, read in no phase of the unit.
        {"plant-like, shorter diverged stretch", 0, 178, 1000, 0, 0, 0, {0.28, 0.08, 0.12, 0, 20, 5, 10}, 85, 0.7, 9},
        // Further from the unit (32 %), its copies 12-16 % from their family:
        // neighbours share k-mers at their own period only.
        {"plant-like, shorter stretch far from the unit", 0, 178, 1000, 0, 0, 0, {0.32, 0.12, 0.16, 0, 20, 5, 10}, 85},
        // 26 % from the unit, copies 10-14 % from their family, blocks of 10:
        // pieces cut short give a group whose monomer reads the stretch 32
        // bases out of its other monomers' phase, unless such a group is dropped.
        {"plant-like, stretch read in one phase", 0, 178, 1000, 0, 0, 0, {0.26, 0.10, 0.14, 0, 10, 5}, 0, 0.7, 6},
        // Live copies 11-15 % from their family (neighbours about a quarter
        // apart): few k-mers repeat one period back, more a few periods back.
        {"plant-like, diverse live copies", 0, 178, 1000, 0, 0, 0, {}, 0, 0.7, 8, 0, 0.13},
        // A reverse stretch of another family (a 148-base monomer 75 % from
        // the unit, as unrelated as random sequence): no monomer of the unit
        // aligns to it at the minimum identity, so no piece of it is grouped
        // unless it gets a period of its own. Its phase is its own: a third
        // of the starts need not follow the unit's offset.
        {"plant-like, stretch of another family", 0, 178, 1000, 0, 0, 0, {0.75, 0.04, 0.08, 0, 0, 0, 30}, 85, 0.7,
         8, 0, 0.04, false, 1, 60},
        // An old stretch 20 % from the unit whose copies lie 25-32 % from
        // their family (neighbours nearly half apart): even at 2.5 times the
        // closeness its pieces form no group, so it got no monomer of its
        // own, and the unit's monomers typed 8 % of it. Its copies share so
        // few 12-mers that a tenth of it lies in the tandem stretches.
        {"plant-like, old stretch of scattered copies", 0, 178, 1000, 0, 0, 0, {0.20, 0.25, 0.32, 0, 20, 5}, 70, 0.7,
         2, 0, 0.04, false, 1, 95, 5},
    };
    InferSettings settings;
    settings.threads = 2;
    for (const Case& c : cases) {
        std::mt19937_64 random(7);
        if (c.types == 0) {
            std::vector<Placed> truth;
            const std::string sequence = PlantArray(c.seed, c.copies, c.copies / 2, c.stretch, c.live, truth);
            const Inference inference =
                InferMonomers({sequence}, DefaultTemplates(), settings, [](const RoundReport&) {});
            EXPECT_FALSE(inference.route.fromTemplates) << c.label;
            // The unit's length, or a family's a base or two longer or shorter.
            EXPECT_NEAR(static_cast<double>(inference.route.period.period), 178, 2) << c.label;
            const Agreement agreement = Agree(truth, inference.segments[0], settings.minIdentity);
            EXPECT_GE(agreement.covered, 97) << c.label;
            EXPECT_GE(agreement.starts, c.starts) << c.label;
            EXPECT_GE(agreement.reverseCovered, 97) << c.label;
            EXPECT_GE(agreement.divergedCovered, 97) << c.label;
            EXPECT_GE(agreement.divergedIdentity, c.identity) << c.label;
            // The diverged stretch lies in the tandem stretches, which every
            // round decomposes: it may share no 12-mer with the live monomers.
            std::size_t inside = 0, diverged = 0;
            for (const Placed& placed : truth) {
                if (!placed.diverged) continue;
                ++diverged;
                inside += std::any_of(inference.route.period.stretches.begin(),
                                      inference.route.period.stretches.end(), [&](const RecordWindow& w) {
                                          return placed.start >= static_cast<std::int64_t>(w.begin) &&
                                                 placed.end <= static_cast<std::int64_t>(w.end);
                                      });
            }
            EXPECT_GE(100.0 * static_cast<double>(inside), c.inside * static_cast<double>(diverged)) << c.label;
            continue;
        }
        std::vector<std::string> types;
        const std::string ancestor = c.family > 0 ? reference::RandomSequence(random, c.length) : "";
        for (std::size_t k = 0; k < c.types; ++k) {
            types.push_back(c.family > 0 ? reference::Mutate(random, ancestor, c.family)
                                         : reference::RandomSequence(random, c.length));
            if (c.family > 0 && k % 4 == 3) types.back().erase(types.back().size() / 2, 30);
            if (c.longer && k % 4 == 1)
                types.back().insert(types.back().size() / 2, reference::RandomSequence(random, 29));
        }
        TestArrayShape shape;
        shape.copies = c.copies;
        shape.block = c.block;
        shape.reversed = 0.25;
        shape.missing = 0;
        shape.divergence = 0.02;
        shape.spread = 0;
        const TestArray array = LayOutTestArray(random, types, shape);
        const std::vector<MonomerType> templates =
            c.templateApart > 0
                ? std::vector<MonomerType>{{"t", reference::Mutate(random, types[0], c.templateApart)}}
                : DefaultTemplates();
        const Inference inference = InferMonomers({array.sequence}, templates, settings, [](const RoundReport&) {});
        std::size_t unitLength = 0;
        for (const std::string& type : types) unitLength += type.size();
        EXPECT_NEAR(static_cast<double>(inference.route.period.period), static_cast<double>(unitLength),
                    0.01 * static_cast<double>(unitLength))
            << c.label;
        // All the monomers (a variant at a strand switch may join them), and
        // the unit laid end to end within 3 % of the true one read from some
        // phase on either strand: monomers unlike the template are cut at
        // its length from where it fits, a few bases loose.
        EXPECT_GE(inference.inferred, c.inferred) << c.label;
        EXPECT_LE(inference.inferred, c.inferred + c.spare) << c.label;
        std::string truth, unit;
        for (const std::string& type : types) truth += type;
        for (const std::size_t type : inference.hor.unit) unit += inference.monomers[type].sequence;
        double best = 100;
        for (const std::string& strand : {truth + truth, ReverseComplement(truth + truth)}) {
            for (std::size_t shift = 0; shift < truth.size(); shift += 1 + truth.size() / 500) {
                best = std::min(best, PercentApart(strand.substr(shift, truth.size()), unit));
            }
        }
        EXPECT_LT(best, 3) << c.label;
        EXPECT_EQ(inference.hor.unit.size(), c.inferred) << c.label;
        // Whole copies (within 3 % of the unit's length): a copy that a strand
        // switch cuts in two gives two partial ones.
        const auto whole =
            std::count_if(inference.hor.copies.begin(), inference.hor.copies.end(), [&](const HorCopy& copy) {
                const auto length = static_cast<double>(copy.end + 1 - copy.start);
                return std::abs(length - static_cast<double>(unitLength)) <=
                       0.03 * static_cast<double>(unitLength);
            });
        EXPECT_GE(static_cast<double>(whole), c.whole * static_cast<double>(c.copies)) << c.label;
    }
}

}  // namespace
}  // namespace horgrid::test
