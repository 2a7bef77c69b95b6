#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "infer/TemplateHits.h"

namespace horgrid {

struct TandemPeriodSettings {
    std::size_t k = 12;             // k-mer length
    std::size_t minPeriod = 40;     // shortest period looked for, bases
    std::size_t maxPeriod = 20000;  // longest (a HOR of 100 monomers of 171 bases fits)
    double minShare = 0.05;         // share of k-mers that must repeat one to ten periods back
    std::size_t bin = 500;          // bases per bin of the tandem stretches
    std::size_t minVotes = 10;      // votes for the period a bin and its two neighbours need
};

struct TandemPeriod {
    std::size_t period = 0;  // 0: no tandem repeat found
    double share = 0;        // share of the k-mers whose previous copy lies one period (+-2 %) back
    // A shorter period inside it, at most half of it: the shortest peak of
    // the votes (summed over +-2 %) that holds at least a third of the
    // period's votes, else the peak with the most votes; 0 for none. The
    // monomer of a HOR whose monomers lie close enough to share k-mers with
    // their neighbours, when one piece of this length fits most of the
    // period (see InferMonomers). Their lengths may differ and their number
    // may be any, so the period need not be a whole number of them.
    std::size_t monomer = 0;
    std::size_t record = 0;  // where one period starts (see FindTandemPeriod)
    std::size_t start = 0;
    // The stretches that repeat at the period: bins where at least minVotes
    // k-mers (with the bins either side) lie one to ten periods (+-2 %), or
    // half a period to two, after their previous copy, joined and widened by
    // one bin; in record and position order. Copies 30 % apart still give a
    // few such k-mers a monomer; random sequence almost none. The second
    // reach takes in old arrays whose monomer is a few bases shorter or
    // longer than the period, or half or twice as long.
    std::vector<RecordWindow> stretches;
};

// The repeat period of tandemly repeated sequence, found from the distances
// between equal k-mers: every k-mer (ACGT only, either case) votes for the
// distance back to its previous occurrence on the same strand (a copy turned
// to the other strand repeats at the same period); the period is the distance
// with the most votes (summed over +-0.5 %, as indels spread a long period's
// votes) between minPeriod and maxPeriod, or a whole fraction of it (1/2 ...
// 1/6) that holds at least a third of those votes (summed over +-2 %), so a
// dimer of the repeat does not hide its monomer. It is a tandem period when
// at least minShare of the k-mers lie one to ten periods (+-2 % each) after
// their previous copy: copies 10-25 % apart share few k-mers with their
// neighbour, but a k-mer changed there is often found a copy or two further
// back. `start` is the middle of the
// stretch of 10 periods where most k-mers vote for the period, moved to the
// nearest point in its record where the sequence turns to the other strand
// (at least an eighth of a period's k-mers mirrored about it within +-2 bases,
// mirror and k-mer less than a period apart), the period beside it on the
// side of the densest stretch: a copy turned on its own turns at its ends, so
// that period is one whole copy. Only a point whose 10 periods around that
// period repeat at the period at least half as densely as the densest stretch
// counts as it is: one in an array of another family (monomers of another
// length) would give a copy and a piece of the next. A switch in a sparser
// stretch whose bases beside it fit the densest stretch's period by descent
// moves the start to the place it maps to in that period.
TandemPeriod FindTandemPeriod(const std::vector<std::string>& sequences,
                              const TandemPeriodSettings& settings = {});

}  // namespace horgrid
