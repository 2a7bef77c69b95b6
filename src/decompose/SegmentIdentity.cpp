#include "decompose/SegmentIdentity.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace horgrid {
namespace {

// Upper-case ACGT stay; every other byte becomes `other`, a value no base of
// the other side takes, so that it matches nothing.
std::string Canonical(std::string_view sequence, char other) {
    std::string out(sequence.size(), other);
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const char upper = static_cast<char>(sequence[i] & ~0x20);
        if (upper == 'A' || upper == 'C' || upper == 'G' || upper == 'T') out[i] = upper;
    }
    return out;
}

// (edits, deletions) packed for one minimum.
constexpr std::int64_t kEdit = std::int64_t{1} << 32;
constexpr std::int64_t kInfinite = std::int64_t{1} << 62;

// The fewest deletions of an alignment with `distance` edits, over the band
// of diagonals i - j in [low, high].
std::int64_t FewestDeletions(const std::string& a, const std::string& b, std::int64_t distance) {
    const std::int64_t n = static_cast<std::int64_t>(a.size());
    const std::int64_t m = static_cast<std::int64_t>(b.size());
    const std::int64_t slack = (distance - std::abs(n - m)) / 2;
    const std::int64_t low = std::min<std::int64_t>(0, n - m) - slack;
    const std::int64_t high = std::max<std::int64_t>(0, n - m) + slack;
    std::vector<std::int64_t> previous(m + 2, kInfinite);
    std::vector<std::int64_t> current(m + 2, kInfinite);
    for (std::int64_t j = 0; j <= std::min(m, -low); ++j) previous[j] = j * kEdit + j;
    previous[std::min(m, -low) + 1] = kInfinite;
    for (std::int64_t i = 1; i <= n; ++i) {
        const std::int64_t first = std::max<std::int64_t>(0, i - high);
        const std::int64_t last = std::min(m, i - low);
        if (first > 0) current[first - 1] = kInfinite;
        for (std::int64_t j = first; j <= last; ++j) {
            std::int64_t best = previous[j] + kEdit;
            if (j > 0) {
                best = std::min(best, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : kEdit));
                best = std::min(best, current[j - 1] + kEdit + 1);
            }
            current[j] = best;
        }
        if (last < m) current[last + 1] = kInfinite;
        std::swap(previous, current);
    }
    return previous[m] & (kEdit - 1);
}

}  // namespace

double SegmentIdentity(std::string_view segment, std::string_view monomer, LevenshteinEngine& engine) {
    if (segment.empty() || monomer.empty()) return 0;
    const std::string a = Canonical(segment, '\x01');
    const std::string b = Canonical(monomer, '\x02');
    const std::int64_t distance = engine.Distance(a, b);
    const std::int64_t deletions = FewestDeletions(a, b, distance);
    const std::int64_t n = static_cast<std::int64_t>(a.size());
    return 100.0 * static_cast<double>(n - distance + deletions) / static_cast<double>(n + deletions);
}

}  // namespace horgrid
