#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace horgrid {

// One row i of a dot matrix over columns columnBegin ... columnEnd - 1: the
// cells left of the diagonal (j < i) are not computed, the others hold
// distances[k] = Levenshtein(sequence i, sequence first + k) with first =
// columnBegin + zeroCells. A cell's value is DistancePercent(distance,
// divisor), divisor being PercentDivisor(sequence i).
struct DotMatrixRow {
    int index = 0;
    std::size_t zeroCells = 0;
    std::span<const std::uint32_t> distances;
    std::size_t divisor = 0;
};

// Computes rows rowBegin ... rowEnd - 1 against columns columnBegin ...
// columnEnd - 1 (all four bounds clamped to 0 ... sequences.size(); an empty
// or reversed range has no rows or no columns) and hands each row to `visit`
// in increasing order as soon as it is computed; the row's distances are valid
// only during the call. Memory is one row, whatever the number of rows.
//
// With threads > 1 the rows are computed on that many threads, each with its
// own batch engine, in blocks of rows; `visit` still sees every row once, in
// increasing order, one call at a time, but on a thread of its own while the
// next block is computed. Memory is then two blocks of rows.
void ForEachDotMatrixRow(std::span<const std::string_view> sequences, int rowBegin, int rowEnd,
                         int columnBegin, int columnEnd,
                         const std::function<void(const DotMatrixRow&)>& visit, unsigned threads = 1);

}  // namespace horgrid
