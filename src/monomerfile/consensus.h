#pragma once

#include <string>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// Consensus sequences of the groups of a monomers file (five-column records)
// by per-position majority vote. The constructor does the whole work: it
// writes path + ".cons" with one consensus line per group and, for every
// record, its distance percentage from its group's consensus. Groups without
// records have no consensus and are left out of the file.
class consensus {
public:
    explicit consensus(std::string path);

    // The consensus record of a group: name "m" + the first record's name, the
    // first record's sequence length L, and per position below L the most
    // voted of A, C, G, T, N, X, "-" (first in that order on ties), or "Y" when
    // other characters alone hold the most votes. A record shorter than L does
    // not vote where it has no character. Writes "Finding consensuses...\n".
    static alpha FindConsensusFromAlphaEnsemble(const std::vector<alpha>& group);

    // One consensus per group with records, in group order.
    std::vector<alpha> consensuses;
};

}  // namespace horgrid
