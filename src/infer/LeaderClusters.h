#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace horgrid {

// Groups of close sequences without comparing every pair. Sequences are taken
// in `order`; one that lies within `closeness` percent (edit distance * 100 /
// the leader's length, below the threshold) of no leader so far becomes a
// leader itself. Then every sequence joins its nearest leader (the earliest on
// ties), on `threads` threads. Returns the groups, one per leader in the order
// the leaders arose, each listing sequence indices in ascending order.
// Cost: distinct sequences times leaders bounded distances (skipped where the
// 3-mer bound already exceeds the limit), plus one pruned nearest-leader
// search (NearestSequences); exact repeats are measured once.
//
// With `sample` below the length of `order`, only `sample` sequences spread
// evenly over `order` (in its order) may become leaders, so that diverse input
// costs sample times leaders; a sequence not within `closeness` of any leader
// then joins no group.
std::vector<std::vector<std::size_t>> LeaderClusters(const std::vector<std::string_view>& sequences,
                                                     const std::vector<std::size_t>& order, float closeness,
                                                     unsigned threads, std::size_t sample = 0);

}  // namespace horgrid
