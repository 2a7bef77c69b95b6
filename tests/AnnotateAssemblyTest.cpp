// `annotate` on a small generated assembly: the real cen21 piece
// (tests/data/cen21_piece.fa) between assembly gaps in a short record and
// twice, forward and reverse-complemented, in a record of more than 1 Mb (so
// the alpha-satellite filter picks the stretches to annotate), beside an empty record, an all-N
// record and a record of random sequence. The arrays lie where the piece was
// put and nowhere else, the two copies of the piece give the same array, the
// progress lines stay few, and the report drawn from the values in memory
// holds every array with its pictures.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SequenceGenerator.h"
#include "TestSupport.h"
#include "decompose/Decompose.h"
#include "seqio/SequenceReader.h"

namespace horgrid::test {
namespace {

std::string Piece() {
    SequenceReader reader(std::string(HORGRID_SOURCE_DIR) + "/tests/data/cen21_piece.fa");
    SequenceRecord record;
    EXPECT_TRUE(reader.Next(record));
    return record.sequence;
}

std::vector<std::vector<std::string>> Rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#' || line.starts_with("track")) continue;
        std::vector<std::string> fields;
        std::istringstream columns(line);
        for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(AnnotateAssembly, ArraysWhereThePieceLiesNothingElseAndAReportOfEach) {
    std::mt19937_64 random(19);
    const std::string piece = Piece();
    const auto randomBases = [&](std::size_t n) { return reference::RandomSequence(random, n); };
    // gapped: 20 kb, 500 N, the piece, 100 N, 10 kb; big: the piece at 300 kb and reverse-complemented at
    // 600 kb of 1.05 Mb (two short stretches, annotated side by side with two threads).
    const std::int64_t gappedAt = 20500;
    const std::string gapped = randomBases(20000) + std::string(500, 'N') + piece + std::string(100, 'N') +
                               randomBases(10000);
    const std::int64_t firstAt = 300000, bigAt = 600000;
    const std::string big = randomBases(static_cast<std::size_t>(firstAt)) + piece +
                            randomBases(static_cast<std::size_t>(bigAt - firstAt) - piece.size()) +
                            ReverseComplement(piece) +
                            randomBases(1050000 - static_cast<std::size_t>(bigAt) - piece.size());
    const auto fasta = [](const std::string& name, const std::string& bases) {
        std::string text = ">" + name + "\n";
        for (std::size_t i = 0; i < bases.size(); i += 80) text += bases.substr(i, 80) + "\n";
        return text;
    };
    TempDir dir;
    dir.Write("asm.fa", fasta("gapped", gapped) + fasta("empty", "") + fasta("gap", std::string(5000, 'N')) +
                            fasta("plain", randomBases(30000)) + fasta("big", big));
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"annotate", "-t", "2", "-o", "asm", "asm.fa"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;

    // One line per record, the empty and all-N records with nothing.
    const auto lines = Rows(run.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], (std::vector<std::string>{"2", "empty", "0", "0", "0", "0"}));
    EXPECT_EQ(lines[2], (std::vector<std::string>{"3", "gap", "5000", "0", "0", "0"}));
    EXPECT_EQ(lines[3], (std::vector<std::string>{"4", "plain", "30000", "0", "0", "0"}));
    // Progress: a line per record, and for the long record none before its
    // only stretch (it is shown every 10 Mb).
    EXPECT_EQ(Count(run.err, "\n"), 5u) << run.err;
    EXPECT_NE(run.err.find("5 records, 1130385 bases done"), std::string::npos) << run.err;

    // An array on each copy of the piece, its ends within 100 bases of it, and
    // the same array (class, HOR, monomers, copies ...) both times; only the
    // mean identity may differ, the end monomers' bases from the random flanks.
    auto arrays = Rows(ReadFile(dir.File("asm_arrays.tsv")));
    ASSERT_EQ(arrays.size(), 3u) << ReadFile(dir.File("asm_arrays.tsv"));
    const std::int64_t length = static_cast<std::int64_t>(piece.size());
    for (const auto& [array, record, at] :
         {std::tuple{arrays[0], "gapped", gappedAt}, {arrays[1], "big", firstAt}, {arrays[2], "big", bigAt}}) {
        SCOPED_TRACE(record);
        EXPECT_EQ(array[0], record);
        EXPECT_NEAR(std::stoll(array[1]), at, 100);
        EXPECT_NEAR(std::stoll(array[2]), at + length, 100);
        EXPECT_EQ(array[3], "live HOR");
        EXPECT_EQ(array[4], "S2C13/21H1L");
    }
    for (auto& array : arrays) array.erase(array.begin() + 11);  // mean_identity
    for (const std::size_t i : {1, 2}) {
        EXPECT_EQ(std::vector<std::string>(arrays[0].begin() + 5, arrays[0].end()),
                  std::vector<std::string>(arrays[i].begin() + 5, arrays[i].end()));
    }
    // Every monomer of every track lies in one of the arrays.
    for (const char* track : {"asm_AS-HOR.bed", "asm_AS-SF.bed", "asm_AS-StV.bed"}) {
        for (const auto& item : Rows(ReadFile(dir.File(track)))) {
            const auto inside = [&](const std::vector<std::string>& array) {
                return item[0] == array[0] && std::stoll(item[1]) >= std::stoll(array[1]) &&
                       std::stoll(item[2]) <= std::stoll(array[2]);
            };
            EXPECT_TRUE(std::any_of(arrays.begin(), arrays.end(), inside)) << track << " " << item[1];
        }
    }

    // The report: a section per array, headed by its place, with both pictures.
    const std::string html = ReadFile(dir.File("asm_report.html"));
    EXPECT_EQ(Count(html, "<section class=\"array\""), 3u);
    for (std::size_t i = 0; i < arrays.size(); ++i) {
        const std::string heading = "Array " + std::to_string(i + 1) + ": " + arrays[i][0] + ":" +
                                    std::to_string(std::stoll(arrays[i][1]) + 1) + "-" + arrays[i][2] + " ";
        EXPECT_NE(html.find(heading), std::string::npos) << heading;
    }
    EXPECT_EQ(Count(html, "src=\"data:image/png;base64,iVBORw0KGgo"), 6u);  // PNG signature

    // One thread and --no-report: the six files alone, the same bytes.
    TempDir plain;
    plain.Write("asm.fa", ReadFile(dir.File("asm.fa")));
    const RunResult without =
        RunProgram(HORGRID_TOOLS_BIN, {"annotate", "--no-report", "-t", "1", "-o", "asm", "asm.fa"}, plain.path());
    ASSERT_EQ(without.status, 0) << without.err;
    EXPECT_FALSE(FileExists(plain.File("asm_report.html")));
    for (const char* file : {"asm_AS-HOR.bed", "asm_AS-StV.bed", "asm_arrays.tsv", "asm_decomposition.tsv"})
        EXPECT_EQ(ReadFile(plain.File(file)), ReadFile(dir.File(file))) << file;
}

// When gnuplot fails the annotation and the page are still written (the page
// says why a picture is missing) and the exit status is 3, as for `report`.
TEST(AnnotateAssembly, PictureFailureKeepsTheResults) {
    TempDir dir;
    dir.Write("piece.fa", ">piece\n" + Piece() + "\n");
    RunOptions options;
    options.environment = {"HORGRID_GNUPLOT=/bin/false"};
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"annotate", "-o", "piece", "piece.fa"}, dir.path(), options);
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("no picture for array 1"), std::string::npos) << run.err;
    for (const char* file : {"piece_AS-HOR.bed", "piece_arrays.tsv", "piece_decomposition.tsv", "piece_report.html"})
        EXPECT_TRUE(FileExists(dir.File(file))) << file;
    EXPECT_NE(ReadFile(dir.File("piece_report.html")).find("class=\"missing\""), std::string::npos);
}

}  // namespace
}  // namespace horgrid::test
