// End-to-end runs of horgrid -m, -s, -b and -d and of its usage: standard
// output, standard error, exit status and result files byte for byte. -h has
// tests of its own (HorCliTest.cpp).

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ensemble/SupracromReferences.h"

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

std::string R1() {
    return std::string(kSupracromReferences[10].sequence);
}

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

// A run of -m, -s or -b that succeeds: the input, the standard output before
// the elapsed time and the one result file beside the input.
struct EnsembleRun {
    const char* name;
    std::string input;  // a path under the test directory
    std::string content;
    std::string option;
    std::string out;
    std::string result;
};

TEST(EnsembleCli, WritesTheResultFileBesideTheEnsemble) {
    const std::vector<EnsembleRun> runs = {
        // Row lengths 4, 4, 0 and 2: the empty row divides by zero (nan on its
        // own diagonal, inf against a non-empty column) and the short last row
        // shows that only cells with j >= i are computed.
        {"dot matrix: upper triangle as percentages of the row", "e.ens",
         "a + 1 4 ACGT\nb + 5 4 ACGA\nc + 9 0\nd + 9 2 AC", "-m", "\n0/4\n1/4\n2/4\n3/4",
         "\n0.0 25.0 100.0 50.0 "
         "\n0 0.0 100.0 50.0 "
         "\n0 0 -nan inf "
         "\n0 0 0 0.0 "},
        {"dot matrix: the suffix follows the path as typed", "data/one.txt", "m + 1 3 ACG\n", "-m", "\n0/1",
         "\n0.0 "},
        {"dot matrix: an empty ensemble gives an empty file", "empty.ens", "", "-m", "", ""},
        {"families", "arr.v1.ens", "a + 3420 171 " + R1() + "\nb + 3591 0\n", "-s", "",
         "\n3420 171 r1(0%) \n3591 0 j1(inf%) "},
        {"families: an empty ensemble gives an empty file", "empty.ens", "", "-s", "", ""},
        {"CENP-B boxes", "arr.ens", "a + 100 171 GTTCGCACTAATCGGGT" + std::string(154, 'C') + "\nb + 271 4 acgt\n",
         "-b", "", "\n100 171 cBdir(1 )  cBrcm()  cBrev()  cBcom() \n271 4 cBdir()  cBrcm()  cBrev()  cBcom() "},
    };
    const std::map<std::string, std::string> suffixes = {
        {"-m", "_dot_matrix.txt"}, {"-s", "_supracromFamily.txt"}, {"-b", "_cenpB.txt"}};
    for (const EnsembleRun& run : runs) {
        TempDir dir;
        std::filesystem::create_directories(std::filesystem::path(dir.File(run.input)).parent_path());
        dir.Write(run.input, run.content);
        const RunResult result = RunProgram(HORGRID_BIN, {run.option, run.input}, dir.path());
        EXPECT_EQ(result.status, 0) << run.name;
        EXPECT_EQ(result.err, "") << run.name;
        EXPECT_EQ(MaskElapsed(result.out), run.out + kElapsed) << run.name;
        const std::string file = dir.File(run.input + suffixes.at(run.option));
        ASSERT_TRUE(FileExists(file)) << run.name;
        EXPECT_EQ(ReadFile(file), run.result) << run.name;
    }
}

// A run that fails with exit status 2: the message on standard error (whole,
// or its beginning), no result in the directory, and nothing on standard
// output but -d's reading progress.
struct FailedRun {
    std::vector<std::string> arguments;
    std::string err;
    bool prefixOnly = false;
};

TEST(EnsembleCli, UnreadableInputOrUncreatableResultFailsWithStatus2) {
    const std::vector<FailedRun> runs = {
        {{"-m", "absent.ens"}, "horgrid: cannot read 'absent.ens': No such file or directory\n"},
        {{"-m", "."}, "horgrid: cannot read '.': Is a directory\n"},
        // Readable, but nothing can be created beside it (even as root).
        {{"-m", "/proc/self/comm"}, "horgrid: cannot create '/proc/self/comm_dot_matrix.txt': ", true},
        {{"-s", "missing.ens"}, "horgrid: cannot read 'missing.ens': No such file or directory\n"},
        {{"-b", "missing.ens"}, "horgrid: cannot read 'missing.ens': No such file or directory\n"},
        {{"-d", "a.fa", "nope.fa"}, "horgrid: cannot read 'nope.fa': No such file or directory\n"},
        {{"-d", "zero.fa", "a.fa"}, "horgrid: cannot read 'zero.fa': empty file\n"},
    };
    for (const FailedRun& run : runs) {
        TempDir dir;
        const bool distance = run.arguments[0] == "-d";
        if (distance) {
            dir.Write("a.fa", ">a\nACGT\n");
            dir.Write("zero.fa", "");
        }
        const RunResult result = RunProgram(HORGRID_BIN, run.arguments, dir.path());
        const std::string what = run.arguments[0] + " " + run.arguments[1];
        EXPECT_EQ(result.status, 2) << what;
        if (run.prefixOnly) {
            EXPECT_EQ(result.err.rfind(run.err, 0), 0u) << what << ": " << result.err;
        } else {
            EXPECT_EQ(result.err, run.err) << what;
        }
        if (distance) {
            EXPECT_EQ(result.out.find("elapsed time"), std::string::npos) << what;
        } else {
            EXPECT_EQ(result.out, "") << what;
        }
        const std::size_t inputs = distance ? 2 : 0;
        EXPECT_EQ(static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                         std::filesystem::directory_iterator())),
                  inputs)
            << what;
    }
}

// One reader's progress text.
std::string Reading(const std::string& header, int bases) {
    return "Reading sequence!\n\n" + header +
           "\n\nReading done! -> Number of bases: " + std::to_string(bases) + "\n\n";
}

// The whole standard output of a -d run.
std::string DistanceOutput(const std::string& header1, int len1, const std::string& header2, int len2,
                           int distance, const std::string& percentage) {
    return Reading(header1, len1) + Reading(header2, len2) + "\n\nseq1: " + std::to_string(len1) +
           " bp\nseq2: " + std::to_string(len2) + " bp\ndistance: " + std::to_string(distance) +
           "\npercentage: " + percentage + "%" + kElapsed;
}

std::string Lines(const std::string& sequence) {
    std::string text;
    for (std::size_t at = 0; at < sequence.size(); at += 60) text += sequence.substr(at, 60) + "\n";
    return text;
}

TEST(DistanceCli, PrintsLengthsDistanceAndPercentageOfTheLonger) {
    TempDir dir;
    // r1 split over lines of 60, and r1 less its 100th base in lower case.
    std::string shorter = R1().erase(99, 1);
    for (char& c : shorter) c = static_cast<char>(c | 0x20);
    dir.Write("a.fa", ">r1 reference\n" + Lines(R1()));
    dir.Write("b.fa", ">r1 deletion\n" + shorter);
    dir.Write("k.fa", ">k\nACGTA\n");
    dir.Write("e.fa", ">empty\n");
    dir.Write("f.fa", "no line feed");
    const struct {
        const char* first;
        const char* second;
        std::string out;
    } cases[] = {
        {"a.fa", "b.fa", DistanceOutput(">r1 reference", 171, ">r1 deletion", 170, 1, "0.584795")},
        {"b.fa", "a.fa", DistanceOutput(">r1 deletion", 170, ">r1 reference", 171, 1, "0.584795")},
        {"a.fa", "a.fa", DistanceOutput(">r1 reference", 171, ">r1 reference", 171, 0, "0")},
        {"k.fa", "e.fa", DistanceOutput(">k", 5, ">empty", 0, 5, "100")},
        // Two empty sequences are equal: 0 %.
        {"e.fa", "f.fa", DistanceOutput(">empty", 0, "no line feed", 0, 0, "0")},
    };
    for (const auto& run : cases) {
        const RunResult result = RunProgram(HORGRID_BIN, {"-d", run.first, run.second}, dir.path());
        EXPECT_EQ(result.status, 0) << run.first << " " << run.second;
        EXPECT_EQ(result.err, "") << run.first << " " << run.second;
        EXPECT_EQ(MaskElapsed(result.out), run.out) << run.first << " " << run.second;
    }
}

}  // namespace
}  // namespace horgrid::test
