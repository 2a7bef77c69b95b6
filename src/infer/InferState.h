#pragma once

// The state the inference's steps share (internal to infer/; Inference.h is
// the interface): the set and decomposition as they stand, the live segments
// that make monomers, and the steps that split monomers by HOR column or by
// hybrid halves (ColumnSplits.cpp).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "decompose/ChunkedDecompose.h"
#include "decompose/Decompose.h"
#include "infer/ArrayRegions.h"
#include "infer/HorColumns.h"
#include "infer/Inference.h"
#include "infer/TemplateHits.h"

namespace horgrid::infer {

using Decomposition = std::vector<std::vector<Segment>>;

// A segment of a live stretch: record and index in the record's list.
struct LiveSegment {
    std::size_t record = 0;
    std::size_t index = 0;
};

struct State {
    std::vector<MonomerType> set;  // inferred monomers, then the templates kept
    std::size_t inferred = 0;
    Decomposition segments;
    std::vector<ArrayStretch> regions;
    std::vector<RecordWindow> tandem;         // the de novo route's tandem stretches, decomposed every round
    std::shared_ptr<const KeptWindows> kept;  // the windows of `segments`, for the next decomposition
    std::shared_ptr<const std::vector<NearestMemo>> nearest;  // what the last `regions` measured
};

// The class of the stretches that make monomers and copies: live HOR, or
// diverged HOR where no stretch is live.
RegionClass HorClass(const std::vector<ArrayStretch>& stretches);

// The segments of at least `identity` in the stretches of HorClass.
std::vector<LiveSegment> LiveSegments(const Decomposition& segments,
                                      const std::vector<ArrayStretch>& stretches, double identity);

// The bases of a live segment, read forward (reverse-complemented for -).
std::string Piece(const std::vector<std::string>& sequences, const Decomposition& segments,
                  const LiveSegment& live);

// The live segments of inferred monomers as HOR columns read them; `at`, when
// given, receives where each of them lies.
std::vector<ColumnSegment> ColumnSegments(const std::vector<std::string>& sequences, const State& state,
                                          double identity, std::vector<LiveSegment>* at = nullptr);

// Splits every monomer that takes several columns of the unit into one per
// column where the columns separate (or, with `byPlace`, wherever they hold
// enough members: records of a few HOR copies give a position too few copies
// to tell it from a close one by its bases, and its place tells it); returns
// how many monomers it added.
std::size_t SplitByColumn(const std::vector<std::string>& sequences, State& state,
                          const std::vector<std::size_t>& unit, const InferSettings& settings,
                          double minShare = 0, bool tiedColumns = false, bool byPlace = false);

// Live segments that align to other inferred monomers with their own score
// take the one their run's neighbours place them in; returns how many changed.
std::size_t PlaceTiedSegments(const std::vector<std::string>& sequences, State& state,
                              const InferSettings& settings);

// How many segments of each of `types` types the decomposition holds.
std::vector<std::size_t> TypeCounts(const Decomposition& segments, std::size_t types);

// The inferred monomers replaced by `inferred` (the templates kept after them).
void ReplaceInferred(State& state, std::vector<MonomerType> inferred);

// Lines of descent of one standard monomer (StandardLineages.cpp). An
// inferred monomer stands for a standard one when the nearest profile
// consensus of the standard set lies within this share of its length and
// every profile of another position at least twice as far; or, standing in
// the column of such a monomer, when the nearest lies within the wider
// distance and every other position at least the margin's times as far (a
// line of a HOR variant that descended farther). Variant HORs' monomers
// (`-B`) stand for the live HOR's positions of their number.
inline constexpr double kStandardLineageDistance = 0.05;
inline constexpr double kColumnLineageDistance = 0.15;
inline constexpr double kColumnLineageMargin = 1.25;

// Monomers that stand for one standard monomer, joined into one.
struct JoinedLineage {
    std::size_t monomer = 0;         // the one kept, as numbered after the join
    std::vector<std::size_t> lines;  // the monomers joined, as numbered before it
    std::size_t members = 0;         // their segments before the join
};

// Where several inferred monomers stand for one standard monomer (the copies
// of a HOR variant and of the unit descend apart and the rounds make two
// monomers of one position), they become the one nearest its profile (ties:
// the one with most segments). Returns what it joined; the set changes only
// when something was, and the segments are then to be decomposed again. The
// monomers in `apart` keep their own.
std::vector<JoinedLineage> JoinStandardLineages(State& state, unsigned threads,
                                                const std::vector<std::size_t>& apart = {});

// HOR contexts (ContextSplits.cpp): a monomer whose copies stand between
// different neighbours is split where two of its contexts share neither
// neighbour, both stand in one layout of the HOR (nine in ten copies of one
// are followed by one of the other before the next of their own) and their
// members separate (two HOR positions one type holds); a
// context whose first neighbour is one position's and second another's, and
// whose members separate from both, is a hybrid of the two. Returns how many
// monomers it added (they follow the inferred ones).
std::size_t SplitByContext(const std::vector<std::string>& sequences, State& state,
                           const InferSettings& settings);

// The templates among the unit's types become inferred monomers (their live
// segments' consensus); returns how many monomers it added.
std::size_t AdoptTemplates(const std::vector<std::string>& sequences, State& state,
                           const std::vector<std::size_t>& unit, const InferSettings& settings);

// Hybrid monomers left inside a parent become monomers of their own; returns
// how many monomers it added.
std::size_t SplitHybrids(const std::vector<std::string>& sequences, State& state,
                         const InferSettings& settings);

}  // namespace horgrid::infer
