#include "hor/PlotCommand.h"
#include "hor/PlotRunner.h"
#include "hor/horAnaliser2.h"

namespace horgrid {

void horAnaliser2::DrawHORGraph(std::string title, std::string dataFile) {
    const auto script = [&](const std::string& data, const std::string& output) {
        return HorGraphScript(title, data, columnCount, lastRow, output);
    };
    if (!RunPlot(script, title, dataFile, HorGraphPicturePath(title), plotSettings)) ++failedPlots;
}

}  // namespace horgrid
