#pragma once

// The ends of satellite arrays set by their tandem period. Pure: bases and
// calls in, calls out.
//
// Rule. The periods of a class are the lengths of its reference units of at
// most `maxPeriod` bases (consensus monomers and composite units; not the
// 45S rDNA unit). A window of W = 4 P bases (at least 200, at most 400)
// repeats at period P when the share of its bases equal to the base a lag
// back towards the array (the lag within P/20 + 1 of P that gives most, for
// indels) exceeds, by `margin`, the share two random bases of the window's
// composition would give; a window with a byte other than ACGT never
// repeats. Each end of an array moves outward half a window at a time while
// the window beyond it repeats at one of its class's periods (a diverged end
// whose k-mers no longer hit the references stays in the array), then to the
// base where the running sum of (equal - midway between the last window's
// share and chance) is highest, never past a neighbouring call. Unique flanks
// do not repeat: their ends stay where the k-mer hits set them.
//
// Cost: (2 P/20 + 3) lags x W compares per window looked at, a few windows per
// array end.

#include <cstdint>
#include <string_view>
#include <vector>

#include "satellite/SatelliteScan.h"

namespace horgrid {

struct PeriodEndSettings {
    double margin = 0.2;
    int maxPeriod = 10000;
};

// Whether [from, to) repeats better at some lag of 4 to 6 times `unit` than at
// `unit` itself, by more than four standard errors of a share of equal bases
// at chance: a unit of several diverged copies of the short one (HSat2's
// 23-26-bp units of CATTC-like pentamers) rather than a tandem array of the
// short unit (HSat3). Windows with a byte other than ACGT: false.
// Ends of a class of such short units (at most kShortUnit bases) do not move
// over windows that do.
constexpr int kShortUnit = 10;
bool RepeatsAtLongerUnit(std::string_view sequence, std::int64_t from, std::int64_t to, int unit);

// `calls` (sorted, not overlapping, of `sequence`) with their ends moved out
// by period; they stay sorted and apart.
std::vector<SatelliteCall> SetEndsByPeriod(std::string_view sequence, std::vector<SatelliteCall> calls,
                                           const SatelliteTable& table, const PeriodEndSettings& settings = {});

}  // namespace horgrid
