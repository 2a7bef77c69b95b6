#pragma once

#include <string_view>
#include <vector>

#include "ensemble/alpha.h"
#include "hor/monomer.h"

namespace horgrid {

// The HOR structure of one segment: one placed monomer per record, in record
// order, the number of columns (monomer types, 1 ... columnCount) and the
// lowest row (minus the number of HOR copies). An empty segment gives no
// monomers, columnCount 0 and lastRow 0.
struct HorGrid {
    std::vector<monomer> placed;
    int columnCount = 0;
    int lastRow = 0;
};

// Lays the records of one segment into the grid, in order. Record 0 is
// (1, 1, -1). Record i joins the column of its nearest earlier record j whose
// distance percentage DistancePercent(Levenshtein(i, j), PercentDivisor(i)) is
// below threshold (strictly), starting a new row when that column is at or
// left of its predecessor's; a record that matches none is a new type, placed
// in its predecessor's row in the column right after the predecessor's, and
// every placed monomer at or right of that column moves one column right.
// The sequences are viewed during the call only. The nearest-match searches
// run on `threads` threads (each record's search depends on the sequences
// alone); the placement follows them in record order, so the grid is the same
// for every thread count.
HorGrid BuildHorGrid(std::vector<std::string_view> sequences, float threshold, unsigned threads = 1);
HorGrid BuildHorGrid(const std::vector<alpha>& records, float threshold, unsigned threads = 1);

}  // namespace horgrid
