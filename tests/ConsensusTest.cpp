#include <gtest/gtest.h>

#include <cmath>

#include "groups/MonomersFile.h"
#include "groups/consensus.h"

namespace horgrid::test {
namespace {

std::vector<alpha> Group(const std::vector<std::string>& sequences) {
    std::vector<alpha> group;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        const std::string number = std::to_string(i);
        group.emplace_back(std::string(1, 'r') + number + " + " + number + " 0 " + sequences[i], 5);
    }
    return group;
}

std::string ConsensusOf(const std::vector<std::string>& sequences) {
    return ConsensusOfGroup(Group(sequences)).sequence;
}

TEST(MonomersFile, EmptyLinesCutGroupsAndKeepEmptyOnes) {
    // Two empty lines in a row and a final empty line give groups without records.
    const AlphaGroups groups = ParseMonomers("a 1 A\n\n\nb 1 C\nc 1 G\n\n", 3);
    ASSERT_EQ(groups.size(), 4U);
    EXPECT_EQ(groups[0].size(), 1U);
    EXPECT_EQ(groups[1].size(), 0U);
    EXPECT_EQ(groups[2].size(), 2U);
    EXPECT_EQ(groups[2][1].sequence, "G");
    EXPECT_EQ(groups[3].size(), 0U);

    // A carriage return or a blank makes a line a record, not a separator.
    const AlphaGroups crlf = ParseMonomers("a 1 A\r\n\r\n \nb 1 C\r\n", 3);
    ASSERT_EQ(crlf.size(), 1U);
    EXPECT_EQ(crlf[0].size(), 4U);
}

TEST(MonomersFile, PerLineLayoutCountsBlanks) {
    EXPECT_EQ(LayoutFromBlanks("a 3 ACG"), 3);
    EXPECT_EQ(LayoutFromBlanks("a + 1 3 ACG"), 5);
    EXPECT_EQ(LayoutFromBlanks("a + 1 x 3 ACG"), 6);
    EXPECT_EQ(LayoutFromBlanks("a 3 ACG "), 6);   // a trailing blank counts
    EXPECT_EQ(LayoutFromBlanks("a\t3\tACG"), 6);  // tabs do not
    EXPECT_EQ(LayoutFromBlanks(""), 6);
    // Layout 6 never reaches the sequence column of a three-column line.
    const AlphaGroups groups = ParseMonomers("a 3 ACG \nb 3 ACG\n", kLayoutPerLine);
    EXPECT_EQ(groups[0][0].sequence, "");
    EXPECT_EQ(groups[0][1].sequence, "ACG");
}

TEST(Consensus, MajorityVoteWithTiesInLetterOrderAndY) {
    EXPECT_EQ(ConsensusOf({"ACGT", "ACGA", "TCGA"}), "ACGA");
    // Ties: A over C, G over T, N over "-".
    EXPECT_EQ(ConsensusOf({"AGN", "CT-"}), "AGN");
    // Two lower-case letters outvote one A: "Y".
    EXPECT_EQ(ConsensusOf({"aA", "cA", "AA"}), "YA");
    // A single record: everything but A, C, G, T, N, X, "-" becomes Y.
    EXPECT_EQ(ConsensusOf({"acgT-XN*"}), "YYYT-XNY");
}

TEST(Consensus, OnlyTheFirstRecordsPositionsVote) {
    // Longer records do not lengthen the consensus; a shorter one votes only
    // where it has characters.
    EXPECT_EQ(ConsensusOf({"AAAA", "CCCCCCCC", "CC"}), "CCAA");
    const alpha record = ConsensusOfGroup(Group({"GG", "", "T"}));
    EXPECT_EQ(record.sequence, "GG");
    EXPECT_EQ(record.length, 2);
    EXPECT_EQ(record.name, "mr0");
}

TEST(Consensus, EveryRecordsDistanceFromItsGroupsConsensus) {
    // Groups without records have no consensus; extra bases count in a
    // distance (200 %); an empty consensus divides by zero.
    const AlphaGroups groups = {
        {}, Group({"ACGT", "ACGA", "TCGA"}), Group({"GGG", "GGGTTTTTT"}), Group({"", "ACG"})};
    const std::vector<GroupConsensus> found = FindGroupConsensuses(groups);
    ASSERT_EQ(found.size(), 3U);
    EXPECT_EQ(found[0].record.sequence, "ACGA");
    EXPECT_EQ(found[0].percents, (std::vector<float>{25.0f, 0.0f, 25.0f}));
    EXPECT_EQ(found[1].percents, (std::vector<float>{0.0f, 200.0f}));
    ASSERT_EQ(found[2].percents.size(), 2U);
    EXPECT_TRUE(std::isnan(found[2].percents[0]));
    EXPECT_TRUE(std::isinf(found[2].percents[1]));
}

}  // namespace
}  // namespace horgrid::test
