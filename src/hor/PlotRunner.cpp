#include "hor/PlotRunner.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "hor/PlotCommand.h"

namespace horgrid {

namespace {

constexpr int kShellCannotRun = 127;

void ReportNoPicture(const std::string& dataFile, const std::string& reason) {
    std::cerr << "horgrid: no picture for '" << dataFile << "': " << reason << "\n";
}

// Why a finished command made no picture, from system()'s result; empty when it
// ran to a successful end.
std::string CommandFailure(int result) {
    if (result == -1) return "cannot start the shell";
    if (WIFSIGNALED(result)) return "gnuplot was ended by signal " + std::to_string(WTERMSIG(result));
    if (!WIFEXITED(result)) return "gnuplot did not finish";
    const int status = WEXITSTATUS(result);
    if (status == kShellCannotRun) return std::string("cannot run ") + kGnuplotPath;
    if (status != 0) return "gnuplot failed with exit status " + std::to_string(status);
    return {};
}

bool IsPicture(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) > 0 &&
           !error;
}

}  // namespace

bool IsPlotSafe(std::string_view name) { return name.find_first_of("'\"$`\\\n") == std::string_view::npos; }

bool RunPlot(const std::string& command, const std::string& title, const std::string& dataFile,
             const std::string& picture) {
    if (!IsPlotSafe(title) || !IsPlotSafe(dataFile)) {
        ReportNoPicture(dataFile,
                        "its name or title holds a quote, dollar sign, backquote, backslash or newline");
        return false;
    }
    std::cout.flush();
    std::fflush(stdout);
    const std::string failure = CommandFailure(std::system(command.c_str()));
    if (!failure.empty()) {
        ReportNoPicture(dataFile, failure);
        return false;
    }
    if (!IsPicture(picture)) {
        ReportNoPicture(dataFile, "gnuplot did not write '" + picture + "'");
        return false;
    }
    return true;
}

}  // namespace horgrid
