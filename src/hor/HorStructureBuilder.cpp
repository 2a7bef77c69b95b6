#include <algorithm>
#include <cstring>
#include <iostream>
#include <optional>

#include "hor/horAnaliser2.h"
#include "sequence/DistanceLimit.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

namespace {

// The nearest earlier record j < i whose distance percentage against record i
// (divided by record i's length) is below threshold, or -1. The percentage
// test is turned into the largest admissible distance, so the batch can stop
// each comparison as soon as it exceeds it.
int NearestMatch(LevenshteinBatch& batch, const std::vector<alpha>& records, std::size_t i, float threshold) {
    const std::string& sequence = records[i].sequence;
    const std::optional<std::uint32_t> limit = LargestDistanceBelow(threshold, std::strlen(sequence.c_str()));
    if (!limit) return -1;
    return static_cast<int>(batch.LastWithin(sequence, i, *limit));
}

}  // namespace

std::vector<monomer> horAnaliser2::CreateHORstructure(alphaEnsemble ensemble, float threshold) {
    std::cout << "Start HOR construction...\n";
    lastRow = 0;
    columnCount = 0;
    std::vector<monomer> structure;
    const std::vector<alpha>& records = ensemble.monomers;
    if (records.empty()) return structure;
    structure.reserve(records.size());

    columnCount = 1;
    lastRow = -1;
    structure.emplace_back(1, 1, -1);
    int previousColumn = 1;
    LevenshteinBatch batch(SequenceViews(records, 0, records.size()));

    for (std::size_t i = 1; i < records.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const int match = NearestMatch(batch, records, i, threshold);
        if (match >= 0) {
            // Same type as the match; a column at or left of the predecessor's starts the next copy.
            const int column = structure[static_cast<std::size_t>(match)].column;
            if (previousColumn >= column) --lastRow;
            previousColumn = column;
            structure.emplace_back(number, column, lastRow);
            continue;
        }
        // A new type: inserted right after the predecessor's column, in every row.
        const int column = structure[i - 1].column + 1;
        structure.emplace_back(number, column, structure[i - 1].row);
        previousColumn = column;
        columnCount = std::max(columnCount, column);
        for (std::size_t k = 0; k < i; ++k) {
            if (structure[k].column >= column) {
                ++structure[k].column;
                columnCount = std::max(columnCount, structure[k].column);
            }
        }
    }
    return structure;
}

}  // namespace horgrid
