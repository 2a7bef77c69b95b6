#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"

namespace horgrid::test {
namespace {

RunResult Tools(const std::vector<std::string>& arguments, const TempDir& dir) {
    return RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path());
}

// Expects a successful run with exactly `out` on standard output and nothing on standard error.
void ExpectRun(const RunResult& run, const std::string& out) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, "");
}

const char kMonomers[] =
    "a1 + 10 4 ACGT\n"
    "a2 + 20 4 ACGA\n"
    "a3 + 30 4 TCGA\n"
    "\n"
    "b1 + 40 3 GGC\n";

TEST(Tools, Consensus) {
    TempDir dir;
    // Empty groups have no consensus; b2's extra bases count in its distance,
    // so it exceeds 100 %; an empty consensus divides by zero.
    dir.Write("mon.txt",
              "\n\na1 + 10 4 ACGT\na2 + 20 4 ACGA\na3 + 30 4 TCGA\n\nb1 + 40 3 GGG\nb2 + 7 9 GGGTTTTTT\n\n"
              "e + 1 0\nf + 2 3 ACG\n");
    ExpectRun(Tools({"consensus", "mon.txt"}, dir),
              "Reading File...\nFinding consensuses...\nFinding consensuses...\nFinding consensuses...\n");
    EXPECT_EQ(ReadFile(dir.File("mon.txt.cons")),
              "ma1 4 ACGA\nmb1 3 GGG\nme 0 \n\n\nAnalysis:\n"
              "ma1 -   0  10  -> 25.000000 \nma1 -   0  20  -> 0.000000 \nma1 -   0  30  -> 25.000000 \n\n"
              "mb1 -   0  40  -> 0.000000 \nmb1 -   0  7  -> 200.000000 \n\n"
              "me -   0  1  -> -nan \nme -   0  2  -> inf \n\n");
}

TEST(Tools, DistMatrix) {
    TempDir dir;
    // Long names shift the columns; an empty group gives a block without heads
    // and rows; an empty row divides by zero; the fifth group has no block.
    dir.Write("mon.txt", "r1 4 ACGT\nr2 3 ACG\n\nlonger_name 2 TT\n\n\ne 0\nf 2 AC\n\nd 1 G\n");
    ExpectRun(Tools({"distmatrix", "mon.txt"}, dir),
              "Reading File...\n"
              "Calculating distance matrix...\nMax = 33.3333"
              "Calculating distance matrix...\nMax = 0"
              "Calculating distance matrix...\nMax = 0"
              "Calculating distance matrix...\nMax = inf");
    EXPECT_EQ(ReadFile(dir.File("mon.txt_.distMatrix")),
              "\n\n           r1     r2\nr1       0.00  25.00\nr2      33.33   0.00"
              "\n\n       longer_name\nlonger_name   0.00\n\n      "
              "\n\n            e      f\ne        -nan    inf\nf      100.00   0.00");
}

TEST(Tools, GroupReadsTheDotMatrixThatHorgridWrites) {
    TempDir dir;
    // Two kinds of monomer: 0 and 2 are one base apart, 1 and 3 are others.
    dir.Write("e.ens",
              "m0 + 1 10 AAAAAAAAAA\nm1 + 11 10 CCCCCCCCCC\nm2 + 21 10 AAAAAAAAAT\nm3 + 31 10 GGGGGGGGGG\n");
    ASSERT_EQ(RunProgram(HORGRID_BIN, {"-m", "e.ens"}, dir.path()).status, 0);
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt")),
              "\n0.0 100.0 10.0 100.0 \n0 0.0 100.0 100.0 \n0 0 0.0 100.0 \n0 0 0 0.0 ");
    ExpectRun(Tools({"group", "e.ens_dot_matrix.txt"}, dir),
              "Start reading dot-matrix...\nNo of columns: 4\n\n");
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt_horStructure.txt")), "0, 2(2), \n1, \n2, \n3, \n");
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt_horStructure2.txt")), "0 0\n0 2\n1 0\n2 0\n3 0\n");
}

TEST(Tools, HorTable) {
    TempDir dir;
    // Lines of different layouts; empty groups keep their number.
    dir.Write("hors.txt", "h1a 4 ACGT\nh1b + 5 4 ACGA\nh1c 2 AC\n\n\nh2a 4 TTTT\n\n");
    ExpectRun(Tools({"hortable", "hors.txt"}, dir),
              "Reading File...\n"
              "H1m1(4) - H1m2(4) -> 25%\nH1m1(4) - H1m3(2) -> 50%\nH1m2(4) - H1m3(2) -> 50%\n\n"
              "\n\n\nmonomer div = 41.6667");
    EXPECT_EQ(ReadFile(dir.File("hors.txt.hors")), "H1 10 ACGTACGAAC\nH2 0 \nH3 4 TTTT\nH4 0 \n");
}

TEST(Tools, Merge) {
    TempDir dir;
    dir.Write("a.txt", "a1 + 100 171 AAA\na2 + 300 171 CCC\n");
    dir.Write("b.txt", "b1 + 200 171 GGG\nb2 + 300 171 TTT\n");
    ExpectRun(Tools({"merge", "a.txt", "b.txt"}, dir), "a.txt\nb.txt\n");
    EXPECT_EQ(ReadFile(dir.File("a.txtr")),
              "a1 + 100  100 AAA\nb1 + 200  100 GGG\nb2 + 300  100 TTT\na2 + 300  171 CCC\n");
}

TEST(Tools, UsageTextOnHelpNoArgumentAndMisuse) {
    TempDir dir;
    const RunResult help = Tools({"--help"}, dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* command :
         {"consensus ", "distmatrix ", "group ", "hortable ", "merge ", "purify ", "--help"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;

    const RunResult none = Tools({}, dir);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, help.out);
    EXPECT_EQ(none.err, "");

    // A wrong argument count of a subcommand: see CommandLineTest.cpp.
    for (const char* command : {"bogus", "-m"}) {
        const RunResult run = Tools({command, "a"}, dir);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_EQ(run.err, "horgrid-tools: unknown command '" + std::string(command) + "'\n" + help.out)
            << command;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Tools, FileErrorsExitTwoAndWriteNothing) {
    TempDir dir;
    const std::vector<std::vector<std::string>> missing = {
        {"consensus", "no.txt"}, {"distmatrix", "no.txt"},      {"group", "no.txt"},
        {"hortable", "no.txt"},  {"merge", "no.txt", "no.txt"}, {"purify", "no.txt"}};
    for (const auto& arguments : missing) {
        const RunResult run = Tools(arguments, dir);
        EXPECT_EQ(run.status, 2) << arguments[0];
        EXPECT_EQ(run.err,
                  "horgrid-tools " + arguments[0] + ": cannot read 'no.txt': No such file or directory\n")
            << arguments[0];
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    dir.Write("empty_dot_matrix.txt", "");
    const RunResult empty = Tools({"group", "empty_dot_matrix.txt"}, dir);
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.out, "Start reading dot-matrix...\n");
    EXPECT_EQ(empty.err,
              "horgrid-tools group: cannot read 'empty_dot_matrix.txt': the dot matrix holds no line\n");

    // A result path taken by a directory cannot be created.
    dir.Write("mon.txt", kMonomers);
    std::filesystem::create_directory(dir.File("mon.txt.cons"));
    const RunResult blocked = Tools({"consensus", "mon.txt"}, dir);
    EXPECT_EQ(blocked.status, 2);
    EXPECT_EQ(blocked.err, "horgrid-tools consensus: cannot create 'mon.txt.cons': Is a directory\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
}  // namespace horgrid::test
