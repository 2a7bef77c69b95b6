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
    dir.Write("mon.txt", kMonomers);
    ExpectRun(Tools({"consensus", "mon.txt"}, dir),
              "Reading File...\nFinding consensuses...\nFinding consensuses...\n");
    EXPECT_EQ(ReadFile(dir.File("mon.txt.cons")),
              "ma1 4 ACGA\nmb1 3 GGC\n\n\nAnalysis:\n"
              "ma1 -   0  10  -> 25.000000 \nma1 -   0  20  -> 0.000000 \nma1 -   0  30  -> 25.000000 \n\n"
              "mb1 -   0  40  -> 0.000000 \n\n");
}

TEST(Tools, DistMatrix) {
    TempDir dir;
    dir.Write("mon.txt", "r1 4 ACGT\nr2 3 ACG\n\nlonger_name 2 TT\n");
    ExpectRun(Tools({"distmatrix", "mon.txt"}, dir),
              "Reading File...\n"
              "Calculating distance matrix...\nMax = 33.3333"
              "Calculating distance matrix...\nMax = 0");
    EXPECT_EQ(ReadFile(dir.File("mon.txt_.distMatrix")),
              "\n\n           r1     r2\nr1       0.00  25.00\nr2      33.33   0.00"
              "\n\n       longer_name\nlonger_name   0.00");
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
    dir.Write("hors.txt", "h1a 4 ACGT\nh1b + 5 4 ACGA\nh1c 2 AC\n\nh2a 4 TTTT\n");
    ExpectRun(Tools({"hortable", "hors.txt"}, dir),
              "Reading File...\n"
              "H1m1(4) - H1m2(4) -> 25%\nH1m1(4) - H1m3(2) -> 50%\nH1m2(4) - H1m3(2) -> 50%\n\n"
              "\nmonomer div = 41.6667");
    EXPECT_EQ(ReadFile(dir.File("hors.txt.hors")), "H1 10 ACGTACGAAC\nH2 4 TTTT\n");
}

TEST(Tools, Merge) {
    TempDir dir;
    dir.Write("a.txt", "a1 + 100 171 AAA\na2 + 300 171 CCC\n");
    dir.Write("b.txt", "b1 + 200 171 GGG\nb2 + 300 171 TTT\n");
    ExpectRun(Tools({"merge", "a.txt", "b.txt"}, dir), "a.txt\nb.txt\n");
    EXPECT_EQ(ReadFile(dir.File("a.txtr")),
              "a1 + 100  100 AAA\nb1 + 200  100 GGG\nb2 + 300  100 TTT\na2 + 300  171 CCC\n");
}

TEST(Tools, Purify) {
    const std::string& reference = kPurifyReference;
    TempDir dir;
    dir.Write("ens.txt", "k1 + 500 171 " + reference + "\nd1 + 600 4 ACGT\nk2 + 671 171 NN" +
                             reference.substr(2) + "\n");
    ExpectRun(Tools({"purify", "ens.txt"}, dir), "");
    EXPECT_EQ(ReadFile(dir.File("ens.txt_purified.txt")), "k1 + 500 (0.000000%) 500 " + reference +
                                                              "\nk2 + 671 (1.169591%) 171 NN" +
                                                              reference.substr(2) + "\n");
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

    const std::vector<std::vector<std::string>> misuse = {
        {"bogus"}, {"consensus"}, {"purify", "a", "b"}, {"merge", "a"}, {"group", "a", "b"}, {"-m", "a"}};
    for (const auto& arguments : misuse) {
        const RunResult run = Tools(arguments, dir);
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_EQ(run.out, "") << arguments[0];
        EXPECT_EQ(run.err, help.out) << arguments[0];
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
        EXPECT_EQ(run.err, "horgrid-tools: cannot read 'no.txt': No such file or directory\n")
            << arguments[0];
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    dir.Write("empty_dot_matrix.txt", "");
    const RunResult empty = Tools({"group", "empty_dot_matrix.txt"}, dir);
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.out, "Start reading dot-matrix...\n");
    EXPECT_EQ(empty.err, "horgrid-tools: cannot read 'empty_dot_matrix.txt': the dot matrix holds no line\n");

    // A result path taken by a directory cannot be created.
    dir.Write("mon.txt", kMonomers);
    std::filesystem::create_directory(dir.File("mon.txt.cons"));
    const RunResult blocked = Tools({"consensus", "mon.txt"}, dir);
    EXPECT_EQ(blocked.status, 2);
    EXPECT_EQ(blocked.err, "horgrid-tools: cannot create 'mon.txt.cons': Is a directory\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
}  // namespace horgrid::test
