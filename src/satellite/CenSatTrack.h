#pragma once

// The cenSat track of one record: every satellite array with its class label,
// the transition regions between them and the assembly gaps. Pure: arrays in,
// labelled intervals out.
//
// Rules.
// - GAP: every run of N (either case).
// - Alpha satellite from the annotation's arrays: a live HOR array is
//   `hor(HOR)`, a diverged one `dhor(HOR)`, a monomeric one `mon`; in each
//   centromeric region the live HOR array of the most bases is
//   `active_hor(HOR)`.
// - Mixed HORs: a run of HOR arrays (live or diverged) of at least two
//   different HORs, each at most `maxBridge` from the next and each shorter
//   than `mixedCopies` copies of its HOR, is one `mixedAlpha(HOR,...)` with
//   the HORs in character order; no one HOR's array holds the stretch.
// - Apes: the standard names are those of human HORs. The monomers of a live
//   human array lie within the divergence of one monomer type (below
//   100 - `minHumanIdentity` %) of their standard monomers; a live array
//   whose named monomers are, on average, farther from them while its HOR
//   copies lie closer to each other than to them is of a HOR no standard name
//   describes and is labelled by its suprachromosomal family:
//   `active_hor(SF5)`, `hor(SF4)`. (A read of a human array is far from the
//   standard monomers through its errors, and its copies, each with its own
//   errors, farther still from each other: it keeps its HOR's name.)
// - The other satellites are the scan's calls (satellite/SatelliteScan.h)
//   without the bases of alpha-satellite arrays and gaps; pieces so left of
//   less than `minSatellite` bases are dropped.
// - Two arrays of one label with at most `maxBridge` bases between them are
//   one (the strand of the longer).
// - ct: the bases between two neighbouring satellite arrays (no gap between
//   them) when they lie at most `maxTransition` apart. A centromeric region
//   is a chain of arrays joined by ct.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "satellite/ArrayClass.h"
#include "satellite/SatelliteScan.h"

namespace horgrid {

// An alpha-satellite array of the record (positions of the record).
struct AlphaArrayCall {
    std::int64_t start = 0;
    std::int64_t end = 0;
    ArrayClass kind = ArrayClass::Monomeric;
    std::string hor;
    bool reverse = false;
    std::string family;           // suprachromosomal family ("SF5"), "" or "-" when unknown
    double meanIdentity = 100;    // mean identity of its named monomers to the standard HOR monomers
    std::int64_t unitBases = 0;   // bases of one HOR copy, 0 when unknown
    double copyIdentity = 0;      // mean identity of its HOR copies to each other (0 when unknown)
};

enum class CenSatKind { Alpha, Satellite, Transition, Gap };

struct CenSatItem {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::string name;  // "active_hor(S4CYH1L)", "HSat3", "ct", "GAP", ...
    CenSatKind kind = CenSatKind::Satellite;
    bool reverse = false;  // arrays only
};

struct CenSatSettings {
    std::int64_t maxTransition = 500000;
    std::int64_t maxBridge = 5000;
    std::int64_t minSatellite = 1000;
    std::int64_t mixedCopies = 10;
    double minHumanIdentity = 95;
};

// The track, sorted and without overlaps. `alpha` and `calls` are sorted.
std::vector<CenSatItem> BuildCenSatTrack(std::string_view sequence, const std::vector<AlphaArrayCall>& alpha,
                                         const std::vector<SatelliteCall>& calls,
                                         const std::vector<std::string>& labels,
                                         const CenSatSettings& settings = {});

// The colour of a label in the track ("R,G,B"), by its class (the label up to '(').
std::string_view CenSatColour(std::string_view name);

}  // namespace horgrid
