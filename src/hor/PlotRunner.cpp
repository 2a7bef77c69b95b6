#include "hor/PlotRunner.h"

#include <iostream>

namespace horgrid {

namespace {

void ReportNoPicture(const std::string& dataFile, const std::string& reason) {
    std::cerr << "horgrid: no picture for '" << dataFile << "': " << reason << "\n";
}

}  // namespace

bool RunPlot(const std::function<std::string(const std::string& data, const std::string& output)>& script,
             const std::string& title, const std::string& dataFile, const std::string& picture,
             const PlotSettings& settings) {
    const std::string data = PlotPath(dataFile);
    if (!IsPlotSafe(title) || !IsPlotSafe(dataFile) || !IsPlotSafe(data)) {
        ReportNoPicture(dataFile,
                        "its name or title holds a quote, dollar sign, backquote, backslash or newline, or "
                        "begins with < or |");
        return false;
    }
    const std::string failure = RunGnuplot([&](const std::string& output) { return script(data, output); },
                                           picture, PictureFormat::Eps, settings);
    if (!failure.empty()) ReportNoPicture(dataFile, failure);
    return failure.empty();
}

}  // namespace horgrid
