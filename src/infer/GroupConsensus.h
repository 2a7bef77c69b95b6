#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// Edit distance of two monomers in percent of the first one's length (100
// when it is empty).
float PercentApart(std::string_view a, std::string_view b);

// A group of segment pieces with its consensus and spread (mean distance of
// the members to the consensus, percent).
struct Group {
    std::vector<std::size_t> members;  // indexes into the pieces
    std::string consensus;
    float spread = 0;
};

// Sets the consensus (MedoidConsensus of at most `sample` members spread over
// the group) and the spread (over at most 100 of them).
void Summarise(Group& group, const std::vector<std::string_view>& pieces, std::size_t sample);

// Two groups are distinct when their consensuses differ and most members of
// each (four in five of up to 200) lie closer to their own group's consensus
// than to the other's: a base that tells two positions apart is seldom
// mutated, so even positions one base apart separate, while two halves of one
// position give one consensus twice.
bool SeparateColumns(const Group& a, const Group& b, const std::vector<std::string_view>& pieces);

}  // namespace horgrid
