#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HorTestData.h"
#include "TestSupport.h"

namespace horgrid::test {
namespace {

// What goes to standard output is a result too: a full disk or a closed pipe
// is an error (status 2 and a message), in both executables.
TEST(WriteFailure, StandardOutputThatCannotBeWrittenFails) {
    struct Case {
        std::string program;
        std::string name;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {HORGRID_BIN, "horgrid", {"-d", "a.fa", "b.fa"}},
        {HORGRID_BIN, "horgrid", {"-m", "e.ens"}},
        {HORGRID_TOOLS_BIN, "horgrid-tools", {"--help"}},
    };
    for (const Case& c : cases) {
        for (const bool pipe : {false, true}) {
            TempDir dir;
            dir.Write("a.fa", ">a\nACGT\n");
            dir.Write("b.fa", ">b\nACGA\n");
            dir.Write("e.ens", EnsembleText({"ACGT", "ACGA"}));
            RunOptions options;
            options.standardOutput = pipe ? "" : "/dev/full";
            options.closedPipe = pipe;
            const RunResult run = RunProgram(c.program, c.arguments, dir.path(), options);
            EXPECT_EQ(run.status, 2) << c.arguments[0] << " " << pipe;
            EXPECT_EQ(run.err, c.name + ": cannot write standard output: " +
                                   (pipe ? "Broken pipe" : "No space left on device") + "\n");
        }
    }
}

TEST(WriteFailure, ResultThatIsItsOwnInputIsRefused) {
    TempDir dir;
    const std::string first = EnsembleText({"ACGT"});
    const std::string second = EnsembleText({"ACGA"});
    dir.Write("a.ens", first);
    dir.Write("a.ensr", second);  // merge writes the first input's name + "r"
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"merge", "a.ens", "a.ensr"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "horgrid-tools merge: cannot create 'a.ensr': it is the input 'a.ensr'\n");
    EXPECT_EQ(ReadFile(dir.File("a.ensr")), second);
}

}  // namespace
}  // namespace horgrid::test
