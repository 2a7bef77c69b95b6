#include "sequence/DistanceLimit.h"

#include <climits>

#include "sequence/DistancePercent.h"

namespace horgrid {

std::optional<std::uint32_t> LargestDistanceBelow(float threshold, std::size_t length) {
    const auto qualifies = [&](int distance) { return threshold > DistancePercent(distance, length); };
    if (!qualifies(0)) return std::nullopt;
    // Binary search for the last qualifying distance in [0, INT_MAX].
    int low = 0;  // qualifies
    int high = INT_MAX;
    if (qualifies(high)) return static_cast<std::uint32_t>(high);
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        if (qualifies(middle)) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return static_cast<std::uint32_t>(low);
}

}  // namespace horgrid
