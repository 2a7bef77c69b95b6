#include "hor/HorSegments.h"

namespace horgrid {

std::vector<RecordRange> CutSegments(std::span<const int> lengths) {
    std::vector<RecordRange> segments;
    if (lengths.empty()) return segments;
    std::size_t first = 0;
    for (std::size_t t = 1; t < lengths.size(); ++t) {
        if (lengths[t] > kSegmentLengthLimit) {
            segments.push_back({first, t - 1});
            first = t;
        }
    }
    segments.push_back({first, lengths.size() - 1});
    return segments;
}

}  // namespace horgrid
