#include "monomerfile/horTable.h"

#include <cstdio>
#include <iostream>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "sequence/EditDistance.h"

namespace horgrid {

std::vector<alpha> horTable::FindDivergencebetweenMonomersInHORandHORs(const AlphaGroups& groups) {
    std::vector<alpha> hors;
    hors.reserve(groups.size());
    // The mean is over all pairs of all HORs, summed in single precision.
    float sum = 0.0f;
    long long pairs = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::vector<alpha>& hor = groups[i];
        alpha record("");
        record.name.assign(1, 'H');
        record.name += std::to_string(i + 1);
        for (std::size_t j = 0; j < hor.size(); ++j) {
            const std::string& earlier = hor[j].sequence;
            record.sequence += earlier;
            for (std::size_t k = j + 1; k < hor.size(); ++k) {
                const std::string& later = hor[k].sequence;
                const int distance = static_cast<int>(Levenshtein(earlier, later));
                const float percent = DistancePercent(distance, earlier.size());
                std::cout << 'H' << i + 1 << 'm' << j + 1 << '(' << earlier.size() << ") - H" << i + 1 << 'm'
                          << k + 1 << '(' << later.size() << ") -> " << StreamDefault(percent) << "%\n";
                sum += percent;
                ++pairs;
            }
        }
        record.length = static_cast<int>(record.sequence.size());
        hors.push_back(std::move(record));
        std::cout << "\n";
    }
    std::cout << "monomer div = " << StreamDefault(sum / static_cast<float>(pairs));
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
