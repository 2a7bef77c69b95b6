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

// The cheapest path of one chain through the columns.
void ReadChain(const std::vector<std::size_t>& chain, const std::vector<std::uint32_t>& distance, std::size_t width,
               const std::vector<std::size_t>& candidate, double breakCost, std::vector<std::size_t>& column) {
    const std::size_t period = candidate.size();
    std::vector<double> score(period), next(period);
    std::vector<std::size_t> from(chain.size() * period);
    for (std::size_t k = 0; k < chain.size(); ++k) {
        const std::uint32_t* row = distance.data() + chain[k] * width;
        std::size_t cheapest = 0;
        for (std::size_t c = 1; c < period; ++c) cheapest = score[c] < score[cheapest] ? c : cheapest;
        for (std::size_t c = 0; c < period; ++c) {
            const std::size_t before = (c + period - 1) % period;
            double cost = score[cheapest] + breakCost;
            std::size_t source = cheapest;
            if (k == 0 || score[before] <= cost) {
                cost = k == 0 ? 0 : score[before];
                source = before;
            }
            next[c] = cost + row[candidate[c]];
            from[k * period + c] = source;
        }
        score.swap(next);
    }
    std::size_t state = static_cast<std::size_t>(std::min_element(score.begin(), score.end()) - score.begin());
    for (std::size_t k = chain.size(); k-- > 0;) {
        column[chain[k]] = state;
        state = from[k * period + state];
    }
}

// Each column's candidate: the one nearest to its members as a whole.
std::vector<std::size_t> ColumnCandidates(const std::vector<std::uint32_t>& distance, std::size_t width,
                                          const std::vector<std::size_t>& column, std::size_t period) {
    std::vector<std::vector<double>> sums(period, std::vector<double>(width, 0));
    std::vector<std::size_t> members(period, 0);
    for (std::size_t m = 0; m < column.size(); ++m) {
        if (column[m] == kNoMember) continue;
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
        for (const std::vector<std::size_t>& chain : chains) ReadChain(chain, distance, width, candidate, breakCost, column);
    }
    return column;
}

}  // namespace horgrid
