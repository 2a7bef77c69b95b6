#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "HorTestData.h"
#include "hor/HorGrid.h"
#include "sequence/DistanceLimit.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"

namespace horgrid::test {
namespace {

struct Built {
    std::vector<monomer> structure;
    int columnCount;
    int lastRow;
};

Built Build(const std::vector<std::string>& sequences, float threshold = 7.0f) {
    HorGrid grid = BuildHorGrid(std::vector<std::string_view>(sequences.begin(), sequences.end()), threshold);
    return {std::move(grid.placed), grid.columnCount, grid.lastRow};
}

using Placement = std::vector<monomer>;

TEST(HorBuilder, NewTypeIsInsertedAfterItsPredecessorAndShiftsLaterColumns) {
    BaseSource bases(7);
    const std::string k = bases.Random(100), l = bases.Random(100), m = bases.Random(100);
    const std::string lVariant = BaseSource::Spread(l, 7);  // exactly 7.0 % from L: no match
    ASSERT_EQ(Levenshtein(lVariant, l), 7u);
    const Built built = Build({k, l, m, BaseSource::Spread(k, 3), lVariant, BaseSource::Spread(m, 2)});
    EXPECT_EQ(built.structure,
              (Placement{{1, 1, -1}, {2, 3, -1}, {3, 4, -1}, {4, 1, -2}, {5, 2, -2}, {6, 4, -2}}));
    EXPECT_EQ(built.columnCount, 4);
    EXPECT_EQ(built.lastRow, -2);
}

TEST(HorBuilder, OneMonomerPeriodStartsARowPerRecord) {
    BaseSource bases(11);
    const std::string a = bases.Random(171);
    const Built built = Build({a, a, BaseSource::Spread(a, 3), a, a});
    EXPECT_EQ(built.structure, (Placement{{1, 1, -1}, {2, 1, -2}, {3, 1, -3}, {4, 1, -4}, {5, 1, -5}}));
    EXPECT_EQ(built.columnCount, 1);
    EXPECT_EQ(built.lastRow, -5);
}

TEST(HorBuilder, MutuallyDifferentRecordsFillOneRow) {
    BaseSource bases(13);
    const Built built = Build({bases.Random(171), bases.Random(171), bases.Random(171), bases.Random(171)});
    EXPECT_EQ(built.structure, (Placement{{1, 1, -1}, {2, 2, -1}, {3, 3, -1}, {4, 4, -1}}));
    EXPECT_EQ(built.columnCount, 4);
    EXPECT_EQ(built.lastRow, -1);

    const Built single = Build({bases.Random(171)});
    EXPECT_EQ(single.structure, (Placement{{1, 1, -1}}));
    EXPECT_EQ(single.columnCount, 1);
    EXPECT_EQ(single.lastRow, -1);
}

TEST(HorBuilder, ThresholdIsStrictAndDividesByTheLaterRecord) {
    BaseSource bases(17);
    const std::string longer = bases.Random(107);
    std::string shorter = longer;
    for (int k = 0; k < 7; ++k) shorter.erase(static_cast<std::size_t>(10 + 13 * k), 1);
    ASSERT_EQ(shorter.size(), 100u);
    ASSERT_EQ(Levenshtein(longer, shorter), 7u);
    // 7 * 100 / 100 = 7.0 is not below 7.
    EXPECT_EQ(Build({longer, shorter}).structure, (Placement{{1, 1, -1}, {2, 2, -1}}));
    // 7 * 100 / 107 = 6.54 is.
    EXPECT_EQ(Build({shorter, longer}).structure, (Placement{{1, 1, -1}, {2, 1, -2}}));
    // Six substitutions in 100 bases match.
    EXPECT_EQ(Build({shorter, BaseSource::Spread(shorter, 6)}).structure,
              (Placement{{1, 1, -1}, {2, 1, -2}}));
}

TEST(HorBuilder, NearestSimilarRecordDecidesNotTheMostSimilar) {
    BaseSource bases(19);
    const std::string a = bases.Random(100);
    const std::vector<std::size_t> eight = {5, 15, 25, 35, 45, 55, 65, 75};
    const std::string b = BaseSource::Substitute(a, eight);        // 8 % from a: new type
    const std::string c = BaseSource::Substitute(a, {5, 15, 25});  // 3 % from a, 5 % from b
    EXPECT_EQ(Build({a, b, c}).structure, (Placement{{1, 1, -1}, {2, 2, -1}, {3, 2, -2}}));

    // Not transitive: each record resembles only its predecessor, yet all share column 1.
    const std::string a1 = BaseSource::Substitute(a, {10, 20, 30, 40, 50});
    const std::string a2 = BaseSource::Substitute(a1, {60, 70, 80, 90, 95});
    ASSERT_GE(Levenshtein(a2, a), 7u);
    EXPECT_EQ(Build({a, a1, a2}).structure, (Placement{{1, 1, -1}, {2, 1, -2}, {3, 1, -3}}));
}

TEST(HorBuilder, EmptySequencesMatchNothing) {
    BaseSource bases(23);
    const std::string x = bases.Random(50);
    // "" against "" is not a number, "" against x infinite, x against "" 100 %.
    EXPECT_EQ(Build({"", "", x, x}).structure, (Placement{{1, 1, -1}, {2, 2, -1}, {3, 3, -1}, {4, 3, -2}}));
    const Built built = Build({x, "", x});
    EXPECT_EQ(built.structure, (Placement{{1, 1, -1}, {2, 2, -1}, {3, 1, -2}}));
    EXPECT_EQ(built.columnCount, 2);
    EXPECT_EQ(built.lastRow, -2);
}

TEST(HorBuilder, DistancesUpToTheLongestEarlierRecordAreCompared) {
    BaseSource bases(29);
    // 290 edits on a 10-base record are 2900 %: below a threshold of 5000.
    EXPECT_EQ(Build({bases.Random(300), bases.Random(10)}, 5000.0f).structure,
              (Placement{{1, 1, -1}, {2, 1, -2}}));
    EXPECT_EQ(Build({bases.Random(300), bases.Random(10)}, 2000.0f).structure,
              (Placement{{1, 1, -1}, {2, 2, -1}}));
}

TEST(HorBuilder, EmptySegmentBuildsNothing) {
    const Built built = Build({});
    EXPECT_TRUE(built.structure.empty());
    EXPECT_EQ(built.columnCount, 0);
    EXPECT_EQ(built.lastRow, 0);
}

// The bounded comparison must give the same answers as the exact percentage:
// a distance is admitted exactly when its float percentage is below threshold.
TEST(HorMatchLimit, AgreesWithTheFloatPercentageForEveryDistance) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const float threshold : {7.0f, 0.0f, -1.0f, nan, inf, 100.0f, 0.3f, 33.3f, 1e-6f, 14.0f, 250.0f}) {
        for (std::size_t length = 0; length <= 320; ++length) {
            const std::optional<std::uint32_t> limit = LargestDistanceBelow(threshold, length);
            for (std::uint32_t d = 0; d <= 330; ++d) {
                const bool admitted = limit && d <= *limit;
                ASSERT_EQ(admitted, threshold > DistancePercent(static_cast<int>(d), length))
                    << threshold << " " << length << " " << d;
            }
        }
    }
}

}  // namespace
}  // namespace horgrid::test
