#pragma once

#include <string>
#include <vector>

#include "ensemble/alpha.h"
#include "groups/MonomersFile.h"

namespace horgrid {

// The consensus of one group of records and each record's distance from it.
struct GroupConsensus {
    // The consensus record (see ConsensusOfGroup).
    alpha record;
    // Distance percentage of each record of the group, in group order, from
    // the consensus: distance * 100 / consensus length, in single precision.
    std::vector<float> percents;
};

// The consensus record of a group: name "m" + the first record's name, the
// first record's sequence length L, and per position below L the most voted
// of A, C, G, T, N, X, "-" (first in that order on ties), or "Y" when other
// characters alone hold the most votes (case counts: "a" is other). A record
// shorter than L does not vote where it has no character. An empty group
// gives a record named "m" with an empty sequence.
alpha ConsensusOfGroup(const std::vector<alpha>& group);

// The consensus of every group that has records, in group order; groups
// without records have none.
std::vector<GroupConsensus> FindGroupConsensuses(const AlphaGroups& groups);

// Consensus sequences of the groups of a monomers file (five-column records)
// by per-position majority vote. The constructor does the whole work: it
// writes path + ".cons" with one consensus line per group and, for every
// record, its distance percentage from its group's consensus. Groups without
// records have no consensus and are left out of the file.
class consensus {
public:
    explicit consensus(std::string path);

    // ConsensusOfGroup, after writing "Finding consensuses...\n" to standard output.
    static alpha FindConsensusFromAlphaEnsemble(const std::vector<alpha>& group);

    // One consensus per group with records, in group order.
    std::vector<alpha> consensuses;
};

}  // namespace horgrid
