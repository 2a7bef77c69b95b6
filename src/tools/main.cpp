// horgrid-tools: runs one library operation on files. Standard output is
// exactly what the operation writes there; the result files land beside the
// input as for the library classes.
//
// Exit status: 0 on success and for --help; 1 without arguments (usage on
// standard output), for an unknown subcommand or a wrong argument count (usage
// on standard error); 2 when an input cannot be read, a result cannot be
// written or standard output cannot be written (full disk, closed pipe).
// Ctrl-C (SIGINT) and SIGTERM stop the run, remove the unfinished results'
// temporary files and exit with 130 and 143. Subcommands with options parse
// them GNU-style themselves (e.g. decompose --help) and also exit with 2 for
// a bad option value; dotplot exits with 3 when it could not draw its picture.

#include <array>
#include <iostream>
#include <string>
#include <string_view>

#include "common/FileError.h"
#include "common/Interrupt.h"
#include "common/StandardOutput.h"
#include "dotplot/DotPlotCommand.h"
#include "ensemble/alphaEnsemble.h"
#include "groups/consensus.h"
#include "groups/distanceMatrix.h"
#include "groups/horAnaliser.h"
#include "groups/horTable.h"
#include "tools/DecomposeCommand.h"
#include "tools/InferCommand.h"
#include "tools/ReportCommand.h"
#include "tools/ToolsUsage.h"

namespace {

using namespace horgrid;

constexpr int kUsageStatus = 1;
constexpr int kFileStatus = 2;

// A subcommand takes either a fixed number of files (run) or parses its own
// options and arguments and returns the exit status (main, given the
// arguments from the subcommand's name on).
struct Subcommand {
    std::string_view name;
    int files;
    void (*run)(char** files);
    int (*main)(int argc, char** argv) = nullptr;
};

constexpr std::array<Subcommand, 10> kSubcommands = {{
    {"consensus", 1, [](char** files) { consensus{files[0]}; }},
    {"decompose", 0, nullptr, RunDecompose},
    {"distmatrix", 1, [](char** files) { distanceMatrix{files[0]}; }},
    {"dotplot", 0, nullptr, DotPlotMain},
    {"group", 1, [](char** files) { horAnaliser{files[0]}; }},
    {"hortable", 1, [](char** files) { horTable{files[0]}; }},
    {"infer", 0, nullptr, InferCommand},
    {"merge", 2, [](char** files) { alphaEnsemble(alphaEnsemble(files[0]), alphaEnsemble(files[1])); }},
    {"purify", 1, [](char** files) { alphaEnsemble(files[0]).PurifyAlphaEnsemble(); }},
    {"report", 0, nullptr, ReportCommand},
}};

}  // namespace

int main(int argc, char** argv) {
    InstallInterruptCleanup();
    std::ios::sync_with_stdio(false);
    if (argc <= 1) {
        ToolsUsage(std::cout);
        return FinishStandardOutput("horgrid-tools", kUsageStatus);
    }
    const std::string_view command = argv[1];
    if (command == "--help") {
        ToolsUsage(std::cout);
        return FinishStandardOutput("horgrid-tools", 0);
    }
    for (const Subcommand& subcommand : kSubcommands) {
        if (subcommand.name != command) continue;
        if (subcommand.main != nullptr)
            return FinishStandardOutput("horgrid-tools", subcommand.main(argc - 1, argv + 1));
        if (argc - 2 != subcommand.files) break;
        try {
            subcommand.run(argv + 2);
        } catch (const FileError& error) {
            std::cout.flush();
            std::cerr << "horgrid-tools: " << error.what() << "\n";
            return kFileStatus;
        }
        return FinishStandardOutput("horgrid-tools", 0);
    }
    ToolsUsage(std::cerr);
    return kUsageStatus;
}
