#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// Which family classes, on which strand, can take the monomers of each part
// of a stretch, from shared k-mers, so that the classing decomposition aligns
// only those there (a HOR array uses two or three of the 39 classes on one
// strand, where aligning all of them on both is most of annotate's work).
//
// Rule. Every position ending a k-mer of A, C, G, T (either case) is a hit of
// each oriented class (a class, or its reverse complement) whose consensus
// holds that k-mer. The stretch is cut into cells of `cell` bases from its
// start; a block is `blockCells` neighbouring cells (all of them when there
// are fewer), so that every monomer lies whole in a block. A block whose best
// oriented class has at least `minHits` hits a kilobase takes every oriented
// class with at most `margin` hits fewer; a block of random or other
// satellite sequence takes none. A cell allows the oriented classes taken by
// the blocks that overlap it or the next cell. Every class is allowed
// in the cells within `edgeCells` of a cell that no such block gives any and
// of either end: there the alpha satellite ends, and the segment after its
// last monomer (or before its first) may take any class, which moves that
// monomer's end.
//
// The classing decomposition with these runs has given the same monomers as
// with every class everywhere on CHM13 cen21, the chrY centromere region, the
// DXZ1 array and arrays of all 20 live standard HORs
// (bench/annotate_standard_arrays.py), allowing 15-23 of the 78 oriented
// classes on average; a margin of 20 lost 2 of 2,248 monomers on chrY, blocks
// of two 171-base cells needed a margin of 48 and lost one of the 5,020.
struct LikelyFamilySettings {
    int k = 8;                    // 6 to 10 (a table of 16 * 4^k bytes)
    std::size_t cell = 43;        // bases
    std::size_t blockCells = 4;   // cells a block
    std::uint32_t margin = 24;    // hits below the block's best class's
    double minHits = 60;          // hits of the best class per 1,000 bases of a block
    std::size_t edgeCells = 4;
};

class LikelyFamilies {
public:
    // The consensus monomers of the classes (at most 64).
    explicit LikelyFamilies(const std::vector<MonomerType>& families, const LikelyFamilySettings& settings = {});

    // The oriented classes each part of `bases` allows (TypeRun: 2f for class f,
    // 2f + 1 for its reverse complement); none (every class everywhere) when
    // no block takes any or the set has more than 64 classes.
    std::vector<TypeRun> Runs(std::string_view bases) const;

private:
    using Mask = std::array<std::uint64_t, 2>;  // bit o of word o / 64: oriented class o

    std::vector<Mask> BlockVotes(std::string_view bases) const;

    LikelyFamilySettings settings_;
    std::size_t families_ = 0;
    // k-mer code -> the classes holding it as it is (word 0) and reverse-complemented (word 1).
    std::vector<Mask> classes_;
};

}  // namespace horgrid
