#pragma once

// An ensemble for the commands' edge cases: a 4-monomer HOR in 23 records with
// an empty record (6) and a 3000-base one (13, which also starts a -h segment).

#include <random>
#include <string>
#include <vector>

#include "SequenceGenerator.h"

namespace horgrid::test {

inline std::string MixedEnsemble() {
    std::mt19937_64 random(3);
    std::vector<std::string> types;
    for (int t = 0; t < 4; ++t) types.push_back(reference::RandomSequence(random, 50 + t));
    std::string text;
    for (int k = 0; k < 23; ++k) {
        std::string sequence = reference::Mutate(random, types[k % 4], 0.05);
        if (k == 6) sequence.clear();
        if (k == 13) sequence = reference::RandomSequence(random, 3000);
        text += 'm';
        text += std::to_string(k) + " + " + std::to_string(100 * k + 1) + " ";
        text += std::to_string(sequence.size()) + " " + sequence + "\n";
    }
    return text;
}

}  // namespace horgrid::test
