#include <gtest/gtest.h>

#include <regex>

#include "TestSupport.h"
#include "common/FileError.h"
#include "monomerfile/MonomersFile.h"
#include "monomerfile/consensus.h"

namespace horgrid::test {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::vector<alpha> Group(const std::vector<std::string>& sequences) {
    std::vector<alpha> group;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        const std::string number = std::to_string(i);
        group.emplace_back(std::string(1, 'r') + number + " + " + number + " 0 " + sequences[i], 5);
    }
    return group;
}

std::string ConsensusOf(const std::vector<std::string>& sequences) {
    CaptureStdout();
    const alpha record = consensus::FindConsensusFromAlphaEnsemble(Group(sequences));
    EXPECT_EQ(GetCapturedStdout(), "Finding consensuses...\n");
    return record.sequence;
}

TEST(MonomersFile, EmptyLinesCutGroupsAndKeepEmptyOnes) {
    TempDir dir;
    CaptureStdout();
    // Two empty lines in a row and a final empty line give groups without records.
    const AlphaGroups groups = ReadMonomersFile(dir.Write("m.txt", "a 1 A\n\n\nb 1 C\nc 1 G\n\n"), 3);
    EXPECT_EQ(GetCapturedStdout(), "Reading File...\n");
    ASSERT_EQ(groups.size(), 4U);
    EXPECT_EQ(groups[0].size(), 1U);
    EXPECT_EQ(groups[1].size(), 0U);
    EXPECT_EQ(groups[2].size(), 2U);
    EXPECT_EQ(groups[2][1].sequence, "G");
    EXPECT_EQ(groups[3].size(), 0U);

    // A carriage return or a blank makes a line a record, not a separator.
    CaptureStdout();
    const AlphaGroups crlf = ReadMonomersFile(dir.Write("crlf.txt", "a 1 A\r\n\r\n \nb 1 C\r\n"), 3);
    GetCapturedStdout();
    ASSERT_EQ(crlf.size(), 1U);
    EXPECT_EQ(crlf[0].size(), 4U);

    EXPECT_THROW(ReadMonomersFile(dir.File("missing.txt"), 5), FileError);
}

TEST(MonomersFile, PerLineLayoutCountsBlanks) {
    EXPECT_EQ(LayoutFromBlanks("a 3 ACG"), 3);
    EXPECT_EQ(LayoutFromBlanks("a + 1 3 ACG"), 5);
    EXPECT_EQ(LayoutFromBlanks("a + 1 x 3 ACG"), 6);
    EXPECT_EQ(LayoutFromBlanks("a 3 ACG "), 6);   // a trailing blank counts
    EXPECT_EQ(LayoutFromBlanks("a\t3\tACG"), 6);  // tabs do not
    EXPECT_EQ(LayoutFromBlanks(""), 6);
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
    CaptureStdout();
    const alpha record = consensus::FindConsensusFromAlphaEnsemble(Group({"GG", "", "T"}));
    GetCapturedStdout();
    EXPECT_EQ(record.sequence, "GG");
    EXPECT_EQ(record.length, 2);
    EXPECT_EQ(record.name, "mr0");
}

TEST(Consensus, WritesConsensusLinesThenAnalysisPerGroup) {
    TempDir dir;
    const std::string path = dir.Write("mon.txt",
                                       "a1 + 10 4 ACGT\na2 + 20 4 ACGA\na3 + 30 4 TCGA\n\n"
                                       "b1 + 5 3 GGG\nb2 + 7 9 GGGTTTTTT\n");
    CaptureStdout();
    const consensus result(path);
    EXPECT_EQ(GetCapturedStdout(), "Reading File...\nFinding consensuses...\nFinding consensuses...\n");
    ASSERT_EQ(result.consensuses.size(), 2U);
    // b2's extra bases count in its distance, so it exceeds 100 %.
    EXPECT_EQ(ReadFile(path + ".cons"),
              "ma1 4 ACGA\nmb1 3 GGG\n\n\nAnalysis:\n"
              "ma1 -   0  10  -> 25.000000 \nma1 -   0  20  -> 0.000000 \nma1 -   0  30  -> 25.000000 \n\n"
              "mb1 -   0  5  -> 0.000000 \nmb1 -   0  7  -> 200.000000 \n\n");
}

TEST(Consensus, GroupsWithoutRecordsAreSkipped) {
    TempDir dir;
    const std::string path = dir.Write("mon.txt", "\n\na1 + 10 2 AC\n\n");
    CaptureStdout();
    const consensus result(path);
    EXPECT_EQ(GetCapturedStdout(), "Reading File...\nFinding consensuses...\n");
    EXPECT_EQ(ReadFile(path + ".cons"), "ma1 2 AC\n\n\nAnalysis:\nma1 -   0  10  -> 0.000000 \n\n");

    const std::string empty = dir.Write("empty.txt", "");
    CaptureStdout();
    EXPECT_TRUE(consensus(empty).consensuses.empty());
    GetCapturedStdout();
    EXPECT_EQ(ReadFile(empty + ".cons"), "\n\nAnalysis:\n");
}

TEST(Consensus, EmptyFirstSequenceDividesByZero) {
    TempDir dir;
    const std::string path = dir.Write("mon.txt", "e + 1 0\nf + 2 3 ACG\n");
    CaptureStdout();
    consensus{path};
    GetCapturedStdout();
    const std::string text = ReadFile(path + ".cons");
    EXPECT_NE(text.find("me 0 \n"), std::string::npos) << text;
    // 0/0: printf writes a not-a-number as "nan" or "-nan" depending on its sign bit.
    EXPECT_TRUE(std::regex_search(text, std::regex("me -   0  1  -> -?nan \n"))) << text;
    EXPECT_NE(text.find("me -   0  2  -> inf \n"), std::string::npos) << text;
}

TEST(Consensus, MissingInputRaisesAndWritesNothing) {
    TempDir dir;
    CaptureStdout();
    EXPECT_THROW(consensus{dir.File("none.txt")}, FileError);
    GetCapturedStdout();
    EXPECT_FALSE(FileExists(dir.File("none.txt.cons")));
}

}  // namespace
}  // namespace horgrid::test
