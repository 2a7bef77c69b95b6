#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace horgrid {

// The distinct sequences of a list, so that work that depends only on a
// sequence's bases runs once per distinct sequence (the copies of a HOR array
// are often exact repeats). `sequences` lists each distinct one at its first
// occurrence, in input order; `of[i]` is the index in `sequences` of input i.
// The views point into the input.
struct DistinctSequences {
    std::vector<std::string_view> sequences;
    std::vector<std::size_t> of;
};

DistinctSequences FindDistinct(const std::vector<std::string_view>& input);

}  // namespace horgrid
