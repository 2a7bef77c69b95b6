// The row step of the decomposition DP in the striped layout, one body for
// every vector width; included by the kernel files, each with its own target.
// Before including, define HORGRID_KERNEL_TARGET. No include guard: it is
// meant to be compiled once per target, and its internal linkage keeps the
// instantiations of different targets apart.
//
// Ops: Key, Vector, kLanes (8 or 16) and the static Set, Load, Store, Add,
// Max and ShiftUp<count>(a, below) (lanes moved up by count, the lowest ones
// taken from the top of below). Scores: lowest (a vector of the lower of the
// match and mismatch keys) and Add(from, offset, v), the score of the record
// base against vector v of the monomer at cell `offset` added to `from`.

#include "decompose/DecomposeKernels.h"

namespace horgrid::decompose {
namespace {

// The step from row i-1 to row i in the striped layout. The diagonal and
// insertion steps read row i-1 only; the deletions run along the monomer
// within row i: a first pass carries them from each vector to the next (the
// next position of every lane), then a scan over the lanes gives every lane
// the best deletion run entering it from below (the carry out of lane k, or
// the run entering lane k carried on through its V cells: C[k+1] = max(A[k],
// C[k] + V deletions), in log2(lanes) doubling steps). Cell v of a lane is
// final as max(stored, C + v deletions); rather than store that in a second
// pass, C goes to the monomer's carry vector at the end of the row and the
// next step applies it as it loads the cells (only the vector of the last
// position is finished here, for the caller). Farrar's lazy-F loop instead
// goes round once per lane above an aligned stretch, whose deletions reach
// every later position, and its data-dependent exit mispredicts. Every lane
// of C is raised to a fresh start's lowest score, which no cell of the lane is
// below, so that lane 0, which nothing enters, holds a real key like every
// stored value (the driver moves the base line and the start window of every
// key of the row).
template <typename Ops, typename Scores>
HORGRID_KERNEL_TARGET inline void StripedRow(const Layout& layout, const ActiveMonomers& active,
                                             const typename Ops::Key* laneRamp,
                                             typename Ops::Key negativeKey, typename Ops::Key startKey,
                                             typename Ops::Key insertionKey, typename Ops::Key deletionKey,
                                             const Scores& scores, typename Ops::Key* row) {
    using Key = typename Ops::Key;
    using Vector = typename Ops::Vector;
    constexpr std::size_t lanes = Ops::kLanes;
    const Vector negative = Ops::Set(negativeKey);
    const Vector start = Ops::Set(startKey);
    const Vector insertion = Ops::Set(insertionKey);
    const Vector deletion = Ops::Set(deletionKey);
    for (std::size_t a = 0; a < active.count; ++a) {
        const std::size_t monomer = active.index[a];
        const std::size_t offset = layout.offset[monomer];
        const std::size_t vectors = layout.vectors[monomer];
        Key* cells = row + offset;
        Key* carries = row + layout.cells + monomer * lanes;
        const Vector firstStart = Ops::Add(start, Ops::Load(laneRamp + monomer * lanes));
        Vector segmentStart = firstStart;
        Vector entering = Ops::Load(carries);  // row i-1's C, carried along its lanes
        const Vector lastEntering =
            Ops::Add(entering, Ops::Set(static_cast<Key>(deletionKey * static_cast<Key>(vectors - 1))));
        Vector diagonal = Ops::template ShiftUp<1>(
            Ops::Max(Ops::Load(cells + (vectors - 1) * lanes), lastEntering), negative);
        Vector carry = negative;
        for (std::size_t v = 0; v < vectors; ++v) {
            const std::size_t at = v * lanes;
            const Vector old = Ops::Max(Ops::Load(cells + at), entering);
            entering = Ops::Add(entering, deletion);
            Vector value = scores.Add(Ops::Max(diagonal, segmentStart), offset, v);
            value = Ops::Max(value, Ops::Add(old, insertion));
            value = Ops::Max(value, carry);
            segmentStart = Ops::Add(segmentStart, deletion);
            Ops::Store(cells + at, value);
            carry = Ops::Add(value, deletion);
            diagonal = old;
        }
        Vector run = Ops::Set(static_cast<Key>(deletionKey * static_cast<Key>(vectors)));
        carry = Ops::template ShiftUp<1>(carry, negative);
        carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<1>(carry, negative), run));
        run = Ops::Add(run, run);
        carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<2>(carry, negative), run));
        run = Ops::Add(run, run);
        carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<4>(carry, negative), run));
        if constexpr (lanes >= 16) {
            run = Ops::Add(run, run);
            carry = Ops::Max(carry, Ops::Add(Ops::template ShiftUp<8>(carry, negative), run));
        }
        carry = Ops::Max(carry, Ops::Add(firstStart, scores.lowest));
        Ops::Store(carries, carry);
        const std::size_t last = (layout.length[monomer] - 1) % vectors;
        Key* lastCells = cells + last * lanes;
        Ops::Store(
            lastCells,
            Ops::Max(Ops::Load(lastCells),
                     Ops::Add(carry, Ops::Set(static_cast<Key>(deletionKey * static_cast<Key>(last))))));
    }
}

}  // namespace
}  // namespace horgrid::decompose
