#include <algorithm>
#include <cstring>
#include <iostream>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid {

void alphaEnsemble::FindDotMatrix(int rowBegin, int rowEnd, int columnBegin, int columnEnd) {
    const int size = static_cast<int>(monomers.size());
    rowBegin = std::clamp(rowBegin, 0, size);
    rowEnd = std::clamp(rowEnd, 0, size);
    columnBegin = std::clamp(columnBegin, 0, size);
    columnEnd = std::clamp(columnEnd, 0, size);

    ResultFile out(fileName + "_dot_matrix.txt");
    for (int i = rowBegin; i < rowEnd; ++i) {
        std::cout << "\n" << i << "/" << rowEnd;
        std::fputc('\n', out.get());
        const std::string& row = monomers[static_cast<std::size_t>(i)].sequence;
        const std::size_t rowLength = std::strlen(row.c_str());
        for (int j = columnBegin; j < columnEnd; ++j) {
            if (j < i) {
                std::fputs("0 ", out.get());
                continue;
            }
            const int d = static_cast<int>(Levenshtein(row, monomers[static_cast<std::size_t>(j)].sequence));
            std::fputs(Fixed1Width3(DistancePercent(d, rowLength)).c_str(), out.get());
            std::fputc(' ', out.get());
        }
    }
    out.Commit();
}

}  // namespace horgrid
