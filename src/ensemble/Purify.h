#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// One record the purification keeps: its index in the input, its new length
// (the gap from the previous kept record's position, or from 0) and its
// percentage distance from the reference.
struct PurifiedRecord {
    std::size_t index = 0;
    int gap = 0;
    float percent = 0.0f;
};

// The records whose edit distance from the built-in 171-base reference monomer
// (not one of the family references), times 100 / 171
// in double and then narrowed to float, is below 45 (distance 76 or less), in
// input order.
std::vector<PurifiedRecord> PurifyRecords(std::span<const alpha> records);

// The consensus-difference text of a kept record: "(" percent "%)" with six
// decimals, e.g. "(12.280702%)".
std::string PurifiedDifference(float percent);

}  // namespace horgrid
