#pragma once

#include <string>

#include "dotplot/IdentityGrid.h"

namespace horgrid {

// Writes the pixels of `grid` as a tab-separated table through ResultFile:
// the header "row\tcolumn\tidentity", then one line per pixel, row by row and
// column by column within a row: 1-based pixel row, 1-based pixel column and
// the mean identity in percent with two decimals. A grid of no records gives
// the header alone. Failures raise FileError naming the path.
void WriteDotPlotTable(const IdentityGrid& grid, const std::string& path);

}  // namespace horgrid
