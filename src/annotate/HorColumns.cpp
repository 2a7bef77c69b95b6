#include "annotate/HorColumns.h"

#include <algorithm>
#include <limits>

namespace horgrid {
namespace {

constexpr std::size_t kNoMember = static_cast<std::size_t>(-1);

// Runs of members in HOR order, following `previous` backwards.
std::vector<std::vector<std::size_t>> Chains(const std::vector<std::size_t>& previous) {
    std::vector<std::size_t> next(previous.size(), kNoMember);
    for (std::size_t m = 0; m < previous.size(); ++m) {
        if (previous[m] != kNoMember) next[previous[m]] = m;
    }
    std::vector<std::vector<std::size_t>> chains;
    for (std::size_t m = 0; m < previous.size(); ++m) {
        if (previous[m] != kNoMember) continue;
        chains.emplace_back();
        for (std::size_t k = m; k != kNoMember; k = next[k]) chains.back().push_back(k);
    }
    return chains;
}

// The shortest period whose names agree nearly (nine tenths) as often as at
// the best one: multiples of the HOR agree as well, on fewer pairs.
std::size_t NamePeriod(const std::vector<std::vector<std::size_t>>& chains, const std::vector<std::size_t>& label,
                       std::size_t maxPeriod) {
    std::vector<std::size_t> agree(maxPeriod + 1, 0);
    for (const std::vector<std::size_t>& chain : chains) {
        for (std::size_t period = 2; period <= maxPeriod && period < chain.size(); ++period) {
            for (std::size_t i = 0; i + period < chain.size(); ++i)
                agree[period] += label[chain[i]] == label[chain[i + period]];
        }
    }
    const std::size_t best = *std::max_element(agree.begin(), agree.end());
    for (std::size_t period = 2; period <= maxPeriod; ++period) {
        if (agree[period] * 10 >= best * 9 && agree[period] >= 2 * period) return period;
    }
    return 0;
}

// The cheapest path of one chain through the columns and the off-period
// states. `off` holds the candidates no column has: a member may stand for one
// of them outside the period (a copy of a longer HOR among copies of a shorter
// variant holds positions the variant's columns lack). Stepping out of the
// period and back into it costs `breakCost` each, as a break of HOR order
// does, so a stretch leaves the period only where it lies nearer other
// candidates by more than a break; from one off-period state to another is
// free. A member in the off-period state of candidate k gets column period + k.
void ReadChain(const std::vector<std::size_t>& chain, const std::vector<std::uint32_t>& distance,
               std::size_t width, const std::vector<std::size_t>& candidate,
               const std::vector<std::size_t>& off, double breakCost, std::vector<std::size_t>& column) {
    const std::size_t period = candidate.size();
    const std::size_t states = period + off.size();
    std::vector<double> score(states), next(states);
    std::vector<std::size_t> from(chain.size() * states);
    const auto cheapestOf = [&](std::size_t begin, std::size_t end) {
        std::size_t cheapest = begin;
        for (std::size_t c = begin + 1; c < end; ++c) cheapest = score[c] < score[cheapest] ? c : cheapest;
        return cheapest;
    };
    for (std::size_t k = 0; k < chain.size(); ++k) {
        const std::uint32_t* row = distance.data() + chain[k] * width;
        const std::size_t cheapest = cheapestOf(0, period);
        const std::size_t cheapestOff = off.empty() ? cheapest : cheapestOf(period, states);
        for (std::size_t c = 0; c < states; ++c) {
            // Into a column: from the column before (free), or from any
            // other state (a break). Into an off-period state: from another
            // (free) or from any column (a break).
            double cost = score[cheapest] + breakCost;
            std::size_t source = cheapest;
            if (!off.empty() && score[cheapestOff] + (c < period ? breakCost : 0) <= cost) {
                cost = score[cheapestOff] + (c < period ? breakCost : 0);
                source = cheapestOff;
            }
            if (c < period) {
                const std::size_t before = (c + period - 1) % period;
                if (score[before] <= cost) {
                    cost = score[before];
                    source = before;
                }
            }
            if (k == 0) cost = c < period ? 0 : breakCost;
            next[c] = cost + row[c < period ? candidate[c] : off[c - period]];
            from[k * states + c] = source;
        }
        score.swap(next);
    }
    std::size_t state = static_cast<std::size_t>(std::min_element(score.begin(), score.end()) - score.begin());
    for (std::size_t k = chain.size(); k-- > 0;) {
        column[chain[k]] = state < period ? state : period + off[state - period];
        state = from[k * states + state];
    }
}

// Each column's candidate: the one nearest to its members as a whole.
std::vector<std::size_t> ColumnCandidates(const std::vector<std::uint32_t>& distance, std::size_t width,
                                          const std::vector<std::size_t>& column, std::size_t period) {
    std::vector<std::vector<double>> sums(period, std::vector<double>(width, 0));
    std::vector<std::size_t> members(period, 0);
    for (std::size_t m = 0; m < column.size(); ++m) {
        if (column[m] >= period) continue;  // no member yet, or off the period
        ++members[column[m]];
        for (std::size_t c = 0; c < width; ++c) sums[column[m]][c] += distance[m * width + c];
    }
    std::vector<std::size_t> candidate(period, 0);
    for (std::size_t p = 0; p < period; ++p)
        candidate[p] = static_cast<std::size_t>(std::min_element(sums[p].begin(), sums[p].end()) - sums[p].begin());
    return candidate;
}

}  // namespace

std::vector<std::size_t> HorColumns(const std::vector<std::uint32_t>& distance, std::size_t width,
                                    const std::vector<std::size_t>& previous, double breakCost,
                                    std::size_t maxPeriod) {
    const std::size_t count = previous.size();
    if (count == 0 || width == 0) return {};
    std::vector<std::size_t> label(count);
    for (std::size_t m = 0; m < count; ++m) {
        const auto row = distance.begin() + static_cast<std::ptrdiff_t>(m * width);
        label[m] = static_cast<std::size_t>(std::min_element(row, row + static_cast<std::ptrdiff_t>(width)) - row);
    }
    const std::vector<std::vector<std::size_t>> chains = Chains(previous);
    const std::size_t period = NamePeriod(chains, label, maxPeriod);
    if (period == 0) return {};
    // Start from the three periods of the longest run whose names repeat
    // best, read at a fixed phase.
    std::vector<std::size_t> column(count, kNoMember);
    const std::vector<std::size_t>& longest = *std::max_element(
        chains.begin(), chains.end(), [](const auto& a, const auto& b) { return a.size() < b.size(); });
    const std::size_t span = std::min(longest.size(), 3 * period);
    std::size_t start = 0, best = 0, agree = 0;
    const auto repeats = [&](std::size_t i) {
        return i + period < longest.size() && label[longest[i]] == label[longest[i + period]] ? 1u : 0u;
    };
    for (std::size_t i = 0; i + period < span; ++i) agree += repeats(i);
    best = agree;
    for (std::size_t s = 1; s + span <= longest.size(); ++s) {
        agree += repeats(s + span - period - 1);
        agree -= repeats(s - 1);
        if (agree > best) {
            best = agree;
            start = s;
        }
    }
    for (std::size_t k = start; k < start + span; ++k) column[longest[k]] = (k - start) % period;
    for (int round = 0; round < 3; ++round) {
        const std::vector<std::size_t> candidate = ColumnCandidates(distance, width, column, period);
        std::vector<std::size_t> off;
        for (std::size_t c = 0; c < width; ++c) {
            if (std::find(candidate.begin(), candidate.end(), c) == candidate.end()) off.push_back(c);
        }
        for (const std::vector<std::size_t>& chain : chains)
            ReadChain(chain, distance, width, candidate, off, breakCost, column);
    }
    return column;
}

}  // namespace horgrid
