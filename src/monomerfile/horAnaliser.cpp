#include "monomerfile/horAnaliser.h"

#include <climits>
#include <cstdio>
#include <iostream>
#include <utility>

#include "common/FileError.h"
#include "common/ResultFile.h"
#include "monomerfile/CloseGroups.h"
#include "monomerfile/DotMatrixText.h"

namespace horgrid {

namespace {

// Cells below this percentage link two monomers.
constexpr double kClosenessLimit = 13.0;

FileError MatrixError(const std::string& path, const std::string& reason) {
    return FileError("cannot read '" + path + "': " + reason);
}

}  // namespace

horAnaliser::horAnaliser(std::string path) : fileName(std::move(path)) {
    std::cout << "Start reading dot-matrix...\n";
    const int size = FindMatrixSize();
    if (size < 0) throw MatrixError(fileName, "the dot matrix holds no line");
    std::cout << "No of columns: " << size << "\n\n";
    PrintHorMatrix(ReadMatrix(size));
}

int horAnaliser::FindMatrixSize() const {
    const std::int64_t lines = CountLines(fileName);
    if (lines - 1 > INT_MAX) throw MatrixError(fileName, "too many lines for a dot matrix");
    return static_cast<int>(lines - 1);
}

CloseMatrix horAnaliser::ReadMatrix(int size) const {
    CloseMatrix close(size);
    WordReader words(fileName);
    words.SkipLine();
    std::string_view word;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            if (!words.Next(word)) {
                throw MatrixError(fileName, "the dot matrix of " + std::to_string(size) +
                                                " lines ends at row " + std::to_string(row + 1) +
                                                ", column " + std::to_string(column + 1));
            }
            // Cells on and below the diagonal only keep the count.
            if (column <= row) continue;
            double value = 0.0;
            if (!ParseCell(word, value)) {
                throw MatrixError(fileName, "row " + std::to_string(row + 1) + ", column " +
                                                std::to_string(column + 1) + " is not a number: '" +
                                                std::string(word.substr(0, 40)) + "'");
            }
            if (value < kClosenessLimit) close.Set(row, column);
        }
    }
    return close;
}

void horAnaliser::PrintHorMatrix(const CloseMatrix& close) const {
    ResultFile groups(fileName + "_horStructure.txt", {fileName});
    ResultFile offsets(fileName + "_horStructure2.txt", {fileName});
    JoinCloseMonomers(close, [&](int, const std::vector<int>& members) {
        for (std::size_t m = 0; m < members.size(); ++m) {
            if (m == 0)
                std::fprintf(groups.get(), "%d, ", members[m]);
            else
                std::fprintf(groups.get(), "%d(%d), ", members[m], members[m] - members[m - 1]);
            std::fprintf(offsets.get(), "%d %d\n", members.front(), members[m] - members.front());
        }
        std::fputc('\n', groups.get());
    });
    groups.Commit();
    offsets.Commit();
}

}  // namespace horgrid
