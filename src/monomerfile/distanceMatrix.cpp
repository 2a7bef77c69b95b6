#include "monomerfile/distanceMatrix.h"

#include <algorithm>
#include <iostream>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "monomerfile/MonomersFile.h"
#include "sequence/EditDistance.h"

namespace horgrid {

namespace {

// Only the first groups of the file get a block.
constexpr std::size_t kMaxBlocks = 4;

}  // namespace

void distanceMatrix::MakeDistanceMatrix(FILE* file, const std::vector<alpha>& columns,
                                        const std::vector<alpha>& rows) {
    std::cout << "Calculating distance matrix...\n";
    float maximum = 0.0f;
    std::fputs("\n\n      ", file);
    for (const alpha& column : columns) std::fprintf(file, " %6s", column.name.c_str());
    for (const alpha& row : rows) {
        std::fprintf(file, "\n%-6s", row.name.c_str());
        for (const alpha& column : columns) {
            // A record against itself is at distance 0 without comparing.
            const int distance =
                &row == &column ? 0 : static_cast<int>(Levenshtein(row.sequence, column.sequence));
            const float percent = DistancePercent(distance, row.sequence.size());
            std::fputc(' ', file);
            std::fputs(Fixed2Width6(percent).c_str(), file);
            if (percent > maximum) maximum = percent;
        }
    }
    std::cout << "Max = " << StreamDefault(maximum);
}

distanceMatrix::distanceMatrix(std::string path) {
    const AlphaGroups groups = ReadMonomersFile(path, 3);
    ResultFile out(path + "_.distMatrix", {path});
    const std::size_t blocks = std::min(groups.size(), kMaxBlocks);
    for (std::size_t k = 0; k < blocks; ++k) MakeDistanceMatrix(out.get(), groups[k], groups[k]);
    out.Commit();
}

}  // namespace horgrid
