#include "infer/LeaderClusters.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "sequence/DistanceLimit.h"
#include "sequence/DistinctSequences.h"
#include "sequence/EditDistance.h"
#include "sequence/NearestSequences.h"

namespace horgrid {

std::vector<std::vector<std::size_t>> LeaderClusters(const std::vector<std::string_view>& sequences,
                                                     const std::vector<std::size_t>& order, float closeness,
                                                     unsigned threads, std::size_t sample) {
    std::vector<std::string_view> leaders;
    std::vector<std::uint32_t> limits;
    std::vector<KmerCounts> leaderCounts;
    // Everything below depends on a sequence's bases only, so repeats are
    // measured once: a repeat of an earlier candidate is within the limit of
    // that candidate's leader, or is empty.
    const DistinctSequences distinct = FindDistinct(sequences);
    std::vector<char> seen(distinct.sequences.size(), 0);
    const std::size_t candidates = sample > 0 && sample < order.size() ? sample : order.size();
    for (std::size_t k = 0; k < candidates; ++k) {
        const std::size_t index = order[k * order.size() / candidates];
        if (std::exchange(seen[distinct.of[index]], 1)) continue;
        const std::string_view sequence = sequences[index];
        const KmerCounts counts = CountKmers(sequence);
        bool near = false;
        for (std::size_t k = leaders.size(); k-- > 0 && !near;) {
            near = DistanceLowerBound(counts, sequence.size(), leaderCounts[k], leaders[k].size()) <= limits[k] &&
                   LevenshteinAtMost(sequence, leaders[k], limits[k]) <= limits[k];
        }
        if (near) continue;
        const std::optional<std::uint32_t> limit = LargestDistanceBelow(closeness, sequence.size());
        if (!limit) continue;  // empty sequence: close to nothing, never a leader
        leaders.push_back(sequence);
        leaderCounts.push_back(counts);
        limits.push_back(*limit);
    }
    std::vector<std::vector<std::size_t>> groups(leaders.size());
    if (leaders.empty()) return groups;

    std::vector<std::size_t> wanted;  // the distinct sequences of `order`, once each
    std::fill(seen.begin(), seen.end(), 0);
    for (const std::size_t index : order) {
        if (!std::exchange(seen[distinct.of[index]], 1)) wanted.push_back(distinct.of[index]);
    }
    std::vector<std::string_view> texts;
    texts.reserve(wanted.size());
    for (const std::size_t d : wanted) texts.push_back(distinct.sequences[d]);
    const std::vector<NearestSequence> found = NearestSequences(texts, leaders, threads);
    std::vector<std::ptrdiff_t> nearestOf(distinct.sequences.size(), -1);
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        const std::size_t best = found[k].index;
        // Without a sample every sequence in `order` but an empty one lies
        // within some leader's limit.
        if (!texts[k].empty() && (candidates == order.size() || found[k].distance <= limits[best]))
            nearestOf[wanted[k]] = static_cast<std::ptrdiff_t>(best);
    }
    std::vector<std::ptrdiff_t> nearest(sequences.size(), -1);
    for (const std::size_t index : order) nearest[index] = nearestOf[distinct.of[index]];
    for (std::size_t index = 0; index < sequences.size(); ++index) {
        if (nearest[index] >= 0) groups[static_cast<std::size_t>(nearest[index])].push_back(index);
    }
    return groups;
}

}  // namespace horgrid
