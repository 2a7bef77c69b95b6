#include <gtest/gtest.h>

#include <cmath>

#include "groups/MonomersFile.h"
#include "groups/distanceMatrix.h"

namespace horgrid::test {
namespace {

TEST(DistanceMatrix, RowAgainstColumnDividedByTheRowLength) {
    // 170 against 171 bases one insertion apart: 100/170 and 100/171.
    const std::string base(170, 'A');
    const AlphaGroups groups = ParseMonomers("s 170 " + base + "\nl 171 " + base + "C\nt 3 ACG\n", 3);
    const DistancePercents square = FindDistancePercents(groups[0], groups[0]);
    ASSERT_EQ(square.columns, 3U);
    ASSERT_EQ(square.cells.size(), 9U);
    EXPECT_EQ(square.cells[1], 100.0f / 170.0f);
    EXPECT_EQ(square.cells[3], 100.0f / 171.0f);
    EXPECT_EQ(square.cells[2], 169.0f * 100.0f / 170.0f);
    EXPECT_EQ(square.cells[6], 169.0f * 100.0f / 3.0f);
    EXPECT_EQ(square.maximum, square.cells[7]);

    // A copy of a record is compared, the same record is not.
    const std::vector<alpha> copies = groups[0];
    const DistancePercents across = FindDistancePercents(groups[0], copies);
    EXPECT_EQ(across.cells, square.cells);
}

TEST(DistanceMatrix, EmptySequenceRowsAreInfiniteAndRaiseTheMaximum) {
    const AlphaGroups groups = ParseMonomers("e 0\nf 2 AC\ng 0\n", 3);
    const DistancePercents percents = FindDistancePercents(groups[0], groups[0]);
    // Its own cell is 0 without comparing, 0 / 0 all the same; empty against empty too.
    EXPECT_TRUE(std::isnan(percents.cells[0]));
    EXPECT_TRUE(std::isinf(percents.cells[1]));
    EXPECT_TRUE(std::isnan(percents.cells[2]));
    EXPECT_EQ(percents.cells[3], 100.0f);
    EXPECT_TRUE(std::isinf(percents.maximum));
    EXPECT_EQ(FindDistancePercents({}, {}).maximum, 0.0f);
}

}  // namespace
}  // namespace horgrid::test
