// End-to-end runs of -d, -s and -b: standard output, exit status and result
// files byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "ensemble/SupracromReferences.h"

namespace horgrid::test {
namespace {

const std::string kElapsed = "\n\nelapsed time: Ts\n";

std::string R1() {
    return std::string(kSupracromReferences[10].sequence);
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

// Runs -d on two files of `dir`, expecting success; returns the masked output.
std::string RunDistance(const TempDir& dir, const std::string& first, const std::string& second) {
    const RunResult run = RunProgram(HORGRID_BIN, {"-d", first, second}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    return MaskElapsed(run.out);
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

    EXPECT_EQ(RunDistance(dir, "a.fa", "b.fa"),
              DistanceOutput(">r1 reference", 171, ">r1 deletion", 170, 1, "0.584795"));
    EXPECT_EQ(RunDistance(dir, "b.fa", "a.fa"),
              DistanceOutput(">r1 deletion", 170, ">r1 reference", 171, 1, "0.584795"));
    EXPECT_EQ(RunDistance(dir, "a.fa", "a.fa"),
              DistanceOutput(">r1 reference", 171, ">r1 reference", 171, 0, "0"));
}

TEST(DistanceCli, EmptySequences) {
    TempDir dir;
    dir.Write("k.fa", ">k\nACGTA\n");
    dir.Write("e.fa", ">empty\n");
    dir.Write("f.fa", "no line feed");
    EXPECT_EQ(RunDistance(dir, "k.fa", "e.fa"), DistanceOutput(">k", 5, ">empty", 0, 5, "100"));
    // Two empty sequences are equal: 0 %.
    EXPECT_EQ(RunDistance(dir, "e.fa", "f.fa"), DistanceOutput(">empty", 0, "no line feed", 0, 0, "0"));
}

TEST(DistanceCli, MissingOrEmptyFileFailsWithStatus2) {
    TempDir dir;
    dir.Write("a.fa", ">a\nACGT\n");
    dir.Write("zero.fa", "");
    RunResult run = RunProgram(HORGRID_BIN, {"-d", "a.fa", "nope.fa"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "horgrid: cannot read 'nope.fa': No such file or directory\n");
    EXPECT_EQ(run.out.find("elapsed time"), std::string::npos);

    run = RunProgram(HORGRID_BIN, {"-d", "zero.fa", "a.fa"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "horgrid: cannot read 'zero.fa': empty file\n");
}

TEST(FamiliesCli, WritesTheFamilyFileBesideTheEnsemble) {
    TempDir dir;
    dir.Write("arr.v1.ens", "a + 3420 171 " + R1() + "\nb + 3591 0\n");
    const RunResult run = RunProgram(HORGRID_BIN, {"-s", "arr.v1.ens"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(MaskElapsed(run.out), kElapsed);
    EXPECT_EQ(ReadFile(dir.File("arr.v1.ens_supracromFamily.txt")), "\n3420 171 r1(0%) \n3591 0 j1(inf%) ");

    dir.Write("empty.ens", "");
    EXPECT_EQ(RunProgram(HORGRID_BIN, {"-s", "empty.ens"}, dir.path()).status, 0);
    EXPECT_EQ(ReadFile(dir.File("empty.ens_supracromFamily.txt")), "");

    const RunResult missing = RunProgram(HORGRID_BIN, {"-s", "missing.ens"}, dir.path());
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(FileExists(dir.File("missing.ens_supracromFamily.txt")));
}

TEST(CenpBCli, WritesTheBoxFileBesideTheEnsemble) {
    TempDir dir;
    dir.Write("arr.ens", "a + 100 171 GTTCGCACTAATCGGGT" + std::string(154, 'C') + "\nb + 271 4 acgt\n");
    const RunResult run = RunProgram(HORGRID_BIN, {"-b", "arr.ens"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(MaskElapsed(run.out), kElapsed);
    EXPECT_EQ(ReadFile(dir.File("arr.ens_cenpB.txt")),
              "\n100 171 cBdir(1 )  cBrcm()  cBrev()  cBcom() \n271 4 cBdir()  cBrcm()  cBrev()  cBcom() ");

    const RunResult missing = RunProgram(HORGRID_BIN, {"-b", "missing.ens"}, dir.path());
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "horgrid: cannot read 'missing.ens': No such file or directory\n");
}

}  // namespace
}  // namespace horgrid::test
