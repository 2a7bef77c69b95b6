#include "hor/drawHOR.h"

#include "hor/PlotCommand.h"
#include "hor/PlotRunner.h"

namespace horgrid {

drawHOR::drawHOR(std::string title, std::string dataFile, int columnCount, int lastRow) {
    drawn = RunPlot(HorPlotCommand(title, dataFile, columnCount, lastRow), title, dataFile,
                    HorPicturePath(title, dataFile));
}

}  // namespace horgrid
