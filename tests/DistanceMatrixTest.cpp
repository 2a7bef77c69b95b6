#include <gtest/gtest.h>

#include <regex>

#include "CapturedRun.h"
#include "monomerfile/distanceMatrix.h"

namespace horgrid::test {
namespace {

std::pair<std::string, std::string> RunMatrix(const std::string& content) {
    return RunOnMonomers<distanceMatrix>(content, "_.distMatrix");
}

TEST(DistanceMatrix, BlockLayoutDividesByTheRowLength) {
    const auto [file, out] = RunMatrix("r1 4 ACGT\nr2 3 ACG\n");
    EXPECT_EQ(file, "\n\n           r1     r2\nr1       0.00  25.00\nr2      33.33   0.00");
    EXPECT_EQ(out, "Reading File...\nCalculating distance matrix...\nMax = 33.3333");
}

TEST(DistanceMatrix, LongNamesShiftTheColumnsAndNothingIsCut) {
    const auto [file, out] = RunMatrix("monomer_a 3 AAA\nb 3 AAT\n");
    EXPECT_EQ(file, "\n\n       monomer_a      b\nmonomer_a   0.00  33.33\nb       33.33   0.00");
}

TEST(DistanceMatrix, BlocksOnlyForTheGroupsThatExistAtMostFour) {
    // 170 against 171 bases one insertion apart: 100/170 and 100/171.
    const std::string base(170, 'A');
    const auto [two, twoOut] = RunMatrix("s 170 " + base + "\nl 171 " + base + "C\n\nx 1 G\n");
    EXPECT_EQ(two,
              "\n\n            s      l\ns        0.00   0.59\nl        0.58   0.00"
              "\n\n            x\nx        0.00");
    EXPECT_EQ(twoOut,
              "Reading File...\n"
              "Calculating distance matrix...\nMax = 0.588235"
              "Calculating distance matrix...\nMax = 0");

    // An empty group gives a block without heads and rows; the fifth group none.
    const auto [five, fiveOut] = RunMatrix("a 1 A\n\n\nc 1 C\n\nd 1 G\n\ne 1 T\n");
    EXPECT_EQ(five,
              "\n\n            a\na        0.00"
              "\n\n      "
              "\n\n            c\nc        0.00"
              "\n\n            d\nd        0.00");
    std::string four = "Reading File...\n";
    for (int block = 0; block < 4; ++block) four += "Calculating distance matrix...\nMax = 0";
    EXPECT_EQ(fiveOut, four);
}

TEST(DistanceMatrix, EmptySequenceRowsAreInfiniteAndRaiseTheMaximum) {
    const auto [file, out] = RunMatrix("e 0\nf 2 AC\n");
    // Its own cell is 0/0, a not-a-number printed "nan" or "-nan" by its sign bit.
    EXPECT_TRUE(std::regex_search(file, std::regex("\ne       ( -|  )nan    inf\nf      100.00   0.00$")))
        << file;
    EXPECT_EQ(out.substr(out.size() - 9), "Max = inf");
}

}  // namespace
}  // namespace horgrid::test
