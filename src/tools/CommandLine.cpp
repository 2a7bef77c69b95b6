#include "tools/CommandLine.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <new>
#include <optional>
#include <string_view>

#include "common/FileError.h"
#include "common/NumberFormat.h"
#include "common/Parallel.h"
#include "common/StandardOutput.h"
#include "decompose/ScoringText.h"
#include "tools/Messages.h"

namespace horgrid {

namespace {

constexpr std::size_t kTextWidth = 100;
constexpr std::size_t kHelpColumn = 26;

}  // namespace

std::string Wrap(const std::string& text, std::size_t indent, std::size_t column) {
    std::string out;
    std::size_t at = column;
    bool lineStart = true;
    for (std::size_t begin = 0; begin < text.size();) {
        if (text[begin] == ' ' || text[begin] == '\n') {
            if (text[begin] == '\n') {
                out +=
                    '\n' +
                    std::string(text[begin + 1 < text.size() ? begin + 1 : begin] == '\n' ? 0 : indent, ' ');
                at = indent;
                lineStart = true;
            }
            ++begin;
            continue;
        }
        std::size_t end = text.find_first_of(" \n", begin);
        if (end == std::string::npos) end = text.size();
        if (!lineStart && at + 1 + (end - begin) > kTextWidth) {
            out += '\n' + std::string(indent, ' ');
            at = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++at;
        }
        out.append(text, begin, end - begin);
        at += end - begin;
        lineStart = false;
        begin = end;
    }
    return out;
}

namespace {

template <class Number>
std::optional<Number> ReadNumber(const std::string& text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

[[noreturn]] void Bad(const std::string& what, const std::string& option, const std::string& value,
                      const std::string& expected) {
    throw ValueError{"bad " + what + " '" + Printable(value) + "' for " + option + " (" + expected + ")"};
}

template <class Number>
ValueParser PercentParser(Number& target, bool hundred) {
    return {[&target, hundred](const std::string& option, const std::string& value) {
                const std::optional<Number> number = ReadNumber<Number>(value);
                if (!number || !(*number >= 0 && (hundred ? *number <= 100 : *number < 100))) {
                    Bad("percentage", option, value,
                        hundred ? "a number from 0 to 100" : "a number from 0 to below 100");
                }
                target = *number;
            },
            [&target] { return StreamDefault(target); }};
}

}  // namespace

ValueParser Count(std::size_t& target, std::size_t smallest, std::size_t largest) {
    return {[&target, smallest, largest](const std::string& option, const std::string& value) {
                const std::optional<std::size_t> number = ReadNumber<std::size_t>(value);
                if (!number || *number < smallest || *number > largest) {
                    Bad("count", option, value,
                        "a whole number from " + std::to_string(smallest) +
                            (largest == SIZE_MAX ? std::string() : " to " + std::to_string(largest)));
                }
                target = *number;
            },
            [&target] { return std::to_string(target); }};
}

ValueParser Percent(double& target, bool hundred) {
    return PercentParser(target, hundred);
}

ValueParser Percent(float& target, bool hundred) {
    return PercentParser(target, hundred);
}

ValueParser Scores(Scoring& target) {
    return {[&target](const std::string& option, const std::string& value) {
                const std::optional<Scoring> scoring = ParseScoring(value);
                if (!scoring) Bad("scoring", option, value, "INS,DEL,MISMATCH,MATCH, whole numbers");
                target = *scoring;
            },
            [&target] {
                return std::to_string(target.insertion) + "," + std::to_string(target.deletion) + "," +
                       std::to_string(target.mismatch) + "," + std::to_string(target.match);
            }};
}

ValueParser Text(std::string& target, const char* what) {
    return {[&target, what](const std::string& option, const std::string& value) {
                if (what != nullptr && value.empty()) Bad(what, option, value, "not empty");
                target = value;
            },
            nullptr};
}

CommandLine::CommandLine(std::string command) : command_(std::move(command)) {}

void CommandLine::Summary(std::string text) {
    summary_ = std::move(text);
}

void CommandLine::Description(std::string text) {
    description_ = std::move(text);
}

void CommandLine::Notes(std::string text) {
    notes_ = std::move(text);
}

void CommandLine::Operand(std::string name, std::string& target) {
    operands_.push_back({std::move(name), &target, true});
}

void CommandLine::OptionalOperand(std::string name, std::string& target) {
    operands_.push_back({std::move(name), &target, false});
}

void CommandLine::Operands(std::string name, std::vector<std::string>& targets, std::size_t least) {
    listName_ = std::move(name);
    list_ = &targets;
    listLeast_ = least;
}

void CommandLine::Flag(std::string names, std::string help, bool& target) {
    Option(std::move(names), "", std::move(help),
           {[&target](const std::string&, const std::string&) { target = true; }, nullptr});
    options_.back().flag = true;
}

void CommandLine::Option(std::string names, std::string value, std::string help, ValueParser parse) {
    Declared option;
    for (std::size_t begin = 0; begin <= names.size();) {
        std::size_t end = names.find(',', begin);
        if (end == std::string::npos) end = names.size();
        const std::string name = names.substr(begin, end - begin);
        (name.rfind("--", 0) == 0 ? option.longName : option.shortName) = name;
        begin = end + 1;
    }
    option.value = std::move(value);
    option.help = std::move(help);
    option.parse = std::move(parse);
    options_.push_back(std::move(option));
}

void CommandLine::Threads(unsigned& threads) {
    const std::size_t index = options_.size();
    Option("-t,--threads", "N",
           "threads (default: HORGRID_THREADS, else 1); the output is the same for every N",
           {[&threads](const std::string& option, const std::string& value) {
                const std::optional<unsigned> count = ParseThreadCount(value);
                if (!count) Bad("thread count", option, value, "a whole number from 1 to 1024");
                threads = *count;
            },
            nullptr});
    finish_.push_back([&threads, index](const std::vector<bool>& given) {
        if (given[index]) return;
        const char* text = std::getenv("HORGRID_THREADS");
        if (text == nullptr) {
            threads = 1;
            return;
        }
        const std::optional<unsigned> count = ParseThreadCount(text);
        if (!count) {
            throw ValueError{"HORGRID_THREADS must be a whole number from 1 to 1024, not '" +
                             Printable(text) + "'"};
        }
        threads = *count;
    });
}

void CommandLine::Prefix(std::string& prefix, const std::string& operand, std::string help) {
    const std::size_t index = options_.size();
    Option("-o,--prefix", "PREFIX", std::move(help) + " (default: the " + operand + " path)",
           {[&prefix](const std::string& option, const std::string& value) {
                if (value.empty())
                    throw ValueError{"empty prefix for " + option + " (the results need a name)"};
                if (value.back() == '/')
                    throw ValueError{"prefix '" + Printable(value) + "' for " + option +
                                     " ends in '/' (the results need a name in that folder, as in '" +
                                     Printable(value) + "run')"};
                prefix = value;
            },
            nullptr});
    finish_.push_back([this, &prefix, index, operand](const std::vector<bool>& given) {
        if (given[index]) return;
        for (const DeclaredOperand& declared : operands_)
            if (declared.name == operand) prefix = *declared.target;
    });
}

std::string CommandLine::Label(const Declared& option) {
    if (option.shortName.empty()) return option.longName;
    return option.longName.empty() ? option.shortName : option.shortName + "/" + option.longName;
}

bool CommandLine::Parse(int argc, char** argv) {
    // Help wins over everything else on the command line.
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "-h" || argument == "--help") return false;
    }
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    std::vector<std::string> values(options_.size());
    std::vector<CLI::Option*> added;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        const Declared& option = options_[i];
        std::string names = option.shortName;
        if (!option.longName.empty()) names += (names.empty() ? "" : ",") + option.longName;
        added.push_back(
            option.flag
                ? app.add_flag(names)
                : app.add_option(names, values[i])->multi_option_policy(CLI::MultiOptionPolicy::TakeLast));
    }
    std::vector<std::string> operands;
    app.add_option("operands", operands);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ArgumentMismatch& error) {
        // "--threads: 1 required TEXT missing": the option lacks its value.
        const std::string what = error.what();
        const std::string name = what.substr(0, what.find(':'));
        for (const Declared& option : options_)
            if (name == option.longName || name == option.shortName)
                throw UsageError{"option " + Label(option) + " needs a value " + option.value};
        throw UsageError{what};
    } catch (const CLI::ParseError& error) {
        throw UsageError{error.what()};
    }
    for (const std::string& extra : app.remaining()) {
        if (extra == "--") continue;
        std::string message = "unknown option '" + Printable(extra) + "'";
        if (extra.rfind("--", 0) != 0) message += " (a file whose name begins with - goes after --)";
        throw UsageError{message};
    }
    std::size_t required = 0;
    for (const DeclaredOperand& operand : operands_) required += operand.required ? 1 : 0;
    if (operands.size() < required) throw UsageError{"missing " + operands_[operands.size()].name};
    const std::size_t single = std::min(operands.size(), operands_.size());
    for (std::size_t i = 0; i < single; ++i) *operands_[i].target = operands[i];
    if (list_ != nullptr) {
        if (operands.size() - single < listLeast_) throw UsageError{"missing " + listName_};
        list_->assign(operands.begin() + static_cast<std::ptrdiff_t>(single), operands.end());
    } else if (operands.size() > operands_.size()) {
        throw UsageError{"unexpected argument '" + Printable(operands[operands_.size()]) + "'"};
    }

    std::vector<bool> given(options_.size());
    for (std::size_t i = 0; i < options_.size(); ++i) {
        given[i] = added[i]->count() > 0;
        if (!given[i]) continue;
        const Declared& option = options_[i];
        option.parse.read(Label(option), values[i]);
    }
    for (const auto& finish : finish_) finish(given);
    return true;
}

std::string CommandLine::Synopsis() const {
    std::string text = command_;
    if (!options_.empty()) text += " [options]";
    for (const DeclaredOperand& operand : operands_)
        text += operand.required ? " " + operand.name : " [" + operand.name + "]";
    if (list_ != nullptr) text += listLeast_ == 0 ? " [" + listName_ + "...]" : " " + listName_ + "...";
    return text;
}

void CommandLine::Usage(std::ostream& out) const {
    out << "Usage: horgrid-tools " << Synopsis() << "\n";
    if (!description_.empty()) out << "\n" << Wrap(description_, 0, 0) << "\n";
    out << "\n";
    std::vector<Declared> shown = options_;
    shown.push_back({"-h", "--help", "", "this text", {}});
    for (const Declared& option : shown) {
        std::string label = "  ";
        if (option.shortName.empty()) {
            label += "    ";
        } else {
            label += option.shortName + (option.longName.empty() ? "" : ", ");
        }
        label += option.longName;
        if (!option.value.empty()) label += " " + option.value;
        if (label.size() + 2 > kHelpColumn) {
            out << label << "\n" << std::string(kHelpColumn, ' ');
        } else {
            out << label << std::string(kHelpColumn - label.size(), ' ');
        }
        std::string help = option.help;
        if (option.parse.shown) help += " (default " + option.parse.shown() + ")";
        out << Wrap(help, kHelpColumn, kHelpColumn) << "\n";
    }
    if (!notes_.empty()) out << "\n" << Wrap(notes_, 0, 0) << "\n";
}

int RunCommandLine(CommandLine& line, int argc, char** argv, const std::function<void()>& run) {
    const auto report = [&](const std::string& message, int status) {
        PrintMessage(line.command(), message);
        return status;
    };
    int status = 0;
    try {
        if (!line.Parse(argc, argv)) {
            line.Usage(std::cout);
        } else {
            run();
        }
    } catch (const UsageError& error) {
        status = report(error.message, kUsageStatus);
        line.Usage(std::cerr);
    } catch (const ValueError& error) {
        status = report(error.message, kValueStatus);
    } catch (const PictureError& error) {
        status = report(error.message, kPictureStatus);
    } catch (const std::bad_alloc&) {
        status = report("out of memory", kValueStatus);
    } catch (const std::exception& error) {
        status = report(error.what(), kValueStatus);
    }
    return FinishStandardOutput(ToolName(line.command()), status);
}

}  // namespace horgrid
