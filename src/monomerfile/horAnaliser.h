#pragma once

#include <string>

#include "monomerfile/CloseMatrix.h"

namespace horgrid {

// Groups the monomers of a dot-matrix file (as the dot-matrix analysis writes
// it): monomer j is close to an earlier monomer i when cell (i, j) is below
// 13, read as a decimal number (12.9 is close, 13.0, inf and nan are not), and
// chains of close monomers form one group. The constructor does the whole
// work and writes fileName + "_horStructure.txt" (one line per monomer:
// "0, 3(3), 7(4), ") and fileName + "_horStructure2.txt" (per group member:
// "<first member> <member - first member>").
class horAnaliser {
public:
    explicit horAnaliser(std::string path);

    // The number of lines of the file less one: -1 for a file with no line.
    int FindMatrixSize() const;

    // Reads the size x size cells after the first line, row by row (any white
    // space separates cells) and keeps the closeness of those above the
    // diagonal. Raises FileError when the file holds fewer cells or a cell
    // above the diagonal is not a number.
    CloseMatrix ReadMatrix(int size) const;

    // Joins the close monomers and writes the group file and the group offset file.
    void PrintHorMatrix(const CloseMatrix& close) const;

    std::string fileName;
};

}  // namespace horgrid
