#include "sequence/DistinctSequences.h"

#include <unordered_map>

namespace horgrid {

DistinctSequences FindDistinct(const std::vector<std::string_view>& input) {
    DistinctSequences distinct;
    distinct.of.reserve(input.size());
    std::unordered_map<std::string_view, std::size_t> first;
    first.reserve(input.size());
    for (const std::string_view sequence : input) {
        const auto [it, added] = first.emplace(sequence, distinct.sequences.size());
        if (added) distinct.sequences.push_back(sequence);
        distinct.of.push_back(it->second);
    }
    return distinct;
}

}  // namespace horgrid
