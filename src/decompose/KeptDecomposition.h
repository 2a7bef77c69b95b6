#pragma once

// A decomposition kept with the DP's choice at every position, so that a set
// that changes a few types can be checked to decompose the same record alike
// without the whole DP (the inference's later steps split or add a few
// monomers at a time). Implemented with the DP in Decompose.cpp.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

namespace decompose {
class PackedTrace;
struct KeptRows;
}  // namespace decompose

struct KeptDecomposition {
    std::vector<std::string> types;                       // the sequences of the set it was made with
    std::vector<Segment> segments;                        // Decompose's result
    std::shared_ptr<const decompose::PackedTrace> trace;  // about 2.5 bytes a base
    std::shared_ptr<const decompose::KeptRows> rows;      // the DP's rows every 16 kb, 4 or 8 bytes a cell
};

// Decompose on one thread, keeping the trace.
KeptDecomposition DecomposeKeeping(std::string_view sequence, const std::vector<MonomerType>& types,
                                   const Scoring& scoring);

// Decompose(sequence, types, scoring), kept, from `kept` (made of the same
// record with another set), taken from it where that is certain without the
// whole DP. The types of `types` whose index and sequence are the kept set's
// stay; for the others (changed or added) a DP over them alone, started at
// every position from the kept best score, must never end a segment that the
// full DP would take instead, and every kept choice must be of a type that
// stays. Where that fails, the whole DP runs from the kept rows before the
// failure (or from where the check began) to kept rows where it is in step
// with the kept run again, and the check goes on from there. Empty (without
// trying) when more than half the types changed: the check would then cost
// about as much as the DP.
std::optional<KeptDecomposition> DecomposeAgain(std::string_view sequence,
                                                const std::vector<MonomerType>& types, const Scoring& scoring,
                                                const KeptDecomposition& kept);

}  // namespace horgrid
