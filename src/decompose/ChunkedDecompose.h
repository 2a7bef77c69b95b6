#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

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
using TypeChoice = std::function<std::vector<TypeRun>(std::string_view bases)>;
std::vector<std::vector<Segment>> DecomposeInWindows(const std::vector<std::string>& sequences,
                                                     const std::vector<MonomerType>& types,
                                                     const Scoring& scoring, unsigned threads,
                                                     std::size_t chunk = 100000, std::size_t overlap = 2000,
                                                     const TypeChoice& narrow = {});

}  // namespace horgrid
