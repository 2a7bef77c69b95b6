#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// The member of a group with the least total edit distance to the others:
// candidates and the members they are measured against are each at most
// `sample` members spread evenly over the group (all of them in small groups).
std::size_t GroupMedoid(const std::vector<std::string_view>& members, std::size_t sample = 64);

// The majority consensus of a group. Every member is aligned to the medoid
// (unit-cost global alignment with traceback); each medoid base is a column
// that takes the majority of the members' bases or gaps there (a gap majority
// drops the column), and between two medoid bases an insertion is kept, base by
// base, where most members insert. Ties keep the medoid's own base. An insertion
// or deletion in one member so touches only its own columns.
class MedoidConsensus {
public:
    std::string Consensus(const std::vector<std::string_view>& members, std::string_view medoid);

private:
    // Aligns `member` to `medoid`, adding its bases to the column counts.
    void AddMember(std::string_view member, std::string_view medoid);

    std::vector<int> score_;                          // (rows + 1) * (columns + 1) DP scores
    std::vector<std::size_t> counts_;                 // per medoid column: A C G T other gap
    std::vector<std::vector<std::size_t>> inserted_;  // per slot: per offset, A C G T other
};

}  // namespace horgrid
