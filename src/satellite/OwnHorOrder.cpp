#include "satellite/OwnHorOrder.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "sequence/Kmers.h"

namespace horgrid {

OwnHorOrder FindOwnHorOrder(std::string_view sequence, std::int64_t start, std::int64_t end,
                            const OwnHorSettings& settings) {
    OwnHorOrder order;
    start = std::max<std::int64_t>(0, start);
    end = std::min(static_cast<std::int64_t>(sequence.size()), end);
    if (end - start < 3 * settings.minPeriod) return order;
    std::unordered_map<std::uint64_t, std::int64_t> last;
    std::vector<std::int64_t> distances(static_cast<std::size_t>(settings.maxPeriod) + 2, 0);
    std::int64_t kmers = 0;
    const std::string_view stretch = sequence.substr(static_cast<std::size_t>(start),
                                                     static_cast<std::size_t>(end - start));
    ForEachKmer(stretch, static_cast<std::size_t>(settings.k), [&](std::size_t at, std::uint64_t code) {
        ++kmers;
        const std::int64_t x = static_cast<std::int64_t>(at);
        const auto [it, fresh] = last.try_emplace(code, x);
        if (fresh) return;
        const std::int64_t d = x - it->second;
        it->second = x;
        if (d <= settings.maxPeriod) ++distances[static_cast<std::size_t>(d)];
    });
    // The most frequent distance, with its neighbours within d/50 + 1 (indels
    // between copies); and the most frequent below two monomers.
    const auto around = [&](std::int64_t d) {
        std::int64_t sum = 0;
        const std::int64_t spread = d / 50 + 1;
        for (std::int64_t e = std::max<std::int64_t>(1, d - spread); e <= std::min(settings.maxPeriod, d + spread); ++e) {
            sum += distances[static_cast<std::size_t>(e)];
        }
        return sum;
    };
    std::int64_t best = 0, bestCount = 0, shortCount = 0;
    for (std::int64_t d = settings.k; d <= settings.maxPeriod; ++d) {
        if (distances[static_cast<std::size_t>(d)] == 0) continue;
        const std::int64_t count = around(d);
        if (d < settings.minPeriod) shortCount = std::max(shortCount, count);
        if (count > bestCount) {
            best = d;
            bestCount = count;
        }
    }
    // Copies stand out: at least twice as many k-mers recur at the period as
    // at any distance within two monomers.
    if (bestCount < 2 * shortCount) return order;
    if (best < settings.minPeriod || kmers == 0) return order;
    const double share = static_cast<double>(bestCount) / static_cast<double>(kmers);
    if (share < settings.minShare) return order;
    order.period = best;
    order.share = share;
    return order;
}

}  // namespace horgrid
