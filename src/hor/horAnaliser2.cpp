#include "hor/horAnaliser2.h"

#include <iostream>
#include <utility>

#include "common/ResultFile.h"
#include "ensemble/CompactEnsemble.h"
#include "hor/HorGrid.h"
#include "hor/HorNames.h"
#include "hor/HorSegments.h"
#include "hor/PlotCommand.h"
#include "hor/drawHOR.h"

namespace horgrid {

horAnaliser2::horAnaliser2(std::string fileName, float threshold, PlotSettings settings, unsigned threads)
    : plotSettings(std::move(settings)), threads(threads) {
    std::cout << "Start reading alpha file...\n";
    const CompactEnsemble loaded(fileName);
    const std::size_t n = loaded.size();
    std::cout << "Reading done!\n"
              << "Number of monomers: " << n << "\n";

    // An empty ensemble has no segment: nothing is built, written or drawn.
    const std::vector<RecordRange> segments = CutSegments(loaded.lengths);
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const RecordRange& segment = segments[k];
        std::cout << "\n\n" << segment.first << " - " << segment.last << " (" << n << ")" << std::endl;
        std::vector<monomer> structure =
            PlaceSegment(loaded.Sequences(segment.first, segment.last + 1), threshold);

        const std::string dataFile = fileName + ".hor" + std::to_string(k + 1);
        const std::string title =
            HorTitle(fileName, loaded.positions[segment.first], loaded.positions[segment.last]);
        RefuseOverwritingInput(dataFile, {fileName});
        RefuseOverwritingInput(HorPicturePath(title, dataFile), {fileName});
        WriteHORstruct(dataFile, std::move(structure));
        std::cout << columnCount << "x" << lastRow << "\n\n";

        const drawHOR plot(title, dataFile, columnCount, lastRow, plotSettings);
        if (!plot.drawn) ++failedPlots;
    }
}

}  // namespace horgrid
