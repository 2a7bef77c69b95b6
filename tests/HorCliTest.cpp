#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "HorTestData.h"
#include "TestSupport.h"

namespace horgrid::test {
namespace {

const std::string kElapsed = "\n\nelapsed time: Ts\n";
const std::string kOpening = "Start reading alpha file...\nReading done!\nNumber of monomers: ";

bool HaveGnuplot() {
    return std::filesystem::exists("/usr/local/bin/gnuplot");
}

// A regular array: `types` distinct random monomers repeated `copies` times, every
// copy two substitutions away from its type (about 2.3 % between two copies).
std::vector<std::string> RegularArray(int types, int copies, unsigned seed) {
    BaseSource bases(seed);
    std::vector<std::string> hor;
    for (int t = 0; t < types; ++t) hor.push_back(bases.Random(171));
    std::vector<std::string> array;
    for (int c = 0; c < copies; ++c) {
        for (const std::string& type : hor) {
            array.push_back(BaseSource::Substitute(
                type, {static_cast<std::size_t>(7 * c % 171), static_cast<std::size_t>(100 + c)}));
        }
    }
    return array;
}

std::string Segment(int first, int last, int n, const std::string& size) {
    return "\n\n" + std::to_string(first) + " - " + std::to_string(last) + " (" + std::to_string(n) +
           ")\nStart HOR construction...\n" + size + "\n\n";
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(HorCli, RegularArrayGivesTypesByCopies) {
    if (!HaveGnuplot()) GTEST_SKIP() << "/usr/local/bin/gnuplot is not installed";
    TempDir dir;
    std::filesystem::create_directory(dir.File("data"));
    dir.Write("data/array.ens", EnsembleText(RegularArray(5, 8, 3)));
    const RunResult run = RunProgram(HORGRID_BIN, {"-h", "data/array.ens"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(MaskElapsed(run.out), kOpening + "40\n" + Segment(0, 39, 40, "5x-8") + kElapsed);

    const std::string hor = ReadFile(dir.File("data/array.ens.hor1"));
    EXPECT_EQ(LineCount(hor), 40u);
    EXPECT_NE(hor.find("\n6 1 1.120000 1.240000 1.360000 0.880000 0.760000 0.640000 -2\n"),
              std::string::npos);
    EXPECT_NE(hor.find("\n40 5 5.120000 5.240000 5.360000 4.880000 4.760000 4.640000 -8\n"),
              std::string::npos);
    // Positions 1 and 1 + 39 * 171.
    const std::string eps = ReadFile(dir.File("data/array-1bp-6670bp.eps"));
    EXPECT_EQ(eps.rfind("%!PS-Adobe", 0), 0u);
}

TEST(HorCli, LongRecordsCutSegmentsEachWithItsFileAndPicture) {
    if (!HaveGnuplot()) GTEST_SKIP() << "/usr/local/bin/gnuplot is not installed";
    TempDir dir;
    const std::string a = BaseSource(5).Random(171);
    dir.Write("s.ens",
              EnsembleText(std::vector<std::string>(10, a), {0, 0, 0, 0, 0, 1500, 1001, 0, 0, 1000}));
    const RunResult run = RunProgram(HORGRID_BIN, {"-h", "s.ens"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(MaskElapsed(run.out), kOpening + "10\n" + Segment(0, 4, 10, "1x-5") +
                                        Segment(5, 5, 10, "1x-1") + Segment(6, 9, 10, "1x-4") + kElapsed);
    EXPECT_EQ(ReadFile(dir.File("s.ens.hor2")),
              "1 1 1.120000 1.240000 1.360000 0.880000 0.760000 0.640000 -1\n");
    EXPECT_EQ(LineCount(ReadFile(dir.File("s.ens.hor3"))), 4u);
    for (const char* eps : {"s-1bp-685bp.eps", "s-856bp-856bp.eps", "s-1027bp-1540bp.eps"}) {
        EXPECT_TRUE(FileExists(dir.File(eps))) << eps;
    }
}

TEST(HorCli, EmptyEnsembleBuildsNothing) {
    TempDir dir;
    dir.Write("empty.ens", "");
    const RunResult run = RunProgram(HORGRID_BIN, {"-h", "empty.ens"}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(MaskElapsed(run.out), kOpening + "0\n" + kElapsed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(HorCli, MissingEnsembleOrUncreatableStructureFileFails) {
    TempDir dir;
    RunResult run = RunProgram(HORGRID_BIN, {"-h", "nope.ens"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "Start reading alpha file...\n");
    EXPECT_EQ(run.err, "horgrid: cannot read 'nope.ens': No such file or directory\n");

    dir.Write("x.ens", EnsembleText({"ACGT"}));
    std::filesystem::create_directory(dir.File("x.ens.hor1"));
    run = RunProgram(HORGRID_BIN, {"-h", "x.ens"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, kOpening + "1\n\n\n0 - 0 (1)\nStart HOR construction...\n");
    EXPECT_EQ(run.err, "horgrid: cannot create 'x.ens.hor1': Is a directory\n");
}

TEST(HorCli, UnsafeNameSkipsThePlotButWritesTheStructure) {
    // Shell syntax, and gnuplot's own: a data file "<cmd" runs cmd, an output "|cmd" pipes into it.
    for (const std::string name : {"a$(touch hacked).ens", "<touch hacked q.ens", "|touch hacked q.ens"}) {
        TempDir dir;
        dir.Write(name, EnsembleText({"ACGT", "ACGT"}));
        const RunResult run = RunProgram(HORGRID_BIN, {"-h", name}, dir.path());
        EXPECT_EQ(run.status, 3) << name;
        EXPECT_EQ(MaskElapsed(run.out), kOpening + "2\n" + Segment(0, 1, 2, "1x-2") + kElapsed);
        EXPECT_EQ(run.err,
                  "horgrid: no picture for '" + name +
                      ".hor1': its name or title holds a quote, dollar sign, backquote, backslash or "
                      "newline, or begins with < or |\n");
        EXPECT_TRUE(FileExists(dir.File(name + ".hor1")));
        EXPECT_FALSE(FileExists(dir.File("hacked"))) << name;
        EXPECT_FALSE(FileExists("hacked")) << name;
    }
}

// The files in `dir` apart from `ignored`, sorted.
std::vector<std::string> Listing(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(HorCli, PictureThatGnuplotSpoilsKeepsThePreviousOne) {
    struct Case {
        std::string gnuplot;  // the fake's script
        std::string reason;
    };
    const Case cases[] = {
        {"sleep 30", "gnuplot did not finish within 0.5 s (HORGRID_PLOT_TIMEOUT) and was stopped"},
        {": > \"$out\"", "gnuplot did not write a complete picture for 'p-1bp-5bp.eps'"},
        {"printf '%%!PS-Adobe-2.0 EPSF-2.0\\n' > \"$out\"; exit 1", "gnuplot failed with exit status 1"},
    };
    for (const Case& c : cases) {
        TempDir programs;
        TempDir dir;
        dir.Write("p.ens", EnsembleText({"ACGT", "ACGT"}));
        dir.Write("p-1bp-5bp.eps", "old");
        RunOptions options;
        options.environment = {"HORGRID_GNUPLOT=" + FakeGnuplot(programs, c.gnuplot),
                               "HORGRID_PLOT_TIMEOUT=0.5"};
        const auto started = std::chrono::steady_clock::now();
        const RunResult run = RunProgram(HORGRID_BIN, {"-h", "p.ens"}, dir.path(), options);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_EQ(run.status, 3) << c.gnuplot;
        EXPECT_EQ(run.err, "horgrid: no picture for 'p.ens.hor1': " + c.reason + "\n");
        EXPECT_EQ(ReadFile(dir.File("p-1bp-5bp.eps")), "old");
        EXPECT_EQ(Listing(dir), (std::vector<std::string>{"p-1bp-5bp.eps", "p.ens", "p.ens.hor1"}));
    }
}

TEST(HorCli, TimeoutThatIsNoPositiveNumberIsAUsageError) {
    for (const std::string value : {"0", "-3", "ten", ""}) {
        TempDir dir;
        dir.Write("p.ens", EnsembleText({"ACGT"}));
        RunOptions options;
        options.environment = {"HORGRID_PLOT_TIMEOUT=" + value};
        const RunResult run = RunProgram(HORGRID_BIN, {"-h", "p.ens"}, dir.path(), options);
        EXPECT_EQ(run.status, 1) << value;
        EXPECT_EQ(run.err, "horgrid: HORGRID_PLOT_TIMEOUT must be a positive number of seconds, not '" +
                               value + "'\n");
        EXPECT_EQ(Listing(dir), std::vector<std::string>{"p.ens"});
    }
}

TEST(HorCli, SignalDuringDrawingStopsTheRunAndLeavesNoTemporary) {
    // A closed terminal (SIGHUP) and SIGQUIT as well as Ctrl-C and SIGTERM.
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129},
                                         std::pair{SIGQUIT, 131}}) {
        TempDir programs;
        TempDir dir;
        // Two segments: the run must not go on to the second.
        dir.Write("p.ens", EnsembleText({"ACGT", std::string(1200, 'A')}, {0, 1200}));
        dir.Write("p-1bp-1bp.eps", "old");
        const std::string started = programs.File("started");
        RunOptions options;
        options.environment = {"HORGRID_GNUPLOT=" +
                               FakeGnuplot(programs, "printf '%%!PS' > \"$out\"; sleep 30 & echo $! > " +
                                                         started + ".tmp; mv " + started + ".tmp " + started +
                                                         "; wait")};
        options.signal = signal;
        options.when = [&] { return FileExists(started); };
        const RunResult run = RunProgram(HORGRID_BIN, {"-h", "p.ens"}, dir.path(), options);
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(ReadFile(dir.File("p-1bp-1bp.eps")), "old");
        EXPECT_EQ(Listing(dir), (std::vector<std::string>{"p-1bp-1bp.eps", "p.ens", "p.ens.hor1"}));
        const int sleeper = std::stoi(ReadFile(started));
        for (int wait = 0; wait < 100 && Alive(sleeper); ++wait) ::usleep(10000);
        EXPECT_FALSE(Alive(sleeper));
    }
}

TEST(HorCli, FailedPlotIsReportedAndTheRunGoesOn) {
    TempDir dir;
    dir.Write("f.ens", EnsembleText({"ACGT", "ACGT", std::string(1200, 'A')}, {0, 0, 1200}));
    // A directory where the first segment's picture should go.
    std::filesystem::create_directory(dir.File("f-1bp-5bp.eps"));
    const RunResult run = RunProgram(HORGRID_BIN, {"-h", "f.ens"}, dir.path());
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(MaskElapsed(run.out),
              kOpening + "3\n" + Segment(0, 1, 3, "1x-2") + Segment(2, 2, 3, "1x-1") + kElapsed);
    EXPECT_NE(run.err.find("horgrid: no picture for 'f.ens.hor1': "), std::string::npos) << run.err;
    EXPECT_TRUE(FileExists(dir.File("f.ens.hor2")));
    if (HaveGnuplot()) {
        EXPECT_EQ(run.err.find("horgrid: no picture for 'f.ens.hor2'"), std::string::npos) << run.err;
        EXPECT_TRUE(FileExists(dir.File("f-9bp-9bp.eps")));
    }
}

}  // namespace
}  // namespace horgrid::test
