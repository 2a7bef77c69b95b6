#include "hor/horAnaliser2.h"

#include <iostream>
#include <iterator>
#include <utility>

#include "common/ResultFile.h"
#include "hor/HorNames.h"
#include "hor/HorSegments.h"
#include "hor/PlotCommand.h"
#include "hor/drawHOR.h"

namespace horgrid {

namespace {

// Records first ... end - 1 as an ensemble of their own, made by the sub-range
// constructor. Every record belongs to one segment only, so the records are
// moved out of `records` rather than the whole ensemble being copied for each
// segment. `shell` is the loaded ensemble without its records.
alphaEnsemble CutSegment(const alphaEnsemble& shell, std::vector<alpha>& records, int first, int end) {
    alphaEnsemble source = shell;
    source.monomers.assign(std::make_move_iterator(records.begin() + first),
                           std::make_move_iterator(records.begin() + end));
    source.monomerCount = end - first;
    return alphaEnsemble(std::move(source), 0, end - first);
}

}  // namespace

horAnaliser2::horAnaliser2(std::string fileName, float threshold, PlotSettings settings)
    : plotSettings(std::move(settings)) {
    std::cout << "Start reading alpha file...\n";
    alphaEnsemble loaded(fileName);
    const int n = loaded.monomerCount;
    std::cout << "Reading done!\n"
              << "Number of monomers: " << n << "\n";
    // An empty ensemble has no segment: nothing is built, written or drawn.
    if (n == 0) return;

    const std::vector<int> breaks = SegmentBreaks(loaded.monomers);
    std::vector<alpha> records = std::move(loaded.monomers);
    loaded.monomers.clear();
    for (std::size_t p = 0; p + 1 < breaks.size(); p += 2) {
        const int segmentNumber = static_cast<int>(p / 2) + 1;
        const int first = breaks[p];
        const int last = breaks[p + 1];
        alphaEnsemble segment = CutSegment(loaded, records, first, last + 1);
        std::cout << "\n\n" << first << " - " << last << " (" << n << ")" << std::endl;

        const int firstPosition = segment.monomers.front().position;
        const int lastPosition = segment.monomers.back().position;
        std::vector<monomer> structure = CreateHORstructure(std::move(segment), threshold);

        const std::string dataFile = fileName + ".hor" + std::to_string(segmentNumber);
        const std::string title = HorTitle(fileName, firstPosition, lastPosition);
        RefuseOverwritingInput(dataFile, {fileName});
        RefuseOverwritingInput(HorPicturePath(title, dataFile), {fileName});
        WriteHORstruct(dataFile, std::move(structure));
        std::cout << columnCount << "x" << lastRow << "\n\n";

        const drawHOR plot(title, dataFile, columnCount, lastRow, plotSettings);
        if (!plot.drawn) ++failedPlots;
    }
}

}  // namespace horgrid
