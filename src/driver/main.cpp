// The horgrid command line: one option selects one analysis of an ensemble
// file (or of two sequence files for -d); every run that selects an analysis
// ends with the processor time it used.
//
// Exit status: 0 on success; 1 with no argument, a wrong argument count or an
// unknown option; 2 when an input cannot be read or a result cannot be written;
// 3 when -h could not make one of its pictures (each reported on standard error);
// 1 also for a HORGRID_PLOT_TIMEOUT that is not a positive number or a
// HORGRID_THREADS that is not a whole number from 1 to 1024; 2 also when
// standard output cannot be written (full disk, closed pipe), and for any
// other failure (out of memory included), never an abort. SIGHUP, Ctrl-C
// (SIGINT), SIGQUIT and SIGTERM stop the run, remove the unfinished results'
// temporary files and exit with 128 + the signal number (129, 130, 131, 143).

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "common/FileError.h"
#include "common/Gnuplot.h"
#include "common/Interrupt.h"
#include "common/Parallel.h"
#include "common/StandardOutput.h"
#include "driver/HelpText.h"
#include "ensemble/CenpB.h"
#include "ensemble/Families.h"
#include "ensemble/alphaEnsemble.h"
#include "hor/horAnaliser2.h"
#include "seqio/FindDistanceBetweenStrings.h"

namespace {

using namespace horgrid;

constexpr int kUsageStatus = 1;
constexpr int kFileStatus = 2;
constexpr int kPlotStatus = 3;
constexpr float kHorThreshold = 7.0f;

// HORGRID_THREADS, the threads of -m and -h: 1 when unset. Any other value
// than a whole number from 1 to 1024 is reported on standard error (empty).
std::optional<unsigned> ThreadsFromEnvironment() {
    const char* text = std::getenv("HORGRID_THREADS");
    if (text == nullptr) return 1u;
    const std::optional<unsigned> threads = ParseThreadCount(text);
    if (!threads) {
        std::cerr << "horgrid: HORGRID_THREADS must be a whole number from 1 to 1024, not '" << text << "'\n";
    }
    return threads;
}

// Runs the analysis the first argument selects; returns the exit status.
int RunOption(int argc, char** argv) {
    const std::string_view option = argv[1];
    int required = 0;
    if (option == "-d") {
        required = 4;
    } else if (option == "-m" || option == "-b" || option == "-s" || option == "-h") {
        required = 3;
    } else {
        std::cerr << "horgrid: unknown option '" << option << "'\n";
        return kUsageStatus;
    }
    if (argc != required) {
        HelpText();
        return kUsageStatus;
    }
    const std::optional<unsigned> threads = ThreadsFromEnvironment();
    if (!threads) return kUsageStatus;
    if (option == "-d") {
        FindDistanceBetweenStrings(argv[2], argv[3]);
    } else if (option == "-m") {
        alphaEnsemble ensemble(argv[2]);
        ensemble.FindDotMatrix(0, ensemble.monomerCount, 0, ensemble.monomerCount, *threads);
    } else if (option == "-b") {
        // -b and -s need one record at a time: the file is streamed, never loaded.
        WriteCenpBFile(argv[2]);
    } else if (option == "-s") {
        WriteFamilyFile(argv[2]);
    } else if (option == "-h") {
        PlotSettings settings;
        if (const std::string error = ReadPlotSettings(settings); !error.empty()) {
            std::cerr << "horgrid: " << error << "\n";
            return kUsageStatus;
        }
        const horAnaliser2 analysis(argv[2], kHorThreshold, settings, *threads);
        if (analysis.failedPlots > 0) return kPlotStatus;
    }
    return 0;
}

void ReportElapsed(std::clock_t start) {
    const std::clock_t end = std::clock();
    const unsigned long ticks = static_cast<unsigned long>(end) - static_cast<unsigned long>(start);
    std::cout << "\n\nelapsed time: " << static_cast<double>(ticks) / 1000000.0 << "s\n";
}

}  // namespace

namespace {

int Main(int argc, char** argv) {
    if (argc <= 1) {
        HelpText();
        return FinishStandardOutput("horgrid", kUsageStatus);
    }
    const std::clock_t start = std::clock();
    int status = 0;
    try {
        status = RunOption(argc, argv);
    } catch (const FileError& error) {
        std::cout.flush();
        std::cerr << "horgrid: " << error.what() << "\n";
        return kFileStatus;
    }
    ReportElapsed(start);
    return FinishStandardOutput("horgrid", status);
}

}  // namespace

int main(int argc, char** argv) {
    InstallInterruptCleanup();
    std::ios::sync_with_stdio(false);
    return horgrid::RunGuarded("horgrid", [&] { return Main(argc, argv); });
}
