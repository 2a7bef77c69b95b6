#include "sequence/EditDistance.h"

#include <array>
#include <utility>

#include "sequence/LevenshteinEngine.h"
#include "sequence/MyersCore.h"

namespace horgrid {

namespace {

// Patterns up to this length (the shorter of the two sequences) run on stack
// buffers, so monomer-sized comparisons never allocate.
constexpr std::size_t kStackPattern = 256;
constexpr std::size_t kStackWords = myers::WordsFor(kStackPattern);

std::uint32_t Bounded(std::string_view s1, std::string_view s2, std::uint64_t limit) {
    if (s1.size() > s2.size()) std::swap(s1, s2);  // the shorter one is the pattern
    if (s1.size() > kStackPattern) {
        LevenshteinEngine engine;
        return engine.DistanceAtMost(s1, s2,
                                     static_cast<std::uint32_t>(limit < UINT32_MAX ? limit : UINT32_MAX));
    }
    std::array<std::uint16_t, myers::kByteValues> codeOf;
    std::array<std::uint64_t, myers::CodesFor(kStackPattern) * kStackWords> masks;
    std::array<std::uint64_t, kStackWords> vp;
    std::array<std::uint64_t, kStackWords> vn;
    const myers::Pattern pattern = myers::BuildPattern(s1, codeOf.data(), masks.data());
    return myers::DistanceAtMost(pattern, s2, limit, {vp.data(), vn.data()});
}

}  // namespace

std::uint32_t Levenshtein(std::string_view s1, std::string_view s2) {
    return Bounded(s1, s2, UINT64_MAX);
}

std::uint32_t LevenshteinAtMost(std::string_view s1, std::string_view s2, std::uint32_t limit) {
    return Bounded(s1, s2, limit);
}

std::uint32_t LevenshteinDistance(std::string s1, std::string s2) {
    return Levenshtein(s1, s2);
}

EditDistance::EditDistance(std::string a, std::string b)
    : sequenceA(std::move(a)),
      sequenceB(std::move(b)),
      distance(static_cast<int>(LevenshteinDistance(sequenceA, sequenceB))) {}

}  // namespace horgrid
