#include "satellite/PeriodEnds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "sequence/Kmers.h"

namespace horgrid {
namespace {

std::int64_t Window(int period) { return std::clamp<std::int64_t>(4 * std::int64_t{period}, 200, 400); }
int Spread(int period) { return period / 20 + 1; }

// The lag near `period` at which [from, to) best equals the bases `direction`
// times the lag away; share of equal bases, and the share of chance.
struct LagFit {
    int lag = 0;
    double share = 0;
    double chance = 1;
    bool Repeats(double margin) const { return lag > 0 && share - chance >= margin; }
};

LagFit FitLags(std::string_view sequence, std::int64_t from, std::int64_t to, int low, int high, int direction) {
    LagFit fit;
    const auto n = static_cast<std::int64_t>(sequence.size());
    if (from < 0 || to > n || from >= to) return fit;
    std::array<std::int64_t, 5> counts{};
    for (std::int64_t i = from; i < to; ++i) ++counts[kBaseCodes[static_cast<unsigned char>(sequence[static_cast<std::size_t>(i)])]];
    if (counts[4] > 0) return fit;
    const auto length = static_cast<double>(to - from);
    fit.chance = 0;
    for (int b = 0; b < 4; ++b) fit.chance += static_cast<double>(counts[static_cast<std::size_t>(b)]) * static_cast<double>(counts[static_cast<std::size_t>(b)]) / (length * length);
    for (int lag = std::max(1, low); lag <= high; ++lag) {
        const std::int64_t shift = std::int64_t{direction} * lag;
        if (from + shift < 0 || to + shift > n) continue;
        std::int64_t equal = 0;
        for (std::int64_t i = from; i < to; ++i) {
            equal += sequence[static_cast<std::size_t>(i)] == sequence[static_cast<std::size_t>(i + shift)] ? 1 : 0;
        }
        const double share = static_cast<double>(equal) / length;
        if (fit.lag == 0 || share > fit.share) {
            fit.lag = lag;
            fit.share = share;
        }
    }
    return fit;
}

LagFit FitLag(std::string_view sequence, std::int64_t from, std::int64_t to, int period, int direction) {
    return FitLags(sequence, from, to, period - Spread(period), period + Spread(period), direction);
}

// One end of a call: `side` +1 its end, -1 its start; `bound` the farthest
// the end may move outward. A window outside the end is compared with the
// bases one period back towards the array.
class EndSetter {
public:
    EndSetter(std::string_view sequence, int period, const PeriodEndSettings& settings)
        : sequence_(sequence), period_(period), window_(Window(period)), settings_(settings) {}

    // The new end: `at`, or farther out while the array repeats at the period.
    std::int64_t Set(std::int64_t at, int side, std::int64_t bound) const {
        std::int64_t b = at;
        LagFit last;
        for (;;) {
            const LagFit fit = Outside(b, side, bound);
            if (!fit.Repeats(settings_.margin) || OfLongerUnit(b, side)) break;
            last = fit;
            b += side * (window_ / 2);
        }
        return last.lag == 0 ? at : Fine(b, side, bound, last);
    }

private:
    bool OfLongerUnit(std::int64_t b, int side) const {
        // Over a stretch as long as the scan's windows: short ones are too noisy.
        const std::int64_t length = SatelliteScanSettings{}.window;
        const std::int64_t from = std::max<std::int64_t>(0, side > 0 ? b : b - length);
        const std::int64_t to = std::min(static_cast<std::int64_t>(sequence_.size()), from + length);
        return period_ <= kShortUnit && RepeatsAtLongerUnit(sequence_, from, to, period_);
    }
    LagFit Outside(std::int64_t b, int side, std::int64_t bound) const {
        if (side > 0) return b + window_ > bound ? LagFit{} : FitLag(sequence_, b, b + window_, period_, -1);
        return b - window_ < bound ? LagFit{} : FitLag(sequence_, b - window_, b, period_, 1);
    }

    // The base where the running sum of (equal - midway between the repeat's
    // share and chance), from b outward over one window, is highest.
    std::int64_t Fine(std::int64_t b, int side, std::int64_t bound, const LagFit& fit) const {
        const double level = (fit.share + fit.chance) / 2;
        const std::int64_t shift = -std::int64_t{side} * fit.lag;
        const auto n = static_cast<std::int64_t>(sequence_.size());
        std::int64_t best = b;
        double sum = 0, top = 0;
        for (std::int64_t step = 0; step < window_; ++step) {
            const std::int64_t i = side > 0 ? b + step : b - 1 - step;
            if (side * (i - bound) >= 0 || i < 0 || i >= n || i + shift < 0 || i + shift >= n) break;
            const char c = sequence_[static_cast<std::size_t>(i)];
            const bool equal = kBaseCodes[static_cast<unsigned char>(c)] < 4 && c == sequence_[static_cast<std::size_t>(i + shift)];
            sum += (equal ? 1.0 : 0.0) - level;
            if (equal && sum > top) {
                top = sum;
                best = side > 0 ? i + 1 : i;
            }
        }
        return best;
    }

    std::string_view sequence_;
    int period_;
    std::int64_t window_;
    const PeriodEndSettings& settings_;
};

// The distinct periods of a label (lags within each other's spread count once).
std::vector<int> Periods(const SatelliteTable& table, std::size_t label, int maxPeriod) {
    std::vector<int> periods;
    for (const int period : table.Periods(label)) {
        if (period > maxPeriod) continue;
        const bool near = std::any_of(periods.begin(), periods.end(), [&](int p) { return std::abs(p - period) <= Spread(p); });
        if (!near) periods.push_back(period);
    }
    return periods;
}

}  // namespace

namespace {

// The share of equal bases of [from, to) at the best lag within [low, high]
// of each block of kBlock bases (so indels between copies cost one block's
// phase, not the rest of the window's), and the share of chance.
constexpr std::int64_t kBlock = 100;
LagFit BlockFit(std::string_view sequence, std::int64_t from, std::int64_t to, int low, int high) {
    LagFit total;
    double equal = 0;
    for (std::int64_t b = from; b < to; b += kBlock) {
        const std::int64_t e = std::min(to, b + kBlock);
        const LagFit fit = FitLags(sequence, b, e, low, high, 1);
        if (fit.lag == 0) return LagFit{};
        equal += fit.share * static_cast<double>(e - b);
        total.lag = fit.lag;
    }
    total.share = equal / static_cast<double>(to - from);
    total.chance = FitLags(sequence, from, to, low, low, 1).chance;
    return total;
}

}  // namespace

bool RepeatsAtLongerUnit(std::string_view sequence, std::int64_t from, std::int64_t to, int unit) {
    const std::int64_t span = to - from - 6 * std::int64_t{unit} - 1;
    if (unit <= 1 || span <= 0) return false;
    const LagFit own = BlockFit(sequence, from, from + span, unit - 1, unit + 1);
    const LagFit longer = BlockFit(sequence, from, from + span, 4 * unit, 6 * unit);
    if (own.lag == 0 || longer.lag == 0) return false;
    // Four standard errors of a share of equal bases at chance level.
    const double noise = 4 * std::sqrt(own.chance * (1 - own.chance) / static_cast<double>(span));
    return longer.share - own.share >= noise;
}

std::vector<SatelliteCall> SetEndsByPeriod(std::string_view sequence, std::vector<SatelliteCall> calls,
                                           const SatelliteTable& table, const PeriodEndSettings& settings) {
    const auto n = static_cast<std::int64_t>(sequence.size());
    for (std::size_t c = 0; c < calls.size(); ++c) {
        SatelliteCall& call = calls[c];
        const std::int64_t low = c > 0 ? calls[c - 1].end : 0;
        const std::int64_t high = c + 1 < calls.size() ? calls[c + 1].start : n;
        for (const int period : Periods(table, call.label, settings.maxPeriod)) {
            const EndSetter setter(sequence, period, settings);
            call.start = std::min(call.start, setter.Set(call.start, -1, low));
            call.end = std::max(call.end, setter.Set(call.end, 1, high));
        }
    }
    return calls;
}

}  // namespace horgrid
