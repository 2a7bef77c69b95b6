#pragma once

// The one command line of every horgrid-tools subcommand. A subcommand is an
// options struct that declares its options and operands on a CommandLine
// (bound to its own fields) and runs from them:
//
//     struct ExampleOptions {
//         std::string input;
//         unsigned threads = 1;
//         void Declare(CommandLine& line);  // line.Operand("INPUT", input); line.Threads(threads); ...
//         void Execute() const;             // the run; throws to fail
//     };
//
// plus one entry in the table of tools/main.cpp. The layer parses (short and
// long forms, options anywhere among the operands, `--` ends the options),
// converts every value with the typed parsers below, writes the usage text
// from the declarations and turns every failure into one message
// "horgrid-tools COMMAND: ..." on standard error and one exit status.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// Exit statuses of horgrid-tools (a signal n that stops a run gives 128 + n).
constexpr int kUsageStatus = 1;    // unknown option, missing value, wrong number of operands
constexpr int kValueStatus = 2;    // bad option value, unreadable input, unwritable result
constexpr int kPictureStatus = 3;  // the results are written but a picture could not be drawn

// A command line that cannot be understood: exit status 1, the message and
// the command's usage on standard error.
struct UsageError {
    std::string message;
};

// A bad option value or an input a command cannot take: exit status 2.
struct ValueError {
    std::string message;
};

// The results are written, the picture is not: exit status 3.
struct PictureError {
    std::string message;
};

// Reads an option's value into its target (read) or throws ValueError naming
// the value and what was expected; `option` is the option as the user knows
// it. `shown` gives the target's value as the usage text shows it as the
// default (empty: no default shown), so the usage never disagrees with the
// defaults of the options struct.
struct ValueParser {
    std::function<void(const std::string& option, const std::string& value)> read;
    std::function<std::string()> shown;
};

// A whole number from `smallest` to `largest`.
ValueParser Count(std::size_t& target, std::size_t smallest = 1, std::size_t largest = SIZE_MAX);
// A decimal number from 0 to 100 (below 100 unless `hundred`).
ValueParser Percent(double& target, bool hundred = true);
ValueParser Percent(float& target, bool hundred = true);
// Alignment scores INS,DEL,MISMATCH,MATCH.
ValueParser Scores(Scoring& target);
// Any text; an empty one is refused when `what` (the value's name) is given.
ValueParser Text(std::string& target, const char* what = nullptr);

class CommandLine {
public:
    explicit CommandLine(std::string command);

    // One line (wrapped as needed) in the list of horgrid-tools --help: what
    // the command does and which files it writes.
    void Summary(std::string text);
    // Paragraphs of the command's own usage text, before and after the options.
    void Description(std::string text);
    void Notes(std::string text);

    // Operands in their order; optional ones follow the required ones, and
    // a list (at least `least` files, shown as NAME...) comes last.
    void Operand(std::string name, std::string& target);
    void OptionalOperand(std::string name, std::string& target);
    void Operands(std::string name, std::vector<std::string>& targets, std::size_t least = 1);

    // An option with a value. `names` is "-x,--long", "-x" or "--long";
    // `value` names the value in the usage text. Given twice, the last wins.
    void Option(std::string names, std::string value, std::string help, ValueParser parse);
    // An option without a value: `target` becomes true when it is given.
    void Flag(std::string names, std::string help, bool& target);
    // -t/--threads N. Without it, the threads come from HORGRID_THREADS, else 1
    // (the rule of horgrid too).
    void Threads(unsigned& threads);
    // -o/--prefix PREFIX; an empty prefix is refused; the default is the
    // operand declared under `operand`.
    void Prefix(std::string& prefix, const std::string& operand, std::string help);

    // Reads argv (argv[0] is the command's name). Returns false when help was
    // asked for; throws UsageError or ValueError.
    bool Parse(int argc, char** argv);

    const std::string& command() const { return command_; }
    const std::string& summary() const { return summary_; }
    // "decompose [options] SEQUENCES MONOMER_SET"
    std::string Synopsis() const;
    void Usage(std::ostream& out) const;

private:
    struct Declared {
        std::string shortName;  // "-t" or ""
        std::string longName;   // "--threads" or ""
        std::string value;      // empty for a flag
        std::string help;
        ValueParser parse;
        bool* flag = nullptr;
    };
    struct DeclaredOperand {
        std::string name;
        std::string* target;
        bool required;
    };

    // "-t/--threads", "--size", "-r"
    static std::string Label(const Declared& option);

    std::string command_;
    std::string summary_;
    std::string description_;
    std::string notes_;
    std::vector<Declared> options_;
    std::vector<DeclaredOperand> operands_;
    std::string listName_;  // the trailing list of operands, if any
    std::vector<std::string>* list_ = nullptr;
    std::size_t listLeast_ = 0;
    // Run after the values are read, in declaration order (defaults that
    // depend on other values).
    std::vector<std::function<void(const std::vector<bool>& given)>> finish_;
};

// Parses argv for `line` and runs `run`; returns the exit status. Every
// failure is one message with the command's prefix on standard error.
int RunCommandLine(CommandLine& line, int argc, char** argv, const std::function<void()>& run);

// The entry point of an options struct (see the top of this file).
template <class Options>
int RunCommand(const char* command, int argc, char** argv) {
    Options options;
    CommandLine line(command);
    options.Declare(line);
    return RunCommandLine(line, argc, argv, [&] { options.Execute(); });
}

// `text` wrapped at 100 columns for a usage text, its first line starting at
// column `column`, every other line indented by `indent` spaces; a line feed
// in the text starts a new line.
std::string Wrap(const std::string& text, std::size_t indent, std::size_t column);

// The synopsis and summary of an options struct, for the usage of horgrid-tools.
struct CommandSummary {
    std::string synopsis;
    std::string summary;
};

template <class Options>
CommandSummary DescribeCommand(const char* command) {
    Options options;
    CommandLine line(command);
    options.Declare(line);
    return {line.Synopsis(), line.summary()};
}

}  // namespace horgrid
