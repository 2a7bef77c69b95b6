#include <gtest/gtest.h>

#include <regex>

#include "TestSupport.h"

namespace horgrid::test {
namespace {

const std::string kUsage =
    "Program runs with arguments: \n "
    "   -d file01_name file02_name (finding distance between two fasta sequences) \n "
    "   -m file_name_with_TR_ensemble  (finding dot matrix for alpha ensemble) \n "
    "   -b file_name_with_TR_ensemble  (finding CENP-B boxes in alpha ensemble) \n "
    "   -s file_name_with_TR_ensemble  (finding suprachomosomal families for alpha ensemble) \n "
    "   -h file_name_with_TR_ensemble  (finding HOR structures for alpha ensemble) \n\n "
    "Possible file_name_with_TR_ensemble formats:"
    "   TR_name (string)  TR_length (int)  TR_unit_sequence (string)\n"
    "   TR_name (string)  TR_direction (string) TR_position (int)  TR_length (int) TR_unit_sequence (string)\n"
    "   TR_name (string)  TR_direction (string) TR_position (int)  TR_consensus_difference (string) TR_length "
    "(int) TR_unit_sequence (string)\n";
const std::string kElapsed = "\n\nelapsed time: Ts\n";

TEST(CliUsage, NoArgumentPrintsUsageOnlyAndFails) {
    TempDir dir;
    const RunResult run = RunProgram(HORGRID_BIN, {}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kUsage);
    EXPECT_EQ(run.err, "");
}

TEST(CliUsage, WrongArgumentCountPrintsUsageThenElapsed) {
    TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"-d", "a"}, {"-d", "a", "b", "c"}, {"-m", "a", "b"}, {"-h"}, {"-b"}, {"-s", "a", "b"}};
    for (const auto& arguments : cases) {
        const RunResult run = RunProgram(HORGRID_BIN, arguments, dir.path());
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_EQ(MaskElapsed(run.out), kUsage + kElapsed) << arguments[0];
    }
    // Nothing was run, so nothing was written.
    EXPECT_FALSE(FileExists(dir.File("a_dot_matrix.txt")));
}

TEST(CliUsage, UnknownOptionPrintsOnlyElapsedAndNamesIt) {
    TempDir dir;
    for (const std::string option : {"-x", "-m2", "-M", "m"}) {
        const RunResult run = RunProgram(HORGRID_BIN, {option, "file"}, dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(MaskElapsed(run.out), kElapsed);
        EXPECT_EQ(run.err, "horgrid: unknown option '" + option + "'\n");
    }
}

TEST(CliUsage, ElapsedTimeIsGeneralNotation) {
    TempDir dir;
    const RunResult run = RunProgram(HORGRID_BIN, {"-x", "f"}, dir.path());
    EXPECT_TRUE(std::regex_search(run.out, std::regex("^\n\nelapsed time: (0|[1-9][0-9.]*|0\\.[0-9]+|[0-9.]+e-[0-9]+)s\n$")))
        << run.out;
}

}  // namespace
}  // namespace horgrid::test
