#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "common/FileError.h"
#include "seqio/genome.h"

namespace horgrid::test {
namespace {

struct Read {
    std::string header;
    std::string sequence;
    int baseCount = -1;
    std::string out;
};

Read ReadSequenceFile(const std::string& content) {
    TempDir dir;
    const std::string path = dir.Write("s.fa", content);
    testing::internal::CaptureStdout();
    const genome g(path);
    Read read{g.header, g.sequence, g.baseCount, testing::internal::GetCapturedStdout()};
    return read;
}

std::string Analyse(const std::string& sequence) {
    TempDir dir;
    testing::internal::CaptureStdout();
    genome g(dir.Write("s.fa", ">h\n" + sequence));
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    g.analizeSequence();
    return testing::internal::GetCapturedStdout();
}

// Reads `content` and checks every field and the progress text.
void ExpectRead(const std::string& content, const std::string& header, const std::string& sequence) {
    const Read read = ReadSequenceFile(content);
    EXPECT_EQ(read.header, header);
    EXPECT_EQ(read.sequence, sequence);
    EXPECT_EQ(read.baseCount, static_cast<int>(sequence.size()));
    EXPECT_EQ(read.out, "Reading sequence!\n\n" + header + "\n\nReading done! -> Number of bases: " +
                            std::to_string(sequence.size()) + "\n\n");
}

TEST(GenomeReader, FirstLineIsTheHeaderAndTheRestIsUpperCased) {
    ExpectRead(">chr1 some text\nACGT\nacgt\n", ">chr1 some text", "ACGTACGT");
    // Any first line is the header, even one that looks like sequence.
    ExpectRead("ACGT\nGGN", "ACGT", "GGN");
    // A header and nothing after it.
    ExpectRead(">only", ">only", "");
    ExpectRead(">only\n", ">only", "");
    ExpectRead("\n", "", "");
}

TEST(GenomeReader, OnlyLineFeedsAndBlanksAreDropped) {
    // CR LF line ends leave the carriage returns in header and sequence; tabs,
    // digits, gaps and other bytes stay too.
    ExpectRead(">h\r\nac gt\r\n\tg-1 \xe9z\n\n", ">h\r", "ACGT\r\tG-1\xe9Z");
}

TEST(GenomeReader, ASecondRecordBecomesSequence) {
    const Read read = ReadSequenceFile(">first\nACGT\n>second record\nac\n");
    EXPECT_EQ(read.sequence, "ACGT>SECONDRECORDAC");
}

TEST(GenomeReader, MissingOrEmptyFileIsAnError) {
    TempDir dir;
    const std::string missing = dir.File("missing.fa");
    const std::string empty = dir.Write("empty.fa", "");
    testing::internal::CaptureStdout();
    try {
        genome g(missing);
        ADD_FAILURE() << "no error for a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot read '" + missing + "': No such file or directory");
    }
    try {
        genome g(empty);
        ADD_FAILURE() << "no error for an empty file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot read '" + empty + "': empty file");
    }
    testing::internal::GetCapturedStdout();
}

TEST(GenomeReader, TrailingRunOfN) {
    EXPECT_EQ(Analyse("ACGTNNN"), " - 7 = 3");
    EXPECT_EQ(Analyse("ACGTnn"), " - 6 = 2");
    EXPECT_EQ(Analyse("NNACGTNN"), " - 8 = 2");
    EXPECT_EQ(Analyse("ACNNGTNNNN"), " - 10 = 4");
    // No trailing run of two or more, or one that starts at the first base.
    EXPECT_EQ(Analyse("ACGTN"), "");
    EXPECT_EQ(Analyse("NNNN"), "");
    EXPECT_EQ(Analyse("ACNNGT"), "");
    EXPECT_EQ(Analyse(""), "");
    EXPECT_EQ(Analyse("N"), "");
}

}  // namespace
}  // namespace horgrid::test
