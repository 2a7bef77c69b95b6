#include "groups/consensus.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>

#include "common/NumberFormat.h"
#include "sequence/DistancePercent.h"
#include "common/ResultFile.h"
#include "groups/MonomersFile.h"
#include "sequence/EditDistance.h"

namespace horgrid {

namespace {

// Vote counters, in the order ties are resolved; kOther is never chosen.
constexpr std::array<char, 7> kVoteLetters = {'A', 'C', 'G', 'T', 'N', 'X', '-'};
constexpr std::size_t kOther = kVoteLetters.size();
using Votes = std::array<int, kVoteLetters.size() + 1>;

// Counter index of every byte (case-sensitive: lower case counts as other).
constexpr std::array<unsigned char, 256> CounterTable() {
    std::array<unsigned char, 256> table{};
    table.fill(static_cast<unsigned char>(kOther));
    for (std::size_t i = 0; i < kVoteLetters.size(); ++i)
        table[static_cast<unsigned char>(kVoteLetters[i])] = static_cast<unsigned char>(i);
    return table;
}
constexpr std::array<unsigned char, 256> kCounterOf = CounterTable();

char Winner(const Votes& votes) {
    const int most = *std::max_element(votes.begin(), votes.end());
    for (std::size_t i = 0; i < kVoteLetters.size(); ++i)
        if (votes[i] == most) return kVoteLetters[i];
    return 'Y';
}

}  // namespace

alpha ConsensusOfGroup(const std::vector<alpha>& group) {
    alpha record("");
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "m" + name.
    record.name.assign(1, 'm');
    if (group.empty()) return record;
    const std::size_t length = group.front().sequence.size();
    record.name += group.front().name;
    record.length = static_cast<int>(length);

    std::vector<Votes> votes(length, Votes{});
    for (const alpha& member : group) {
        const std::size_t voting = std::min(length, member.sequence.size());
        for (std::size_t p = 0; p < voting; ++p)
            ++votes[p][kCounterOf[static_cast<unsigned char>(member.sequence[p])]];
    }
    record.sequence.reserve(length);
    for (const Votes& position : votes) record.sequence.push_back(Winner(position));
    return record;
}

std::vector<GroupConsensus> FindGroupConsensuses(const AlphaGroups& groups) {
    std::vector<GroupConsensus> found;
    for (const std::vector<alpha>& group : groups) {
        if (group.empty()) continue;
        GroupConsensus& result = found.emplace_back();
        result.record = ConsensusOfGroup(group);
        const std::string& center = result.record.sequence;
        for (const alpha& member : group)
            result.percents.push_back(
                DistancePercent(static_cast<int>(Levenshtein(center, member.sequence)), center.size()));
    }
    return found;
}

alpha consensus::FindConsensusFromAlphaEnsemble(const std::vector<alpha>& group) {
    std::cout << "Finding consensuses...\n";
    return ConsensusOfGroup(group);
}

consensus::consensus(std::string path) {
    const AlphaGroups groups = ReadMonomersFile(path, 5);
    const std::vector<GroupConsensus> found = FindGroupConsensuses(groups);
    for (const GroupConsensus& group : found) {
        std::cout << "Finding consensuses...\n";
        consensuses.push_back(group.record);
    }

    ResultFile out(path + ".cons", {path});
    for (const alpha& record : consensuses)
        std::fprintf(out.get(), "%s %d %s\n", record.name.c_str(), record.length, record.sequence.c_str());
    std::fputs("\n\nAnalysis:\n", out.get());
    std::size_t g = 0;
    for (const std::vector<alpha>& group : groups) {
        if (group.empty()) continue;
        const GroupConsensus& center = found[g++];
        for (std::size_t m = 0; m < group.size(); ++m) {
            std::fprintf(out.get(), "%s - %3d  %d  -> %s \n", center.record.name.c_str(), group[m].tag,
                         group[m].position, Fixed(center.percents[m], 6).c_str());
        }
        std::fputc('\n', out.get());
    }
    out.Commit();
}

}  // namespace horgrid
