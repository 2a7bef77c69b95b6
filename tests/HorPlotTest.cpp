#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "hor/PlotCommand.h"
#include "hor/PlotRunner.h"
#include "hor/drawHOR.h"
#include "hor/horAnaliser2.h"

namespace horgrid::test {
namespace {

const std::string kGnuplotPath = PlotSettings().program;

bool HaveGnuplot() {
    return std::filesystem::exists(kGnuplotPath);
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(HorPlotCommand, ExampleTextByteForByte) {
    EXPECT_EQ(HorPlotScript("chr7-100bp-900bp", "/w/data/chr7.ens.hor1", 4, -2, "/w/data/t.tmp"),
              "set term postscript eps size 1.200000,0.400000 enhanced monochrome 'Helvetica, 16';"
              "set output '/w/data/t.tmp';"
              "set style line 1  lw 1 pt 5 ps 0.8 lc rgb 'black';"
              "set style line 2  pt 5 ps 0.8 lc rgb 'black';"
              "set title  'HOR - chr7-100bp-900bp';set xrange [0:5];set yrange [-3:0];unset key;"
              "plot '/w/data/chr7.ens.hor1' u 2:9 w p ls 2,'/w/data/chr7.ens.hor1' u 3:9 w p ls 2,"
              "'/w/data/chr7.ens.hor1' u 4:9 w p ls 2, '/w/data/chr7.ens.hor1' u 5:9 w p ls 2,"
              "'/w/data/chr7.ens.hor1' u 6:9 w p ls 2, '/w/data/chr7.ens.hor1' u 7:9 w p ls 2,"
              "'/w/data/chr7.ens.hor1' u 8:9 w p ls 2, '/w/data/chr7.ens.hor1' u 2:9:1 w labels offset 0,1;");
    EXPECT_EQ(HorPicturePath("chr7-100bp-900bp", "data/chr7.ens.hor1"), "data/chr7-100bp-900bp.eps");
}

TEST(HorPlotCommand, SizesRangesAndPlacement) {
    const std::string one = HorPlotScript("t", "/x.ens.hor1", 1, -1, "/o");
    EXPECT_NE(one.find("size 0.300000,0.200000 "), std::string::npos);
    EXPECT_NE(one.find("set xrange [0:2];set yrange [-2:0];"), std::string::npos);
    EXPECT_EQ(Count(one, "'/x.ens.hor1'"), 8u);
    EXPECT_EQ(HorPicturePath("t", "x.ens.hor1"), "t.eps");  // no directory: the working one

    const std::string big = HorPlotScript("t", "/d/x.ens.hor3", 12, -30, "/o");
    EXPECT_NE(big.find("size 3.600000,6.000000 "), std::string::npos);
    EXPECT_NE(big.find("set xrange [0:13];set yrange [-31:0];"), std::string::npos);
    EXPECT_EQ(HorPicturePath("t", "/d/x.ens.hor3"), "/d/t.eps");
}

TEST(HorPlotCommand, HeightOfNoRowsIsPlainZero) {
    // lastRow 0 (an analyser that has built nothing) negates to 0, not -0.
    EXPECT_NE(HorPlotScript("t", "/x.hor1", 0, 0, "/o").find("size 0.000000,0.000000 "), std::string::npos);
    EXPECT_NE(HorGraphScript("t", "/g.txt", 0, 0, "/o").find("size 0.000000,0.000000 "), std::string::npos);
}

TEST(HorPlotCommand, GraphVariantTextByteForByte) {
    EXPECT_EQ(HorGraphScript("chr7", "/w/g.txt", 4, -2, "/tmp/t.tmp"),
              "set term postscript eps size 1.000000,3.000000 enhanced monochrome 'Helvetica, 16';"
              "set output '/tmp/t.tmp';"
              "set style line 1  lw 1 pt 7 ps 1.5 lc rgb 'black';"
              "set style line 2  pt 7 ps 1.5 lc rgb 'black';"
              "set title  'HOR - chr7';set xrange [0:5];set yrange [-3:0];unset key;set grid back ls 12;"
              "plot '/w/g.txt' u 2:5 w linespoint ls 1,'/w/g.txt' u 3:5 w p ls 2,'/w/g.txt' u 4:5 w p ls 2, "
              "'/w/g.txt' u 2:5:1 w labels offset 0,1;");
    EXPECT_EQ(HorGraphPicturePath("chr7"), "/tmp/chr7.eps");
}

TEST(HorPlotRunner, ShellAndGnuplotCharactersAreRefused) {
    for (const std::string name : {"a'b", "a\"b", "a$b", "a`b", "a\\b", "a\nb", "<touch X"}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(drawHOR(name, "x.hor1", 1, -1).drawn);
        EXPECT_FALSE(drawHOR("t", name + ".hor1", 1, -1).drawn);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("horgrid: no picture for 'x.hor1': its name or title holds a quote", 0), 0u)
            << err;
        EXPECT_EQ(Count(err, "horgrid: no picture for '"), 2u) << err;
    }
}

TEST(HorPlotRunner, RendersAnEncapsulatedPostScriptPicture) {
    if (!HaveGnuplot()) GTEST_SKIP() << kGnuplotPath << " is not installed";
    TempDir dir;
    const std::string data = dir.File("a.ens.hor1");
    horAnaliser2().WriteHORstruct(data, {{1, 1, -1}, {2, 2, -1}, {3, 1, -2}, {4, 2, -2}});
    EXPECT_TRUE(drawHOR("a-1bp-4bp", data, 2, -2).drawn);
    const std::string eps = ReadFile(dir.File("a-1bp-4bp.eps"));
    EXPECT_EQ(eps.rfind("%!PS-Adobe", 0), 0u);
    EXPECT_NE(eps.find("EPSF"), std::string::npos);
    EXPECT_NE(eps.find("%%BoundingBox:"), std::string::npos);
}

TEST(HorPlotRunner, GraphVariantRendersIntoTmp) {
    if (!HaveGnuplot()) GTEST_SKIP() << kGnuplotPath << " is not installed";
    TempDir dir;
    const std::string title = "horgrid-graph-" + std::filesystem::path(dir.path()).filename().string();
    const std::string data = dir.Write("g.txt", "1 1 1.1 0.9 -1\n2 2 2.1 1.9 -1\n3 1 1.1 0.9 -2\n");
    horAnaliser2 analyser;
    analyser.columnCount = 2;
    analyser.lastRow = -2;
    analyser.DrawHORGraph(title, data);
    const std::string picture = HorGraphPicturePath(title);
    EXPECT_EQ(analyser.failedPlots, 0);
    EXPECT_EQ(ReadFile(picture).rfind("%!PS-Adobe", 0), 0u);
    std::filesystem::remove(picture);
}

TEST(HorPlotRunner, PictureThatCannotBeWrittenIsReported) {
    TempDir dir;
    const std::string data = dir.File("a.ens.hor1");
    horAnaliser2().WriteHORstruct(data, {{1, 1, -1}});
    std::filesystem::create_directory(dir.File("a-1bp-1bp.eps"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(drawHOR("a-1bp-1bp", data, 1, -1).drawn);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("horgrid: no picture for '" + data + "': "), std::string::npos) << err;

    horAnaliser2 analyser;
    const std::string title = "horgrid-nodata-" + std::filesystem::path(dir.path()).filename().string();
    testing::internal::CaptureStderr();
    analyser.DrawHORGraph(title, dir.File("missing.txt"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(analyser.failedPlots, 1);
    std::filesystem::remove(HorGraphPicturePath(title));
}

}  // namespace
}  // namespace horgrid::test
