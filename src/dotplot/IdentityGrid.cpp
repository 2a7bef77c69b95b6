#include "dotplot/IdentityGrid.h"

#include <algorithm>
#include <optional>

#include "common/Parallel.h"
#include "sequence/BandedDistance.h"
#include "sequence/LevenshteinBatch.h"
#include "sequence/LevenshteinEngine.h"

namespace horgrid {

namespace {

// Rows of records longer than this run on the banded engine, shorter ones on
// the batch. The batch computes every cell of a column, eight sequences at a
// time; the band only the diagonals the distance can reach, which for HOR
// copies a few percent apart is a small part of a column of 16 words or more.
constexpr std::size_t kBandedLength = 1024;
// The first limit of a pair: the distance of the row's previous pair and a
// tenth more (the band widens it to all its words hold), at least this much
// above the length difference.
constexpr std::uint32_t kFirstMargin = 32;

// What one thread keeps between the pixel rows it computes.
struct Scratch {
    std::optional<LevenshteinBatch> batch;  // built on the thread's first row
    LevenshteinEngine engine;
    BandedPattern band;  // the same pattern as the engine
    std::vector<std::uint32_t> distances;
    std::uint32_t previous = 0;  // the last long pair's distance: the next pair's guess
};

// The exact distance of the engine's pattern (length m) and `text`: the
// bounded distance with a limit that grows until the distance is within it
// (it is exact then). Limits the band holds run there, with the widest limit
// of as many words, then one word more; wider ones on the engine, with a limit
// that doubles. Only the cost depends on `guess`, never the result.
std::uint32_t DoublingDistance(Scratch& own, std::size_t m, std::string_view text, std::uint32_t guess) {
    const std::size_t longer = std::max(m, text.size());
    const std::size_t difference = longer - std::min(m, text.size());
    std::size_t limit = std::max<std::size_t>(guess + guess / 10, difference + kFirstMargin);
    for (;;) {
        limit = std::min(limit, longer);
        if (own.band.Covers(text.size(), limit)) {
            limit = std::min<std::size_t>(own.band.WidestLimit(text.size(), limit), longer);
            const std::uint32_t distance = own.band.DistanceAtMost(text, limit);
            if (distance <= limit || limit == longer) return distance;
            ++limit;
            continue;
        }
        const std::uint32_t distance = own.engine.DistanceToAtMost(text, static_cast<std::uint32_t>(limit));
        if (distance <= limit || limit == longer) return distance;
        limit *= 2;
    }
}

// out[k] = distance(sequence(i), sequence(i + k)) for i + k < n.
void RowDistances(std::size_t i, std::size_t n, Scratch& own) {
    LevenshteinBatch& batch = *own.batch;
    const std::string_view text = batch.sequence(i);
    if (text.size() <= kBandedLength) {
        batch.Distances(text, i, n, own.distances.data());
        return;
    }
    own.engine.SetPattern(text);
    own.band.SetPattern(text);
    own.distances[0] = 0;
    for (std::size_t j = i + 1; j < n; ++j) {
        own.previous = DoublingDistance(own, text.size(), batch.sequence(j), own.previous);
        own.distances[j - i] = own.previous;
    }
}

// Adds the pairs (i, j >= i) of every record i of pixel row `row` to that
// row's sums, pixels row ... side - 1. A pair inside the diagonal pixel stands
// for (i, j) and (j, i) and counts twice there.
void SumPixelRow(const IdentityGrid& grid, std::size_t row, Scratch& own, double* sums) {
    const std::size_t n = grid.records;
    const LevenshteinBatch& batch = *own.batch;
    for (std::size_t i = grid.FirstRecord(row); i < grid.FirstRecord(row + 1); ++i) {
        const std::string_view text = batch.sequence(i);
        RowDistances(i, n, own);
        const auto d = [&](std::size_t j) { return own.distances[j - i]; };  // distance(i, j)
        double diagonal = PairIdentity(0, text.size(), text.size());
        for (std::size_t j = i + 1; j < grid.FirstRecord(row + 1); ++j)
            diagonal += 2 * PairIdentity(d(j), text.size(), batch.sequence(j).size());
        sums[row] += diagonal;
        for (std::size_t column = row + 1; column < grid.side; ++column) {
            double sum = 0;
            for (std::size_t j = grid.FirstRecord(column); j < grid.FirstRecord(column + 1); ++j)
                sum += PairIdentity(d(j), text.size(), batch.sequence(j).size());
            sums[column] += sum;
        }
    }
}

}  // namespace

double PairIdentity(std::uint32_t distance, std::size_t lengthA, std::size_t lengthB) {
    const std::size_t longer = std::max(lengthA, lengthB);
    if (longer == 0) return 100;
    return 100 * (1 - static_cast<double>(distance) / static_cast<double>(longer));
}

IdentityGrid ComputeIdentityGrid(const std::vector<std::string_view>& sequences, std::size_t maxSide,
                                 unsigned threads) {
    IdentityGrid grid;
    grid.records = sequences.size();
    grid.side = std::min(grid.records, std::max<std::size_t>(maxSide, 1));
    const std::size_t side = grid.side;
    grid.identity.assign(side * side, 0.0);
    if (side == 0) return grid;

    // Pixel rows are the units of work: only the row's thread writes its sums.
    // Rows near the top hold the most pairs and are handed out first.
    std::vector<Scratch> scratch(std::max(threads, 1u));
    ParallelFor(side, threads, [&](std::size_t row, unsigned worker) {
        Scratch& own = scratch[worker];
        if (!own.batch) {
            own.batch.emplace(sequences);
            own.distances.resize(sequences.size());
        }
        SumPixelRow(grid, row, own, &grid.identity[row * side]);
    });

    // Means, and the lower triangle as the mirror of the upper one.
    for (std::size_t row = 0; row < side; ++row) {
        const double rowRecords = static_cast<double>(grid.FirstRecord(row + 1) - grid.FirstRecord(row));
        for (std::size_t column = row; column < side; ++column) {
            const double columnRecords =
                static_cast<double>(grid.FirstRecord(column + 1) - grid.FirstRecord(column));
            double& cell = grid.identity[row * side + column];
            cell /= rowRecords * columnRecords;
            grid.identity[column * side + row] = cell;
        }
    }
    return grid;
}

}  // namespace horgrid
