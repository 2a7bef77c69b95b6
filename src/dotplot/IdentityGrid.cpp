#include "dotplot/IdentityGrid.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

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
constexpr std::size_t kGroup = BandedPattern::kGroup;

// Fewer texts than this left at the end of a row run alone; more run as one
// group with the last of them repeated in the free lanes (a group of eight
// costs about two texts alone).
constexpr std::size_t kFewestGrouped = 3;

// What one thread keeps between the pixel rows it computes.
struct Scratch {
    std::optional<LevenshteinBatch> batch;  // built on the thread's first row of short records
    LevenshteinEngine engine;
    BandedPattern band;
    std::string_view pattern;  // the band's; the engine takes it when first asked
    bool engineSet = false;
    std::vector<std::uint32_t> distances;
    std::uint32_t previous = 0;  // the last long pair's distance: the next pair's guess
};

// The first limit of the engine's pattern (length m) and a text of length n.
std::size_t FirstLimit(std::size_t m, std::size_t n, std::uint32_t guess) {
    const std::size_t difference = std::max(m, n) - std::min(m, n);
    return std::min(std::max<std::size_t>(guess + guess / 10, difference + kFirstMargin), std::max(m, n));
}

// The exact distance of the engine's pattern (length m) and `text`: the
// bounded distance with a limit that grows from `limit` until the distance is
// within it (it is exact then). Limits the band holds run there, with the
// widest limit of as many words, then one word more; wider ones on the engine,
// with a limit that doubles. Only the cost depends on the first limit, never
// the result.
std::uint32_t GrowingDistance(Scratch& own, std::size_t m, std::string_view text, std::size_t limit) {
    const std::size_t longer = std::max(m, text.size());
    for (;;) {
        limit = std::min(limit, longer);
        if (own.band.Covers(text.size(), limit)) {
            limit = std::min<std::size_t>(own.band.WidestLimit(text.size(), limit), longer);
            const std::uint32_t distance = own.band.DistanceAtMost(text, limit);
            if (distance <= limit || limit == longer) return distance;
            ++limit;
            continue;
        }
        if (!own.engineSet) {
            own.engine.SetPattern(own.pattern);
            own.engineSet = true;
        }
        const std::uint32_t distance = own.engine.DistanceToAtMost(text, static_cast<std::uint32_t>(limit));
        if (distance <= limit || limit == longer) return distance;
        limit *= 2;
    }
}

// GrowingDistance of the first `count` of BandedPattern::kGroup texts from
// their first limits, the first tries side by side in the band where it holds
// them all (the other texts fill its lanes).
void GroupDistances(Scratch& own, std::size_t m, const std::string_view texts[kGroup], std::size_t count,
                    std::uint32_t guess, std::uint32_t distances[kGroup]) {
    std::uint64_t limits[kGroup];
    bool banded = true;
    for (std::size_t t = 0; t < kGroup; ++t) {
        limits[t] = FirstLimit(m, texts[t].size(), guess);
        banded = banded && own.band.Covers(texts[t].size(), limits[t]);
    }
    if (!banded) {
        for (std::size_t t = 0; t < count; ++t) distances[t] = GrowingDistance(own, m, texts[t], limits[t]);
        return;
    }
    for (std::size_t t = 0; t < kGroup; ++t)
        limits[t] = std::min<std::uint64_t>(own.band.WidestLimit(texts[t].size(), limits[t]),
                                            std::max(m, texts[t].size()));
    own.band.DistancesAtMost(texts, limits, distances);
    for (std::size_t t = 0; t < count; ++t) {
        if (distances[t] > limits[t] && limits[t] < std::max(m, texts[t].size()))
            distances[t] = GrowingDistance(own, m, texts[t], limits[t] + 1);
    }
}

// out[k] = distance(sequences[i], sequences[i + k]) for i + k < n.
void RowDistances(const std::vector<std::string_view>& sequences, std::size_t i, std::size_t n, Scratch& own) {
    const std::string_view text = sequences[i];
    if (text.size() <= kBandedLength) {
        if (!own.batch) own.batch.emplace(sequences);
        own.batch->Distances(text, i, n, own.distances.data());
        return;
    }
    own.band.SetPattern(text);
    own.pattern = text;
    own.engineSet = false;
    const std::size_t m = text.size();
    own.distances[0] = 0;
    std::size_t j = i + 1;
    for (; j + kFewestGrouped <= n; j += kGroup) {
        // A last group of fewer than kGroup texts repeats its last one.
        std::string_view texts[kGroup];
        std::uint32_t distances[kGroup];
        for (std::size_t t = 0; t < kGroup; ++t) texts[t] = sequences[std::min(j + t, n - 1)];
        const std::size_t count = std::min(kGroup, n - j);
        GroupDistances(own, m, texts, count, own.previous, distances);
        std::copy(distances, distances + count, &own.distances[j - i]);
        own.previous = distances[count - 1];
    }
    for (; j < n; ++j) {
        const std::string_view other = sequences[j];
        own.previous = GrowingDistance(own, m, other, FirstLimit(m, other.size(), own.previous));
        own.distances[j - i] = own.previous;
    }
}

// Adds the pairs (i, j >= i) of every record i of pixel row `row` to that
// row's sums, pixels row ... side - 1, with row(i) filling own.distances
// (distance(i, j) at j - i). A pair inside the diagonal pixel stands for
// (i, j) and (j, i) and counts twice there.
template <typename Row>
void SumPixelRow(const IdentityGrid& grid, const std::vector<std::string_view>& sequences, std::size_t row,
                 Scratch& own, const Row& fill, double* sums) {
    for (std::size_t i = grid.FirstRecord(row); i < grid.FirstRecord(row + 1); ++i) {
        const std::string_view text = sequences[i];
        fill(i);
        const auto d = [&](std::size_t j) { return own.distances[j - i]; };  // distance(i, j)
        double diagonal = PairIdentity(0, text.size(), text.size());
        for (std::size_t j = i + 1; j < grid.FirstRecord(row + 1); ++j)
            diagonal += 2 * PairIdentity(d(j), text.size(), sequences[j].size());
        sums[row] += diagonal;
        for (std::size_t column = row + 1; column < grid.side; ++column) {
            double sum = 0;
            for (std::size_t j = grid.FirstRecord(column); j < grid.FirstRecord(column + 1); ++j)
                sum += PairIdentity(d(j), text.size(), sequences[j].size());
            sums[column] += sum;
        }
    }
}

// The distances of a few distinct sequences, all held: distinct[i] is the
// index in `sequences` of record i's sequence (first seen order), `matrix`
// their distances row by row.
struct DistinctDistances {
    std::vector<std::string_view> sequences;
    std::vector<std::uint32_t> distinct;
    std::vector<std::uint32_t> matrix;
};

// At most this many distances are held: 16 MB, 2,048 distinct sequences.
constexpr std::size_t kMostHeld = std::size_t{1} << 22;

// The distinct sequences of `sequences` and which each record is; false when
// every one is distinct or too many are to hold their distances.
bool FindDistinct(const std::vector<std::string_view>& sequences, DistinctDistances& held) {
    std::unordered_map<std::string_view, std::uint32_t> index;
    held.distinct.reserve(sequences.size());
    for (const std::string_view sequence : sequences) {
        const auto [at, added] = index.try_emplace(sequence, static_cast<std::uint32_t>(held.sequences.size()));
        if (added) held.sequences.push_back(sequence);
        held.distinct.push_back(at->second);
    }
    const std::size_t k = held.sequences.size();
    return k < sequences.size() && k * k <= kMostHeld;
}

// Every distance of the distinct sequences, each pair computed once.
void ComputeDistinct(DistinctDistances& held, unsigned threads, std::vector<Scratch>& scratch) {
    const std::size_t k = held.sequences.size();
    held.matrix.assign(k * k, 0);
    ParallelFor(k, threads, [&](std::size_t u, unsigned worker) {
        Scratch& own = scratch[worker];
        own.distances.resize(k);
        RowDistances(held.sequences, u, k, own);
        for (std::size_t v = u + 1; v < k; ++v) {
            held.matrix[u * k + v] = own.distances[v - u];
            held.matrix[v * k + u] = own.distances[v - u];
        }
    });
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
    // Rows near the top hold the most pairs and are handed out first. Records
    // that repeat a sequence (HOR copies often do) take its distances: when
    // they are few enough to hold, the distances of the distinct sequences
    // are computed first, each pair once, and the rows read from them.
    std::vector<Scratch> scratch(std::max(threads, 1u));
    DistinctDistances held;
    if (FindDistinct(sequences, held)) {
        ComputeDistinct(held, threads, scratch);
        const std::size_t k = held.sequences.size();
        ParallelFor(side, threads, [&](std::size_t row, unsigned worker) {
            Scratch& own = scratch[worker];
            own.distances.resize(sequences.size());
            const auto fill = [&](std::size_t i) {
                const std::uint32_t* distances = held.matrix.data() + held.distinct[i] * k;
                for (std::size_t j = i; j < sequences.size(); ++j) own.distances[j - i] = distances[held.distinct[j]];
            };
            SumPixelRow(grid, sequences, row, own, fill, &grid.identity[row * side]);
        });
    } else {
        ParallelFor(side, threads, [&](std::size_t row, unsigned worker) {
            Scratch& own = scratch[worker];
            own.distances.resize(sequences.size());
            const auto fill = [&](std::size_t i) { RowDistances(sequences, i, sequences.size(), own); };
            SumPixelRow(grid, sequences, row, own, fill, &grid.identity[row * side]);
        });
    }

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
