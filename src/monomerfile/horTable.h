#pragma once

#include <string>
#include <vector>

#include "ensemble/alpha.h"
#include "monomerfile/MonomersFile.h"

namespace horgrid {

// Divergence within HOR copies: a monomers file whose groups are HOR copies,
// one record per monomer, each line read in the layout its blanks select. The
// constructor does the whole work: it prints the distance percentage of every
// pair of monomers within a HOR and the mean over all pairs, and writes
// path + ".hors" with one record per HOR holding its concatenated sequence.
class horTable {
public:
    explicit horTable(std::string path);

    // Writes the pair lines ("H1m1(171) - H1m2(170) -> 2.33918%"), one "\n"
    // after each group and "monomer div = <mean>" to standard output, and
    // returns the HOR records H1, H2, ... one per group (empty groups included).
    static std::vector<alpha> FindDivergencebetweenMonomersInHORandHORs(const AlphaGroups& groups);
};

}  // namespace horgrid
