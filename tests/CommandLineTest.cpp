// The rules every horgrid-tools subcommand shares through tools/CommandLine:
// -h/--help anywhere, one message prefix, usage errors 1, bad values 2,
// options after the files, `--` before files whose names begin with -, and
// the thread default from HORGRID_THREADS.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "MixedEnsemble.h"
#include "TestSupport.h"
#include "tools/CommandLine.h"

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
    // Whether one more operand may follow the files.
    bool optionalOperand = false;
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
    {"dotplot", {"e.ens"}, {"--size", "0"}, "e.ens_dotplot.tsv", true},
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
int Done(const Command& command) {
    return command.name == "dotplot" ? 3 : 0;
}

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
            {Join(command.files, {"extra", "more"}),
             command.optionalOperand ? "unexpected argument 'more'" : "unexpected argument 'extra'"},
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

namespace horgrid::test {
namespace {

// An options struct of every kind of declaration, parsed in this process.
struct Sample {
    std::string first;
    std::string optional;
    std::vector<std::string> rest;
    std::size_t count = 3;
    float percent = 10;
    Scoring scoring;
    bool flag = false;
    std::string prefix;

    void Declare(CommandLine& line) {
        line.Summary("sample");
        line.Operand("FIRST", first);
        line.OptionalOperand("SECOND", optional);
        line.Operands("REST", rest, 0);
        line.Option("-c,--count", "N", "a count", Count(count, 2, 9));
        line.Option("--percent", "PCT", "a percentage", Percent(percent, false));
        line.Option("-s", "SCORES", "scores", Scores(scoring));
        line.Flag("-f,--flag", "a flag", flag);
        line.Prefix(prefix, "FIRST", "results");
    }
};

// Parses the arguments after the command's name; true unless help was asked for.
bool Parse(Sample& sample, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "sample");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    CommandLine line("sample");
    sample.Declare(line);
    return line.Parse(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, DeclarationsReadEveryForm) {
    Sample sample;
    ASSERT_TRUE(
        Parse(sample, {"a", "-c5", "--percent=12.5", "b", "-s", "-2,-3,-4,5", "c", "-f", "--", "-d"}));
    EXPECT_EQ(sample.first, "a");
    EXPECT_EQ(sample.optional, "b");
    EXPECT_EQ(sample.rest, (std::vector<std::string>{"c", "-d"}));
    EXPECT_EQ(sample.count, 5u);
    EXPECT_EQ(sample.percent, 12.5f);
    EXPECT_EQ(sample.scoring.insertion, -2);
    EXPECT_EQ(sample.scoring.match, 5);
    EXPECT_TRUE(sample.flag);
    EXPECT_EQ(sample.prefix, "a");

    Sample last;
    ASSERT_TRUE(Parse(last, {"--count", "4", "x", "-c", "6", "-o", "p"}));
    EXPECT_EQ(last.count, 6u);
    EXPECT_FALSE(last.flag);
    EXPECT_EQ(last.prefix, "p");
    EXPECT_EQ(last.percent, 10.0f);

    // A name like a negative number is a file without -- too.
    Sample number;
    ASSERT_TRUE(Parse(number, {"-2.fa"}));
    EXPECT_EQ(number.first, "-2.fa");

    Sample help;
    EXPECT_FALSE(Parse(help, {"x", "--count", "0", "-h"}));
}

TEST(CommandLine, BadValuesAndUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"x", "-c", "1"}, "bad count '1' for -c/--count (a whole number from 2 to 9)"},
        {{"x", "-c", "10"}, "bad count '10' for -c/--count (a whole number from 2 to 9)"},
        {{"x", "-c", "3x"}, "bad count '3x'"},
        {{"x", "--percent", "100"}, "bad percentage '100' for --percent (a number from 0 to below 100)"},
        {{"x", "--percent", "-1"}, "bad percentage '-1'"},
        {{"x", "-s", "1,2,3"}, "bad scoring '1,2,3' for -s"},
        {{"x", "-o", ""}, "empty prefix for -o/--prefix"},
        {{"x", "-o", "od/"}, "prefix 'od/' for -o/--prefix ends in '/'"},
    };
    for (const auto& [arguments, message] : bad) {
        Sample sample;
        try {
            Parse(sample, arguments);
            ADD_FAILURE() << message;
        } catch (const ValueError& error) {
            EXPECT_EQ(error.message.rfind(message, 0), 0u) << error.message;
        }
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> misuse = {
        {{}, "missing FIRST"},
        {{"x", "-c"}, "option -c/--count needs a value N"},
        {{"x", "-q.fa"}, "unknown option '-q.fa'"},
        {{"x", "--flags"}, "unknown option '--flags'"},
    };
    for (const auto& [arguments, message] : misuse) {
        Sample sample;
        try {
            Parse(sample, arguments);
            ADD_FAILURE() << message;
        } catch (const UsageError& error) {
            EXPECT_EQ(error.message.rfind(message, 0), 0u) << error.message;
        }
    }
}

TEST(CommandLine, UsageComesFromTheDeclarations) {
    Sample sample;
    CommandLine line("sample");
    sample.Declare(line);
    std::ostringstream usage;
    line.Usage(usage);
    EXPECT_EQ(usage.str(),
              "Usage: horgrid-tools sample [options] FIRST [SECOND] [REST...]\n"
              "\n"
              "  -c, --count N           a count (default 3)\n"
              "      --percent PCT       a percentage (default 10)\n"
              "  -s SCORES               scores (default -1,-1,-1,1)\n"
              "  -f, --flag              a flag\n"
              "  -o, --prefix PREFIX     results (default: the FIRST path)\n"
              "  -h, --help              this text\n");
}

}  // namespace
}  // namespace horgrid::test
