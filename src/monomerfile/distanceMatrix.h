#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

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
