#pragma once

// Generated alpha-satellite arrays with a known monomer set and HOR, for the
// inference tests: monomer types derived from one ancestor and 20-35 % apart,
// a HOR of these types copied with a fresh 1-3 % divergence per copy, some
// copies missing one monomer, blocks of whole copies reverse-complemented,
// N runs and lower-case stretches.

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "SequenceGenerator.h"
#include "common/NumberFormat.h"
#include "decompose/Decompose.h"
#include "sequence/DistancePercent.h"
#include "sequence/EditDistance.h"

namespace horgrid::test {

struct TestArray {
    std::vector<std::string> types;  // the true monomer types, in HOR order
    std::size_t copies = 0;          // HOR copies laid out
    std::string sequence;
};

struct TestArrayShape {
    std::size_t types = 12;
    std::size_t copies = 40;
    double missing = 0.05;      // chance that a copy lacks one monomer
    double reversed = 0.2;      // chance that a block of copies is reverse-complemented
    std::size_t block = 10;     // copies of a block
    std::size_t nRuns = 3;      // runs of N replacing bases
    std::size_t lowerRuns = 3;  // lower-case stretches
    double divergence = 0.01;   // per-copy divergence: from this ...
    double spread = 0.02;       // ... to this much more
};

inline double PercentApart(const std::string& a, const std::string& b) {
    return DistancePercent(static_cast<int>(Levenshtein(a, b)), a.size());
}

// Types drawn as mutated copies of `ancestor` until every pair is 20-35 % apart.
inline std::vector<std::string> TestTypes(std::mt19937_64& random, const std::string& ancestor,
                                          std::size_t count) {
    std::uniform_real_distribution<double> divergence(0.11, 0.17);
    std::vector<std::string> types;
    while (types.size() < count) {
        std::string candidate = reference::Mutate(random, ancestor, divergence(random));
        const bool fits = std::all_of(types.begin(), types.end(), [&](const std::string& type) {
            const double apart = PercentApart(type, candidate);
            return apart >= 20 && apart <= 35;
        });
        if (fits) types.push_back(std::move(candidate));
    }
    return types;
}

// An array of the given types in HOR order (shape.types is ignored).
inline TestArray LayOutTestArray(std::mt19937_64& random, std::vector<std::string> types,
                                 TestArrayShape shape) {
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    shape.types = types.size();
    TestArray array{std::move(types), shape.copies, {}};
    std::string block;  // copies of one strand
    const auto flush = [&](bool reverse) {
        array.sequence += reverse ? ReverseComplement(block) : block;
        block.clear();
    };
    bool reverse = false;
    for (std::size_t copy = 0; copy < shape.copies; ++copy) {
        if (copy % shape.block == 0 && copy > 0) {
            flush(reverse);
            reverse = roll(random) < shape.reversed;
        }
        const double divergence = shape.divergence + shape.spread * roll(random);
        const std::size_t skipped = roll(random) < shape.missing ? random() % shape.types : shape.types;
        for (std::size_t type = 0; type < shape.types; ++type) {
            if (type != skipped) block += reference::Mutate(random, array.types[type], divergence);
        }
    }
    flush(reverse);
    for (std::size_t run = 0; run < shape.nRuns + shape.lowerRuns; ++run) {
        const std::size_t length = 5 + random() % 16;
        const std::size_t at = random() % (array.sequence.size() - length);
        for (std::size_t k = at; k < at + length; ++k) {
            char& base = array.sequence[k];
            base =
                run < shape.nRuns ? 'N' : static_cast<char>(std::tolower(static_cast<unsigned char>(base)));
        }
    }
    return array;
}

// Types derived from `ancestor`, then laid out.
inline TestArray MakeTestArray(std::uint64_t seed, const std::string& ancestor, const TestArrayShape& shape) {
    std::mt19937_64 random(seed);
    std::vector<std::string> types = TestTypes(random, ancestor, shape.types);
    return LayOutTestArray(random, std::move(types), shape);
}

}  // namespace horgrid::test
