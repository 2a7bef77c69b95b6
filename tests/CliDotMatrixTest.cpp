#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"

namespace horgrid::test {
namespace {

const std::string kElapsed = "\n\nelapsed time: Ts\n";

TEST(CliDotMatrix, WritesTheUpperTriangleAsPercentagesOfTheRow) {
    TempDir dir;
    // Row lengths 4, 4, 0 and 2: the empty row divides by zero (nan on its own
    // diagonal, inf against a non-empty column) and the short last row shows
    // that only cells with j >= i are computed.
    dir.Write("e.ens", "a + 1 4 ACGT\nb + 5 4 ACGA\nc + 9 0\nd + 9 2 AC");
    const RunResult run = RunProgram(HORGRID_BIN, {"-m", "e.ens"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(MaskElapsed(run.out), "\n0/4\n1/4\n2/4\n3/4" + kElapsed);
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt")),
              "\n0.0 25.0 100.0 50.0 "
              "\n0 0.0 100.0 50.0 "
              "\n0 0 -nan inf "
              "\n0 0 0 0.0 ");
}

TEST(CliDotMatrix, SuffixFollowsThePathAsTyped) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("data"));
    dir.Write("data/one.txt", "m + 1 3 ACG\n");
    const RunResult run = RunProgram(HORGRID_BIN, {"-m", "data/one.txt"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(MaskElapsed(run.out), "\n0/1" + kElapsed);
    EXPECT_EQ(ReadFile(dir.File("data/one.txt_dot_matrix.txt")), "\n0.0 ");
}

TEST(CliDotMatrix, EmptyEnsembleGivesAnEmptyFile) {
    TempDir dir;
    dir.Write("empty.ens", "");
    const RunResult run = RunProgram(HORGRID_BIN, {"-m", "empty.ens"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(MaskElapsed(run.out), kElapsed);
    ASSERT_TRUE(FileExists(dir.File("empty.ens_dot_matrix.txt")));
    EXPECT_EQ(ReadFile(dir.File("empty.ens_dot_matrix.txt")), "");
}

TEST(CliDotMatrix, MissingInputIsAnErrorAndWritesNothing) {
    TempDir dir;
    const RunResult run = RunProgram(HORGRID_BIN, {"-m", "absent.ens"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "horgrid: cannot read 'absent.ens': No such file or directory\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    const RunResult directory = RunProgram(HORGRID_BIN, {"-m", "."}, dir.path());
    EXPECT_EQ(directory.status, 2);
    EXPECT_EQ(directory.err, "horgrid: cannot read '.': Is a directory\n");
}

TEST(CliDotMatrix, UncreatableResultIsAnError) {
    TempDir dir;
    // Readable, but nothing can be created beside it (even as root).
    const RunResult run = RunProgram(HORGRID_BIN, {"-m", "/proc/self/comm"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("horgrid: cannot create '/proc/self/comm_dot_matrix.txt': ", 0), 0u) << run.err;
}

}  // namespace
}  // namespace horgrid::test
