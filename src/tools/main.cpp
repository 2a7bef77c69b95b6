// horgrid-tools COMMAND ...: runs one subcommand. Every subcommand reads its
// command line through tools/CommandLine: -h/--help, options anywhere among
// the files, `--` before files whose names begin with -, and one rule for the
// exit status:
//   0  success and --help
//   1  usage error: no or an unknown command (usage on standard output when
//      there are no arguments, else on standard error), an unknown option, an
//      option without its value, a wrong number of files
//   2  a bad option value, an input that cannot be read or taken, a result or
//      standard output that cannot be written (nothing is left behind then)
//   3  dotplot, report: the results are written but a picture could not be drawn
//   128 + n  a signal n stopped the run (SIGHUP 129, Ctrl-C 130, SIGQUIT 131,
//      SIGTERM 143); the unfinished results' temporary files are removed
// Every message on standard error begins "horgrid-tools COMMAND: ".

#include <array>
#include <iostream>
#include <string_view>

#include "common/FileError.h"
#include "common/Interrupt.h"
#include "common/StandardOutput.h"
#include "tools/AnnotateCommand.h"
#include "tools/CommandLine.h"
#include "tools/DecomposeCommand.h"
#include "tools/DotPlotCommand.h"
#include "tools/InferCommand.h"
#include "tools/LibraryCommands.h"
#include "tools/Messages.h"
#include "tools/ReportCommand.h"

namespace {

using namespace horgrid;

// One subcommand: its name, its run and its line in the usage text. A new
// subcommand is an options struct (see tools/CommandLine.h) and one entry.
struct Subcommand {
    const char* name;
    int (*run)(const char* name, int argc, char** argv);
    CommandSummary (*describe)(const char* name);
};

template <class Options>
constexpr Subcommand Entry(const char* name) {
    return {name, RunCommand<Options>, DescribeCommand<Options>};
}

constexpr std::array kSubcommands = {
    Entry<AnnotateOptions>("annotate"),     Entry<ConsensusOptions>("consensus"),
    Entry<DecomposeOptions>("decompose"),   Entry<DistMatrixOptions>("distmatrix"),
    Entry<DotPlotOptions>("dotplot"),       Entry<GroupOptions>("group"),
    Entry<HorTableOptions>("hortable"),     Entry<InferOptions>("infer"),
    Entry<MergeOptions>("merge"),           Entry<PurifyOptions>("purify"),
    Entry<ReportOptions>("report"),
};

void ToolsUsage(std::ostream& out) {
    constexpr std::size_t kColumn = 29;
    out << "Usage: horgrid-tools COMMAND [options] FILE...\n\n";
    for (const Subcommand& subcommand : kSubcommands) {
        const CommandSummary summary = subcommand.describe(subcommand.name);
        out << "  " << summary.synopsis;
        if (summary.synopsis.size() + 3 >= kColumn) {
            out << "\n" << std::string(kColumn, ' ');
        } else {
            out << std::string(kColumn - 2 - summary.synopsis.size(), ' ');
        }
        out << Wrap(summary.summary, kColumn, kColumn) << "\n";
    }
    out << "  -h, --help                 this text\n"
           "\n"
           "horgrid-tools COMMAND --help shows the options of COMMAND. Options may stand anywhere among the\n"
           "files; -- ends them (horgrid-tools dotplot -- -x.ens). Threads: -t N, else HORGRID_THREADS, else "
           "1.\n"
           "Exit status: 0 done, 1 usage error, 2 bad value or file, 3 picture not drawn, 128+n signal n.\n";
}

}  // namespace

int main(int argc, char** argv) {
    InstallInterruptCleanup();
    std::ios::sync_with_stdio(false);
    if (argc <= 1) {
        ToolsUsage(std::cout);
        return FinishStandardOutput(ToolName(""), kUsageStatus);
    }
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h") {
        ToolsUsage(std::cout);
        return FinishStandardOutput(ToolName(""), 0);
    }
    for (const Subcommand& subcommand : kSubcommands)
        if (subcommand.name == command) return subcommand.run(subcommand.name, argc - 1, argv + 1);
    PrintMessage("", "unknown command '" + Printable(command) + "'");
    ToolsUsage(std::cerr);
    return kUsageStatus;
}
