#include "sequence/NearestSequences.h"

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>

#include "common/Parallel.h"
#include "sequence/DistinctSequences.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

KmerCounts CountKmers(std::string_view bases) {
    KmerCounts counts{};
    unsigned code = 0;
    std::size_t valid = 0;  // bases of ACGT just before
    for (const char base : bases) {
        unsigned value = 4;
        switch (base) {
            case 'A': value = 0; break;
            case 'C': value = 1; break;
            case 'G': value = 2; break;
            case 'T': value = 3; break;
            default: break;
        }
        if (value == 4) {
            valid = 0;
            continue;
        }
        code = ((code << 2) | value) & 63;
        if (++valid >= 3) ++counts[code];
    }
    return counts;
}

std::uint32_t DistanceLowerBound(const KmerCounts& a, std::size_t aLength, const KmerCounts& b, std::size_t bLength) {
    std::uint64_t l1 = 0;
    for (std::size_t k = 0; k < a.size(); ++k) l1 += a[k] > b[k] ? a[k] - b[k] : b[k] - a[k];
    const std::size_t difference = aLength > bLength ? aLength - bLength : bLength - aLength;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(difference, (l1 + 5) / 6), UINT32_MAX));
}

namespace {

constexpr std::size_t kLanes = batch::kLanes;

struct Scratch {
    std::unique_ptr<LevenshteinBatch> batch;
    std::vector<std::uint32_t> groupBound;
    std::vector<std::size_t> order;
};

NearestSequence Nearest(std::string_view text, const std::vector<std::string_view>& set,
                        const std::vector<KmerCounts>& setCounts, Scratch& scratch) {
    const std::size_t groups = (set.size() + kLanes - 1) / kLanes;
    const KmerCounts counts = CountKmers(text);
    scratch.groupBound.assign(groups, UINT32_MAX);
    for (std::size_t j = 0; j < set.size(); ++j) {
        std::uint32_t& bound = scratch.groupBound[j / kLanes];
        bound = std::min(bound, DistanceLowerBound(counts, text.size(), setCounts[j], set[j].size()));
    }
    scratch.order.resize(groups);
    std::iota(scratch.order.begin(), scratch.order.end(), std::size_t{0});
    std::stable_sort(scratch.order.begin(), scratch.order.end(), [&](std::size_t x, std::size_t y) {
        return scratch.groupBound[x] < scratch.groupBound[y];
    });
    NearestSequence best{set.size(), UINT32_MAX};
    std::uint32_t lanes[kLanes];
    for (const std::size_t g : scratch.order) {
        if (scratch.groupBound[g] > best.distance) break;
        const std::size_t first = g * kLanes;
        const std::size_t last = std::min(set.size(), first + kLanes);
        scratch.batch->Distances(text, first, last, lanes);
        for (std::size_t j = first; j < last; ++j) {
            const std::uint32_t distance = lanes[j - first];
            if (distance < best.distance || (distance == best.distance && j < best.index)) best = {j, distance};
        }
    }
    return best;
}

}  // namespace

std::vector<NearestSequence> NearestSequences(const std::vector<std::string_view>& texts,
                                              const std::vector<std::string_view>& set, unsigned threads) {
    std::vector<NearestSequence> nearest(texts.size());
    if (set.empty()) return nearest;
    // Repeated texts (monomers of exact HOR copies) are measured once.
    const DistinctSequences distinct = FindDistinct(texts);
    std::vector<NearestSequence> unique(distinct.sequences.size());
    std::vector<KmerCounts> setCounts;
    setCounts.reserve(set.size());
    for (const std::string_view sequence : set) setCounts.push_back(CountKmers(sequence));
    std::vector<Scratch> scratch(std::max(threads, 1u));
    ParallelFor(
        unique.size(), threads,
        [&](std::size_t i, unsigned worker) {
            if (!scratch[worker].batch) scratch[worker].batch = std::make_unique<LevenshteinBatch>(set);
            unique[i] = Nearest(distinct.sequences[i], set, setCounts, scratch[worker]);
        },
        16);
    for (std::size_t i = 0; i < texts.size(); ++i) nearest[i] = unique[distinct.of[i]];
    return nearest;
}

}  // namespace horgrid
