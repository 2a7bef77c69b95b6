#include "groups/horTable.h"

#include <cstdio>
#include <iostream>

#include "common/NumberFormat.h"
#include "sequence/DistancePercent.h"
#include "common/ResultFile.h"
#include "sequence/EditDistance.h"

namespace horgrid {

HorDivergenceTable FindHorDivergences(const AlphaGroups& groups) {
    HorDivergenceTable table;
    table.copies.reserve(groups.size());
    float sum = 0.0f;
    long long pairs = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::vector<alpha>& monomers = groups[i];
        HorCopyDivergences& copy = table.copies.emplace_back(HorCopyDivergences{alpha(""), {}});
        copy.hor.name.assign(1, 'H');
        copy.hor.name += std::to_string(i + 1);
        for (std::size_t j = 0; j < monomers.size(); ++j) {
            const std::string& earlier = monomers[j].sequence;
            copy.hor.sequence += earlier;
            for (std::size_t k = j + 1; k < monomers.size(); ++k) {
                const std::string& later = monomers[k].sequence;
                const int distance = static_cast<int>(Levenshtein(earlier, later));
                const float percent = DistancePercent(distance, earlier.size());
                copy.pairs.push_back({j, k, earlier.size(), later.size(), percent});
                sum += percent;
                ++pairs;
            }
        }
        copy.hor.length = static_cast<int>(copy.hor.sequence.size());
    }
    table.mean = sum / static_cast<float>(pairs);
    return table;
}

std::vector<alpha> horTable::FindDivergencebetweenMonomersInHORandHORs(const AlphaGroups& groups) {
    HorDivergenceTable table = FindHorDivergences(groups);
    std::vector<alpha> hors;
    hors.reserve(table.copies.size());
    for (std::size_t i = 0; i < table.copies.size(); ++i) {
        for (const MonomerPairDivergence& pair : table.copies[i].pairs) {
            std::cout << 'H' << i + 1 << 'm' << pair.first + 1 << '(' << pair.firstLength << ") - H" << i + 1
                      << 'm' << pair.second + 1 << '(' << pair.secondLength << ") -> "
                      << StreamDefault(pair.percent) << "%\n";
        }
        std::cout << "\n";
        hors.push_back(std::move(table.copies[i].hor));
    }
    std::cout << "monomer div = " << StreamDefault(table.mean);
    return hors;
}

horTable::horTable(std::string path) {
    const AlphaGroups groups = ReadMonomersFile(path, kLayoutPerLine);
    ResultFile out(path + ".hors", {path});
    for (const alpha& hor : FindDivergencebetweenMonomersInHORandHORs(groups))
        std::fprintf(out.get(), "%s %d %s\n", hor.name.c_str(), hor.length, hor.sequence.c_str());
    out.Commit();
}

}  // namespace horgrid
