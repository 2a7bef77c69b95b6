#include "infer/TandemPeriod.h"

#include <algorithm>
#include <cstdint>

#include "sequence/Kmers.h"

namespace horgrid {
namespace {

// For every position: the distance back to the previous occurrence of the
// k-mer ending there (0 for none or beyond maxPeriod).
std::vector<std::uint32_t> Distances(const std::string& sequence, const TandemPeriodSettings& settings,
                                     std::vector<std::uint32_t>& last) {
    std::vector<std::uint32_t> distances(sequence.size(), 0);
    std::fill(last.begin(), last.end(), 0);
    ForEachKmer(sequence, settings.k, [&](std::size_t i, std::uint64_t code) {
        const std::uint32_t previous = last[code];  // position + 1
        if (previous > 0 && i + 1 - previous <= settings.maxPeriod) {
            distances[i] = static_cast<std::uint32_t>(i + 1 - previous);
        }
        last[code] = static_cast<std::uint32_t>(i + 1);
    });
    return distances;
}

std::size_t Tolerance(std::size_t period) { return std::max<std::size_t>(1, period / 50); }

}  // namespace

TandemPeriod FindTandemPeriod(const std::vector<std::string>& sequences, const TandemPeriodSettings& settings) {
    TandemPeriod result;
    std::vector<std::uint32_t> last(std::size_t{1} << (2 * settings.k));
    std::vector<double> votes(settings.maxPeriod + 1, 0);
    std::size_t kmers = 0;
    for (const std::string& sequence : sequences) {
        for (const std::uint32_t distance : Distances(sequence, settings, last)) {
            votes[distance] += 1;
        }
        kmers += sequence.size();
    }
    if (kmers == 0) return result;
    const auto around = [&](std::size_t period) {
        double sum = 0;
        const std::size_t tolerance = Tolerance(period);
        for (std::size_t d = period - std::min(period, tolerance); d <= std::min(settings.maxPeriod, period + tolerance); ++d) {
            if (d > 0) sum += votes[d];
        }
        return sum;
    };
    std::size_t best = 0;
    double bestVotes = 0;
    for (std::size_t period = settings.minPeriod; period <= settings.maxPeriod; ++period) {
        if (votes[period] > votes[best] || best == 0) best = period;
    }
    bestVotes = around(best);
    for (std::size_t parts = 6; parts >= 2; --parts) {
        const std::size_t fraction = (best + parts / 2) / parts;
        if (fraction < settings.minPeriod) continue;
        std::size_t peak = fraction;
        for (std::size_t d = fraction - Tolerance(fraction); d <= fraction + Tolerance(fraction); ++d) {
            if (votes[d] > votes[peak]) peak = d;
        }
        if (around(peak) * 3 >= bestVotes) {
            best = peak;
            break;
        }
    }
    result.share = around(best) / static_cast<double>(kmers);
    if (best == 0 || result.share < settings.minShare) return result;
    result.period = best;
    // The densest stretch of 10 periods.
    const std::size_t window = 10 * best;
    const std::size_t tolerance = Tolerance(best);
    std::size_t bestCount = 0;
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        const std::vector<std::uint32_t> distances = Distances(sequences[r], settings, last);
        std::size_t count = 0;
        for (std::size_t i = 0; i < distances.size(); ++i) {
            const auto in = [&](std::size_t at) {
                return distances[at] + tolerance >= best && distances[at] <= best + tolerance;
            };
            count += in(i);
            if (i >= window) count -= in(i - window);
            if (i + 1 >= window && count > bestCount && sequences[r].size() >= best) {
                bestCount = count;
                result.record = r;
                result.start = std::min(i + 1 - window / 2, sequences[r].size() - best);
            }
        }
        if (bestCount == 0 && sequences[r].size() >= best) {
            result.record = r;  // shorter than the window: its middle
            result.start = (sequences[r].size() - best) / 2;
            bestCount = 1;
        }
    }
    return result;
}

}  // namespace horgrid
