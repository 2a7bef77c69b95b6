#include "sequence/MyersCore.h"

#include <algorithm>

namespace horgrid::myers {

namespace {

// Patterns of more words than this are first tried in narrow bands.
constexpr std::size_t kWideBandWords = 8;
// Width added to the length difference for the first narrow band.
constexpr std::uint64_t kFirstBand = 256;

}  // namespace

Pattern BuildPattern(std::string_view pattern, std::uint16_t* codeOf, std::uint64_t* masks) {
    const std::size_t words = WordsFor(pattern.size());
    std::fill(codeOf, codeOf + kByteValues, std::uint16_t{0});
    std::fill(masks, masks + words, std::uint64_t{0});
    std::uint16_t nextCode = 1;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(pattern[i]);
        if (codeOf[byte] == 0) {
            codeOf[byte] = nextCode;
            std::fill(masks + nextCode * words, masks + (nextCode + 1) * words, std::uint64_t{0});
            ++nextCode;
        }
        masks[codeOf[byte] * words + i / 64] |= std::uint64_t{1} << (i % 64);
    }
    return Pattern{codeOf, masks, pattern.size(), words};
}

// Rows are pattern positions 1 ... m (bit i - 1 of the word vectors), columns
// text positions 1 ... n. For each column the vertical deltas D[i][j] -
// D[i-1][j] are held as the bit vectors vp (+1) and vn (-1), 64 rows per word;
// a word's horizontal delta at its last row carries into the next word.
//
// Only the words covering rows j - dhi ... j - dlo are updated, the diagonals
// d = j - i with |d| + |n - m - d| <= limit: every cell of an alignment of cost
// <= limit lies on them. Words not yet reached keep their start state (+1 per
// row) and the word above the first updated one is taken to grow by +1 per
// column; both over-estimate the true values, so the cells of such an
// alignment still come out exact.
//
// The score followed is that of diagonal n - m, which ends in D[m][n]: it never
// decreases along the diagonal, and no cell of the band can lead to a cheaper
// alignment, so once it exceeds limit the answer is known to exceed limit.
std::uint32_t BandedDistance(const Pattern& pattern, std::string_view text, std::uint64_t limit,
                             std::uint64_t* vp, std::uint64_t* vn) {
    const std::int64_t m = static_cast<std::int64_t>(pattern.length);
    const std::int64_t n = static_cast<std::int64_t>(text.size());
    const std::int64_t delta = n - m;
    const std::int64_t longer = std::max(m, n);
    const std::int64_t bound = static_cast<std::int64_t>(std::min(limit, static_cast<std::uint64_t>(longer)));
    const std::int64_t half = (bound - (delta < 0 ? -delta : delta)) / 2;
    const std::int64_t dhi = std::max<std::int64_t>(0, delta) + half;
    const std::int64_t dlo = std::min<std::int64_t>(0, delta) - half;
    const std::size_t words = pattern.words;
    std::fill(vp, vp + words, ~std::uint64_t{0});
    std::fill(vn, vn + words, std::uint64_t{0});

    // The diagonal starts at D[0][delta] = delta, or at D[-delta][0] = -delta.
    std::int64_t score = delta < 0 ? -delta : delta;
    for (std::int64_t j = 1; j <= n; ++j) {
        const std::int64_t top = std::max<std::int64_t>(1, j - dhi);
        const std::int64_t bottom = std::min<std::int64_t>(m, j - dlo);
        const std::int64_t trackedRow = j - delta;  // row of diagonal n - m in this column
        const std::size_t firstWord = static_cast<std::size_t>((top - 1) >> 6);
        const std::size_t lastWord = static_cast<std::size_t>((bottom - 1) >> 6);
        const std::size_t trackedWord =
            trackedRow >= 1 ? static_cast<std::size_t>((trackedRow - 1) >> 6) : words;
        const std::uint64_t* eq =
            pattern.masks +
            pattern.codeOf[static_cast<unsigned char>(text[static_cast<std::size_t>(j - 1)])] * words;
        std::uint64_t hp = 1;  // the row above the band grows by one per column
        std::uint64_t hn = 0;
        std::uint64_t trackedD0 = 0;
        for (std::size_t w = firstWord; w <= lastWord; ++w) {
            const std::uint64_t match = eq[w];
            const std::uint64_t pv = vp[w];
            const std::uint64_t mv = vn[w];
            const std::uint64_t xv = match | mv;
            const std::uint64_t xm = match | hn;
            const std::uint64_t xh = (((xm & pv) + pv) ^ pv) | xm;
            std::uint64_t ph = mv | ~(xh | pv);
            std::uint64_t mh = pv & xh;
            if (w == trackedWord) trackedD0 = xh | mv;  // set where D[i][j] == D[i-1][j-1]
            const std::uint64_t hpOut = ph >> 63;
            const std::uint64_t hnOut = mh >> 63;
            ph = (ph << 1) | hp;
            mh = (mh << 1) | hn;
            vp[w] = mh | ~(xv | ph);
            vn[w] = ph & xv;
            hp = hpOut;
            hn = hnOut;
        }
        if (trackedRow >= 1) {
            score += 1 - static_cast<std::int64_t>((trackedD0 >> ((trackedRow - 1) & 63)) & 1);
            if (score > bound) return static_cast<std::uint32_t>(score);
        }
    }
    return static_cast<std::uint32_t>(score);
}

std::uint32_t DistanceAtMost(const Pattern& pattern, std::string_view text, std::uint64_t limit,
                             std::uint64_t* vp, std::uint64_t* vn) {
    const std::uint64_t m = pattern.length;
    const std::uint64_t n = text.size();
    const std::uint64_t difference = m > n ? m - n : n - m;
    if (limit < difference) return static_cast<std::uint32_t>(limit + 1);  // the length difference costs more
    if (m == 0 || n == 0) return static_cast<std::uint32_t>(difference);
    limit = std::min(limit, std::max(m, n));  // no distance exceeds the longer length
    if (pattern.words > kWideBandWords) {
        for (std::uint64_t band = difference + kFirstBand;
             band < limit && 2 * (band / 64 + 2) < pattern.words; band *= 2) {
            const std::uint32_t distance = BandedDistance(pattern, text, band, vp, vn);
            if (distance <= band) return distance;
        }
    }
    return BandedDistance(pattern, text, limit, vp, vn);
}

}  // namespace horgrid::myers
