#include "hor/drawHOR.h"

#include "hor/PlotCommand.h"
#include "hor/PlotRunner.h"

namespace horgrid {

drawHOR::drawHOR(std::string title, std::string dataFile, int columnCount, int lastRow,
                 const PlotSettings& settings) {
    const auto script = [&](const std::string& data, const std::string& output) {
        return HorPlotScript(title, data, columnCount, lastRow, output);
    };
    drawn = RunPlot(script, title, dataFile, HorPicturePath(title, dataFile), settings);
}

}  // namespace horgrid
