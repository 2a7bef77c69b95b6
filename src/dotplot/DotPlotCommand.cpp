#include "dotplot/DotPlotCommand.h"

#include <getopt.h>

#include <charconv>
#include <cmath>
#include <future>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "common/FileError.h"
#include "common/Parallel.h"
#include "common/ResultFile.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/DotPlotTable.h"
#include "ensemble/alphaEnsemble.h"
#include "hor/HorNames.h"

namespace horgrid {

namespace {

constexpr int kUsageStatus = 1;
constexpr int kFileStatus = 2;
constexpr int kPlotStatus = 3;
constexpr std::size_t kDefaultSize = 2000;
constexpr std::size_t kLargestSize = 5000;
constexpr double kDefaultMinIdentity = 70;

constexpr char kUsage[] =
    "Usage: horgrid-tools dotplot [-t N] [--size PX] [--min-identity P] ENSEMBLE\n"
    "Identity heat map of every pair of monomers -> ENSEMBLE_dotplot.tsv, ENSEMBLE_dotplot.png\n"
    "  -t, --threads N       threads (default: every core)\n"
    "      --size PX         at most PX x PX pixels, each the mean of the pairs it covers\n"
    "                        (default 2000, at most 5000)\n"
    "      --min-identity P  identity at the bottom of the colour scale, 0 <= P < 100 (default 70)\n"
    "      --help            this text\n";

struct Options {
    unsigned threads = DefaultThreadCount();
    std::size_t size = kDefaultSize;
    double minIdentity = kDefaultMinIdentity;
    std::string ensemble;
};

std::optional<std::size_t> ParseSize(std::string_view text) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > kLargestSize)
        return std::nullopt;
    return value;
}

std::optional<double> ParseMinIdentity(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !(value >= 0 && value < 100))
        return std::nullopt;
    return value;
}

// The options, or the exit status when there is nothing to run (help, or a
// usage error reported on standard error).
std::variant<Options, int> ParseOptions(int argc, char** argv) {
    enum { kSize = 256, kMinIdentity, kHelp };
    static const option kLong[] = {{"threads", required_argument, nullptr, 't'},
                                   {"size", required_argument, nullptr, kSize},
                                   {"min-identity", required_argument, nullptr, kMinIdentity},
                                   {"help", no_argument, nullptr, kHelp},
                                   {nullptr, 0, nullptr, 0}};
    Options options;
    const auto refuse = [](const std::string& message) {
        std::cerr << "horgrid-tools dotplot: " << message << "\n" << kUsage;
        return kUsageStatus;
    };
    opterr = 0;
    optind = 1;
    for (int code; (code = getopt_long(argc, argv, "+:t:", kLong, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        if (code == 't') {
            const std::optional<unsigned> threads = ParseThreadCount(value);
            if (!threads)
                return refuse("the thread count must be a whole number from 1 to 1024, not '" + value + "'");
            options.threads = *threads;
        } else if (code == kSize) {
            const std::optional<std::size_t> size = ParseSize(value);
            if (!size) return refuse("the size must be a whole number from 1 to 5000, not '" + value + "'");
            options.size = *size;
        } else if (code == kMinIdentity) {
            const std::optional<double> minIdentity = ParseMinIdentity(value);
            if (!minIdentity)
                return refuse("the minimum identity must be a number from 0 to below 100, not '" + value +
                              "'");
            options.minIdentity = *minIdentity;
        } else if (code == kHelp) {
            std::cout << kUsage;
            return 0;
        } else if (code == ':') {
            return refuse(std::string("option '") + argv[optind - 1] + "' needs a value");
        } else {
            return refuse(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (argc - optind != 1) return refuse("one ENSEMBLE file expected");
    options.ensemble = argv[optind];
    return options;
}

// Computes, writes and draws; returns the exit status.
int RunDotPlot(const Options& options) {
    PlotSettings settings;
    if (const std::string error = ReadPlotSettings(settings); !error.empty()) {
        std::cerr << "horgrid-tools dotplot: " << error << "\n";
        return kUsageStatus;
    }

    const std::string table = options.ensemble + "_dotplot.tsv";
    const std::string picture = options.ensemble + "_dotplot.png";
    for (const std::string& result : {table, picture}) RefuseOverwritingInput(result, {options.ensemble});
    const alphaEnsemble ensemble(options.ensemble);
    const IdentityGrid grid = ComputeIdentityGrid(
        SequenceViews(ensemble.monomers, 0, ensemble.monomers.size()), options.size, options.threads);
    DotPlotLook look;
    look.title = BaseName(options.ensemble);
    look.minIdentity = options.minIdentity;
    for (const alpha& record : ensemble.monomers) look.positions.push_back(record.position);

    // gnuplot draws while the table is written (the future waits for it even
    // when writing the table fails); nothing is printed until both are done.
    std::cout.flush();
    std::future<std::string> drawing =
        std::async(std::launch::async, [&] { return DrawDotPlot(grid, look, picture, settings); });
    WriteDotPlotTable(grid, table);
    const std::string failure = drawing.get();
    std::cout << grid.records << " monomers, " << grid.side << " x " << grid.side << " pixels -> " << table
              << "\n";
    if (!failure.empty()) {
        std::cerr << "horgrid-tools: no picture '" << picture << "': " << failure << "\n";
        return kPlotStatus;
    }
    std::cout << "-> " << picture << "\n";
    return 0;
}

}  // namespace

int DotPlotMain(int argc, char** argv) {
    const std::variant<Options, int> parsed = ParseOptions(argc, argv);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    try {
        return RunDotPlot(std::get<Options>(parsed));
    } catch (const FileError& error) {
        std::cout.flush();
        std::cerr << "horgrid-tools: " << error.what() << "\n";
        return kFileStatus;
    }
}

}  // namespace horgrid
