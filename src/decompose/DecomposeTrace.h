#pragma once

// What the decomposition's traceback needs per record position, packed.
// Internal to the decomposition; Decompose.h is the interface.
//
// For each position i = 1 ... n (the first i bases of the record) the DP
// records the last segment of the best decomposition of those bases: its
// oriented monomer, its length and the step best[i] - best[i-1] of the best
// score, from which every segment's score follows as the sum of the steps
// over its bases. Stored: the monomer in one byte (two with more than 256
// oriented monomers, four past 65,536), the length as a signed byte relative
// to the monomer's length, the step in as few bits as the scores allow (four
// for the default ones); the rare values outside those ranges go to side
// lists. That is 2.5 bytes per base with the default scores and up to 256
// oriented monomers, instead of the 16 of a score, a start and a monomer per
// position. The
// positions lie in blocks of 2^20 that the traceback, which only goes down,
// releases as it passes below them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid::decompose {

class PackedTrace {
public:
    // For a record of n bases, these oriented monomers and scores.
    PackedTrace(std::size_t n, const std::vector<std::string>& monomers, const Scoring& scoring);

    // Forgets every position set (a DP run that is given up).
    void Clear();
    // Positions must be set in increasing order, each once after a Clear.
    void Set(std::size_t i, std::uint32_t monomer, std::size_t length, std::int64_t step) {
        Block& block = Open(i);
        const std::size_t at = i & kBlockMask;
        for (std::size_t byte = 0; byte < monomerBytes_; ++byte) {
            block.monomer[at * monomerBytes_ + byte] = static_cast<std::uint8_t>(monomer >> (8 * byte));
        }
        const std::int64_t offset = static_cast<std::int64_t>(length) - lengths_[monomer];
        if (offset > -128 && offset < 128) {
            block.length[at] = static_cast<std::int8_t>(offset);
        } else {
            block.length[at] = kEscape;
            longLengths_.emplace_back(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(length));
        }
        // The lowest value of the field marks a step kept aside.
        const std::int64_t limit = (std::int64_t{1} << (stepBits_ - 1)) - 1;
        std::int64_t value = step;
        if (step < -limit || step > limit) {
            value = -limit - 1;
            bigSteps_.emplace_back(i, step);
        }
        const auto field = static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << stepBits_) - 1);
        if (stepBits_ == 4) {
            block.steps[at / 2] |= static_cast<std::uint8_t>(field << (4 * (at % 2)));
        } else {
            for (std::size_t byte = 0; byte < stepBits_ / 8; ++byte) {
                block.steps[at * (stepBits_ / 8) + byte] = static_cast<std::uint8_t>(field >> (8 * byte));
            }
        }
    }

    std::uint32_t Monomer(std::size_t i) const;
    std::size_t Length(std::size_t i) const;
    std::int64_t Step(std::size_t i) const;
    // Frees the blocks of the positions above i (none is read again).
    void ReleaseAbove(std::size_t i);

private:
    static constexpr int kBlockBits = 20;
    static constexpr std::size_t kBlockMask = (std::size_t{1} << kBlockBits) - 1;
    static constexpr std::int8_t kEscape = -128;

    struct Block {
        std::vector<std::uint8_t> monomer;  // monomerBytes_ a position, low byte first
        std::vector<std::int8_t> length;
        std::vector<std::uint8_t> steps;  // stepBits_ a position, low first
    };

    Block& Open(std::size_t i) {
        Block& block = blocks_[i >> kBlockBits];
        if (block.monomer.empty()) Allocate(block);
        return block;
    }
    void Allocate(Block& block) const;

    std::size_t n_;
    std::size_t monomerBytes_;           // 1, 2 or 4, as many as the oriented monomers need
    std::size_t stepBits_;               // 4, 8, 16 or 32, as the scores need (see the constructor)
    std::vector<std::int64_t> lengths_;  // of each oriented monomer
    std::vector<Block> blocks_;
    // By position; records have fewer than 2^32 bases (DecomposeLimitError).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> longLengths_;
    std::vector<std::pair<std::size_t, std::int64_t>> bigSteps_;  // by position
};

}  // namespace horgrid::decompose
