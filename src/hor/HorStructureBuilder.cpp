#include <algorithm>
#include <iostream>
#include <optional>

#include "hor/HorGrid.h"
#include "hor/horAnaliser2.h"
#include "sequence/DistanceLimit.h"
#include "sequence/DistancePercent.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

HorGrid BuildHorGrid(std::vector<std::string_view> sequences, float threshold) {
    HorGrid grid;
    if (sequences.empty()) return grid;
    const std::size_t count = sequences.size();
    std::vector<monomer>& placed = grid.placed;
    placed.reserve(count);

    grid.columnCount = 1;
    grid.lastRow = -1;
    placed.emplace_back(1, 1, -1);
    int previousColumn = 1;
    LevenshteinBatch batch(std::move(sequences));

    for (std::size_t i = 1; i < count; ++i) {
        const int number = static_cast<int>(i) + 1;
        // The percentage test turned into the largest admissible distance, so
        // the batch stops each comparison as soon as it exceeds it.
        const std::string_view sequence = batch.sequence(i);
        const std::optional<std::uint32_t> limit = LargestDistanceBelow(threshold, PercentDivisor(sequence));
        const std::ptrdiff_t match = limit ? batch.LastWithin(sequence, i, *limit) : -1;
        if (match >= 0) {
            // Same type as the match; a column at or left of the predecessor's starts the next copy.
            const int column = placed[static_cast<std::size_t>(match)].column;
            if (previousColumn >= column) --grid.lastRow;
            previousColumn = column;
            placed.emplace_back(number, column, grid.lastRow);
            continue;
        }
        // A new type: inserted right after the predecessor's column, in every row.
        const int column = placed[i - 1].column + 1;
        placed.emplace_back(number, column, placed[i - 1].row);
        previousColumn = column;
        grid.columnCount = std::max(grid.columnCount, column);
        for (std::size_t k = 0; k < i; ++k) {
            if (placed[k].column >= column) {
                ++placed[k].column;
                grid.columnCount = std::max(grid.columnCount, placed[k].column);
            }
        }
    }
    return grid;
}

HorGrid BuildHorGrid(const std::vector<alpha>& records, float threshold) {
    return BuildHorGrid(SequenceViews(records, 0, records.size()), threshold);
}

std::vector<monomer> horAnaliser2::CreateHORstructure(alphaEnsemble ensemble, float threshold) {
    return PlaceSegment(SequenceViews(ensemble.monomers, 0, ensemble.monomers.size()), threshold);
}

std::vector<monomer> horAnaliser2::PlaceSegment(std::vector<std::string_view> sequences, float threshold) {
    std::cout << "Start HOR construction...\n";
    HorGrid grid = BuildHorGrid(std::move(sequences), threshold);
    lastRow = grid.lastRow;
    columnCount = grid.columnCount;
    return std::move(grid.placed);
}

}  // namespace horgrid
