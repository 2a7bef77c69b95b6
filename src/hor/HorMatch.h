#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace horgrid {

// The largest edit distance d <= bound whose distance percentage of `length`
// (float d * 100 / length, see DistancePercent) is still below `threshold`, found
// by evaluating that very float expression; none when not even d = 0 qualifies
// (an empty sequence, a threshold of 0 or less, NaN). Since the percentage grows
// with d, a pair whose distance is at most `bound` is below the threshold
// exactly when its distance is at most the limit.
std::optional<std::uint32_t> MatchLimit(float threshold, std::size_t length, std::uint32_t bound);

}  // namespace horgrid
