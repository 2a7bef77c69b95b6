#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "common/FileError.h"
#include "sequence/genome.h"

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

TEST(GenomeReader, FirstLineIsTheHeaderAndTheRestIsUpperCased) {
    const Read read = ReadSequenceFile(">chr1 some text\nACGT\nacgt\n");
    EXPECT_EQ(read.header, ">chr1 some text");
    EXPECT_EQ(read.sequence, "ACGTACGT");
    EXPECT_EQ(read.baseCount, 8);
    EXPECT_EQ(read.out, "Reading sequence!\n\n>chr1 some text\n\nReading done! -> Number of bases: 8\n\n");

    // Any first line is the header, even one that looks like sequence.
    const Read plain = ReadSequenceFile("ACGT\nGGN");
    EXPECT_EQ(plain.header, "ACGT");
    EXPECT_EQ(plain.sequence, "GGN");
}

TEST(GenomeReader, HeaderWithoutSequence) {
    for (const std::string content : {">only", ">only\n", "\n"}) {
        const Read read = ReadSequenceFile(content);
        EXPECT_EQ(read.header, content.substr(0, content.find('\n')));
        EXPECT_EQ(read.sequence, "");
        EXPECT_EQ(read.baseCount, 0);
    }
}

TEST(GenomeReader, OnlyLineFeedsAndBlanksAreDropped) {
    // CR LF line ends leave the carriage returns in header and sequence; tabs,
    // digits, gaps and other bytes stay too.
    const Read read = ReadSequenceFile(">h\r\nac gt\r\n\tg-1 \xe9z\n\n");
    EXPECT_EQ(read.header, ">h\r");
    EXPECT_EQ(read.sequence, "ACGT\r\tG-1\xe9Z");
    EXPECT_EQ(read.baseCount, 11);
    EXPECT_EQ(read.out, "Reading sequence!\n\n>h\r\n\nReading done! -> Number of bases: 11\n\n");
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
