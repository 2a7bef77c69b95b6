#include "ensemble/Merge.h"

#include <iostream>

#include "common/ResultFile.h"
#include "ensemble/PositionGap.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {

std::vector<alpha> MergeByPosition(std::span<const alpha> first, std::span<const alpha> second) {
    std::vector<alpha> merged;
    merged.reserve(first.size() + second.size());
    int previous = 0;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < first.size() && j < second.size()) {
        const alpha& taken = first[i].position < second[j].position ? first[i++] : second[j++];
        merged.push_back(taken);
        merged.back().length = PositionGap(taken.position, previous);
        previous = taken.position;
    }
    merged.insert(merged.end(), first.begin() + static_cast<std::ptrdiff_t>(i), first.end());
    merged.insert(merged.end(), second.begin() + static_cast<std::ptrdiff_t>(j), second.end());
    return merged;
}

// Writes the merge of the two ensembles to first.fileName + "r". The new
// ensemble holds only the file name: the merged records exist only in the file.
alphaEnsemble::alphaEnsemble(alphaEnsemble first, alphaEnsemble second) {
    std::cout << first.fileName << "\n" << second.fileName << "\n";
    fileName = first.fileName + "r";
    ResultFile out(fileName, {first.fileName, second.fileName});
    const std::span<const alpha> firstRecords(first.monomers.data(), UsableCount(first, first.monomerCount));
    const std::span<const alpha> secondRecords(second.monomers.data(),
                                               UsableCount(second, second.monomerCount));
    for (const alpha& record : MergeByPosition(firstRecords, secondRecords)) record.print(out.get());
    out.Commit();
}

}  // namespace horgrid
