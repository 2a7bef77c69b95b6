#pragma once

#include <functional>
#include <vector>

#include "groups/CloseMatrix.h"

namespace horgrid {

// Joins close monomers into groups, following chains of close links forward.
// Monomers are taken in increasing order; monomer i that no earlier group has
// absorbed starts a group with itself and everything it reaches through close
// links, where a reached monomer k passes its own links on (and is absorbed:
// its own group becomes empty) only if no earlier group absorbed it and it has
// a close later monomer. So a monomer close to two groups is listed in both,
// and a monomer without close later monomers is listed in the group that
// reached it and again on its own.
//
// Calls emit(i, members) for i = 0 ... size - 1 in order; members is the group
// of monomer i in increasing order (starting with i), or empty when monomer i
// was absorbed. Rows not added to `close` have no close monomer. Time is about size^2 / 64 word operations
// plus the output.
void JoinCloseMonomers(const CloseMatrix& close,
                       const std::function<void(int, const std::vector<int>&)>& emit);

}  // namespace horgrid
