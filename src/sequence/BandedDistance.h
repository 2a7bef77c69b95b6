#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "sequence/InstructionSet.h"

namespace horgrid {

// The edit distance of one pattern against many texts within a band of at
// most kMostWords * 64 diagonals, a few machine words a column: the cheap
// first try for pairs that are known to lie close (copies of one repeat).
// Cells outside the band take the cost of leaving it by a plain insertion or
// deletion, so every answer is the cost of some alignment and never below the
// distance; when the band holds every alignment within the limit, an answer
// within the limit is the exact distance. Not for concurrent use; keep one per
// thread.
//
//     BandedPattern band;
//     band.SetPattern(copy);
//     if (band.Covers(other.size(), limit)) d = band.DistanceAtMost(other, limit);
class BandedPattern {
public:
    // The widest band, in 64-bit words a column.
    static constexpr std::size_t kMostWords = 4;

    // DistancesAtMost runs eight texts in one register where `set` (when
    // the processor runs it) is AVX-512, else two to a pair of lanes.
    explicit BandedPattern(InstructionSet set = BestInstructionSet());

    // Builds the shifted match masks of `pattern` (copied; `pattern` need not
    // outlive the call).
    void SetPattern(std::string_view pattern);

    // Whether kMostWords words hold every diagonal an alignment of cost at
    // most `limit` with a text of `textLength` can use.
    bool Covers(std::size_t textLength, std::uint64_t limit) const;

    // The largest limit whose band for a text of `textLength` takes as many
    // words as that of `limit` (at least `limit`). Requires
    // Covers(textLength, limit).
    std::uint64_t WidestLimit(std::size_t textLength, std::uint64_t limit) const;

    // The distance to `text` when it is at most `limit`, otherwise some value
    // greater than `limit`. Requires Covers(text.size(), limit).
    std::uint32_t DistanceAtMost(std::string_view text, std::uint64_t limit) const;

    // Texts DistancesAtMost takes at once.
    static constexpr std::size_t kGroup = 8;

    // DistanceAtMost of kGroup texts at once (faster than one after the
    // other): the columns they all have side by side, the rest of each
    // alone. Requires Covers for each.
    void DistancesAtMost(const std::string_view texts[kGroup], const std::uint64_t limits[kGroup],
                         std::uint32_t answers[kGroup]) const;

    // Two 64-bit words side by side, one a lane (GNU vector extension: SSE2
    // on x86-64, NEON on AArch64).
    typedef std::uint64_t Lanes __attribute__((vector_size(16)));

private:
    // The band of one text: its first diagonal, the bit of the last cell and
    // its words (0: answered by the lengths alone).
    struct Plan {
        std::string_view text;
        std::int64_t first = 0;
        std::int64_t last = 0;
        std::size_t words = 0;
    };
    template <std::size_t Words, typename Word>
    struct Band;

    // The plan of `text` and `limit`; when the lengths alone answer, a plan of
    // no words and the answer in `value`.
    Plan PlanFor(std::string_view text, std::uint64_t limit, std::uint64_t& value) const;

    std::vector<std::uint16_t> codeOf_;
    std::vector<std::size_t> offsetOf_;  // of each byte's windows
    std::vector<std::uint64_t> masks_;   // work memory of SetPattern
    // For each code and bit position p, the match bits p ... p + 63: a
    // column's words are read, not shifted together (8 bytes per pattern
    // position and distinct byte).
    std::vector<std::uint64_t> windows_;
    std::size_t length_ = 0;
    bool wide_ = false;  // eight lanes in one AVX-512 register
};

}  // namespace horgrid
