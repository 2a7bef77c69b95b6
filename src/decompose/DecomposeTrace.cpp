#include "decompose/DecomposeTrace.h"

#include <algorithm>
#include <cstdlib>

namespace horgrid::decompose {
namespace {

// The value stored for position i in a list sorted by position.
template <typename Position, typename Value>
Value Find(const std::vector<std::pair<Position, Value>>& list, std::size_t i) {
    const auto found =
        std::lower_bound(list.begin(), list.end(), i, [](const auto& entry, std::size_t position) {
            return static_cast<std::size_t>(entry.first) < position;
        });
    return found->second;
}

// The bits a step field needs. From position 2 on, best[i] - best[i-1] lies
// within max(|insertion|, max(|match|, |mismatch|) + |deletion|) when the
// last segment has two bases or more (dropping its last base, an insertion or
// a base aligned in place of a deletion, lowers the score by at most that;
// extending the best decomposition of i-1 bases by an insertion lowers it by
// at most |insertion|), and so it does for a segment of one base when
// deletions do not score above 0. Position 1 and the rest are kept aside.
std::size_t StepBits(const Scoring& scoring) {
    const std::int64_t bound = std::max<std::int64_t>(
        std::abs(scoring.insertion),
        std::max(std::abs(scoring.match), std::abs(scoring.mismatch)) + std::abs(scoring.deletion));
    if (bound <= 7) return 4;
    if (bound <= 127) return 8;
    if (bound <= 32767) return 16;
    return 32;
}

}  // namespace

PackedTrace::PackedTrace(std::size_t n, const std::vector<std::string>& monomers, const Scoring& scoring)
    : n_(n),
      monomerBytes_(monomers.size() <= 256     ? 1
                    : monomers.size() <= 65536 ? 2
                                               : 4),
      stepBits_(StepBits(scoring)),
      blocks_((n >> kBlockBits) + 1) {
    for (const std::string& monomer : monomers) lengths_.push_back(static_cast<std::int64_t>(monomer.size()));
}

void PackedTrace::Clear() {
    for (Block& block : blocks_) block = Block{};
    longLengths_.clear();
    bigSteps_.clear();
}

void PackedTrace::Allocate(Block& block) const {
    const std::size_t size = std::min(kBlockMask + 1, n_ + 1);
    block.monomer.assign(size * monomerBytes_, 0);
    block.length.assign(size, 0);
    block.steps.assign((size * stepBits_ + 7) / 8, 0);
}

std::uint32_t PackedTrace::Monomer(std::size_t i) const {
    const std::uint8_t* bytes = blocks_[i >> kBlockBits].monomer.data() + (i & kBlockMask) * monomerBytes_;
    std::uint32_t monomer = 0;
    for (std::size_t byte = 0; byte < monomerBytes_; ++byte)
        monomer |= std::uint32_t{bytes[byte]} << (8 * byte);
    return monomer;
}

std::size_t PackedTrace::Length(std::size_t i) const {
    const std::int8_t offset = blocks_[i >> kBlockBits].length[i & kBlockMask];
    if (offset == kEscape) return Find(longLengths_, i);
    return static_cast<std::size_t>(lengths_[Monomer(i)] + offset);
}

std::int64_t PackedTrace::Step(std::size_t i) const {
    const std::vector<std::uint8_t>& steps = blocks_[i >> kBlockBits].steps;
    const std::size_t at = i & kBlockMask;
    std::uint64_t field = 0;
    if (stepBits_ == 4) {
        field = (steps[at / 2] >> (4 * (at % 2))) & 15;
    } else {
        for (std::size_t byte = 0; byte < stepBits_ / 8; ++byte) {
            field |= std::uint64_t{steps[at * (stepBits_ / 8) + byte]} << (8 * byte);
        }
    }
    // Sign-extended from stepBits_.
    const auto value = static_cast<std::int64_t>(field << (64 - stepBits_)) >> (64 - stepBits_);
    if (value == -(std::int64_t{1} << (stepBits_ - 1))) return Find(bigSteps_, i);
    return value;
}

void PackedTrace::ReleaseAbove(std::size_t i) {
    for (std::size_t b = (i >> kBlockBits) + 1; b < blocks_.size() && !blocks_[b].monomer.empty(); ++b) {
        blocks_[b] = Block{};
    }
}

}  // namespace horgrid::decompose
