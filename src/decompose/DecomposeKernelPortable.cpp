#include <algorithm>

// One cell at a time: the layout has one lane, so the striped order is the
// plain order of the monomer positions.

#include "decompose/DecomposeKernels.h"

namespace horgrid::decompose {

void RowPortable(const Layout& layout, const ActiveMonomers& active, const std::int64_t* profile,
                 std::int64_t startKey, std::int64_t* row) {
    for (std::size_t a = 0; a < active.count; ++a) {
        const std::size_t monomer = active.index[a];
        const std::size_t first = layout.offset[monomer];
        const std::size_t last =
            monomer + 1 < layout.offset.size() ? layout.offset[monomer + 1] : layout.cells;
        std::int64_t previousOld = kNegative;  // row i-1 at the position before
        std::int64_t previousNew = kNegative;  // row i at the position before
        std::int64_t segmentStart = startKey;  // a segment starting here, its deletions included
        for (std::size_t cell = first; cell < last; ++cell) {
            const std::int64_t old = row[cell];
            const std::int64_t diagonal = std::max(previousOld, segmentStart) + profile[cell];
            std::int64_t value = std::max(diagonal, old + layout.insertionKey);
            value = std::max(value, previousNew + layout.deletionKey);
            row[cell] = value;
            segmentStart += layout.deletionKey;
            previousOld = old;
            previousNew = value;
        }
    }
}

}  // namespace horgrid::decompose
