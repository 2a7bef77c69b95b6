#include "seqio/FindDistanceBetweenStrings.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include "common/NumberFormat.h"
#include "sequence/EditDistance.h"
#include "seqio/genome.h"

namespace horgrid {

void FindDistanceBetweenStrings(std::string firstFile, std::string secondFile) {
    genome first(std::move(firstFile));
    genome second(std::move(secondFile));
    // The genomes are not used afterwards, so their sequences are moved into
    // the comparison instead of copied (reads may be 100 kb or more).
    const EditDistance comparison(std::move(first.sequence), std::move(second.sequence));

    const std::size_t len1 = comparison.sequenceA.size();
    const std::size_t len2 = comparison.sequenceB.size();
    const std::size_t longer = std::max(len1, len2);
    // Two empty sequences are identical: 0 %, not 0 / 0.
    const double percentage =
        longer == 0 ? 0.0 : static_cast<double>(comparison.distance) / static_cast<double>(longer) * 100.0;

    std::cout << "\n\nseq1: " << len1 << " bp\n"
              << "seq2: " << len2 << " bp\n"
              << "distance: " << comparison.distance << "\npercentage: " << StreamDefault(percentage) << "%";
}

}  // namespace horgrid
