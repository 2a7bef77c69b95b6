#pragma once

#include <cstddef>
#include <string>
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
std::vector<std::vector<Segment>> DecomposeInWindows(const std::vector<std::string>& sequences,
                                                     const std::vector<MonomerType>& types,
                                                     const Scoring& scoring, unsigned threads,
                                                     std::size_t chunk = 100000, std::size_t overlap = 2000);

}  // namespace horgrid
