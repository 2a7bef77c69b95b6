#include "sequence/LevenshteinEngine.h"

#include <utility>

namespace horgrid {

LevenshteinEngine::LevenshteinEngine() : codeOf_(myers::kByteValues) {}

std::uint32_t LevenshteinEngine::Distance(std::string_view a, std::string_view b) {
    return DistanceAtMost(a, b, UINT32_MAX);
}

std::uint32_t LevenshteinEngine::DistanceAtMost(std::string_view a, std::string_view b, std::uint32_t limit) {
    // The shorter sequence as the pattern needs the fewest words per column.
    if (a.size() > b.size()) std::swap(a, b);
    SetPattern(a);
    return Run(b, limit);
}

void LevenshteinEngine::SetPattern(std::string_view pattern) {
    const std::size_t words = myers::WordsFor(pattern.size());
    const std::size_t maskWords = myers::CodesFor(pattern.size()) * words;
    if (masks_.size() < maskWords) masks_.resize(maskWords);
    if (vp_.size() < words) {
        vp_.resize(words);
        vn_.resize(words);
    }
    pattern_ = myers::BuildPattern(pattern, codeOf_.data(), masks_.data());
}

std::uint32_t LevenshteinEngine::DistanceTo(std::string_view text) {
    return Run(text, UINT64_MAX);
}

std::uint32_t LevenshteinEngine::DistanceToAtMost(std::string_view text, std::uint32_t limit) {
    return Run(text, limit);
}

std::uint32_t LevenshteinEngine::Run(std::string_view text, std::uint64_t limit) {
    return myers::DistanceAtMost(pattern_, text, limit, {vp_.data(), vn_.data()});
}

}  // namespace horgrid
