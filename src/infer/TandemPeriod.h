#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace horgrid {

struct TandemPeriodSettings {
    std::size_t k = 12;            // k-mer length
    std::size_t minPeriod = 40;    // shortest period looked for, bases
    std::size_t maxPeriod = 1000;  // longest
    double minShare = 0.05;        // share of k-mers that must repeat one period back
};

struct TandemPeriod {
    std::size_t period = 0;  // 0: no tandem repeat found
    double share = 0;        // share of the k-mers whose previous copy lies one period (+-2 %) back
    std::size_t record = 0;  // where one period of the densest stretch lies
    std::size_t start = 0;
};

// The repeat period of tandemly repeated sequence, found from the distances
// between equal k-mers: every k-mer (ACGT only, either case) votes for the
// distance back to its previous occurrence; the period is the distance with
// the most votes (summed over +-2 %) between minPeriod and maxPeriod, or a
// whole fraction of it (1/2 ... 1/6) that holds at least a third of those
// votes, so a dimer of the repeat does not hide its monomer. `start` is the
// middle of the stretch of 10 periods where most k-mers vote for the period.
TandemPeriod FindTandemPeriod(const std::vector<std::string>& sequences,
                              const TandemPeriodSettings& settings = {});

}  // namespace horgrid
