#include "groups/CloseMatrix.h"

namespace horgrid {

CloseMatrix::CloseMatrix(int size) : size_(size < 0 ? 0 : size) {
    rowWords_ = (static_cast<std::size_t>(size_) + 63) / 64;
}

void CloseMatrix::AddRow() {
    const int row = rows();
    if (row >= size_) return;
    const std::size_t first = FirstWord(row);
    // Unsigned wrap-around is intended: start_ + w lands on the row's words.
    start_.push_back(bits_.size() - first);
    bits_.resize(bits_.size() + (rowWords_ > first ? rowWords_ - first : 0), 0);
}

void CloseMatrix::Set(int row, int column) {
    if (row < 0 || row >= rows() || column <= row || column >= size_) return;
    const auto c = static_cast<std::size_t>(column);
    bits_[start_[static_cast<std::size_t>(row)] + c / 64] |= std::uint64_t{1} << (c % 64);
}

bool CloseMatrix::Test(int row, int column) const {
    if (row < 0 || row >= rows() || column <= row || column >= size_) return false;
    const auto c = static_cast<std::size_t>(column);
    return (Word(row, c / 64) >> (c % 64)) & 1U;
}

}  // namespace horgrid
