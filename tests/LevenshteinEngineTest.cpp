#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "sequence/BandedDistance.h"
#include "sequence/EditDistance.h"
#include "sequence/LevenshteinEngine.h"

namespace horgrid {
namespace {

using reference::Mutate;
using reference::PlainLevenshtein;
using reference::RandomSequence;

// Lengths on both sides of the 64-bit word boundaries, and the monomer range.
const std::vector<std::size_t> kLengths = {0,   1,   2,   7,   31,  63,  64,  65,  100, 127, 128,
                                           129, 168, 171, 186, 191, 192, 193, 255, 256, 257, 300};

// Every way the library computes a distance agrees with the plain algorithm.
void ExpectAllPathsAgree(const std::string& a, const std::string& b, LevenshteinEngine& engine) {
    const std::uint32_t expected = PlainLevenshtein(a, b);
    const std::string context = "lengths " + std::to_string(a.size()) + ", " + std::to_string(b.size());
    ASSERT_EQ(Levenshtein(a, b), expected) << context;
    ASSERT_EQ(Levenshtein(b, a), expected) << context;
    ASSERT_EQ(LevenshteinDistance(a, b), expected) << context;
    ASSERT_EQ(engine.Distance(a, b), expected) << context;
    engine.SetPattern(a);  // the longer sequence as the pattern, too
    ASSERT_EQ(engine.DistanceTo(b), expected) << context;
    engine.SetPattern(b);
    ASSERT_EQ(engine.DistanceTo(a), expected) << context;
}

TEST(Levenshtein, EmbeddedNulAndHighBytesAreOrdinaryCharacters) {
    const std::string a("A\0C\xff\x80", 5);
    const std::string b("A\0C\x7f\x80", 5);
    EXPECT_EQ(Levenshtein(a, b), 1u);
    EXPECT_EQ(Levenshtein(a, std::string("AC\xff\x80")), 1u);
}

TEST(Levenshtein, RandomPairsAcrossWordBoundaries) {
    std::mt19937_64 random(11);
    LevenshteinEngine engine;
    for (const std::size_t m : kLengths) {
        for (const std::size_t n : kLengths) {
            ExpectAllPathsAgree(RandomSequence(random, m), RandomSequence(random, n), engine);
            ExpectAllPathsAgree(RandomSequence(random, m, ""), RandomSequence(random, n, ""), engine);
        }
        // Near-identical: copies of one sequence at 0.5 ... 40 % divergence.
        const std::string source = RandomSequence(random, m);
        for (const double divergence : {0.005, 0.02, 0.1, 0.4}) {
            ExpectAllPathsAgree(Mutate(random, source, divergence), Mutate(random, source, divergence),
                                engine);
            ExpectAllPathsAgree(source, Mutate(random, source, divergence), engine);
        }
    }
}

TEST(Levenshtein, SkewedAlphabetsAndRepeats) {
    std::mt19937_64 random(12);
    LevenshteinEngine engine;
    for (int trial = 0; trial < 200; ++trial) {
        const std::size_t m = random() % 200;
        const std::size_t n = random() % 200;
        const std::string alphabet = trial % 3 == 0 ? "A" : (trial % 3 == 1 ? "AC" : "ACGTNacgtn");
        ExpectAllPathsAgree(RandomSequence(random, m, alphabet), RandomSequence(random, n, alphabet), engine);
    }
}

// Long pairs go through the band schedule (small limits first, widened from
// where each try ran dry): unequal lengths, unrelated pairs, near-identical
// copies, and divergence confined to one end, which misleads the estimate.
TEST(Levenshtein, LongPairsThroughTheBandSchedule) {
    std::mt19937_64 random(13);
    LevenshteinEngine engine;
    for (int trial = 0; trial < 16; ++trial) {
        const std::size_t m = 600 + random() % 3400;
        const std::string source = RandomSequence(random, m, trial % 4 == 3 ? "" : "ACGT");
        const std::string other =
            trial % 4 == 0   ? RandomSequence(random, 500 + random() % 3500)
            : trial % 4 == 1 ? Mutate(random, source, std::vector<double>{0.005, 0.02, 0.1, 0.3}[trial / 4])
            : trial % 4 == 2 ? source.substr(0, m / 2) + Mutate(random, source.substr(m / 2), 0.3)
                             : Mutate(random, source.substr(0, m / 3), 0.4, "") + source.substr(m / 3);
        ExpectAllPathsAgree(source, other, engine);
    }
}

// Also the band (both ways round, where it holds the limit): long copies, and
// ends cut off so that the length difference nears the band's edge; from trial
// 400 on, copies far enough apart for bands of two to four words, rotations
// whose alignments run along a band's edge, and limits on both sides of each
// word count's widest band.
TEST(LevenshteinAtMost, AnswersNearTheLimit) {
    std::mt19937_64 random(14);
    LevenshteinEngine engine;
    BandedPattern band;
    BandedPattern reverse;
    // Groups run their shared columns in the processor's widest kernel (band)
    // or two texts to a pair of lanes (portable).
    BandedPattern portable(InstructionSet::Portable);
    for (int trial = 0; trial < 480; ++trial) {
        const bool wide = trial >= 400;
        const std::size_t m =
            trial % 9 == 0 || wide ? 1800 + random() % 200 : kLengths[random() % kLengths.size()];
        const std::string source = RandomSequence(random, m, trial % 2 ? "" : "ACGT");
        std::string other = trial % 5 == 0 && !wide
                                ? RandomSequence(random, random() % 300)
                                : Mutate(random, source,
                                         wide ? 0.01 * static_cast<double>(trial % 13)
                                              : 0.01 * static_cast<double>(trial % 45) / (m > 300 ? 9 : 1));
        if (trial % 5 == 1) {
            const std::size_t cut =
                std::min<std::size_t>(other.size(), (wide ? 60 : 20) + trial % 47 * (wide ? 4 : 1));
            other = trial % 2 ? other.substr(cut) : other.substr(0, other.size() - cut);
        }
        if (wide && trial % 5 == 2) {  // a rotation by r: its alignments of cost 2 r reach diagonal r
            const std::size_t r =
                std::vector<std::size_t>{31, 32, 33, 63, 64, 95, 96, 127, 128}[trial / 5 % 9];
            other = trial % 2 ? source.substr(r) + source.substr(0, r)
                              : source.substr(m - r) + source.substr(0, m - r);
        }
        band.SetPattern(source);
        portable.SetPattern(source);
        reverse.SetPattern(other);
        const std::uint32_t exact = PlainLevenshtein(source, other);
        // A second text beside `other` in the band's pairs: another copy (the
        // engine's distance is checked against the plain one above).
        std::mt19937_64 beside(static_cast<std::uint64_t>(trial));
        const std::string another = Mutate(beside, source.substr(0, m - trial % 7), 0.004 * (trial % 13));
        const std::uint32_t exactAnother = engine.Distance(source, another);
        std::vector<std::int64_t> limits;
        for (const std::int64_t offset : {-30, -3, -2, -1, 0, 1, 2, 3, 30})
            limits.push_back(static_cast<std::int64_t>(exact) + offset);
        if (wide) limits.insert(limits.end(), {63, 64, 65, 127, 128, 129, 191, 192, 193, 254, 255, 256});
        for (const std::int64_t limit : limits) {
            if (limit < 0) continue;
            const std::uint32_t bound = static_cast<std::uint32_t>(limit);
            std::vector<std::uint32_t> answers = {LevenshteinAtMost(source, other, bound),
                                                  LevenshteinAtMost(other, source, bound),
                                                  engine.DistanceAtMost(source, other, bound)};
            if (band.Covers(other.size(), bound)) {
                answers.push_back(band.DistanceAtMost(other, bound));
                // As wide as the band's words allow: exact there too.
                const std::uint64_t widest = band.WidestLimit(other.size(), bound);
                ASSERT_TRUE(band.Covers(other.size(), widest)) << "limit " << bound;
                const std::uint32_t answer = band.DistanceAtMost(other, widest);
                ASSERT_TRUE(exact <= widest ? answer == exact : answer > widest) << "widest " << widest;
            }
            if (reverse.Covers(source.size(), bound))
                answers.push_back(reverse.DistanceAtMost(source, bound));
            for (const std::uint32_t answer : answers) {
                if (exact <= bound) {
                    ASSERT_EQ(answer, exact) << "limit " << bound;
                } else {
                    ASSERT_GT(answer, bound) << "exact " << exact;
                }
            }
            const std::int64_t shifted = static_cast<std::int64_t>(exactAnother) + limit - exact;
            const std::uint64_t besideLimit = static_cast<std::uint64_t>(std::max<std::int64_t>(shifted, 0));
            if (band.Covers(other.size(), bound) && band.Covers(another.size(), besideLimit) &&
                band.Covers(source.size(), bound)) {
                // A group of texts side by side (the band itself among them),
                // in every rotation of the lanes.
                constexpr std::size_t kGroup = BandedPattern::kGroup;
                const std::string_view four[4] = {other, another, source, other};
                const std::uint64_t bounds[4] = {bound, besideLimit, bound, bound};
                const std::uint32_t exacts[4] = {exact, exactAnother, 0, exact};
                for (std::size_t rotation = 0; rotation < 4; ++rotation) {
                    std::string_view texts[kGroup];
                    std::uint64_t laneLimits[kGroup];
                    for (std::size_t t = 0; t < kGroup; ++t) {
                        texts[t] = four[(t + rotation + t / 4) % 4];
                        laneLimits[t] = bounds[(t + rotation + t / 4) % 4];
                    }
                    for (const BandedPattern* kernel : {&band, &portable}) {
                        std::uint32_t group[kGroup];
                        kernel->DistancesAtMost(texts, laneLimits, group);
                        for (std::size_t t = 0; t < kGroup; ++t) {
                            const std::uint32_t expected = exacts[(t + rotation + t / 4) % 4];
                            ASSERT_TRUE(expected <= laneLimits[t] ? group[t] == expected
                                                                  : group[t] > laneLimits[t])
                                << "group lane " << t << ", limit " << laneLimits[t] << ", kernel "
                                << (kernel == &band ? "widest" : "portable");
                        }
                    }
                }
            }
        }
    }
}

TEST(LevenshteinAtMost, ExtremeLimits) {
    EXPECT_EQ(LevenshteinAtMost("", "", 0), 0u);
    EXPECT_EQ(LevenshteinAtMost("ACGT", "", 3), 4u);
    EXPECT_GT(LevenshteinAtMost("ACGTACGT", "A", 2), 2u);  // the length difference alone is 7
    EXPECT_EQ(LevenshteinAtMost("ACGT", "TGCA", UINT32_MAX), 4u);
    EXPECT_EQ(LevenshteinAtMost("ACGT", "ACGT", 0), 0u);
    EXPECT_GT(LevenshteinAtMost("ACGT", "ACGA", 0), 0u);
    std::mt19937_64 random(15);
    const std::string source = RandomSequence(random, 4000);
    const std::string copy = Mutate(random, source, 0.03);
    const std::uint32_t exact = PlainLevenshtein(source, copy);
    EXPECT_EQ(LevenshteinAtMost(source, copy, exact), exact);
    EXPECT_GT(LevenshteinAtMost(source, copy, exact - 1), exact - 1);
    EXPECT_EQ(LevenshteinAtMost(source, copy, UINT32_MAX), exact);
}

}  // namespace
}  // namespace horgrid
