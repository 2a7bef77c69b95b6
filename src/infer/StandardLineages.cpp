#include <algorithm>
#include <limits>
#include <map>

#include "common/Parallel.h"
#include "data/EmbeddedData.h"
#include "infer/InferState.h"
#include "sequence/EditDistance.h"

namespace horgrid::infer {
namespace {

// The standard monomer an inferred one stands for: the name of the profile
// consensus nearest it, when that lies within kStandardLineageDistance of its
// length and every profile of another name lies at least twice as far (the
// monomer is nearer its standard monomer than halfway to any other); empty
// otherwise.
std::string StandardName(std::string_view monomer, const std::vector<MonomerType>& profiles,
                         std::uint32_t& distance) {
    const auto limit =
        static_cast<std::uint32_t>(kStandardLineageDistance * static_cast<double>(monomer.size()));
    std::vector<std::uint32_t> apart(profiles.size());
    distance = std::numeric_limits<std::uint32_t>::max();
    const MonomerType* nearest = nullptr;
    for (std::size_t p = 0; p < profiles.size(); ++p) {
        apart[p] = LevenshteinAtMost(monomer, profiles[p].sequence, 2 * limit);
        if (apart[p] < distance) {
            distance = apart[p];
            nearest = &profiles[p];
        }
    }
    if (nearest == nullptr || distance > limit) return {};
    for (std::size_t p = 0; p < profiles.size(); ++p) {
        if (profiles[p].name != nearest->name && (apart[p] <= distance || apart[p] < 2 * distance)) return {};
    }
    return nearest->name;
}

}  // namespace

std::vector<JoinedLineage> JoinStandardLineages(State& state, unsigned threads) {
    static const std::vector<MonomerType> kProfiles = EmbeddedMonomerRecords("AS-HOR.consensus.fa.gz");
    std::vector<std::string> names(state.inferred);
    std::vector<std::uint32_t> distances(state.inferred, 0);
    ParallelFor(state.inferred, threads, [&](std::size_t k, unsigned) {
        names[k] = StandardName(state.set[k].sequence, kProfiles, distances[k]);
    });
    std::vector<std::size_t> counts(state.set.size(), 0);
    for (const std::vector<Segment>& record : state.segments) {
        for (const Segment& segment : record) ++counts[segment.type];
    }
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t k = 0; k < state.inferred; ++k) {
        if (!names[k].empty()) byName[names[k]].push_back(k);
    }
    std::vector<JoinedLineage> joined;
    std::vector<bool> dropped(state.inferred, false);
    for (const auto& [name, lines] : byName) {
        if (lines.size() < 2) continue;
        const std::size_t kept =
            *std::min_element(lines.begin(), lines.end(), [&](std::size_t a, std::size_t b) {
                return distances[a] != distances[b] ? distances[a] < distances[b] : counts[a] > counts[b];
            });
        JoinedLineage lineage{kept, lines, 0};
        for (std::size_t k : lines) {
            lineage.members += counts[k];
            if (k != kept) dropped[k] = true;
        }
        joined.push_back(std::move(lineage));
    }
    if (joined.empty()) return joined;
    std::vector<MonomerType> set;
    std::vector<std::size_t> index(state.inferred, 0);
    for (std::size_t k = 0; k < state.inferred; ++k) {
        index[k] = set.size();
        if (!dropped[k]) set.push_back(state.set[k]);
    }
    for (JoinedLineage& lineage : joined) lineage.monomer = index[lineage.monomer];
    ReplaceInferred(state, std::move(set));
    return joined;
}

}  // namespace horgrid::infer
