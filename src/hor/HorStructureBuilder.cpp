#include <algorithm>
#include <iostream>
#include <optional>

#include "common/Parallel.h"
#include "hor/HorGrid.h"
#include "hor/horAnaliser2.h"
#include "sequence/DistanceLimit.h"
#include "sequence/DistancePercent.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

namespace {

// Searches handed to a thread at a time: a regular array's search costs one
// or two batch passes, so single searches would mostly cost the hand-out.
constexpr std::size_t kSearchesPerChunk = 64;

// The nearest earlier match of every record (-1 for none and for record 0).
// A record's match depends on the sequences alone, not on the placement, so
// the searches run on `threads` threads, each with its own batch engine.
std::vector<int> NearestMatches(const std::vector<std::string_view>& sequences, float threshold,
                                unsigned threads) {
    std::vector<int> matches(sequences.size(), -1);
    std::vector<std::optional<LevenshteinBatch>> batches(std::max(threads, 1u));
    ParallelFor(
        sequences.size() - 1, threads,
        [&](std::size_t k, unsigned worker) {
            std::optional<LevenshteinBatch>& batch = batches[worker];
            if (!batch) batch.emplace(sequences);
            const std::size_t i = k + 1;
            // The percentage test turned into the largest admissible distance,
            // so the batch stops each comparison as soon as it exceeds it.
            const std::optional<std::uint32_t> limit =
                LargestDistanceBelow(threshold, PercentDivisor(sequences[i]));
            if (limit) matches[i] = static_cast<int>(batch->LastWithin(sequences[i], i, *limit));
        },
        kSearchesPerChunk);
    return matches;
}

}  // namespace

HorGrid BuildHorGrid(std::vector<std::string_view> sequences, float threshold, unsigned threads) {
    HorGrid grid;
    if (sequences.empty()) return grid;
    const std::size_t count = sequences.size();
    std::vector<monomer>& placed = grid.placed;
    placed.reserve(count);

    grid.columnCount = 1;
    grid.lastRow = -1;
    placed.emplace_back(1, 1, -1);
    int previousColumn = 1;
    const std::vector<int> matches = NearestMatches(sequences, threshold, threads);

    for (std::size_t i = 1; i < count; ++i) {
        const int number = static_cast<int>(i) + 1;
        const int match = matches[i];
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

HorGrid BuildHorGrid(const std::vector<alpha>& records, float threshold, unsigned threads) {
    return BuildHorGrid(SequenceViews(records, 0, records.size()), threshold, threads);
}

std::vector<monomer> horAnaliser2::CreateHORstructure(alphaEnsemble ensemble, float threshold) {
    return PlaceSegment(SequenceViews(ensemble.monomers, 0, ensemble.monomers.size()), threshold);
}

std::vector<monomer> horAnaliser2::PlaceSegment(std::vector<std::string_view> sequences, float threshold) {
    std::cout << "Start HOR construction...\n";
    HorGrid grid = BuildHorGrid(std::move(sequences), threshold, threads);
    lastRow = grid.lastRow;
    columnCount = grid.columnCount;
    return std::move(grid.placed);
}

}  // namespace horgrid
