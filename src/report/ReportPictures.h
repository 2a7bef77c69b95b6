#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Gnuplot.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/IdentityGrid.h"
#include "report/ReportModel.h"
#include "report/ReportPage.h"

namespace horgrid {

// The gnuplot text that draws `layout` from `dataFile` (one binary record per
// cell: column, row, half width, half height, colour as 0xRRGGBB; see
// DrawHorStructure) into the PNG `output`: a box per cell,
// unit monomers left to right, the first copy at the top. Both paths must be
// absolute and gnuplot-safe; the title goes in unchanged.
std::string HorStructureScript(const HorLayout& layout, const std::string& title, const std::string& dataFile,
                               const std::string& output);

// Draws `layout` into `picture` (PNG) through RunGnuplot, its data in a
// temporary file beside the picture. Returns "" or the reason there is no
// picture (a layout without cells, a title that is not IsPlotSafe, gnuplot).
std::string DrawHorStructure(const HorLayout& layout, const std::string& title, const std::string& picture,
                             const PlotSettings& settings);

// What DrawHorStructure draws, as a job for DrawAllFromData (`layout` must
// outlive it). Returns "" or the reason there is no picture.
std::string HorStructureJob(const HorLayout& layout, const std::string& title, const std::string& picture,
                            PlotJob& job);

// Runs draw(path) with the path of a temporary file in the directory of
// `beside` and returns the PNG it left there (removed afterwards), or the
// reason draw() gave.
Picture DrawInMemory(const std::string& beside,
                     const std::function<std::string(const std::string& picture)>& draw);

// How the pictures of an array are made.
struct PictureSettings {
    PlotSettings plot;
    std::size_t heatMapSide = 300;   // pixels of the heat map's grid
    std::size_t heatMapUnits = 600;  // units compared at most (ChooseHeatMapUnits)
    unsigned threads = 1;            // for the heat map's pairs
    std::string beside;              // a file in the directory where the pictures are drawn
};

// An array's pictures before they are drawn: what they are drawn from, and
// the pictures that are not drawn (`pictures`, empty, with the reason).
struct ArrayDrawing {
    HorLayout layout;  // the HOR structure is drawn when it has cells
    std::string horTitle;
    IdentityGrid grid;
    DotPlotLook look;
    bool heatMap = false;  // whether the heat map is drawn
    ArrayPictures pictures;
};

// What DrawArrayPictures draws, computed (the heat map's grid too) but not drawn.
ArrayDrawing PrepareArrayPictures(const ArrayContent& array, std::size_t number, const HeatMapUnits& units,
                                  const std::vector<std::string_view>& sequences,
                                  const std::vector<int>& positions, const PictureSettings& settings);

// Draws the pictures of `drawings` into their `pictures`, up to eight to a
// run of gnuplot (DrawAllFromData: a failed run draws each alone, so each
// picture and reason is as if drawn alone).
void DrawPrepared(std::vector<ArrayDrawing>& drawings, const PictureSettings& settings);

// The HOR structure and identity heat map of array `number` (1-based, the
// pictures' title): `sequences` are the sequences of units.items
// (ChooseHeatMapUnits), each read in its own orientation, `positions` their
// starts. The heat map's colours start at ColourFloor.
ArrayPictures DrawArrayPictures(const ArrayContent& array, std::size_t number, const HeatMapUnits& units,
                                const std::vector<std::string_view>& sequences,
                                const std::vector<int>& positions, const PictureSettings& settings);

}  // namespace horgrid
