#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace horgrid {

// Cells of a dot matrix below this percentage link two monomers.
inline constexpr double kClosenessLimit = 13.0;

// Whether a dot-matrix cell links its two monomers (nan and inf never do).
inline bool IsClose(double percent) {
    return percent < kClosenessLimit;
}

// Which monomers are close to which, for the cells strictly above the
// diagonal of a dot matrix (column > row): one bit per cell, so 30,000
// monomers take about 56 MB. Rows are added one at a time as they are read,
// so the storage never exceeds what the rows read so far need. Row r keeps
// the 64-bit words that hold columns r + 1 ... size - 1, numbered like the
// words of a full row (word w covers columns 64w ... 64w + 63), so a row can
// be OR-ed straight into a set of monomers held the same way.
class CloseMatrix {
public:
    // A matrix of `size` columns and no rows yet.
    explicit CloseMatrix(int size);

    // The number of columns, which a complete matrix has as rows too.
    int size() const { return size_; }
    // The rows added so far.
    int rows() const { return static_cast<int>(start_.size()); }
    // Adds row rows() with no close column; ignored once rows() == size().
    void AddRow();
    // Words of a full row of `size` columns.
    std::size_t RowWords() const { return rowWords_; }

    // Marks column monomer `column` close to row monomer `row`; cells that are
    // not above the diagonal or outside the rows added are ignored (Test: false).
    void Set(int row, int column);
    bool Test(int row, int column) const;

    // The first word that row `row` keeps: (row + 1) / 64.
    static std::size_t FirstWord(int row) { return static_cast<std::size_t>(row + 1) / 64; }
    // Word w (FirstWord(row) <= w < RowWords()) of row `row` (< rows()); bits
    // of columns at or left of the diagonal are 0.
    std::uint64_t Word(int row, std::size_t w) const {
        return bits_[start_[static_cast<std::size_t>(row)] + w];
    }

private:
    int size_ = 0;
    std::size_t rowWords_ = 0;
    // start_[r] + w indexes word w of row r (the offset already subtracts FirstWord(r)).
    std::vector<std::size_t> start_;
    std::vector<std::uint64_t> bits_;
};

}  // namespace horgrid
