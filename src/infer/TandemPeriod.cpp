#include "infer/TandemPeriod.h"

#include <algorithm>
#include <cstdint>

#include "sequence/Kmers.h"

namespace horgrid {
namespace {

// Calls visit(position, distance) for every k-mer: the distance back to the
// previous occurrence of the k-mer ending at position (0 for none or beyond
// maxPeriod; positions without a k-mer give 0 too).
template <class Visit>
void ForEachDistance(const std::string& sequence, const TandemPeriodSettings& settings,
                     std::vector<std::uint32_t>& last, Visit&& visit) {
    std::fill(last.begin(), last.end(), 0);
    std::size_t next = 0;  // first position not yet visited
    ForEachKmer(sequence, settings.k, [&](std::size_t i, std::uint64_t code) {
        for (; next < i; ++next) visit(next, 0u);
        const std::uint32_t previous = last[code];  // position + 1
        const bool near = previous > 0 && i + 1 - previous <= settings.maxPeriod;
        visit(i, near ? static_cast<std::uint32_t>(i + 1 - previous) : 0u);
        next = i + 1;
        last[code] = static_cast<std::uint32_t>(i + 1);
    });
    for (; next < sequence.size(); ++next) visit(next, 0u);
}

std::size_t Tolerance(std::size_t period) {
    return std::max<std::size_t>(1, period / 50);
}

}  // namespace

TandemPeriod FindTandemPeriod(const std::vector<std::string>& sequences,
                              const TandemPeriodSettings& settings) {
    TandemPeriod result;
    std::vector<std::uint32_t> last(std::size_t{1} << (2 * settings.k));
    std::vector<double> votes(settings.maxPeriod + 1, 0);
    std::size_t kmers = 0;
    for (const std::string& sequence : sequences) {
        ForEachDistance(sequence, settings, last,
                        [&](std::size_t, std::uint32_t distance) { votes[distance] += 1; });
        kmers += sequence.size();
    }
    if (kmers == 0) return result;
    const auto around = [&](std::size_t period) {
        double sum = 0;
        const std::size_t tolerance = Tolerance(period);
        for (std::size_t d = period - std::min(period, tolerance);
             d <= std::min(settings.maxPeriod, period + tolerance); ++d) {
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
        std::vector<bool> ring(window, false);  // the last `window` positions: in period?
        std::size_t count = 0;
        ForEachDistance(sequences[r], settings, last, [&](std::size_t i, std::uint32_t distance) {
            const bool in = distance + tolerance >= best && distance <= best + tolerance;
            count += in;
            count -= ring[i % window];
            ring[i % window] = in;
            if (i + 1 >= window && count > bestCount && sequences[r].size() >= best) {
                bestCount = count;
                result.record = r;
                result.start = std::min(i + 1 - window / 2, sequences[r].size() - best);
            }
        });
        if (bestCount == 0 && sequences[r].size() >= best) {
            result.record = r;  // shorter than the window: its middle
            result.start = (sequences[r].size() - best) / 2;
            bestCount = 1;
        }
    }
    return result;
}

}  // namespace horgrid
