#pragma once

#include <span>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// Two record lists interleaved by position: while both have records left, the
// one of smaller position is taken (the second list's on equal positions) and
// its length becomes the gap to the previously taken position (0 before the
// first, modulo 2^32); the list left over follows with its records as they are.
std::vector<alpha> MergeByPosition(std::span<const alpha> first, std::span<const alpha> second);

}  // namespace horgrid
