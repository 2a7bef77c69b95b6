#include "infer/GroupConsensus.h"

#include <algorithm>

#include "infer/MedoidConsensus.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"

namespace horgrid {

float PercentApart(std::string_view a, std::string_view b) {
    return a.empty() ? 100.0f : DistancePercent(static_cast<int>(Levenshtein(a, b)), a.size());
}

void Summarise(Group& group, const std::vector<std::string_view>& pieces, std::size_t sample) {
    std::vector<std::string_view> spread;
    const std::size_t count = std::min(group.members.size(), sample);
    for (std::size_t k = 0; k < count; ++k)
        spread.push_back(pieces[group.members[k * group.members.size() / count]]);
    const std::size_t medoid = GroupMedoid(spread);
    group.consensus = MedoidConsensus().Consensus(spread, spread[medoid]);
    const std::size_t measured = std::min<std::size_t>(spread.size(), 100);
    double total = 0;
    for (std::size_t k = 0; k < measured; ++k) {
        total += PercentApart(group.consensus, spread[k * spread.size() / measured]);
    }
    group.spread = measured == 0 ? 0 : static_cast<float>(total / static_cast<double>(measured));
}

bool SeparateColumns(const Group& a, const Group& b, const std::vector<std::string_view>& pieces) {
    if (a.consensus == b.consensus) return false;
    const auto loyal = [&](const Group& own, const Group& other) {
        const std::size_t measured = std::min<std::size_t>(own.members.size(), 200);
        std::size_t closer = 0;
        for (std::size_t k = 0; k < measured; ++k) {
            const std::string_view piece = pieces[own.members[k * own.members.size() / measured]];
            closer += Levenshtein(piece, own.consensus) < Levenshtein(piece, other.consensus);
        }
        return 5 * closer >= 4 * measured;
    };
    return loyal(a, b) && loyal(b, a);
}

}  // namespace horgrid
