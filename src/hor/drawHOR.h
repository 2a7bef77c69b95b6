#pragma once

#include <string>

#include "common/Gnuplot.h"

namespace horgrid {

// Has gnuplot draw one HOR structure file as the EPS picture
// <directory of dataFile><title>.eps, sized 0.3 per column and 0.2 per row.
// Returns when the plotting program has finished.
class drawHOR {
public:
    drawHOR(std::string title, std::string dataFile, int columnCount, int lastRow,
            const PlotSettings& settings = {});

    // Whether the picture was made; when it was not, one line on standard error
    // said why.
    bool drawn = false;
};

}  // namespace horgrid
