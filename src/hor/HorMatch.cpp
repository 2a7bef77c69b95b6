#include "hor/HorMatch.h"

#include <algorithm>
#include <limits>

#include "common/NumberFormat.h"

namespace horgrid {

std::optional<std::uint32_t> MatchLimit(float threshold, std::size_t length, std::uint32_t bound) {
    const auto below = [&](std::uint32_t d) {
        return threshold > DistancePercent(static_cast<int>(d), length);
    };
    bound = std::min<std::uint32_t>(bound, std::numeric_limits<int>::max());
    if (!below(0)) return std::nullopt;
    if (below(bound)) return bound;
    // below(low) holds and below(high) does not.
    std::uint32_t low = 0;
    std::uint32_t high = bound;
    while (high - low > 1) {
        const std::uint32_t middle = low + (high - low) / 2;
        (below(middle) ? low : high) = middle;
    }
    return low;
}

}  // namespace horgrid
