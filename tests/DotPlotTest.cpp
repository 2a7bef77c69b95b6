#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "MixedEnsemble.h"
#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "TestSupport.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/IdentityGrid.h"

namespace horgrid::test {
namespace {

// Related, unrelated, empty and long sequences; long copies of one type
// 1 % and 20 % apart (HOR copies: distances within the first limit of the
// banded engine and far beyond it).
std::vector<std::string> MixedSequences(std::size_t count, std::mt19937_64& random) {
    const std::string type = reference::RandomSequence(random, 60);
    const std::string longType = reference::RandomSequence(random, 1800);
    std::vector<std::string> sequences;
    for (std::size_t k = 0; k < count; ++k) {
        if (k % 5 == 1)
            sequences.emplace_back();
        else if (k % 7 == 3)
            sequences.push_back(reference::RandomSequence(random, 2500 + k));
        else if (k % 4 == 0)
            sequences.push_back(reference::Mutate(random, longType, k % 8 == 0 ? 0.01 : 0.2));
        else if (k % 2 == 0)
            sequences.push_back(reference::Mutate(random, type, 0.1));
        else
            sequences.push_back(reference::RandomSequence(random, 40 + k));
    }
    return sequences;
}

// Mean identity of every ordered pair of records a pixel covers, from the
// plain algorithm and the block bounds floor(p * n / side).
std::vector<double> DirectMeans(const std::vector<std::string>& sequences, std::size_t side) {
    const std::size_t n = sequences.size();
    std::vector<double> sums(side * side), counts(side * side);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            // i lies in pixel p exactly when floor(p n / side) <= i < floor((p + 1) n / side).
            std::size_t pi = 0, pj = 0;
            while ((pi + 1) * n / side <= i) ++pi;
            while ((pj + 1) * n / side <= j) ++pj;
            const std::size_t longer = std::max(sequences[i].size(), sequences[j].size());
            const double d = reference::PlainLevenshtein(sequences[i], sequences[j]);
            sums[pi * side + pj] += longer == 0 ? 100 : 100 * (1 - d / static_cast<double>(longer));
            counts[pi * side + pj] += 1;
        }
    }
    for (std::size_t cell = 0; cell < sums.size(); ++cell) sums[cell] /= counts[cell];
    return sums;
}

TEST(DotPlot, PixelMeansMatchTheDirectComputationForEveryThreadCount) {
    std::mt19937_64 random(12);
    // (records, requested side): uneven blocks of 2 and 3 records, one pixel,
    // a side larger than the ensemble, one record per pixel.
    const std::vector<std::pair<std::size_t, std::size_t>> cases = {{11, 4}, {9, 1}, {6, 50}, {13, 13}};
    for (const auto& [count, maxSide] : cases) {
        const std::vector<std::string> sequences = MixedSequences(count, random);
        const std::vector<std::string_view> views(sequences.begin(), sequences.end());
        const IdentityGrid grid = ComputeIdentityGrid(views, maxSide, 1);
        const std::size_t side = std::min(count, maxSide);
        ASSERT_EQ(grid.side, side);
        const std::vector<double> expected = DirectMeans(sequences, side);
        for (std::size_t cell = 0; cell < expected.size(); ++cell)
            EXPECT_NEAR(grid.identity[cell], expected[cell], 1e-9) << count << " records, cell " << cell;
        for (const unsigned threads : {2u, 7u})
            EXPECT_EQ(ComputeIdentityGrid(views, maxSide, threads).identity, grid.identity) << threads;
    }
    EXPECT_EQ(ComputeIdentityGrid({}, 2000, 2).side, 0u);
}

// gnuplot draws no image of fewer than 2 x 2 points: every plotted strip of
// the script has at least two rows and two columns, and all strips together
// cover every row of the pixel data.
TEST(DotPlot, EveryStripOfTheScriptIsAnImageGnuplotDraws) {
    for (const std::size_t side : {std::size_t{1}, std::size_t{2}, std::size_t{1774}, std::size_t{3070}}) {
        IdentityGrid grid;
        grid.records = side == 1 ? 5 : side;
        grid.side = side;
        const std::string script = DotPlotScript(grid, DotPlotLook{}, "/d", "/p.png");
        std::size_t rows = 0, columns = 0;
        for (std::size_t at = script.find("array=("); at != std::string::npos;
             at = script.find("array=(", at + 1)) {
            const std::size_t comma = script.find(',', at);
            columns = std::stoul(script.substr(at + 7, comma - at - 7));
            const std::size_t strip = std::stoul(script.substr(comma + 1));
            EXPECT_GE(strip, 2u) << side;
            rows += strip;
        }
        EXPECT_GE(columns, 2u) << side;
        EXPECT_EQ(rows, columns) << side;
    }
    // Records that go by their own numbers (HOR copies of an array) show those on the first axes.
    IdentityGrid grid;
    grid.records = grid.side = 3;
    DotPlotLook look;
    look.numbers = {5, 9, 12};
    const std::string script = DotPlotScript(grid, look, "/d", "/p.png");
    EXPECT_NE(script.find("set xtics ('5' 1, '9' 2, '12' 3) out nomirror"), std::string::npos) << script;
    EXPECT_NE(script.find("set ytics ('5' 1, '9' 2, '12' 3) out nomirror"), std::string::npos);
    look.numbers = {1, 2, 3};  // the records' own numbers: gnuplot's tics
    EXPECT_NE(DotPlotScript(grid, look, "/d", "/p.png").find("set xtics out nomirror 1"), std::string::npos);
}

RunResult DotPlot(const std::vector<std::string>& options, const TempDir& dir) {
    std::vector<std::string> arguments = {"dotplot"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path());
}

TEST(DotPlot, CommandDrawsThePictureAndLeavesNoPixelData) {
    TempDir dir;
    dir.Write("e.ens", MixedEnsemble());
    const RunResult run = DotPlot({"--size", "7", "--min-identity", "50", "e.ens"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "23 monomers, 7 x 7 pixels -> e.ens_dotplot.tsv\n-> e.ens_dotplot.png\n");
    const std::string table = ReadFile(dir.File("e.ens_dotplot.tsv"));
    EXPECT_EQ(table.substr(0, table.find('\n', 30) + 1), "row\tcolumn\tidentity\n1\t1\t61.22\n1\t2\t52.41\n");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 7 * 7);
    EXPECT_EQ(ReadFile(dir.File("e.ens_dotplot.png")).substr(0, 4), "\x89PNG");
    // The pixel data for gnuplot is gone: the ensemble, the table, the picture.
    const auto files = std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(std::distance(begin(files), end(files)), 3);
}

// A picture of one pixel (one monomer, or --size 1) shows that pixel; gnuplot
// has nothing to warn about. An ensemble without monomers is refused.
TEST(DotPlot, OnePixelIsAPicture) {
    TempDir dir;
    dir.Write("e.ens", MixedEnsemble());
    dir.Write("one.ens", "m1 + 1 4 ACGT\n");
    dir.Write("none.ens", "");
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--size", "1", "e.ens"}, std::vector<std::string>{"one.ens"}}) {
        const RunResult run = DotPlot(options, dir);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("1 x 1 pixels"), std::string::npos) << run.out;
    }
    EXPECT_EQ(ReadFile(dir.File("one.ens_dotplot.tsv")), "row\tcolumn\tidentity\n1\t1\t100.00\n");
    const RunResult none = DotPlot({"none.ens"}, dir);
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "horgrid-tools dotplot: no monomer in 'none.ens': nothing to draw\n");
    EXPECT_FALSE(FileExists(dir.File("none.ens_dotplot.tsv")));
}

TEST(DotPlot, CommandRefusesBadArgumentsAndKeepsTheTableWithoutPicture) {
    TempDir dir;
    dir.Write("e.ens", MixedEnsemble());
    dir.Write("it's.ens", MixedEnsemble());
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{}, 1},
        {{"-t", "0", "e.ens"}, 2},
        {{"--size", "5001", "e.ens"}, 2},
        {{"--min-identity", "100", "e.ens"}, 2},
        {{"--min-identity", "x", "e.ens"}, 2},
        {{"--colour", "e.ens"}, 1},
        {{"e.ens", "e.ens"}, 1},
        {{"--help"}, 0},
        {{"missing.ens"}, 2},
        {{"it's.ens"}, 3},  // a quote never reaches gnuplot
    };
    for (const auto& [options, status] : cases) {
        const RunResult run = DotPlot(options, dir);
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_EQ(run.err.empty(), status == 0) << run.err;
    }
    EXPECT_FALSE(FileExists(dir.File("e.ens_dotplot.tsv")));
    EXPECT_TRUE(FileExists(dir.File("it's.ens_dotplot.tsv")));
    EXPECT_FALSE(FileExists(dir.File("it's.ens_dotplot.png")));
    // No gnuplot: the table all the same.
    const RunResult run = RunProgram(
        "/usr/bin/env", {"HORGRID_GNUPLOT=" + dir.File("none"), HORGRID_TOOLS_BIN, "dotplot", "e.ens"},
        dir.path());
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("e.ens_dotplot.png"), std::string::npos) << run.err;
    EXPECT_TRUE(FileExists(dir.File("e.ens_dotplot.tsv")));
    EXPECT_FALSE(FileExists(dir.File("e.ens_dotplot.png")));
}

// FASTA in, a PNG per record out (no table unless asked); a comparative plot
// takes one record of each file.
TEST(WindowDotPlot, CommandDrawsEveryRecordAndWritesATableOnlyWhenAsked) {
    TempDir dir;
    std::mt19937_64 random(5);
    const std::string hor = reference::RandomSequence(random, 340);
    std::string array;
    while (array.size() < 20000) array += reference::Mutate(random, hor, 0.01);
    array.resize(20000);
    dir.Write("one.fa", ">arr\n" + array + "\n");
    dir.Write("two.fa", ">a\n" + array + "\n>b\n" + array.substr(0, 5000) + "\n");
    dir.Write("two.fa_b", "@b\n" + array.substr(0, 5000) + "\n+\n" + std::string(5000, 'I') + "\n");
    RunResult run = DotPlot({"--windows", "50", "one.fa"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "arr: 50 x 50 windows of 400 bp, colours from 97 %\n-> one.fa_dotplot.png\n");
    EXPECT_EQ(ReadFile(dir.File("one.fa_dotplot.png")).substr(0, 4), "\x89PNG");
    EXPECT_FALSE(FileExists(dir.File("one.fa_dotplot.tsv")));

    run = DotPlot({"--table", "--window", "5000", "--min-identity", "80", "-o", "t", "two.fa"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "a: 4 x 4 windows of 5000 bp, colours from 80 % -> t_1_dotplot.tsv\n-> t_1_dotplot.png\n"
              "b: 1 x 1 windows of 5000 bp, colours from 80 % -> t_2_dotplot.tsv\n-> t_2_dotplot.png\n");
    const std::string table = ReadFile(dir.File("t_1_dotplot.tsv"));
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 16);
    EXPECT_EQ(table.substr(table.find('\n') + 1, 21), "a\t0\t5000\ta\t0\t5000\t100");
    EXPECT_EQ(ReadFile(dir.File("t_2_dotplot.tsv")),
              "#query_name\tquery_start\tquery_end\treference_name\treference_start\treference_end\tidentity\n"
              "b\t0\t5000\tb\t0\t5000\t100.00\n");

    run = DotPlot({"--windows", "50", "one.fa", "two.fa_b"}, dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "arr vs b: 50 x 13 windows of 400 bp, colours from 97 %\n-> one.fa_dotplot.png\n");
    run = DotPlot({"one.fa", "two.fa"}, dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("more than one record"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace horgrid::test
