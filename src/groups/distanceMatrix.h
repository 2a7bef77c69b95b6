#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// Distance percentages of row records against column records.
struct DistancePercents {
    std::size_t columns = 0;
    // rows x columns, row by row: cell (r, c) at r * columns + c holds the
    // distance of row r and column c * 100 / row r's length, in single precision.
    std::vector<float> cells;
    // The largest cell, or 0 when no cell is above 0 (nan never counts).
    float maximum = 0.0f;
};

// The distance percentages of every row record against every column record.
// A record against itself (the same object, as when rows and columns are one
// list) is 0 without comparing.
DistancePercents FindDistancePercents(const std::vector<alpha>& rows, const std::vector<alpha>& columns);

// Distance matrices of the first four groups of a monomers file (three-column
// records: name, length, sequence). The constructor does the whole work: it
// writes path + "_.distMatrix" with one block per group that exists (at most
// four), each the square matrix of distance percentages of the group's records,
// row record against column record, divided by the row record's length.
class distanceMatrix {
public:
    explicit distanceMatrix(std::string path);

    // Writes one block to `file` ("\n\n      ", the column heads " %6s", then
    // per row "\n%-6s" and the cells " %6.2f") and "Calculating distance
    // matrix...\n" and "Max = <largest cell>" to standard output.
    static void MakeDistanceMatrix(FILE* file, const std::vector<alpha>& columns,
                                   const std::vector<alpha>& rows);
};

}  // namespace horgrid
