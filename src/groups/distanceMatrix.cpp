#include "groups/distanceMatrix.h"

#include <algorithm>
#include <iostream>

#include "common/NumberFormat.h"
#include "sequence/DistancePercent.h"
#include "common/ResultFile.h"
#include "groups/MonomersFile.h"
#include "sequence/EditDistance.h"

namespace horgrid {

namespace {

// Only the first groups of the file get a block.
constexpr std::size_t kMaxBlocks = 4;

}  // namespace

DistancePercents FindDistancePercents(const std::vector<alpha>& rows, const std::vector<alpha>& columns) {
    DistancePercents result;
    result.columns = columns.size();
    result.cells.reserve(rows.size() * columns.size());
    for (const alpha& row : rows) {
        for (const alpha& column : columns) {
            const int distance =
                &row == &column ? 0 : static_cast<int>(Levenshtein(row.sequence, column.sequence));
            const float percent = DistancePercent(distance, row.sequence.size());
            result.cells.push_back(percent);
            if (percent > result.maximum) result.maximum = percent;
        }
    }
    return result;
}

void distanceMatrix::MakeDistanceMatrix(FILE* file, const std::vector<alpha>& columns,
                                        const std::vector<alpha>& rows) {
    std::cout << "Calculating distance matrix...\n";
    const DistancePercents percents = FindDistancePercents(rows, columns);
    std::fputs("\n\n      ", file);
    for (const alpha& column : columns) std::fprintf(file, " %6s", column.name.c_str());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::fprintf(file, "\n%-6s", rows[r].name.c_str());
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::fputc(' ', file);
            std::fputs(Fixed2Width6(percents.cells[r * percents.columns + c]).c_str(), file);
        }
    }
    std::cout << "Max = " << StreamDefault(percents.maximum);
}

distanceMatrix::distanceMatrix(std::string path) {
    const AlphaGroups groups = ReadMonomersFile(path, 3);
    ResultFile out(path + "_.distMatrix", {path});
    const std::size_t blocks = std::min(groups.size(), kMaxBlocks);
    for (std::size_t k = 0; k < blocks; ++k) MakeDistanceMatrix(out.get(), groups[k], groups[k]);
    out.Commit();
}

}  // namespace horgrid
