#include <algorithm>
#include <cstring>
#include <iostream>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

namespace {

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

void alphaEnsemble::FindDotMatrix(int rowBegin, int rowEnd, int columnBegin, int columnEnd) {
    const int size = static_cast<int>(monomers.size());
    rowBegin = std::clamp(rowBegin, 0, size);
    rowEnd = std::clamp(rowEnd, 0, size);
    columnBegin = std::clamp(columnBegin, 0, size);
    columnEnd = std::clamp(columnEnd, 0, size);

    ResultFile out(fileName + "_dot_matrix.txt", {fileName});
    // Column k of the batch is monomer columnBegin + k; each row runs against
    // the columns from the diagonal on, all eight-column groups at once.
    LevenshteinBatch batch(SequenceViews(monomers, static_cast<std::size_t>(columnBegin),
                                         static_cast<std::size_t>(std::max(columnBegin, columnEnd))));
    std::vector<std::uint32_t> distances(batch.size());
    CellTexts cells;
    std::string line;

    for (int i = rowBegin; i < rowEnd; ++i) {
        std::cout << "\n" << i << "/" << rowEnd;
        const std::string& row = monomers[static_cast<std::size_t>(i)].sequence;
        const std::size_t rowLength = std::strlen(row.c_str());
        line.assign(1, '\n');
        // Cells left of the diagonal are "0 " and cost nothing.
        const int firstComputed = std::clamp(i, columnBegin, std::max(columnBegin, columnEnd));
        AppendZeroCells(line, static_cast<std::size_t>(firstComputed - columnBegin));
        if (firstComputed < columnEnd) {
            const std::size_t first = static_cast<std::size_t>(firstComputed - columnBegin);
            batch.Distances(row, first, batch.size(), distances.data());
            for (std::size_t k = 0; k < batch.size() - first; ++k)
                cells.Append(line, distances[k], rowLength);
        }
        out.Write(line);
    }
    out.Commit();
}

}  // namespace horgrid
