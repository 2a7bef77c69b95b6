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

constexpr std::size_t kBandBits = 64 * BandedPattern::kMostWords;
// The masks hold a band's width of clear bits before the pattern's first
// position, so a band may start above the first row (its first diagonal is at
// most 0 and above -kBandBits); and room for two bands past its last.
constexpr std::size_t kLeadBits = kBandBits;

// Bits low ... high (low <= high) of word k of a band, as a mask of that word.
std::uint64_t BandBits(std::size_t k, std::int64_t low, std::int64_t high) {
    const std::int64_t from = std::max<std::int64_t>(low - 64 * static_cast<std::int64_t>(k), 0);
    const std::int64_t to = std::min<std::int64_t>(high - 64 * static_cast<std::int64_t>(k), 63);
    if (from > to) return 0;
    const std::uint64_t upTo = to == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << to) - 1;
    return upTo & ~((std::uint64_t{1} << from) - 1);
}

}  // namespace

BandedPattern::BandedPattern() : codeOf_(myers::kByteValues), offsetOf_(myers::kByteValues) {}

void BandedPattern::SetPattern(std::string_view pattern) {
    std::fill(codeOf_.begin(), codeOf_.end(), 0);
    std::uint16_t codes = 1;
    for (const char c : pattern) {
        std::uint16_t& code = codeOf_[static_cast<unsigned char>(c)];
        if (code == 0) code = codes++;
    }
    length_ = pattern.size();
    // The match bits of each code, then every 64 of them from each position.
    const std::size_t words = (kLeadBits + length_ + 2 * kBandBits) / 64 + 2;
    masks_.assign(codes * words, 0);
    for (std::size_t p = 0; p < length_; ++p) {
        const std::size_t bit = kLeadBits + p;
        masks_[codeOf_[static_cast<unsigned char>(pattern[p])] * words + bit / 64] |= std::uint64_t{1}
                                                                                      << (bit % 64);
    }
    const std::size_t positions = kLeadBits + length_ + 2 * kBandBits;
    windows_.resize(codes * positions);
    for (std::size_t code = 0; code < codes; ++code) {
        const std::uint64_t* mask = masks_.data() + code * words;
        std::uint64_t* window = windows_.data() + code * positions;
        for (std::size_t p = 0; p < positions; ++p) {
            const unsigned shift = static_cast<unsigned>(p % 64);
            window[p] = (mask[p / 64] >> shift) | ((mask[p / 64 + 1] << 1) << (63 - shift));
        }
    }
    for (std::size_t byte = 0; byte < myers::kByteValues; ++byte) offsetOf_[byte] = codeOf_[byte] * positions;
}

bool BandedPattern::Covers(std::size_t textLength, std::uint64_t limit) const {
    const std::int64_t final = static_cast<std::int64_t>(length_) - static_cast<std::int64_t>(textLength);
    const std::uint64_t difference = static_cast<std::uint64_t>(final < 0 ? -final : final);
    if (limit < difference) return true;  // answered by the lengths alone
    if (limit > kBandBits) return false;  // wider than any band
    const std::int64_t bound = static_cast<std::int64_t>(limit);
    return LastDiagonal(final, bound) - FirstDiagonal(final, bound) < static_cast<std::int64_t>(kBandBits);
}

std::uint64_t BandedPattern::WidestLimit(std::size_t textLength, std::uint64_t limit) const {
    const std::uint64_t final = length_ > textLength ? length_ - textLength : textLength - length_;
    if (limit < final) return limit;
    // A limit k spans k + 1 diagonals when final + k is even, else k: w words
    // hold 64 w - 1, and one more when final is odd.
    const std::uint64_t diagonals = limit + 1 - (final + limit) % 2;
    return 64 * ((diagonals + 63) / 64) - 1 + final % 2;
}

// The band of `Words` words from diagonal `first` down: bit b of word k of
// column j stands for row j + first + 64 k + b. Returns the value of the cell
// at bit `last` of the last column.
template <std::size_t Words>
std::int64_t BandedPattern::Run(std::string_view text, std::int64_t first, std::int64_t last) const {
    // Rows up to 0 lie above the pattern, where the distance is j - i: their
    // vertical deltas are -1, those of the rows below +1.
    const std::int64_t above = first <= 0 ? 1 - first : 0;  // rows <= 0 in column 0
    std::uint64_t vp[Words];
    std::uint64_t vn[Words];
    for (std::size_t k = 0; k < Words; ++k) {
        vn[k] = BandBits(k, 0, above - 1);
        vp[k] = ~vn[k];
    }
    std::int64_t top = first < 0 ? -first : first;  // the value of bit 0's cell
    const std::uint64_t* windows = windows_.data();
    const std::size_t* offsetOf = offsetOf_.data();
    // Bit 0 of column j is pattern position j + first - 1, window position
    // j + first + kLeadBits - 1.
    std::size_t start = static_cast<std::size_t>(first + static_cast<std::int64_t>(kLeadBits) - 1);
    for (const char c : text) {
        ++start;
        const std::uint64_t* window = windows + offsetOf[static_cast<unsigned char>(c)] + start;
        // The band moves one row down: the row below enters as a deletion
        // (+1), the row above leaves and feeds the column as an insertion.
        for (std::size_t k = 0; k + 1 < Words; ++k) {
            vp[k] = (vp[k] >> 1) | (vp[k + 1] << 63);
            vn[k] = (vn[k] >> 1) | (vn[k + 1] << 63);
        }
        vp[Words - 1] = (vp[Words - 1] >> 1) | (std::uint64_t{1} << 63);
        vn[Words - 1] >>= 1;
        std::uint64_t hp = 1;
        std::uint64_t hn = 0;
        for (std::size_t k = 0; k < Words; ++k) myers::Step(window[64 * k], vp[k], vn[k], hp, hn);
        top += 1 + static_cast<std::int64_t>(vp[0] & 1) - static_cast<std::int64_t>(vn[0] & 1);
    }
    std::int64_t value = top;
    for (std::size_t k = 0; k < Words; ++k) {
        const std::uint64_t below = BandBits(k, 1, last);
        value += std::popcount(vp[k] & below) - std::popcount(vn[k] & below);
    }
    return value;
}

std::uint32_t BandedPattern::DistanceAtMost(std::string_view text, std::uint64_t limit) const {
    const std::int64_t m = static_cast<std::int64_t>(length_);
    const std::int64_t n = static_cast<std::int64_t>(text.size());
    const std::int64_t final = m - n;
    const std::uint64_t difference = static_cast<std::uint64_t>(final < 0 ? -final : final);
    if (limit < difference) return static_cast<std::uint32_t>(difference);
    const std::int64_t bound = static_cast<std::int64_t>(limit);
    const std::int64_t first = FirstDiagonal(final, bound);
    // The last cell, row m, is bit m - n - first of the last column.
    const std::int64_t last = final - first;
    const std::int64_t words = (LastDiagonal(final, bound) - first) / 64 + 1;
    std::int64_t value = 0;
    switch (words) {
        case 1:
            value = Run<1>(text, first, last);
            break;
        case 2:
            value = Run<2>(text, first, last);
            break;
        case 3:
            value = Run<3>(text, first, last);
            break;
        default:
            value = Run<kMostWords>(text, first, last);
            break;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace horgrid
