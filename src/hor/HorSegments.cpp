#include "hor/HorSegments.h"

namespace horgrid {

std::vector<int> SegmentBreaks(const std::vector<alpha>& records) {
    const int n = static_cast<int>(records.size());
    std::vector<int> breaks{0};
    for (int t = 1; t < n; ++t) {
        if (records[static_cast<std::size_t>(t)].length > kSegmentLengthLimit) {
            breaks.push_back(t - 1);
            breaks.push_back(t);
        }
    }
    breaks.push_back(n - 1);
    return breaks;
}

}  // namespace horgrid
