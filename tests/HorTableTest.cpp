#include <gtest/gtest.h>

#include <cmath>

#include "groups/horTable.h"

namespace horgrid::test {
namespace {

TEST(HorTable, PairsInOrderDividedByTheEarlierMonomer) {
    // m1/m2: 171 and 170 bases at distance 4; m3 is 5 bases, so (1, 3) is
    // divided by 171 and (2, 3) by 170.
    const std::string m1 = std::string(167, 'A') + "CCCC";
    const std::string m2(170, 'A');
    const AlphaGroups groups =
        ParseMonomers("m1 171 " + m1 + "\nm2 + 7 170 " + m2 + "\nm3 5 AAAAA\n", kLayoutPerLine);
    const HorDivergenceTable table = FindHorDivergences(groups);
    ASSERT_EQ(table.copies.size(), 1U);
    const std::vector<MonomerPairDivergence>& pairs = table.copies[0].pairs;
    ASSERT_EQ(pairs.size(), 3U);
    EXPECT_EQ(pairs[0].percent, 400.0f / 171.0f);
    EXPECT_EQ(pairs[1].percent, 16600.0f / 171.0f);
    EXPECT_EQ(pairs[2].percent, 16500.0f / 170.0f);
    EXPECT_EQ(pairs[2].first, 1U);
    EXPECT_EQ(pairs[2].second, 2U);
    EXPECT_EQ(pairs[2].firstLength, 170U);
    EXPECT_EQ(pairs[2].secondLength, 5U);
    EXPECT_EQ(table.mean, (pairs[0].percent + pairs[1].percent + pairs[2].percent) / 3.0f);
    EXPECT_EQ(table.copies[0].hor.name, "H1");
    EXPECT_EQ(table.copies[0].hor.sequence, m1 + m2 + "AAAAA");
    EXPECT_EQ(table.copies[0].hor.length, 346);
}

TEST(HorTable, EmptyGroupsKeepTheirNumberAndTheMeanIsOverAllPairs) {
    const HorDivergenceTable table =
        FindHorDivergences(ParseMonomers("a 2 AC\nb 2 AG\n\n\nc 1 T\n\nd 2 GG\ne 2 GG\nf 2 GG\n\n", 3));
    ASSERT_EQ(table.copies.size(), 5U);
    EXPECT_EQ(table.copies[1].hor.name, "H2");
    EXPECT_EQ(table.copies[1].hor.length, 0);
    EXPECT_EQ(table.copies[2].pairs.size(), 0U);
    EXPECT_EQ(table.copies[3].hor.name, "H4");
    EXPECT_EQ(table.copies[3].pairs.size(), 3U);
    EXPECT_EQ(table.mean, 12.5f);
    EXPECT_TRUE(std::isnan(FindHorDivergences(ParseMonomers("a 1 A\n\nb 1 C\n", 3)).mean));
}

}  // namespace
}  // namespace horgrid::test
