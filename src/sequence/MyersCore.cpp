#include "sequence/MyersCore.h"

#include <algorithm>
#include <bit>

namespace horgrid::myers {

namespace {

// Patterns of more words than this are first tried with small limits.
constexpr std::size_t kScheduledWords = 8;
// Limit of the first try, above the length difference.
constexpr std::int64_t kFirstLimit = 256;

std::int64_t Sum(std::uint64_t plus, std::uint64_t minus) {
    return std::popcount(plus) - std::popcount(minus);
}

// Rows are pattern positions 1 ... m, columns text positions 1 ... n; word b
// holds rows 64 b + 1 ... 64 b + 64. Rows past m (the last word's padding)
// match nothing; they only sit below the answer.
//
// A cell (i, j) can lie on an alignment of cost <= limit only if D[i][j] plus
// its distance from the diagonal of the last cell, |(n - j) - (m - i)|, is <=
// limit (every step off that diagonal costs one); call such a cell useful.
// Along an optimal path that sum never decreases, so the path to a useful cell
// runs through useful cells only. Each column computes the words from `first`
// to `last`, which cover every useful cell: a word whose cells are all
// useless is dropped from either end of the band (it can never become useful
// again), and a word below is added when a cell of it can still be reached
// down the column within the limit. Words entering the band start from the
// over-estimate "one more per row than the row above", and the row above the
// band is taken to grow by one per column; values computed from
// over-estimates are never too small, and those of useful cells are exact.
//
// Only two scores are kept: D at the row above the band and at the band's
// last row; the band's ends follow from them and the vertical deltas.
class Band {
public:
    Band(const Pattern& pattern, std::string_view text, std::int64_t limit, const Columns& columns)
        : pattern_(pattern),
          text_(text),
          limit_(limit),
          delta_(static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(pattern.length)),
          vp_(columns.vp),
          vn_(columns.vn) {}

    // D[m][n] when it is <= limit, else limit + 1.
    std::int64_t Run() {
        // Column 0 holds D[i][0] = i: useful rows lie within the limit.
        last_ = std::min(pattern_.words - 1, static_cast<std::size_t>(limit_ / 64));
        for (std::size_t b = 0; b <= last_; ++b) Reset(b);
        bottom_ = 64 * static_cast<std::int64_t>(last_ + 1);
        // Columns go in pairs: the second column's step on word b - 1 runs
        // beside the first's on word b, two independent carry chains that the
        // processor overlaps. Band changes wait for the end of the pair (a
        // band too wide for one column only costs time).
        std::size_t j = 1;
        for (; j + 1 <= text_.size(); j += 2) {
            const std::uint64_t* eq0 = Masks(j);
            const std::uint64_t* eq1 = Masks(j + 1);
            Carry c0;
            Carry c1;
            StepPair(eq0, eq1, c0, c1);
            const std::size_t end = last_;
            EndColumn(eq0, static_cast<std::int64_t>(j), c0);
            for (std::size_t b = end; b <= last_; ++b) StepWord(eq1, b, c1);
            EndColumn(eq1, static_cast<std::int64_t>(j + 1), c1);
            if (!Shrink(static_cast<std::int64_t>(j + 1))) return Fail(j + 1);
        }
        if (j == text_.size()) {
            const std::uint64_t* eq = Masks(j);
            Carry carry;
            for (std::size_t b = first_; b <= last_; ++b) StepWord(eq, b, carry);
            EndColumn(eq, static_cast<std::int64_t>(j), carry);
            if (!Shrink(static_cast<std::int64_t>(j))) return Fail(j);
        }
        if (last_ != pattern_.words - 1) return limit_ + 1;
        // Take the padding rows' deltas off the last row's score.
        const std::size_t padding = 64 * pattern_.words - pattern_.length;
        std::int64_t score = bottom_;
        if (padding > 0) {
            const std::uint64_t below = ~std::uint64_t{0} << (64 - padding);
            score -= Sum(vp_[last_] & below, vn_[last_] & below);
        }
        return std::min(score, limit_ + 1);
    }

    // The column at which a failed Run found no useful cell left, or 0 when
    // it failed only at the last cell.
    std::size_t failedAt() const { return failedAt_; }

private:
    // Horizontal delta carried down a column: the row above the band grows by
    // one per column.
    struct Carry {
        std::uint64_t hp = 1;
        std::uint64_t hn = 0;
        std::int64_t delta() const { return static_cast<std::int64_t>(hp) - static_cast<std::int64_t>(hn); }
    };

    const std::uint64_t* Masks(std::size_t j) const {
        return pattern_.masks + pattern_.codeOf[static_cast<unsigned char>(text_[j - 1])] * pattern_.words;
    }

    // The first column of a pair on words first_ ... last_ and the second on
    // first_ ... last_ - 1. The first column's result for a word stays in
    // registers for the second column's step on it.
    void StepPair(const std::uint64_t* eq0, const std::uint64_t* eq1, Carry& c0, Carry& c1) {
        std::uint64_t* const vp = vp_;
        std::uint64_t* const vn = vn_;
        std::uint64_t p0 = vp[first_];
        std::uint64_t n0 = vn[first_];
        Step(eq0[first_], p0, n0, c0.hp, c0.hn);
        for (std::size_t b = first_ + 1; b <= last_; ++b) {
            std::uint64_t p = vp[b];
            std::uint64_t n = vn[b];
            const std::uint64_t match0 = eq0[b];
            const std::uint64_t match1 = eq1[b - 1];
            Step(match0, p, n, c0.hp, c0.hn);
            Step(match1, p0, n0, c1.hp, c1.hn);
            vp[b - 1] = p0;
            vn[b - 1] = n0;
            p0 = p;
            n0 = n;
        }
        vp[last_] = p0;
        vn[last_] = n0;
    }

    void StepWord(const std::uint64_t* eq, std::size_t b, Carry& carry) {
        Step(eq[b], vp_[b], vn_[b], carry.hp, carry.hn);
    }

    // Word b in its start state, one more per row than the row above it.
    void Reset(std::size_t b) {
        vp_[b] = ~std::uint64_t{0};
        vn_[b] = 0;
    }

    // After column j's step down to last_ (carry: the delta out of its last
    // row): updates the scores and adds words below while a cell of them is
    // useful.
    void EndColumn(const std::uint64_t* eq, std::int64_t j, Carry& carry) {
        ++above_;
        const std::int64_t previous = bottom_;
        bottom_ += carry.delta();
        // The row below the band may also be entered diagonally from the last
        // row's value in the previous column; words added below were not in
        // the band then, so only the way down the column is open to them.
        std::int64_t entry = std::min(bottom_, previous - 1);
        while (last_ + 1 < pattern_.words && Reachable(entry, j)) {
            // The new word's rows in the previous column: one more per row
            // than the last row's value there.
            const std::int64_t before = bottom_ - carry.delta() + 64;
            Reset(++last_);
            StepWord(eq, last_, carry);
            bottom_ = before + carry.delta();
            entry = bottom_;
        }
    }

    // Drops the useless words at both ends of the band after column j; false
    // when none is left.
    bool Shrink(std::int64_t j) {
        while (last_ > first_ && Useless(last_, bottom_, j)) {
            bottom_ -= Sum(vp_[last_], vn_[last_]);
            --last_;
        }
        while (first_ < last_ && Useless(first_, FirstScore(), j)) {
            above_ = FirstScore();
            ++first_;
        }
        return !Useless(last_, bottom_, j);
    }

    std::int64_t Fail(std::size_t j) {
        failedAt_ = j;
        return limit_ + 1;
    }

    // D at the last row of the first word.
    std::int64_t FirstScore() const { return above_ + Sum(vp_[first_], vn_[first_]); }

    // Offset from the last cell's diagonal of word b's last row in column j.
    std::int64_t Offset(std::size_t b, std::int64_t j) const {
        return delta_ - j + 64 * static_cast<std::int64_t>(b + 1);
    }

    // Whether a row of the word below the band can be useful in column j when
    // row t below the band's last row holds at least s + t: the least of
    // s + t + |x + t| over t = 1 ... 64.
    bool Reachable(std::int64_t s, std::int64_t j) const {
        const std::int64_t x = Offset(last_, j);
        return (x >= -1 ? s + x + 2 : s - x) <= limit_;
    }

    // Whether no cell of word b (score s at its last row) is useful in column
    // j: row 64 (b + 1) - u holds at least s - u, so the least sum is that of
    // s - u + |x - u| over u = 0 ... 63.
    bool Useless(std::size_t b, std::int64_t s, std::int64_t j) const {
        const std::int64_t x = Offset(b, j);
        return (x <= 63 ? s - x : s + x - 126) > limit_;
    }

    const Pattern& pattern_;
    std::string_view text_;
    std::int64_t limit_;
    std::int64_t delta_;
    std::uint64_t* vp_;
    std::uint64_t* vn_;
    std::size_t first_ = 0;
    std::size_t last_ = 0;
    std::int64_t above_ = 0;   // D at the row above the first word
    std::int64_t bottom_ = 0;  // D at the last word's last row
    std::size_t failedAt_ = 0;
};

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

// A try with limit k costs about the band's width, k minus the score reached,
// per column, so the final limit should be just above the distance. A failed
// try says where its band ran dry: the scores there had grown from the length
// difference to k, and if they go on growing at that rate the distance is
// their extrapolation to the last column. The next try takes that estimate
// with a margin, and at least twice the limit before, so a poor estimate costs
// no more than plain doubling does. The per-column least score grows more
// slowly at first than the distance does, the more so the more diverged the
// pair, hence a margin that grows with the rate.
std::uint32_t DistanceAtMost(const Pattern& pattern, std::string_view text, std::uint64_t limit,
                             const Columns& columns) {
    const std::uint64_t m = pattern.length;
    const std::uint64_t n = text.size();
    const std::uint64_t difference = m > n ? m - n : n - m;
    if (limit < difference) return static_cast<std::uint32_t>(limit + 1);  // the length difference costs more
    if (m == 0 || n == 0) return static_cast<std::uint32_t>(difference);
    const std::int64_t most = static_cast<std::int64_t>(std::min(limit, std::max(m, n)));
    const std::int64_t base = static_cast<std::int64_t>(difference);
    std::int64_t k = pattern.words > kScheduledWords ? std::min(most, base + kFirstLimit) : most;
    for (;;) {
        Band band(pattern, text, k, columns);
        const std::int64_t distance = band.Run();
        if (distance <= k || k == most) return static_cast<std::uint32_t>(distance);
        std::int64_t next = 2 * k;
        if (band.failedAt() > 0) {
            const double rate = static_cast<double>(k - base) / static_cast<double>(band.failedAt());
            const double estimate = static_cast<double>(base) + rate * static_cast<double>(n);
            const double margin = std::max(1.2, 1.1 + rate);
            next = std::max(next, static_cast<std::int64_t>(estimate * margin) + 64);
        }
        // A band of a third of the rows comes close to the cost of them all.
        if (3 * next >= static_cast<std::int64_t>(m)) next = most;
        k = std::min(most, next);
    }
}

}  // namespace horgrid::myers
