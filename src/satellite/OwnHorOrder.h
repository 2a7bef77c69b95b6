#pragma once

// The higher-order structure of an alpha-satellite array seen in its own
// bases, without standard monomer names (an ape array whose monomers lie
// beyond every human standard monomer). Pure: bases in, value out.
//
// Rule. Every k-mer of a stretch is looked up at its previous occurrence in
// the stretch; the distances between them are counted (a distance and its
// neighbours within d/50 + 1 count together, for indels). The stretch is of
// HOR order when the most frequent distance spans at least two monomers
// (`minPeriod`), holds at least twice as many k-mers as any shorter one (its
// copies closer to each other than its monomers are) and at least `minShare`
// of them (0.8^13: copies at least 80 % identical; in an array of monomers
// each far from the others, k-mers recur at every multiple of the monomer
// alike, and one of those may come out first). The copies are live
// when at least `liveShare` of the k-mers recur exactly one period back (0.95^13:
// copies at least 95 % identical, the divergence within one monomer type).

#include <cstdint>
#include <string_view>

namespace horgrid {

struct OwnHorSettings {
    int k = 13;
    std::int64_t minPeriod = 300;
    std::int64_t maxPeriod = 6000;
    double minShare = 0.055;
    double liveShare = 0.513;
};

struct OwnHorOrder {
    std::int64_t period = 0;  // 0: no HOR order
    double share = 0;         // share of the k-mers that recur one period back
    bool Live(const OwnHorSettings& settings = {}) const { return period > 0 && share >= settings.liveShare; }
};

OwnHorOrder FindOwnHorOrder(std::string_view sequence, std::int64_t start, std::int64_t end,
                            const OwnHorSettings& settings = {});

}  // namespace horgrid
