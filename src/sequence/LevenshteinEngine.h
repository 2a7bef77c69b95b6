#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "sequence/MyersCore.h"

namespace horgrid {

// A reusable exact edit-distance engine (unit-cost Levenshtein, bytes compared
// exactly). It keeps its match masks and work vectors between calls, so a loop
// over many pairs allocates only when a longer sequence than any before
// arrives. Keep one per loop (or per thread); an engine is not for concurrent
// use.
//
//     LevenshteinEngine engine;
//     for (...) total += engine.Distance(a, b);
//
// For one sequence against many, set it once as the pattern:
//
//     engine.SetPattern(monomer);
//     for (const auto& reference : references) best = std::min(best, engine.DistanceTo(reference));
class LevenshteinEngine {
public:
    LevenshteinEngine();

    // The edit distance of a and b.
    std::uint32_t Distance(std::string_view a, std::string_view b);
    // The distance when it is at most limit, otherwise some value greater than
    // limit; stops as soon as the answer is known.
    std::uint32_t DistanceAtMost(std::string_view a, std::string_view b, std::uint32_t limit);

    // Builds the match masks of `pattern` for the calls below (the bytes are
    // copied into the masks; `pattern` need not outlive the call). Distance and
    // DistanceAtMost replace the pattern with the shorter of their two inputs.
    void SetPattern(std::string_view pattern);
    std::uint32_t DistanceTo(std::string_view text);
    std::uint32_t DistanceToAtMost(std::string_view text, std::uint32_t limit);

private:
    std::uint32_t Run(std::string_view text, std::uint64_t limit);

    std::vector<std::uint16_t> codeOf_;
    std::vector<std::uint64_t> masks_;
    std::vector<std::uint64_t> vp_;
    std::vector<std::uint64_t> vn_;
    myers::Pattern pattern_;
};

}  // namespace horgrid
