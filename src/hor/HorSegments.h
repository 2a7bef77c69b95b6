#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace horgrid {

// Records longer than this (by their length column) start a new segment.
inline constexpr int kSegmentLengthLimit = 1000;

// One segment of an ensemble: records first ... last, both included.
struct RecordRange {
    std::size_t first = 0;
    std::size_t last = 0;
    bool operator==(const RecordRange&) const = default;
};

// The segments of an ensemble, given the length column of its records in
// order: a new segment starts at every record but the first whose length
// exceeds kSegmentLengthLimit. No records give no segment.
std::vector<RecordRange> CutSegments(std::span<const int> lengths);

}  // namespace horgrid
