#pragma once

#include <string>

#include "common/Gnuplot.h"
#include "dotplot/WindowIdentity.h"

namespace horgrid {

// How a heat map of sequence windows is drawn.
struct WindowPlotLook {
    std::string title;
    std::string columnsName;  // the sequence along the x axis
    std::string rowsName;     // along the y axis
    double minIdentity = 0;   // bottom of the colour scale; lower values are left white
};

// The bottom of the colour scale when the user names none: the 5th
// percentile of the identities above 0 off the diagonal (every cell of a
// comparative plot), rounded down to a whole percent, from 50 to 99; 50 when
// there is none. The scale then spreads over what the picture holds rather
// than over the identities it lacks.
double AutomaticMinIdentity(const WindowMatrix& matrix, bool self);

// The gnuplot text drawing `matrix` from `dataFile` (its cells as native
// floats, row by row) into the PNG `output`: the first window at the top
// left, both axes in Mb, and a colour bar from look.minIdentity to 100.
std::string WindowPlotScript(const WindowMatrix& matrix, const WindowPlotLook& look, const std::string& dataFile,
                             const std::string& output);

// Draws `matrix` into `picture` (PNG) through DrawFromData. Returns "" when
// the picture was made, else the reason (an empty matrix or a name that is
// not IsPlotSafe makes none).
std::string DrawWindowPlot(const WindowMatrix& matrix, const WindowPlotLook& look, const std::string& picture,
                           const PlotSettings& settings);

}  // namespace horgrid
