#pragma once

// What the decomposition's traceback needs per record position, packed.
// Internal to the decomposition; Decompose.h is the interface.
//
// For each position i = 1 ... n (the first i bases of the record) the DP
// records the last segment of the best decomposition of those bases: its
// oriented monomer, its length and the step best[i] - best[i-1] of the best
// score, from which every segment's score follows as the sum of the steps
// over its bases. Stored: the monomer in one byte (two with more than 256
// oriented monomers), the length as a signed byte relative to the monomer's
// length, the step in four bits; the rare values outside those ranges go to
// side lists. That is 2.5 bytes per base (3.5 with the wider monomer index)
// instead of the 16 of a score, a start and a monomer per position. The
// positions lie in blocks of 2^20 that the traceback, which only goes down,
// releases as it passes below them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace horgrid::decompose {

class PackedTrace {
public:
    // For a record of n bases and these oriented monomers.
    PackedTrace(std::size_t n, const std::vector<std::string>& monomers);

    // Forgets every position set (a DP run that is given up).
    void Clear();
    // Positions must be set in increasing order, each once after a Clear.
    void Set(std::size_t i, std::uint32_t monomer, std::size_t length, std::int64_t step) {
        Block& block = Open(i);
        const std::size_t at = i & kBlockMask;
        block.monomer[at] = static_cast<std::uint8_t>(monomer);
        if (wide_) block.monomerHigh[at] = static_cast<std::uint8_t>(monomer >> 8);
        const std::int64_t offset = static_cast<std::int64_t>(length) - lengths_[monomer];
        if (offset > -128 && offset < 128) {
            block.length[at] = static_cast<std::int8_t>(offset);
        } else {
            block.length[at] = kEscape;
            longLengths_.emplace_back(i, length);
        }
        std::uint8_t nibble = 0;
        if (step >= -7 && step <= 7) {
            nibble = static_cast<std::uint8_t>(step + 8);
        } else {
            bigSteps_.emplace_back(i, step);
        }
        block.steps[at / 2] |= static_cast<std::uint8_t>(nibble << (4 * (at % 2)));
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
        std::vector<std::uint8_t> monomer;
        std::vector<std::uint8_t> monomerHigh;
        std::vector<std::int8_t> length;
        std::vector<std::uint8_t> steps;  // two per byte, the even position low; 0 escapes
    };

    Block& Open(std::size_t i) {
        Block& block = blocks_[i >> kBlockBits];
        if (block.monomer.empty()) Allocate(block);
        return block;
    }
    void Allocate(Block& block) const;

    std::size_t n_;
    bool wide_;
    std::vector<std::int64_t> lengths_;  // of each oriented monomer
    std::vector<Block> blocks_;
    std::vector<std::pair<std::size_t, std::size_t>> longLengths_;  // by position
    std::vector<std::pair<std::size_t, std::int64_t>> bigSteps_;    // by position
};

}  // namespace horgrid::decompose
