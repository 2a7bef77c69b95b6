#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "decompose/Decompose.h"
#include "infer/HorCopies.h"

namespace horgrid {

// The thresholds of the inference, with the defaults the experiments chose
// (README, "horgrid-tools infer").
struct InferSettings {
    float closeness = 10;      // segments join a group leader closer than this, percent
    float mergeLimit = 8;      // monomers closer than this merge, percent
    double minIdentity = 60;   // segments with a lower identity are not alpha satellite
    std::size_t minCount = 3;  // members a group needs to give a monomer
    std::size_t maxRounds = 10;
    std::size_t consensusSample = 1000;  // members aligned for one consensus, spread over the group
    unsigned threads = 1;
    Scoring scoring;
};

struct RoundReport {
    std::size_t round = 0;     // 1-based; 0 for the final decomposition after the last round
    std::size_t monomers = 0;  // monomers the round decomposed with
    std::int64_t score = 0;    // total decomposition score
    double identity = 0;       // mean segment identity, percent (0 without segments)
};

struct Inference {
    std::vector<MonomerType> monomers;           // M1, M2, ...: HOR unit first, in unit order
    std::vector<std::vector<Segment>> segments;  // final decomposition, one list per record
    HorResult hor;                               // over the segments of at least minIdentity
};

// The default templates: the twelve family reference monomers of -s.
std::vector<MonomerType> FamilyReferenceTemplates();

// Infers a monomer set and its HOR from sequences (upper or lower case) and
// starting templates. Each round decomposes every sequence with the current
// set (DecomposeInWindows, so long records use every thread), groups the
// alpha-satellite segments (identity >= minIdentity, ACGT only, both strands
// turned forward) by LeaderClusters, makes the consensus of every group of at
// least minCount members (MedoidConsensus around the group's medoid) and merges
// monomers closer than mergeLimit, largest groups first. The rounds stop when
// a round gives back the set it started with, or after maxRounds. `onRound`
// hears every decomposition. An empty set means no alpha satellite was found.
Inference InferMonomers(const std::vector<std::string>& sequences, const std::vector<MonomerType>& templates,
                        const InferSettings& settings,
                        const std::function<void(const RoundReport&)>& onRound);

}  // namespace horgrid
