#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MixedEnsemble.h"
#include "TestSupport.h"

namespace horgrid::test {
namespace {

// Standard output and result files of one run with `threads` threads
// (HORGRID_THREADS for horgrid, -t for dotplot).
std::vector<std::string> Outputs(const std::string& command, const std::string& threads,
                                 const std::vector<std::string>& results, const TempDir& dir) {
    std::vector<std::string> arguments = {"HORGRID_THREADS=" + threads};
    if (command == "dotplot") {
        arguments.insert(arguments.end(),
                         {HORGRID_TOOLS_BIN, "dotplot", "-t", threads, "--size", "7", "e.ens"});
    } else {
        arguments.insert(arguments.end(), {HORGRID_BIN, command, "e.ens"});
    }
    const RunResult run = RunProgram("/usr/bin/env", arguments, dir.path());
    EXPECT_EQ(run.status, 0) << command << " " << threads << ": " << run.err;
    std::vector<std::string> outputs = {MaskElapsed(run.out)};
    for (const std::string& result : results) outputs.push_back(ReadFile(dir.File(result)));
    return outputs;
}

TEST(ThreadCount, SameBytesForEveryThreadCount) {
    TempDir dir;
    dir.Write("e.ens", MixedEnsemble());
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"-m", {"e.ens_dot_matrix.txt"}},
        {"-h", {"e.ens.hor1", "e.ens.hor2"}},
        {"dotplot", {"e.ens_dotplot.tsv"}},
    };
    for (const auto& [command, results] : cases) {
        const std::vector<std::string> single = Outputs(command, "1", results, dir);
        for (const char* threads : {"2", "7"})
            EXPECT_EQ(Outputs(command, threads, results, dir), single) << command;
    }
}

TEST(ThreadCount, HorgridRefusesAThreadCountThatIsNoPositiveNumber) {
    TempDir dir;
    dir.Write("e.ens", MixedEnsemble());
    for (const char* value : {"0", "-2", "x", "", "2.5"}) {
        const RunResult run =
            RunProgram("/usr/bin/env", {std::string("HORGRID_THREADS=") + value, HORGRID_BIN, "-m", "e.ens"},
                       dir.path());
        EXPECT_EQ(run.status, 1) << value;
        EXPECT_NE(run.err.find("HORGRID_THREADS"), std::string::npos) << run.err;
        EXPECT_FALSE(FileExists(dir.File("e.ens_dot_matrix.txt")));
    }
}

}  // namespace
}  // namespace horgrid::test
