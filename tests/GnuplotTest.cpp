#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "TestSupport.h"
#include "common/Gnuplot.h"

namespace horgrid::test {
namespace {

const std::string kEps = "%!PS-Adobe-2.0 EPSF-2.0\nshowpage\n%%Trailer\n%%DocumentFonts: Helvetica\n";
const std::string kPng =
    std::string("\x89PNG\r\n\x1a\n", 8) + "IHDR" + std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12);

TEST(Gnuplot, CompletePictures) {
    struct Case {
        std::string content;
        PictureFormat format;
        bool complete;
    };
    const Case cases[] = {
        {kEps, PictureFormat::Eps, true},
        {"", PictureFormat::Eps, false},
        {kEps.substr(0, kEps.size() - 1), PictureFormat::Eps, false},  // cut in the trailer
        {kEps.substr(0, kEps.find("%%Trailer")), PictureFormat::Eps, false},
        {kEps + "showpage\n", PictureFormat::Eps, false},  // drawing after the trailer
        {"%%Trailer\n", PictureFormat::Eps, false},        // no header
        {kPng, PictureFormat::Png, true},
        {kPng.substr(0, kPng.size() - 1), PictureFormat::Png, false},
        {kEps, PictureFormat::Png, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsCompletePicture(c.content, c.format), c.complete) << c.content;
}

TEST(Gnuplot, NamesGnuplotCouldRunAreNotSafe) {
    for (const char* name : {"data dir/chr 7.ens.hor1", "a-b_c+d(e)!&;|*?.hor1", "/abs/x<y|z.hor1"}) {
        EXPECT_TRUE(IsPlotSafe(name)) << name;
    }
    for (const char* name : {"a'b", "a\"b", "a$b", "a`b", "a\\b", "a\nb", "<touch X q.ens.hor1",
                             "|touch X q.ens.hor1", "dir/<touch X", "dir/|x"}) {
        EXPECT_FALSE(IsPlotSafe(name)) << name;
    }
    EXPECT_EQ(PlotPath("/a/b"), "/a/b");
    EXPECT_EQ(PlotPath("<touch X").front(), '/');
}

TEST(Gnuplot, PictureReplacedOnlyWhenComplete) {
    struct Case {
        std::string body;
        std::string reason;  // "" for success
    };
    const std::string eps =
        "printf '" + std::string("%%!PS-Adobe-2.0 EPSF-2.0\\nshowpage\\n%%%%Trailer\\n") + "' ";
    const Case cases[] = {
        {eps + "> \"$out\"", ""},
        {": > \"$out\"", "gnuplot did not write a complete picture for '"},
        {"printf '%%!PS-Adobe-2.0 EPSF-2.0\\n' > \"$out\"", "gnuplot did not write a complete picture for '"},
        {eps + "> \"$out\"; exit 1", "gnuplot failed with exit status 1"},
        {"kill -9 $$", "gnuplot was ended by signal 9"},
        {"sleep 30 & echo $! > \"$out.pid\"; wait",
         "gnuplot did not finish within 0.3 s (HORGRID_PLOT_TIMEOUT)"},
    };
    for (const Case& c : cases) {
        TempDir programs;
        TempDir dir;
        const std::string picture = dir.Write("p.eps", "old");
        PlotSettings settings{FakeGnuplot(programs, c.body), 0.3};
        std::string output;
        const auto started = std::chrono::steady_clock::now();
        const std::string reason = RunGnuplot(
            [&](const std::string& path) {
                output = path;
                return "set output '" + path + "';plot";
            },
            picture, PictureFormat::Eps, settings);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << c.body;
        EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason) << c.body;
        // The temporary has a short name beside the picture and is gone.
        EXPECT_EQ(std::filesystem::path(output).parent_path(), dir.path());
        EXPECT_EQ(std::filesystem::path(output).filename().string().size(), 20u) << output;
        EXPECT_FALSE(FileExists(output)) << c.body;
        EXPECT_EQ(ReadFile(picture).substr(0, 3), c.reason.empty() ? "%!P" : "old") << c.body;
        if (FileExists(output + ".pid")) {  // the child it left running was killed too
            const pid_t orphan = std::stoi(ReadFile(output + ".pid"));
            for (int wait = 0; wait < 100 && Alive(orphan); ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_FALSE(Alive(orphan));
            std::filesystem::remove(output + ".pid");
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << c.body;
    }
}

// Pictures drawn in one run; when that run leaves one incomplete, each is
// drawn again alone. The fake gnuplot writes a PNG to the first output of its
// script, or to every one, and counts its runs.
TEST(Gnuplot, PicturesDrawnTogetherOrAlone) {
    struct Case {
        std::string outputs;  // the outputs the fake writes, from $out (one per line)
        int runs;
    };
    const std::string png = "printf '\\211PNG\\r\\n\\032\\n\\0\\0\\0\\0IEND\\256B`\\202' > \"$f\"";
    for (const Case& c : {Case{"$out", 1}, Case{"$(printf '%s\\n' \"$out\" | head -n 1)", 3}}) {
        TempDir programs;
        TempDir dir;
        const std::string runs = dir.File("runs");
        PlotSettings settings{
            FakeGnuplot(programs, "echo >> '" + runs + "'; printf '%s\\n' \"" + c.outputs +
                                      "\" | while read -r f; do " + png + "; done"),
            5};
        std::vector<PlotJob> jobs;
        for (const char* name : {"a.png", "b.png"}) {
            jobs.push_back(PlotJob{dir.Write(name, "old"), "data",
                                   [](std::FILE* file) { return std::fputs("1 1\n", file) >= 0; },
                                   [](const std::string& data, const std::string& output) {
                                       return "set output '" + output + "';\nplot '" + data + "';\n";
                                   },
                                   PictureFormat::Png});
        }
        EXPECT_EQ(DrawAllFromData(jobs, settings), std::vector<std::string>(2)) << c.outputs;
        for (const PlotJob& job : jobs) EXPECT_TRUE(IsCompletePicture(ReadFile(job.picture), PictureFormat::Png));
        EXPECT_EQ(ReadFile(runs), std::string(static_cast<std::size_t>(c.runs), '\n')) << c.outputs;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3) << c.outputs;
    }
}

TEST(Gnuplot, MissingProgramOrUnwritableDirectoryIsAReason) {
    TempDir dir;
    PlotSettings settings{dir.File("no-gnuplot"), 5};
    const auto script = [](const std::string& output) { return "set output '" + output + "'"; };
    EXPECT_NE(RunGnuplot(script, dir.File("p.eps"), PictureFormat::Eps, settings)
                  .find("cannot run " + settings.program),
              std::string::npos);
    EXPECT_EQ(
        RunGnuplot(script, dir.File("none/p.eps"), PictureFormat::Eps, settings).rfind("cannot create '", 0),
        0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

TEST(Gnuplot, TimeoutSetting) {
    struct Case {
        const char* value;  // nullptr: unset
        double seconds;     // 0: refused
    };
    for (const Case c : {Case{nullptr, 120}, Case{"2.5", 2.5}, Case{"1e3", 1000}, Case{"0", 0}, Case{"-1", 0},
                         Case{"abc", 0}, Case{"5s", 0}, Case{"", 0}, Case{"nan", 0}, Case{"inf", 0}}) {
        if (c.value == nullptr) {
            ::unsetenv("HORGRID_PLOT_TIMEOUT");
        } else {
            ::setenv("HORGRID_PLOT_TIMEOUT", c.value, 1);
        }
        PlotSettings settings;
        const std::string error = ReadPlotSettings(settings);
        if (c.seconds > 0) {
            EXPECT_EQ(error, "") << c.value;
            EXPECT_EQ(settings.timeoutSeconds, c.seconds);
        } else {
            EXPECT_EQ(error, std::string("HORGRID_PLOT_TIMEOUT must be a positive number of seconds, not '") +
                                 c.value + "'");
        }
    }
    ::unsetenv("HORGRID_PLOT_TIMEOUT");
}

}  // namespace
}  // namespace horgrid::test
