#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// The 1-based start of every CENP-B box (NTTCGNNNNANNCGGGN, 17 bases) in one
// sequence, per orientation in the order direct, reverse complement, reverse,
// complement. The sequence is searched as it is (case-sensitive; any byte but
// a line feed or carriage return fills an N); within one orientation the
// search resumes after each match, so reported boxes never overlap.
using CenpBBoxes = std::array<std::vector<int>, 4>;

// Finds CENP-B boxes.
class CenpBFinder {
public:
    CenpBBoxes Find(std::string_view sequence) const;
};

// Writes one line of the CENP-B box file: "\n<position> <length>", then for
// each orientation its label (" cBdir(", " cBrcm(", " cBrev(", " cBcom("),
// "<start> " per box and ") ".
void WriteCenpBLine(FILE* file, const alpha& monomer, const CenpBBoxes& boxes);

// The whole -b analysis of an ensemble file, one record at a time: writes
// ensemblePath + "_cenpB.txt" with one line per record.
void WriteCenpBFile(const std::string& ensemblePath);

}  // namespace horgrid
