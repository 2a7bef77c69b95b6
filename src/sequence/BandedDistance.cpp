#include "sequence/BandedDistance.h"

#include <algorithm>
#include <bit>

#include "sequence/MyersCore.h"

namespace horgrid {

namespace {

// Rows are pattern positions i = 1..m, columns text positions j = 1..n, and a
// diagonal is i - j. The alignments of cost at most `limit` use the diagonals
// [First, Last] of the (signed) final diagonal m - n; see Covers.
std::int64_t FirstDiagonal(std::int64_t final, std::int64_t limit) {
    const std::int64_t sum = final - limit;  // ceil(sum / 2)
    return sum >= 0 ? (sum + 1) / 2 : -((-sum) / 2);
}

std::int64_t LastDiagonal(std::int64_t final, std::int64_t limit) {
    const std::int64_t sum = final + limit;  // floor(sum / 2)
    return sum >= 0 ? sum / 2 : -((-sum + 1) / 2);
}

// The masks hold 64 clear bits before the pattern's first position, so a word
// may start above the first row; and room for a word past its last.
constexpr std::size_t kLeadBits = 64;

std::uint64_t WindowBits(const std::uint64_t* mask, std::size_t start) {
    const std::size_t word = start / 64;
    const unsigned shift = static_cast<unsigned>(start % 64);
    return (mask[word] >> shift) | ((mask[word + 1] << 1) << (63 - shift));
}

}  // namespace

BandedPattern::BandedPattern() : codeOf_(myers::kByteValues) {}

void BandedPattern::SetPattern(std::string_view pattern) {
    std::fill(codeOf_.begin(), codeOf_.end(), 0);
    std::uint16_t codes = 1;
    for (const char c : pattern) {
        std::uint16_t& code = codeOf_[static_cast<unsigned char>(c)];
        if (code == 0) code = codes++;
    }
    length_ = pattern.size();
    words_ = (kLeadBits + length_ + 128) / 64 + 1;
    masks_.assign(codes * words_, 0);
    for (std::size_t p = 0; p < length_; ++p) {
        const std::size_t bit = kLeadBits + p;
        masks_[codeOf_[static_cast<unsigned char>(pattern[p])] * words_ + bit / 64] |= std::uint64_t{1}
                                                                                       << (bit % 64);
    }
}

bool BandedPattern::Covers(std::size_t textLength, std::uint64_t limit) const {
    const std::int64_t final = static_cast<std::int64_t>(length_) - static_cast<std::int64_t>(textLength);
    const std::uint64_t difference = static_cast<std::uint64_t>(final < 0 ? -final : final);
    if (limit < difference) return true;  // answered by the lengths alone
    if (limit > 63) return false;
    const std::int64_t bound = static_cast<std::int64_t>(limit);
    return LastDiagonal(final, bound) - FirstDiagonal(final, bound) < 64;
}

std::uint32_t BandedPattern::DistanceAtMost(std::string_view text, std::uint64_t limit) const {
    const std::int64_t m = static_cast<std::int64_t>(length_);
    const std::int64_t n = static_cast<std::int64_t>(text.size());
    const std::int64_t final = m - n;
    const std::uint64_t difference = static_cast<std::uint64_t>(final < 0 ? -final : final);
    if (limit < difference) return static_cast<std::uint32_t>(difference);
    // Bit b of column j stands for row j + first + b. Rows up to 0 lie above
    // the pattern, where the distance is j - i: their vertical deltas are -1.
    const std::int64_t first = FirstDiagonal(final, static_cast<std::int64_t>(limit));
    const std::int64_t above = first <= 0 ? 1 - first : 0;  // rows <= 0 in column 0
    std::uint64_t vn = above >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << above) - 1;
    std::uint64_t vp = ~vn;
    std::int64_t top = first < 0 ? -first : first;  // the value of bit 0's cell
    const std::uint64_t* masks = masks_.data();
    // Bit 0 of column j is pattern position j + first - 1, mask bit j + first + 63.
    std::size_t start = static_cast<std::size_t>(first + static_cast<std::int64_t>(kLeadBits) - 1);
    for (const char c : text) {
        ++start;
        const std::uint64_t match =
            WindowBits(masks + codeOf_[static_cast<unsigned char>(c)] * words_, start);
        // The word moves one row down: the row below enters as a deletion
        // (+1), the row above leaves and feeds the column as an insertion.
        vp = (vp >> 1) | (std::uint64_t{1} << 63);
        vn >>= 1;
        std::uint64_t hp = 1;
        std::uint64_t hn = 0;
        myers::Step(match, vp, vn, hp, hn);
        top += 1 + static_cast<std::int64_t>(vp & 1) - static_cast<std::int64_t>(vn & 1);
    }
    // The last cell, row m, is bit m - n - first of the last column.
    const unsigned last = static_cast<unsigned>(final - first);
    const std::uint64_t below = ((std::uint64_t{2} << last) - 1) & ~std::uint64_t{1};
    const std::int64_t value = top + std::popcount(vp & below) - std::popcount(vn & below);
    return static_cast<std::uint32_t>(value);
}

}  // namespace horgrid
