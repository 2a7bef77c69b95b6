// The rules every horgrid-tools subcommand shares through tools/CommandLine:
// -h/--help anywhere, one message prefix, usage errors 1, bad values 2,
// options after the files, `--` before files whose names begin with -, and
// the thread default from HORGRID_THREADS.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MixedEnsemble.h"
#include "TestSupport.h"

namespace horgrid::test {
namespace {

struct Command {
    std::string name;
    // Good operands (files the fixture writes) and their count.
    std::vector<std::string> files;
    // An option with a bad value, empty for commands with no options.
    std::vector<std::string> badValue;
    // A result the run writes beside its first file.
    std::string result;
};

const std::vector<Command> kCommands = {
    {"consensus", {"mon.txt"}, {}, "mon.txt.cons"},
    {"distmatrix", {"mon.txt"}, {}, "mon.txt_.distMatrix"},
    {"group", {"dot.txt"}, {}, "dot.txt_horStructure.txt"},
    {"hortable", {"mon.txt"}, {}, "mon.txt.hors"},
    {"merge", {"e.ens", "e.ens"}, {}, "e.ensr"},
    {"purify", {"e.ens"}, {}, "e.ens_purified.txt"},
    {"decompose", {"s.fa", "m.fa"}, {"-t", "0"}, "s.fa_decomposition.tsv"},
    {"infer", {"s.fa", "m.fa"}, {"--closeness", "101"}, "s.fa_hors.tsv"},
    {"dotplot", {"e.ens"}, {"--size", "0"}, "e.ens_dotplot.tsv"},
};

// The inputs of every command, also under names beginning with "-x".
void WriteInputs(const TempDir& dir) {
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"mon.txt", "a1 + 10 4 ACGT\na2 + 20 4 ACGA\n\nb1 + 40 3 GGC\n"},
        {"dot.txt", "\n0.0 100.0 \n0 0.0 "},
        {"e.ens", MixedEnsemble()},
        {"s.fa", ">r\nACGTACGTAAGGGCCCTTTA\n"},
        {"m.fa", ">A\nACGTACGTAA\n>B\nGGGCCCTTTA\n"},
    };
    for (const auto& [name, content] : inputs) {
        dir.Write(name, content);
        dir.Write("-x" + name, content);
    }
}

RunResult Tools(const std::string& command, const std::vector<std::string>& arguments, const TempDir& dir,
                const std::string& threads = "") {
    std::vector<std::string> all = {"HORGRID_GNUPLOT=" + dir.File("no-gnuplot")};
    if (!threads.empty()) all.push_back("HORGRID_THREADS=" + threads);
    all.push_back(HORGRID_TOOLS_BIN);
    all.push_back(command);
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram("/usr/bin/env", all, dir.path());
}

std::vector<std::string> Join(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// dotplot draws no picture without gnuplot (status 3) but writes its table.
int Done(const Command& command) { return command.name == "dotplot" ? 3 : 0; }

TEST(CommandLine, EverySubcommandFollowsTheSameRules) {
    for (const Command& command : kCommands) {
        SCOPED_TRACE(command.name);
        const std::string prefix = "horgrid-tools " + command.name + ": ";
        TempDir dir;
        WriteInputs(dir);
        const auto untouched = [&] { EXPECT_FALSE(FileExists(dir.File(command.result))); };

        // Help in both forms, also after the files: the command's own usage.
        const RunResult help = Tools(command.name, {"--help"}, dir);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind("Usage: horgrid-tools " + command.name + " ", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("-h, --help"), std::string::npos);
        EXPECT_EQ(help.err, "");
        const RunResult shortHelp = Tools(command.name, Join(command.files, {"-h"}), dir);
        EXPECT_EQ(shortHelp.status, 0);
        EXPECT_EQ(shortHelp.out, help.out);
        untouched();

        // Usage errors: the message, then the usage, on standard error.
        const std::vector<std::pair<std::vector<std::string>, std::string>> misuse = {
            {{}, "missing "},
            {Join(command.files, {"extra", "more"}), "unexpected argument 'extra'"},
            {Join({"-x"}, command.files), "unknown option '-x'"},
            {Join({"--bogus=1"}, command.files), "unknown option '--bogus=1'"},
            {Join({"-x" + command.files[0]}, command.files), "unknown option '-x" + command.files[0] + "'"},
        };
        for (const auto& [arguments, message] : misuse) {
            const RunResult run = Tools(command.name, arguments, dir);
            EXPECT_EQ(run.status, 1) << message;
            EXPECT_EQ(run.err.rfind(prefix + message, 0), 0u) << run.err;
            EXPECT_NE(run.err.find("\n" + help.out), std::string::npos) << run.err;
            EXPECT_EQ(run.out, "");
            untouched();
        }

        // A bad value: its own message, no usage, nothing written.
        if (!command.badValue.empty()) {
            const RunResult bad = Tools(command.name, Join(command.files, command.badValue), dir);
            EXPECT_EQ(bad.status, 2);
            EXPECT_EQ(bad.err.rfind(prefix + "bad ", 0), 0u) << bad.err;
            EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
            const RunResult missing = Tools(command.name, {command.badValue[0]}, dir);
            EXPECT_EQ(missing.status, 1);
            EXPECT_EQ(missing.err.rfind(prefix + "option ", 0), 0u) << missing.err;
            untouched();
        }

        // An unreadable file.
        std::vector<std::string> absent = command.files;
        absent[0] = "absent";
        const RunResult unreadable = Tools(command.name, absent, dir);
        EXPECT_EQ(unreadable.status, 2);
        EXPECT_NE(unreadable.err.find(prefix), std::string::npos) << unreadable.err;
        EXPECT_NE(unreadable.err.find("'absent'"), std::string::npos) << unreadable.err;

        // Files whose names begin with '-' after `--`, options after the files.
        std::vector<std::string> dashed = {"--"};
        for (const std::string& file : command.files) dashed.push_back("-x" + file);
        const RunResult run = Tools(command.name, dashed, dir);
        EXPECT_EQ(run.status, Done(command)) << run.err;
        EXPECT_TRUE(FileExists(dir.File("-x" + command.result)));
        if (!command.badValue.empty()) {
            const RunResult after = Tools(command.name, Join(command.files, {"-t", "2"}), dir);
            EXPECT_EQ(after.status, Done(command)) << after.err;
            EXPECT_TRUE(FileExists(dir.File(command.result)));
        }
    }
}

TEST(CommandLine, ThreadsComeFromTheOptionElseHorgridThreads) {
    for (const Command& command : kCommands) {
        if (command.badValue.empty()) continue;
        SCOPED_TRACE(command.name);
        TempDir dir;
        WriteInputs(dir);
        const RunResult bad = Tools(command.name, command.files, dir, "0");
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.err, "horgrid-tools " + command.name +
                               ": HORGRID_THREADS must be a whole number from 1 to 1024, not '0'\n");
        EXPECT_FALSE(FileExists(dir.File(command.result)));
        // -t wins over the environment.
        const RunResult given = Tools(command.name, Join({"-t", "2"}, command.files), dir, "0");
        EXPECT_EQ(given.status, Done(command)) << given.err;
        if (command.name != "dotplot") {
            const RunResult empty = Tools(command.name, Join({"-o", ""}, command.files), dir);
            EXPECT_EQ(empty.status, 2);
            EXPECT_NE(empty.err.find("empty prefix"), std::string::npos) << empty.err;
        }
    }
}

TEST(CommandLine, ToolsUsageListsEverySubcommand) {
    TempDir dir;
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"-h"}, dir.path());
    EXPECT_EQ(run.status, 0);
    for (const Command& command : kCommands)
        EXPECT_NE(run.out.find("\n  " + command.name + " "), std::string::npos) << command.name;
}

}  // namespace
}  // namespace horgrid::test
