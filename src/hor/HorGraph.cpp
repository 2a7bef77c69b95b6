#include "hor/PlotCommand.h"
#include "hor/PlotRunner.h"
#include "hor/horAnaliser2.h"

namespace horgrid {

void horAnaliser2::DrawHORGraph(std::string title, std::string dataFile) {
    if (!RunPlot(HorGraphCommand(title, dataFile, columnCount, lastRow), title, dataFile,
                 HorGraphPicturePath(title))) {
        ++failedPlots;
    }
}

}  // namespace horgrid
