#include "infer/InferredNames.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "infer/GroupConsensus.h"

namespace horgrid {

// Built by appending: GCC 12 warns falsely on "M" + string.
std::string MonomerName(std::size_t index) {
    std::string name = "M";
    name += std::to_string(index + 1);
    return name;
}

std::vector<HybridMonomer> FindHybrids(const std::vector<MonomerType>& set, std::size_t inferred) {
    std::vector<HybridMonomer> hybrids;
    const auto half = [](const std::string& s, bool first) {
        const std::size_t middle = s.size() / 2;
        return first ? std::string_view(s).substr(0, middle) : std::string_view(s).substr(middle);
    };
    for (std::size_t m = 0; m < inferred; ++m) {
        std::optional<HybridMonomer> best;
        float bestSum = 0;
        for (std::size_t a = 0; a < inferred; ++a) {
            if (a == m) continue;
            const float firstA = PercentApart(half(set[m].sequence, true), half(set[a].sequence, true));
            if (firstA > 3) continue;
            for (std::size_t b = 0; b < inferred; ++b) {
                if (b == m || b == a) continue;
                const float secondB =
                    PercentApart(half(set[m].sequence, false), half(set[b].sequence, false));
                if (secondB > 3) continue;
                const float firstB = PercentApart(half(set[m].sequence, true), half(set[b].sequence, true));
                const float secondA =
                    PercentApart(half(set[m].sequence, false), half(set[a].sequence, false));
                if (firstB < 5 || secondA < 5) continue;
                if (!best || firstA + secondB < bestSum) {
                    best = HybridMonomer{m, a, b};
                    bestSum = firstA + secondB;
                }
            }
        }
        if (best) hybrids.push_back(*best);
    }
    return hybrids;
}

void NameInHorOrder(Inference& result, const std::vector<std::size_t>& counts) {
    const std::size_t all = result.monomers.size();
    std::size_t size = result.inferred;
    for (std::size_t type = result.inferred; type < all; ++type) size += counts[type] > 0;
    // The unit's types in unit order, each once (a unit may use a type twice).
    std::vector<std::size_t> order;
    for (const std::size_t type : result.hor.unit) {
        if (std::find(order.begin(), order.end(), type) == order.end()) order.push_back(type);
    }
    std::vector<std::size_t> rest;
    for (std::size_t type = 0; type < result.inferred; ++type) {
        if (std::find(order.begin(), order.end(), type) == order.end()) rest.push_back(type);
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [&](std::size_t a, std::size_t b) { return counts[a] > counts[b]; });
    order.insert(order.end(), rest.begin(), rest.end());
    for (std::size_t type = result.inferred; type < all; ++type) {
        if (counts[type] > 0) order.push_back(type);
    }
    std::vector<std::size_t> rank(all, all);
    std::vector<MonomerType> named(size);
    for (std::size_t k = 0; k < size; ++k) {
        rank[order[k]] = k;
        named[k] = {k < result.inferred ? MonomerName(k) : result.monomers[order[k]].name,
                    result.monomers[order[k]].sequence};
    }
    result.monomers = std::move(named);
    const auto rename = [&](std::vector<std::size_t>& types) {
        for (std::size_t& type : types) type = rank[type];
    };
    for (std::vector<Segment>& record : result.segments) {
        for (Segment& segment : record) segment.type = rank[segment.type];
    }
    rename(result.hor.unit);
    const auto renameCopies = [&](std::vector<HorCopy>& copies) {
        for (HorCopy& copy : copies) {
            rename(copy.types);
            rename(copy.lacks);
            rename(copy.adds);
        }
    };
    renameCopies(result.hor.copies);
    for (VariantArray& array : result.hor.variantArrays) {
        rename(array.layout);
        rename(array.lacks);
        rename(array.adds);
        renameCopies(array.copies);
    }
    for (HybridMonomer& hybrid : result.hybrids) {
        hybrid.monomer = rank[hybrid.monomer];
        hybrid.first = rank[hybrid.first];
        hybrid.second = rank[hybrid.second];
    }
    std::sort(result.hybrids.begin(), result.hybrids.end(),
              [](const HybridMonomer& a, const HybridMonomer& b) { return a.monomer < b.monomer; });
}

}  // namespace horgrid
