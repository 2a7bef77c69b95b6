#include <algorithm>
#include <iostream>
#include <utility>

#include "common/ResultFile.h"
#include "ensemble/PositionGap.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {

namespace {

// The records the loop may visit: monomerCount, kept within the list.
std::size_t UsableCount(const alphaEnsemble& ensemble) {
    return static_cast<std::size_t>(
        std::clamp(ensemble.monomerCount, 0, static_cast<int>(ensemble.monomers.size())));
}

}  // namespace

// Interleaves the two ensembles by position into first.fileName + "r". The
// interleaved records get the gap to the previously written position as their
// length; the remainder of the ensemble that is left over is copied as loaded.
// On equal positions the second ensemble's record goes first. The new ensemble
// holds only the file name: the merged records exist only in the file.
alphaEnsemble::alphaEnsemble(alphaEnsemble first, alphaEnsemble second) {
    std::cout << first.fileName << "\n" << second.fileName << "\n";
    fileName = first.fileName + "r";
    ResultFile out(fileName, {first.fileName, second.fileName});

    const std::size_t firstCount = UsableCount(first);
    const std::size_t secondCount = UsableCount(second);
    int previous = 0;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < firstCount && j < secondCount) {
        alpha& taken = first.monomers[i].position < second.monomers[j].position ? first.monomers[i++]
                                                                                : second.monomers[j++];
        taken.length = PositionGap(taken.position, previous);
        previous = taken.position;
        taken.print(out.get());
    }
    for (; i < firstCount; ++i) first.monomers[i].print(out.get());
    for (; j < secondCount; ++j) second.monomers[j].print(out.get());
    out.Commit();
}

}  // namespace horgrid
