#include "decompose/DecomposeTrace.h"

#include <algorithm>

namespace horgrid::decompose {
namespace {

// The value stored for position i in a list sorted by position.
template <typename Value>
Value Find(const std::vector<std::pair<std::size_t, Value>>& list, std::size_t i) {
    const auto found =
        std::lower_bound(list.begin(), list.end(), i,
                         [](const auto& entry, std::size_t position) { return entry.first < position; });
    return found->second;
}

}  // namespace

PackedTrace::PackedTrace(std::size_t n, const std::vector<std::string>& monomers)
    : n_(n), wide_(monomers.size() > 256), blocks_((n >> kBlockBits) + 1) {
    for (const std::string& monomer : monomers) lengths_.push_back(static_cast<std::int64_t>(monomer.size()));
}

void PackedTrace::Clear() {
    for (Block& block : blocks_) block = Block{};
    longLengths_.clear();
    bigSteps_.clear();
}

void PackedTrace::Allocate(Block& block) const {
    const std::size_t size = std::min(kBlockMask + 1, n_ + 1);
    block.monomer.assign(size, 0);
    if (wide_) block.monomerHigh.assign(size, 0);
    block.length.assign(size, 0);
    block.steps.assign((size + 1) / 2, 0);
}

std::uint32_t PackedTrace::Monomer(std::size_t i) const {
    const Block& block = blocks_[i >> kBlockBits];
    const std::size_t at = i & kBlockMask;
    return block.monomer[at] | (wide_ ? static_cast<std::uint32_t>(block.monomerHigh[at]) << 8 : 0u);
}

std::size_t PackedTrace::Length(std::size_t i) const {
    const std::int8_t offset = blocks_[i >> kBlockBits].length[i & kBlockMask];
    if (offset == kEscape) return Find(longLengths_, i);
    return static_cast<std::size_t>(lengths_[Monomer(i)] + offset);
}

std::int64_t PackedTrace::Step(std::size_t i) const {
    const std::size_t at = i & kBlockMask;
    const int nibble = (blocks_[i >> kBlockBits].steps[at / 2] >> (4 * (at % 2))) & 15;
    if (nibble == 0) return Find(bigSteps_, i);
    return nibble - 8;
}

void PackedTrace::ReleaseAbove(std::size_t i) {
    for (std::size_t b = (i >> kBlockBits) + 1; b < blocks_.size() && !blocks_[b].monomer.empty(); ++b) {
        blocks_[b] = Block{};
    }
}

}  // namespace horgrid::decompose
