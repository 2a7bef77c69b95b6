#pragma once

#include <string_view>

#include "sequence/LevenshteinEngine.h"

namespace horgrid {

// 100 * matches / columns of the global alignment of `segment` and `monomer`
// that has the fewest edits and, among those, the fewest columns (the number
// is then unique). Bases compare case-insensitively; N and every other byte
// match nothing. The edit distance d comes from the engine; the fewest
// deleted monomer bases D among alignments of d edits from a DP restricted to
// the diagonals such an alignment can reach. With n segment bases the
// alignment has n + D columns and n - d + D matches. An empty input gives 0.
double SegmentIdentity(std::string_view segment, std::string_view monomer, LevenshteinEngine& engine);

}  // namespace horgrid
