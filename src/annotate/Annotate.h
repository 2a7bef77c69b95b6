#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "annotate/StandardNames.h"
#include "infer/HorCopies.h"
#include "satellite/ArrayClass.h"

namespace horgrid {

// The thresholds of the standard annotation (percentages of a monomer's length).
struct AnnotationSettings {
    // A segment of the family decomposition is alpha satellite from this
    // identity to its family consensus on (and between half and twice its length).
    double minIdentity = 70;
    // A monomer carries the name of its nearest standard HOR monomer when it is
    // at most this far from it (edit distance * 100 / the standard monomer's length).
    double nameLimit = 12;
    // A monomer named after a live HOR counts as live when it is at most this
    // far from its standard monomer (else as a diverged copy of that HOR).
    double liveLimit = 8;
    // Copies of one HOR position are grouped at this closeness (leader groups).
    double positionCloseness = 3;
    // A HOR position takes a name that another position of the array holds
    // only when that name is closer than every free one by more than this.
    double reusePenalty = 5;
    // Monomers further apart than this many bases belong to different arrays.
    std::int64_t maxGap = 1000;
    // An array holds at least this many monomers; shorter stretches of
    // another class join their neighbours.
    std::size_t minArrayMonomers = kMinArrayMonomers;
};

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// Monomers at most this many bases apart on one strand are neighbours in HOR order.
constexpr std::int64_t kAdjacentMonomers = 50;

// One alpha-satellite monomer.
struct AnnotatedMonomer {
    std::int64_t start = 0;  // 0-based first base
    std::int64_t end = 0;    // 0-based, exclusive
    bool reverse = false;
    std::size_t family = 0;      // index into StandardSets::families: the AS-SF class
    double familyIdentity = 0;   // identity to that class consensus (the decomposition's)
    std::int64_t score = 0;      // the family decomposition's segment score
    std::string name;            // standard HOR monomer, HOR position or (beyond every limit) the class
    bool horName = false;        // name comes from the standard HOR set or a HOR position
    double identity = 0;         // 100 - distance * 100 / length of the named standard monomer (0: none)
    std::string nearest;         // nearest standard HOR monomer whatever its distance ("": use `name`)
    double nearestIdentity = 0;  // identity to `nearest` (0 without one)
    std::size_t array = kNone;   // index of its array
    std::size_t copy = kNone;    // index of its HOR copy
};

// One copy of an array's HOR.
struct AnnotatedCopy {
    std::int64_t start = 0;  // 0-based first base
    std::int64_t end = 0;    // exclusive
    bool reverse = false;
    std::string variant;     // "S2C13/21H1L.1-6_8-11"
    CopyKind kind = CopyKind::Full;
    std::size_t monomers = 0;
    std::size_t cenpBBoxes = 0;  // CENP-B boxes (either strand) in its bases
    std::size_t array = 0;
};

struct AnnotatedArray {
    std::int64_t start = 0;  // 0-based first base of its first monomer
    std::int64_t end = 0;    // exclusive
    ArrayClass kind = ArrayClass::Monomeric;
    std::string hor;                // "-" for monomeric arrays
    std::size_t monomers = 0;
    std::size_t unitMonomers = 0;   // 0 without a HOR
    std::int64_t unitBases = 0;     // median span of the full copies; 0 without full copies
    std::size_t full = 0, partial = 0, variant = 0;
    double meanIdentity = 0;        // mean identity of its named monomers to their standard monomers
    double copyIdentity = 0;        // mean identity of a named monomer to its namesake one HOR copy back (0: no copies)
    std::string family;             // suprachromosomal family ("SF2"), "-" when unknown
    double cenpBPerCopy = 0;        // mean CENP-B boxes per HOR copy (0 without copies)
};

struct Annotation {
    std::vector<AnnotatedMonomer> monomers;  // in sequence order
    std::vector<AnnotatedCopy> copies;       // in sequence order within each array
    std::vector<AnnotatedArray> arrays;      // in sequence order
};

// A stretch of consecutive monomers (indices first..last-1 into the monomer
// list) with its class and HOR.
struct NamedStretch {
    std::size_t first = 0;
    std::size_t last = 0;
    ArrayClass kind = ArrayClass::Monomeric;
    std::string hor;  // the HOR most of its named monomers belong to; "" for monomeric
};

// The arrays of a list of named monomers (pure). Monomers more than maxGap
// bases apart are never in one array. A monomer whose nearest standard
// monomer (`nearest`, whatever its distance) stands in HOR order with both
// adjacent ones' (the next number, or the one after, or back to 1 or 2 from
// a higher one; of one live HOR or its variants) is a live HOR's monomer,
// of the HOR of its own name (a variant such as "S3C17H1-B" makes arrays of
// its own, named by its monomers): the order of the names, not their
// identity, tells a noisy read of a live array from monomeric alpha
// satellite. Else each monomer is classed by its
// name: a live HOR's monomer (within liveLimit of it, or within half of it
// of the median identity of the monomers in HOR order, so that in a read the
// monomers that break HOR order count as those that keep it; likewise a
// monomer beyond nameLimit counts as its nearest standard monomer's within
// half of nameLimit of that median; a variant HOR's such as
// "S2C13/21H1-B" within liveLimit counts for the live HOR of its name,
// LiveHorOf, when `liveHors` holds it), another HOR's (or a live HOR's farther
// away), or monomeric (a class name or none); the 2k+1 monomers around each
// (k = minArrayMonomers / 2) vote first live or not, then another HOR or
// monomeric, and the most frequent HOR of the winning class is taken; then
// cut into runs of one class and HOR, and runs shorter than minArrayMonomers
// between two others join the longer of the two, but a run that is not live
// joins the neighbour that is not live when the other one is (a short run at
// either end of a stretch of monomers stays an array of its own, unless it
// is a variant's beside its live HOR, which it joins); last, a
// short run of another HOR with only monomeric runs (or none) beside it
// becomes monomeric.
std::vector<NamedStretch> FindArrayStretches(const std::vector<AnnotatedMonomer>& monomers,
                                             const AnnotationSettings& settings,
                                             const std::set<std::string>& liveHors);

// The least total cost of giving each row its own column (rows <= columns):
// column of each row. Costs must be finite.
std::vector<std::size_t> AssignRows(const std::vector<std::vector<double>>& cost);

// Names the HOR positions of one array (pure). `members` are the oriented
// (forward-read) monomer sequences of the array, `candidates` the standard
// monomers of its HOR. The members are grouped into positions (leader groups
// at positionCloseness); each position is matched to a candidate as a whole,
// minimising the summed member distances over the array (a position may share
// a candidate with another only at reusePenalty percent per member), so a
// position whose copies lie a little closer to a neighbouring position's
// consensus keeps its own. Returns per member the candidate index, or kNone
// when its position lies beyond nameLimit from every candidate; `position`
// receives each member's position number.
std::vector<std::size_t> NamePositions(const std::vector<std::string_view>& members,
                                       const std::vector<std::size_t>& previous,
                                       const std::vector<MonomerType>& candidates,
                                       const AnnotationSettings& settings, unsigned threads,
                                       std::vector<std::size_t>& position);

// The standard annotation of one stretch of sequence (pure; positions are
// 0-based within `sequence`): the decomposition with the family consensus
// monomers (both strands; over each part of the sequence only those that
// LikelyFamilies allows there), the class and the nearest standard HOR monomer of
// every alpha-satellite segment, the arrays, their HOR named position by
// position, the HOR copies with their structural variants, and the array table.
Annotation AnnotateSequence(std::string_view sequence, const StandardSets& sets,
                            const AnnotationSettings& settings, unsigned threads);

}  // namespace horgrid
