#include "sequence/BandedDistance.h"

#include <algorithm>
#include <bit>

#include "sequence/BandedKernels.h"
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

std::uint64_t LaneOf(const BandedPattern::Lanes& word, std::size_t lane) {
    return word[lane];
}

void SetLane(std::uint64_t& word, std::size_t, std::uint64_t value) {
    word = value;
}

void SetLane(BandedPattern::Lanes& word, std::size_t lane, std::uint64_t value) {
    word[lane] = value;
}

}  // namespace

BandedPattern::BandedPattern(InstructionSet set)
    : codeOf_(myers::kByteValues), offsetOf_(myers::kByteValues) {
#if defined(__x86_64__)
    wide_ = (set == InstructionSet::Avx512 || set == InstructionSet::Avx512Vbmi2) &&
            InstructionSetSupported(InstructionSet::Avx512);
#else
    static_cast<void>(set);
#endif
}

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

// The band of `Words` words from diagonal `first` down, of one text (Word
// std::uint64_t) or of two side by side (Word Lanes): bit b of word k of
// column j stands for row j + first + 64 k + b.
template <std::size_t Words, typename Word>
struct BandedPattern::Band {
    Word vp[Words];
    Word vn[Words];
    Word top;  // the value of bit 0's cell (two's complement)

    // Column 0 of a lane. Rows up to 0 lie above the pattern, where the
    // distance is j - i: their vertical deltas are -1, those of the rows
    // below +1.
    void Start(std::size_t lane, std::int64_t first) {
        const std::int64_t above = first <= 0 ? 1 - first : 0;  // rows <= 0 in column 0
        for (std::size_t k = 0; k < Words; ++k) {
            SetLane(vn[k], lane, BandBits(k, 0, above - 1));
            SetLane(vp[k], lane, ~BandBits(k, 0, above - 1));
        }
        SetLane(top, lane, static_cast<std::uint64_t>(first < 0 ? -first : first));
    }

    // The next column, with its match bits from bit 0's row on.
    void Column(const Word match[Words]) {
        // The band moves one row down: the row below enters as a deletion
        // (+1), the row above leaves and feeds the column as an insertion.
        for (std::size_t k = 0; k + 1 < Words; ++k) {
            vp[k] = (vp[k] >> 1) | (vp[k + 1] << 63);
            vn[k] = (vn[k] >> 1) | (vn[k + 1] << 63);
        }
        vp[Words - 1] = (vp[Words - 1] >> 1) | (std::uint64_t{1} << 63);
        vn[Words - 1] >>= 1;
        Word hp = top - top + 1;
        Word hn = top - top;
        for (std::size_t k = 0; k < Words; ++k) myers::Step(match[k], vp[k], vn[k], hp, hn);
        top += 1 + (vp[0] & 1) - (vn[0] & 1);
    }

    // A lane's state as a band of one text.
    Band<Words, std::uint64_t> Lane(std::size_t lane) const {
        Band<Words, std::uint64_t> one;
        for (std::size_t k = 0; k < Words; ++k) {
            one.vp[k] = LaneOf(vp[k], lane);
            one.vn[k] = LaneOf(vn[k], lane);
        }
        one.top = LaneOf(top, lane);
        return one;
    }

    // The value of the cell at bit `last` (one text).
    std::uint64_t Value(std::int64_t last) const {
        std::uint64_t value = top;
        for (std::size_t k = 0; k < Words; ++k) {
            const std::uint64_t below = BandBits(k, 1, last);
            value += std::popcount(vp[k] & below) - std::popcount(vn[k] & below);
        }
        return value;
    }

    // Bit 0 of column j is pattern position j + first - 1, window position
    // j + first + kLeadBits - 1: the match bits of byte c in column j are
    // Windows(pattern, plan)[offsetOf_[c] + j + 64 k].
    static const std::uint64_t* Windows(const BandedPattern& pattern, const Plan& plan) {
        return pattern.windows_.data() + (plan.first + static_cast<std::int64_t>(kLeadBits) - 1);
    }

    // One text's columns from..to of the band (one text).
    void Columns(const BandedPattern& pattern, const Plan& plan, std::size_t from, std::size_t to) {
        const std::uint64_t* windows = Windows(pattern, plan);
        const std::size_t* offsetOf = pattern.offsetOf_.data();
        for (std::size_t j = from; j <= to; ++j) {
            const std::uint64_t* window =
                windows + offsetOf[static_cast<unsigned char>(plan.text[j - 1])] + j;
            std::uint64_t match[Words];
            for (std::size_t k = 0; k < Words; ++k) match[k] = window[64 * k];
            Column(match);
        }
    }

    static std::uint64_t Run(const BandedPattern& pattern, const Plan& plan) {
        Band<Words, std::uint64_t> band;
        band.Start(0, plan.first);
        band.Columns(pattern, plan, 1, plan.text.size());
        return band.Value(plan.last);
    }

    // kGroup texts, two to a pair of lanes: the columns they share run side by
    // side, the rest of each text alone.
    static void RunGroup(const BandedPattern& pattern, const Plan plans[kGroup],
                         std::uint64_t values[kGroup]) {
        Band<Words, Lanes> pairs[kGroup / 2];
        const std::uint64_t* windows[kGroup];
        std::size_t both = plans[0].text.size();
        for (std::size_t t = 0; t < kGroup; ++t) {
            pairs[t / 2].Start(t % 2, plans[t].first);
            windows[t] = Windows(pattern, plans[t]);
            both = std::min(both, plans[t].text.size());
        }
        const std::size_t* offsetOf = pattern.offsetOf_.data();
        for (std::size_t j = 1; j <= both; ++j) {
            const std::uint64_t* window[kGroup];
            for (std::size_t t = 0; t < kGroup; ++t)
                window[t] = windows[t] + offsetOf[static_cast<unsigned char>(plans[t].text[j - 1])] + j;
            for (std::size_t p = 0; p < kGroup / 2; ++p) {
                Lanes match[Words];
                for (std::size_t k = 0; k < Words; ++k)
                    match[k] = Lanes{window[2 * p][64 * k], window[2 * p + 1][64 * k]};
                pairs[p].Column(match);
            }
        }
        for (std::size_t t = 0; t < kGroup; ++t) {
            Band<Words, std::uint64_t> one = pairs[t / 2].Lane(t % 2);
            one.Columns(pattern, plans[t], both + 1, plans[t].text.size());
            values[t] = one.Value(plans[t].last);
        }
    }

#if defined(__x86_64__)
    // RunGroup with the shared columns in one AVX-512 register of eight lanes.
    static void RunGroupWide(const BandedPattern& pattern, const Plan plans[kGroup],
                             std::uint64_t values[kGroup]) {
        static_assert(banded::kLanes == kGroup);
        Band<Words, std::uint64_t> lanes[kGroup];
        banded::Group group;
        group.windows = pattern.windows_.data();
        group.offsetOf = pattern.offsetOf_.data();
        group.words = Words;
        group.columns = plans[0].text.size();
        std::uint64_t vp[Words * kGroup];
        std::uint64_t vn[Words * kGroup];
        std::uint64_t top[kGroup];
        for (std::size_t t = 0; t < kGroup; ++t) {
            lanes[t].Start(0, plans[t].first);
            group.texts[t] = plans[t].text.data();
            group.bases[t] = Windows(pattern, plans[t]) - pattern.windows_.data();
            group.columns = std::min(group.columns, plans[t].text.size());
            for (std::size_t k = 0; k < Words; ++k) {
                vp[k * kGroup + t] = lanes[t].vp[k];
                vn[k * kGroup + t] = lanes[t].vn[k];
            }
            top[t] = lanes[t].top;
        }
        banded::ColumnsAvx512(group, vp, vn, top);
        for (std::size_t t = 0; t < kGroup; ++t) {
            for (std::size_t k = 0; k < Words; ++k) {
                lanes[t].vp[k] = vp[k * kGroup + t];
                lanes[t].vn[k] = vn[k * kGroup + t];
            }
            lanes[t].top = top[t];
            lanes[t].Columns(pattern, plans[t], group.columns + 1, plans[t].text.size());
            values[t] = lanes[t].Value(plans[t].last);
        }
    }
#endif

    // RunGroup or RunGroupWide, as the pattern runs.
    static void Group(const BandedPattern& pattern, const Plan plans[kGroup], std::uint64_t values[kGroup]) {
#if defined(__x86_64__)
        if (pattern.wide_) return Band<Words, std::uint64_t>::RunGroupWide(pattern, plans, values);
#endif
        RunGroup(pattern, plans, values);
    }
};

std::uint32_t BandedPattern::DistanceAtMost(std::string_view text, std::uint64_t limit) const {
    std::uint64_t value = 0;
    const Plan plan = PlanFor(text, limit, value);
    switch (plan.words) {
        case 0:
            break;  // answered by the lengths
        case 1:
            value = Band<1, std::uint64_t>::Run(*this, plan);
            break;
        case 2:
            value = Band<2, std::uint64_t>::Run(*this, plan);
            break;
        case 3:
            value = Band<3, std::uint64_t>::Run(*this, plan);
            break;
        default:
            value = Band<kMostWords, std::uint64_t>::Run(*this, plan);
            break;
    }
    return static_cast<std::uint32_t>(value);
}

void BandedPattern::DistancesAtMost(const std::string_view texts[kGroup], const std::uint64_t limits[kGroup],
                                    std::uint32_t answers[kGroup]) const {
    std::uint64_t values[kGroup] = {};
    Plan plans[kGroup];
    std::size_t words = 0;
    for (std::size_t t = 0; t < kGroup; ++t) {
        plans[t] = PlanFor(texts[t], limits[t], values[t]);
        if (plans[t].words == 0) {
            for (std::size_t u = 0; u < kGroup; ++u) answers[u] = DistanceAtMost(texts[u], limits[u]);
            return;
        }
        words = std::max(words, plans[t].words);
    }
    // A band of more words than a limit needs holds it too.
    switch (words) {
        case 1:
            Band<1, Lanes>::Group(*this, plans, values);
            break;
        case 2:
            Band<2, Lanes>::Group(*this, plans, values);
            break;
        case 3:
            Band<3, Lanes>::Group(*this, plans, values);
            break;
        default:
            Band<kMostWords, Lanes>::Group(*this, plans, values);
            break;
    }
    for (std::size_t t = 0; t < kGroup; ++t) answers[t] = static_cast<std::uint32_t>(values[t]);
}

BandedPattern::Plan BandedPattern::PlanFor(std::string_view text, std::uint64_t limit,
                                           std::uint64_t& value) const {
    const std::int64_t final = static_cast<std::int64_t>(length_) - static_cast<std::int64_t>(text.size());
    const std::uint64_t difference = static_cast<std::uint64_t>(final < 0 ? -final : final);
    if (limit < difference) {
        value = difference;
        return {};
    }
    const std::int64_t bound = static_cast<std::int64_t>(limit);
    Plan plan;
    plan.text = text;
    plan.first = FirstDiagonal(final, bound);
    // The last cell, row m, is bit m - n - first of the last column.
    plan.last = final - plan.first;
    plan.words = static_cast<std::size_t>((LastDiagonal(final, bound) - plan.first) / 64 + 1);
    return plan;
}

}  // namespace horgrid
