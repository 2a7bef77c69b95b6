#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "decompose/Decompose.h"
#include "infer/ArrayRegions.h"
#include "infer/HorCopies.h"
#include "infer/TandemPeriod.h"

namespace horgrid {

// The thresholds of the inference, with the defaults the experiments chose
// (README, "horgrid-tools infer").
struct InferSettings {
    float closeness = 10;         // segments join a group leader closer than this, percent
    float mergeLimit = 8;         // monomers closer than this merge unless their members separate, percent
    float separation = 2;         // two groups are distinct when their consensuses lie this many times
                                  // the mean spread of their members apart
    double minIdentity = 60;      // segments with a lower identity are left out of the result files
    double minTemplateShare = 5;  // percent of the bases the templates must explain (or
    std::size_t minTemplateBases = 100000;  // this many bases), else the period is found from the sequence
    std::size_t minCount = 3;               // members a group needs to give a monomer (fewer in
                                            // records of a few HOR copies; see InferMonomers)
    std::size_t maxRounds = 10;
    std::size_t consensusSample = 1000;  // members aligned for one consensus, spread over the group
    std::size_t leaderSample = 2000;     // segments that may become group leaders, spread over them
    unsigned threads = 1;
    Scoring scoring;
    RegionSettings regions;  // the live HOR stretches that make monomers and copies
    TandemPeriodSettings period;
};

struct RoundReport {
    std::size_t round = 0;     // 1-based; 0 for the final decomposition after the last round
    std::size_t monomers = 0;  // monomers the round decomposed with
    std::int64_t score = 0;    // total decomposition score
    double identity = 0;       // mean segment identity, percent (0 without segments)
};

// How the inference started.
struct InferRoute {
    bool fromTemplates = true;  // else from one period of the sequence (FindTandemPeriod)
    double templateShare = 0;   // percent of the ACGT bases in template segments of satellite identity
    TandemPeriod period;        // the de novo route's period
    std::size_t cut = 0;        // the pieces the templates cut that period into (0: one period as the template)
    std::size_t ownCut = 0;     // else the pieces its own monomer (period.monomer) cut it into
};

// A monomer whose first half is like one monomer and second half like another.
struct HybridMonomer {
    std::size_t monomer = 0;
    std::size_t first = 0;   // the monomer its first half resembles
    std::size_t second = 0;  // ... and its second half
};

struct Inference {
    // M1, M2, ...: HOR unit first, in unit order, then the other inferred
    // monomers; the templates of the template route follow under their own
    // names (they type the satellite outside the live arrays).
    std::vector<MonomerType> monomers;
    std::size_t inferred = 0;                    // the first `inferred` monomers are inferred
    std::vector<std::vector<Segment>> segments;  // final decomposition, one list per record
    std::vector<ArrayStretch> regions;           // of the final decomposition
    HorResult hor;                               // over the live HOR stretches
    InferRoute route;
    std::vector<HybridMonomer> hybrids;
};

// The default templates: the standard class monomers (StandardClassMonomers).
std::vector<MonomerType> DefaultTemplates();

// The twelve family reference monomers of -s, as templates.
std::vector<MonomerType> FamilyReferenceTemplates();

// The templates turned to the strand of the first one (each is reverse-
// complemented when that brings it closer to the first).
std::vector<MonomerType> OrientTemplates(std::vector<MonomerType> templates);

// Infers a monomer set and its HOR from sequences (upper or lower case) and
// starting templates.
//
// Route: the stretches that share k-mers with the templates (TemplateWindows)
// are decomposed with them (DecomposeInWindows, so long records use every
// thread; the rest is left without segments). When segments of satellite
// identity (settings.regions) cover less than minTemplateShare percent of the
// bases and either less than minTemplateBases bases or less than half the
// share of k-mers that the sequence's own period explains (FindTandemPeriod),
// one period of the sequence is the only template; without a period the set
// is empty.
//
// Rounds: the decomposition is cut into stretches (ArrayRegions); only the
// live HOR stretches give monomers. Their segments (both strands turned
// forward) are grouped by LeaderClusters (leaders from at most leaderSample of
// them); every group of at least minCount members gives its consensus
// (MedoidConsensus around the medoid); a group joins the largest earlier one
// closer than mergeLimit unless they separate (their consensuses lie at least
// 1 % and `separation` times the mean distance of the members to their own
// consensus apart), judged on the leaders' consensuses. The next round
// decomposes the satellite stretches and the stretches sharing k-mers with
// the new monomers, with them and the templates that typed at least minCount
// satellite segments (the other templates' segments are dropped). The first
// inferred set is taken; a later round that does not raise the score of the
// live stretches, or whose monomers all lie within 1 % of the last set's and
// back, ends the rounds.
//
// Hybrids inside a parent (template route): live members at least 2 % closer
// to a half-and-half hybrid of their monomer and another one than to their
// own monomer become a monomer when there are enough of them (see
// SplitHybrids); the region is decomposed once more.
//
// HOR contexts (SplitByContext): a monomer whose copies stand between
// different neighbours in their runs is split where two of its contexts share
// neither neighbour (the neighbours on one side at least farther apart than
// mergeLimit), both stand in one layout of the HOR (nine in ten copies of one
// are followed by one of the other before the next copy of their own; one
// position in two layouts, as CHM13 chr5's 5 in its 4- and 8-monomer HORs, is
// no two positions) and their members separate: two HOR positions that one
// monomer held. A context at the junction of two such positions, or of a HOR variant
// that lacks positions (its first neighbour one position's, its second
// another's), whose members separate from the position's and carry the other
// position's distinguishing bases, is a hybrid monomer of its own. Repeated
// with a decomposition after each change (up to three times). The unit is
// then the whole HOR: the longest unit the best-covering one derives from by
// losing one stretch of positions (HorSearch::canonical).
//
// Every HOR position: a monomer that takes more than one column of the HOR
// unit (FindHor over the live stretches, inferred types only) is split by
// column, each member's column being the one whose unit neighbours agree best
// with its own; columns whose consensuses differ and whose members keep to
// their own column's consensus (four in five) become monomers of their own.
// When the unit has no such monomer, the same is tried on FindHor's window of
// every type (HorResult::sharingUnit, members fitting several columns as one
// class), kept only when that window comes back as the unit. The
// decomposition and the HOR are made again, up to three times.
//
// Layers and hybrids of every column (ReviseByColumn, over the live segments
// of inferred types and the unit): monomers that stand in one column in
// different layers of copies join, and a variant of a column that is a mosaic
// of it and one other column becomes a monomer (a monomer that stands only at
// the junction of a HOR variant is no layer); the decomposition and the HOR
// are made again after each change, up to three times. Hybrids reported:
// monomers whose first half lies within 3 % of one monomer and second half of
// another, each half at least 5 % from the other one.
//
// Records of a few HOR copies: where records of n copies cannot show every
// position minCount times, groups and columns need n - 2 members (at least
// two); n is the tandem stretches of the records' period over it (records
// long enough for minCount + 2 copies of the longest period keep minCount),
// and for the column split the live monomers over the window's length. Where
// that lies below minCount, a column is a position by its place alone and the
// window where positions share a type is kept even when it reads as copies of
// the unit (HorSearch::fewSharingCopies).
//
// `onRound` hears every decomposition.
Inference InferMonomers(const std::vector<std::string>& sequences, const std::vector<MonomerType>& templates,
                        const InferSettings& settings,
                        const std::function<void(const RoundReport&)>& onRound);

}  // namespace horgrid
