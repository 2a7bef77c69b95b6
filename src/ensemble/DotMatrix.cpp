#include "ensemble/DotMatrix.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/NumberFormat.h"
#include "common/Parallel.h"
#include "common/ResultFile.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/DistancePercent.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

namespace {

// Rows computed together before they are handed on in order: with threads,
// two blocks of rows are held at a time (being visited, being computed).
constexpr std::size_t kRowsPerBlock = 64;

// The text of a dot-matrix cell, "%3.1f " of the single-precision distance
// percentage, depends only on the distance and the row length: each pair is
// formatted once and its bytes reused for every later cell.
class CellTexts {
public:
    // Appends the cell of distance d in a row of the given length.
    void Append(std::string& line, std::uint32_t distance, std::size_t rowLength) {
        std::vector<Entry>& row = RowFor(rowLength);
        if (distance >= row.size()) {
            cached_ += distance + 1 - row.size();
            row.resize(distance + 1);
        }
        Entry& entry = row[distance];
        if (entry.size == 0) {
            const std::string text =
                Fixed1Width3(DistancePercent(static_cast<int>(distance), rowLength)) + " ";
            if (text.size() > sizeof entry.text) {
                line += text;  // too long to keep; never for real lengths
                return;
            }
            std::memcpy(entry.text, text.data(), text.size());
            entry.size = static_cast<std::uint8_t>(text.size());
        }
        line.append(entry.text, entry.size);
    }

private:
    struct Entry {
        char text[23];
        std::uint8_t size = 0;  // 0: not formatted yet
    };
    // Bounds the cache for ensembles of very many distinct long lengths.
    static constexpr std::size_t kMaxCached = std::size_t{1} << 20;

    std::vector<Entry>& RowFor(std::size_t rowLength) {
        if (rowLength != lastLength_ || lastRow_ == nullptr) {
            if (cached_ > kMaxCached) {
                rows_.clear();
                cached_ = 0;
            }
            lastRow_ = &rows_[rowLength];
            lastLength_ = rowLength;
        }
        return *lastRow_;
    }

    std::unordered_map<std::size_t, std::vector<Entry>> rows_;
    std::vector<Entry>* lastRow_ = nullptr;
    std::size_t lastLength_ = 0;
    std::size_t cached_ = 0;
};

void AppendZeroCells(std::string& line, std::size_t count) {
    const std::size_t start = line.size();
    line.resize(start + 2 * count);
    for (std::size_t k = 0; k < count; ++k) {
        line[start + 2 * k] = '0';
        line[start + 2 * k + 1] = ' ';
    }
}

}  // namespace

void ForEachDotMatrixRow(std::span<const std::string_view> sequences, int rowBegin, int rowEnd,
                         int columnBegin, int columnEnd,
                         const std::function<void(const DotMatrixRow&)>& visit, unsigned threads) {
    const int size = static_cast<int>(sequences.size());
    rowBegin = std::clamp(rowBegin, 0, size);
    rowEnd = std::clamp(rowEnd, 0, size);
    columnBegin = std::clamp(columnBegin, 0, size);
    columnEnd = std::max(columnBegin, std::clamp(columnEnd, 0, size));

    // Column k of a batch is sequence columnBegin + k; each row runs against
    // the columns from the diagonal on, all eight-column groups at once. A
    // batch keeps scratch buffers: one per thread, built on its first row.
    const std::vector<std::string_view> columns(sequences.begin() + columnBegin,
                                                sequences.begin() + columnEnd);
    std::vector<std::optional<LevenshteinBatch>> batches(std::max(threads, 1u));
    struct Row {
        std::size_t zeroCells = 0;
        std::vector<std::uint32_t> distances;
    };
    const std::size_t rows = static_cast<std::size_t>(std::max(0, rowEnd - rowBegin));
    ParallelInOrder<Row>(
        rows, threads, kRowsPerBlock,
        [&](std::size_t k, unsigned worker, Row& row) {
            std::optional<LevenshteinBatch>& batch = batches[worker];
            if (!batch) batch.emplace(columns);
            const int i = rowBegin + static_cast<int>(k);
            row.zeroCells = static_cast<std::size_t>(std::clamp(i, columnBegin, columnEnd) - columnBegin);
            row.distances.resize(batch->size() - row.zeroCells);
            batch->Distances(sequences[static_cast<std::size_t>(i)], row.zeroCells, batch->size(),
                             row.distances.data());
        },
        [&](std::size_t k, Row& row) {
            const int i = rowBegin + static_cast<int>(k);
            visit({i, row.zeroCells, row.distances, PercentDivisor(sequences[static_cast<std::size_t>(i)])});
        });
}

void alphaEnsemble::FindDotMatrix(int rowBegin, int rowEnd, int columnBegin, int columnEnd,
                                  unsigned threads) {
    ResultFile out(fileName + "_dot_matrix.txt", {fileName});
    const std::vector<std::string_view> sequences = SequenceViews(monomers, 0, monomers.size());
    const int progressEnd = std::clamp(rowEnd, 0, static_cast<int>(monomers.size()));
    CellTexts cells;
    std::string line;
    ForEachDotMatrixRow(
        sequences, rowBegin, rowEnd, columnBegin, columnEnd,
        [&](const DotMatrixRow& row) {
            std::cout << "\n" << row.index << "/" << progressEnd;
            line.assign(1, '\n');
            // Cells left of the diagonal are "0 " and cost nothing.
            AppendZeroCells(line, row.zeroCells);
            for (const std::uint32_t distance : row.distances) cells.Append(line, distance, row.divisor);
            out.Write(line);
        },
        threads);
    out.Commit();
}

}  // namespace horgrid
