#include <gtest/gtest.h>

#include <regex>

#include "CapturedRun.h"
#include "monomerfile/horTable.h"

namespace horgrid::test {
namespace {

std::pair<std::string, std::string> RunTable(const std::string& content) {
    return RunOnMonomers<horTable>(content, ".hors");
}

TEST(HorTable, PairsInOrderDividedByTheEarlierMonomer) {
    // m1/m2: 171 and 170 bases at distance 4; m3 is 5 bases, so (1, 3) is
    // divided by 171 and (2, 3) by 170.
    const std::string m1 = std::string(167, 'A') + "CCCC";
    const std::string m2(170, 'A');
    const auto [file, out] = RunTable("m1 171 " + m1 + "\nm2 + 7 170 " + m2 + "\nm3 5 AAAAA\n");
    EXPECT_EQ(out,
              "Reading File...\n"
              "H1m1(171) - H1m2(170) -> 2.33918%\n"
              "H1m1(171) - H1m3(5) -> 97.076%\n"
              "H1m2(170) - H1m3(5) -> 97.0588%\n"
              "\nmonomer div = 65.4913");
    EXPECT_EQ(file, "H1 346 " + m1 + m2 + "AAAAA\n");
}

TEST(HorTable, EmptyGroupsKeepTheirNumberAndTheMeanIsOverAllPairs) {
    const auto [file, out] = RunTable("a 2 AC\nb 2 AG\n\n\nc 1 T\n\nd 2 GG\ne 2 GG\nf 2 GG\n\n");
    EXPECT_EQ(out,
              "Reading File...\n"
              "H1m1(2) - H1m2(2) -> 50%\n\n"
              "\n"
              "\n"
              "H4m1(2) - H4m2(2) -> 0%\nH4m1(2) - H4m3(2) -> 0%\nH4m2(2) - H4m3(2) -> 0%\n\n"
              "\nmonomer div = 12.5");
    EXPECT_EQ(file, "H1 4 ACAG\nH2 0 \nH3 1 T\nH4 6 GGGGGG\nH5 0 \n");
}

TEST(HorTable, NoPairAtAllGivesANotANumberMean) {
    const auto [file, out] = RunTable("a 1 A\n\nb 1 C\n");
    EXPECT_TRUE(std::regex_search(out, std::regex("\n\n\nmonomer div = -?nan$"))) << out;
    EXPECT_EQ(file, "H1 1 A\nH2 1 C\n");
}

TEST(HorTable, ExtraBlanksSelectTheSixColumnLayout) {
    // The trailing blank selects layout 4, read as six columns: the sequence
    // column is never reached, so the record's sequence is empty and the pair
    // with it as the earlier monomer divides by zero.
    const auto [file, out] = RunTable("a 3 ACG \nb 3 ACG\n");
    EXPECT_EQ(out, "Reading File...\nH1m1(0) - H1m2(3) -> inf%\n\nmonomer div = inf");
    EXPECT_EQ(file, "H1 3 ACG\n");
}

}  // namespace
}  // namespace horgrid::test
