#pragma once

#include <string>
#include <vector>

#include "common/Gnuplot.h"
#include "dotplot/IdentityGrid.h"

namespace horgrid {

// How a dot plot is drawn.
struct DotPlotLook {
    std::string title;           // the ensemble's base name
    double minIdentity = 70;     // bottom of the colour scale, below 100
    std::vector<int> positions;  // sequence position of every record, for the second axes
    std::string records = "monomer";  // what a record is, the label of the first axes
    // The number each record goes by on the first axes (e.g. a HOR copy's
    // number along its array); empty: 1 for the first record.
    std::vector<int> numbers;
};

// The gnuplot text that draws `grid` from `dataFile` (the grid's pixels as
// native single-precision floats, row by row) into the PNG `output`: the
// square matrix with the first record at the top left, axes in 1-based record
// numbers (or look.numbers), second axes (top, right) in sequence positions, and a colour bar
// from look.minIdentity to 100. Both paths must be absolute and gnuplot-safe.
std::string DotPlotScript(const IdentityGrid& grid, const DotPlotLook& look, const std::string& dataFile,
                          const std::string& output);

// Draws `grid` into `picture` (PNG) through RunGnuplot; the pixel data goes
// to a temporary file beside the picture that is removed afterwards. Returns
// "" when the picture was made, else the reason. A grid of no records, or a
// title that is not IsPlotSafe, makes no picture.
std::string DrawDotPlot(const IdentityGrid& grid, const DotPlotLook& look, const std::string& picture,
                        const PlotSettings& settings);

// What DrawDotPlot draws, as a job for DrawAllFromData (`grid` and `look` must
// outlive it). Returns "" or the reason there is no picture.
std::string DotPlotJob(const IdentityGrid& grid, const DotPlotLook& look, const std::string& picture, PlotJob& job);

// The pieces every heat map script shares: the palette command, the plots of
// a `columns` x `rows` image of native floats in `dataFile` (row by row, the
// first pixel's corner at (x0, y0), each dx x dy) drawn in strips of rows
// with `decorations` before the last strip, and the script as the single
// line gnuplot's -e takes.
extern const char* const kIdentityPalette;
std::string ImageStrips(const std::string& dataFile, std::size_t columns, std::size_t rows, double dx, double dy,
                        double x0, double y0, const std::string& decorations);
std::string OneLineScript(const std::string& text);

}  // namespace horgrid
