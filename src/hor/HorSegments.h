#pragma once

#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// Records longer than this (by their length column) start a new segment.
inline constexpr int kSegmentLengthLimit = 1000;

// The segments of an ensemble of records.size() > 0 records as pairs of record
// indices (first, last), flattened: 0, then t - 1, t for every record t > 0
// whose length exceeds kSegmentLengthLimit, then records.size() - 1.
std::vector<int> SegmentBreaks(const std::vector<alpha>& records);

}  // namespace horgrid
