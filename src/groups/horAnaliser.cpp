#include "groups/horAnaliser.h"

#include <climits>
#include <cstdio>
#include <iostream>
#include <utility>

#include "common/FileError.h"
#include "common/ResultSet.h"
#include "common/WordReader.h"
#include "groups/CloseGroups.h"

namespace horgrid {

namespace {

// The longest part of a bad cell that a message shows.
constexpr std::size_t kShownCell = 40;

FileError MatrixError(const std::string& path, const std::string& reason) {
    return FileError::FromReason("cannot read", path, reason);
}

}  // namespace

horAnaliser::horAnaliser(std::string path) : fileName(std::move(path)) {
    std::cout << "Start reading dot-matrix...\n";
    const int size = FindMatrixSize();
    if (size < 0) throw MatrixError(fileName, "the dot matrix holds no line");
    std::cout << "No of columns: " << size << "\n\n";
    PrintHorMatrix(ReadMatrix(size));
}

int DotMatrixRows(const std::string& path) {
    const std::int64_t lines = CountLines(path);
    if (lines - 1 > INT_MAX) throw MatrixError(path, "too many lines for a dot matrix");
    return static_cast<int>(lines - 1);
}

CloseMatrix ReadCloseMatrix(const std::string& fileName, int size) {
    WordReader words(fileName);
    words.NextLine();  // the empty first line
    // Every row must hold `size` cells; rows are stored as they are read, so
    // a file of many short lines fails at its first row and costs no memory.
    CloseMatrix close(size);
    std::vector<int> closeColumns;
    std::string_view word;
    for (int row = 0; words.NextLine(); ++row) {
        const std::string rowName = "row " + std::to_string(row + 1);
        closeColumns.clear();
        int column = 0;
        bool more = false;
        for (; words.NextWord(word); ++column) {
            if (column == size) {
                more = true;
                break;
            }
            // Cells on and below the diagonal only keep the count.
            if (column <= row) continue;
            double value = 0.0;
            if (!ParseDecimal(word, value)) {
                throw MatrixError(fileName, rowName + ", column " + std::to_string(column + 1) +
                                                " is not a number: '" +
                                                Printable(word.substr(0, kShownCell)) + "'");
            }
            if (IsClose(value)) closeColumns.push_back(column);
        }
        if (more || column != size) {
            const std::string cells = (more ? "more than " : "") + std::to_string(column) + " cells";
            throw MatrixError(
                fileName, row == 0 ? "row 1 holds " + cells + " for " + std::to_string(size) + " rows"
                                   : rowName + " holds " + cells + ", row 1 holds " + std::to_string(size));
        }
        close.AddRow();
        for (const int c : closeColumns) close.Set(row, c);
    }
    return close;
}

int horAnaliser::FindMatrixSize() const {
    return DotMatrixRows(fileName);
}

CloseMatrix horAnaliser::ReadMatrix(int size) const {
    return ReadCloseMatrix(fileName, size);
}

void horAnaliser::PrintHorMatrix(const CloseMatrix& close) const {
    // Both files are checked before either is written and replaced together.
    ResultSet results(fileName, {fileName});
    ResultFile& groups = results.Add(fileName + "_horStructure.txt");
    ResultFile& offsets = results.Add(fileName + "_horStructure2.txt");
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
    results.Commit();
}

}  // namespace horgrid
