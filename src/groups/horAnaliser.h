#pragma once

#include <string>

#include "groups/CloseMatrix.h"

namespace horgrid {

// The number of rows of a dot-matrix file: its lines less the empty first
// one, so -1 for a file with no line. Raises FileError when the file cannot be
// read or has more rows than an int holds.
int DotMatrixRows(const std::string& path);

// Reads the `size` rows after the first line of a dot-matrix file, one per
// line, and keeps the closeness (IsClose) of the cells above the diagonal.
// Raises FileError naming the row (and column) when a row does not hold
// `size` cells or a cell above the diagonal is not a number (its bytes shown
// escaped). Storage grows with the rows read.
CloseMatrix ReadCloseMatrix(const std::string& path, int size);

// Groups the monomers of a dot-matrix file (as the dot-matrix analysis writes
// it): monomer j is close to an earlier monomer i when cell (i, j) is below
// 13, read as a decimal number (12.9 is close, 13.0, inf and nan are not), and
// chains of close monomers form one group. The constructor does the whole
// work and writes fileName + "_horStructure.txt" (one line per monomer:
// "0, 3(3), 7(4), ") and fileName + "_horStructure2.txt" (per group member:
// "<first member> <member - first member>"); the two replace their previous
// versions together, or neither does when either cannot be written.
class horAnaliser {
public:
    explicit horAnaliser(std::string path);

    // DotMatrixRows(fileName).
    int FindMatrixSize() const;

    // ReadCloseMatrix(fileName, size).
    CloseMatrix ReadMatrix(int size) const;

    // Joins the close monomers and writes the group file and the group offset file.
    void PrintHorMatrix(const CloseMatrix& close) const;

    // The dot-matrix file's path as given.
    std::string fileName;
};

}  // namespace horgrid
