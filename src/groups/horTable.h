#pragma once

#include <string>
#include <vector>

#include "ensemble/alpha.h"
#include "groups/MonomersFile.h"

namespace horgrid {

// One pair of monomers j < k of a HOR copy (numbered from 0 within it).
struct MonomerPairDivergence {
    std::size_t first = 0;         // j
    std::size_t second = 0;        // k
    std::size_t firstLength = 0;   // monomer j's sequence length
    std::size_t secondLength = 0;  // monomer k's sequence length
    // distance * 100 / the earlier monomer's length, in single precision.
    float percent = 0.0f;
};

// One HOR copy: its record and the divergences of its monomer pairs.
struct HorCopyDivergences {
    // Named "H" + the copy's number from 1, holding the concatenated sequence
    // of its monomers and its length.
    alpha hor;
    // Every pair (j, k), j < k, in the order (0, 1), (0, 2), ... (1, 2), ...
    std::vector<MonomerPairDivergence> pairs;
};

struct HorDivergenceTable {
    // One per group, in group order (groups without records included).
    std::vector<HorCopyDivergences> copies;
    // The mean percentage over all pairs of all copies (summed in single
    // precision in pair order); nan when there is no pair.
    float mean = 0.0f;
};

// Divergences within the HOR copies that the groups are, one record per monomer.
HorDivergenceTable FindHorDivergences(const AlphaGroups& groups);

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
