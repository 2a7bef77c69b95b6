#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "decompose/Decompose.h"
#include "decompose/KeptDecomposition.h"

namespace horgrid {

// Decompose for many records on several threads, also within one long record:
// a record longer than two chunks is cut into windows of `chunk` bases that
// reach `overlap` bases (at least two monomers of the longest type) into their
// neighbours; the windows are decomposed in
// parallel and joined at a segment boundary that both neighbours share in the
// overlap (the optimal decomposition falls back into step within a monomer or
// two). Without a shared boundary the later window starts after the earlier
// one's last segment, which may leave a few bases uncovered.
//
// With `narrow`, each window is decomposed with the type runs it gives for the
// window's bases (Decompose; none: every type everywhere).
inline constexpr std::size_t kWindowChunk = 100000;
inline constexpr std::size_t kWindowOverlap = 2000;
using TypeChoice = std::function<std::vector<TypeRun>(std::string_view bases)>;
std::vector<std::vector<Segment>> DecomposeInWindows(const std::vector<std::string>& sequences,
                                                     const std::vector<MonomerType>& types,
                                                     const Scoring& scoring, unsigned threads,
                                                     std::size_t chunk = kWindowChunk,
                                                     std::size_t overlap = kWindowOverlap,
                                                     const TypeChoice& narrow = {});

// The windows of a DecomposeInWindowsKept call, by their bases.
using KeptWindows = std::unordered_map<std::string, KeptDecomposition>;

// DecomposeInWindows with the default windows and every type everywhere,
// the same result, keeping every window in `after`. A window whose bases
// `before` holds is taken from there by DecomposeAgain where that is certain
// (a set that changed or added a few types that take few segments there)
// instead of the whole DP.
std::vector<std::vector<Segment>> DecomposeInWindowsKept(const std::vector<std::string>& sequences,
                                                         const std::vector<MonomerType>& types,
                                                         const Scoring& scoring, unsigned threads,
                                                         const KeptWindows* before, KeptWindows& after);

}  // namespace horgrid
