#include "infer/MedoidConsensus.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "sequence/EditDistance.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {
namespace {

constexpr std::size_t kSymbols = 6;  // A C G T, any other byte, gap
constexpr std::size_t kGap = 5;
constexpr char kLetters[] = "ACGTN";

std::size_t Code(char base) {
    switch (base) {
        case 'A':
            return 0;
        case 'C':
            return 1;
        case 'G':
            return 2;
        case 'T':
            return 3;
        default:
            return 4;
    }
}

std::vector<std::size_t> Spread(std::size_t size, std::size_t sample) {
    std::vector<std::size_t> picks;
    const std::size_t count = std::min(size, sample);
    for (std::size_t k = 0; k < count; ++k) picks.push_back(k * size / count);
    return picks;
}

}  // namespace

std::size_t GroupMedoid(const std::vector<std::string_view>& members, std::size_t sample) {
    if (members.size() <= 2) return 0;
    const std::vector<std::size_t> picks = Spread(members.size(), sample);
    std::vector<std::string_view> views;
    for (const std::size_t pick : picks) views.push_back(members[pick]);
    LevenshteinBatch batch(views);
    std::vector<std::uint32_t> distances(views.size());
    std::size_t best = picks.front();
    std::uint64_t bestTotal = std::numeric_limits<std::uint64_t>::max();
    for (const std::size_t pick : picks) {
        batch.Distances(members[pick], 0, views.size(), distances.data());
        std::uint64_t total = 0;
        for (const std::uint32_t distance : distances) total += distance;
        if (total < bestTotal) {
            bestTotal = total;
            best = pick;
        }
    }
    return best;
}

void MedoidConsensus::AddMember(std::string_view member, std::string_view medoid) {
    const std::size_t rows = member.size();
    const std::size_t columns = medoid.size();
    // Every optimal path keeps within `band` of the diagonal (each step off it
    // costs 1), so the DP is kept in that band: the same alignment in memory
    // of rows x (2 band + 1), not rows x columns (a HOR-long period of 12 kb
    // would take 600 MB a thread).
    const std::size_t band = std::min<std::size_t>(Levenshtein(member, medoid), std::max(rows, columns)) + 1;
    const std::size_t width = 2 * band + 1;
    constexpr int kFar = std::numeric_limits<int>::max() / 2;
    score_.assign((rows + 1) * width, kFar);
    // The cell (i, j) of the full table: its place in the band, and its
    // score (kFar outside the band).
    const auto cell = [&](std::size_t i, std::size_t j) { return i * width + (j + band - i); };
    const auto at = [&](std::size_t i, std::size_t j) {
        return j + band < i || j > i + band ? kFar : score_[cell(i, j)];
    };
    for (std::size_t j = 0; j <= std::min(columns, band); ++j) score_[cell(0, j)] = static_cast<int>(j);
    for (std::size_t i = 1; i <= rows; ++i) {
        if (i <= band) score_[cell(i, 0)] = static_cast<int>(i);
        const std::size_t last = std::min(columns, i + band);
        for (std::size_t j = i > band ? i - band : 1; j <= last; ++j) {
            const int diagonal = at(i - 1, j - 1) + (member[i - 1] != medoid[j - 1]);
            score_[cell(i, j)] = std::min({diagonal, at(i - 1, j) + 1, at(i, j - 1) + 1});
        }
    }
    // Traceback from the end: a diagonal step is preferred, then a member
    // base left out of the medoid (insertion), then a medoid base the member
    // lacks (gap).
    std::size_t i = rows;
    std::size_t j = columns;
    std::vector<char> insertion;  // bases inserted before medoid column j, reversed
    const auto flushInsertion = [&](std::size_t slot) {
        std::vector<std::size_t>& counts = inserted_[slot];
        if (counts.size() < insertion.size() * 5) counts.resize(insertion.size() * 5, 0);
        for (std::size_t k = 0; k < insertion.size(); ++k) {
            ++counts[k * 5 + Code(insertion[insertion.size() - 1 - k])];
        }
        insertion.clear();
    };
    while (i > 0 || j > 0) {
        const int here = at(i, j);
        if (i > 0 && j > 0 && here == at(i - 1, j - 1) + (member[i - 1] != medoid[j - 1])) {
            flushInsertion(j);
            ++counts_[(j - 1) * kSymbols + Code(member[i - 1])];
            --i;
            --j;
        } else if (i > 0 && here == at(i - 1, j) + 1) {
            insertion.push_back(member[i - 1]);
            --i;
        } else {
            flushInsertion(j);
            ++counts_[(j - 1) * kSymbols + kGap];
            --j;
        }
    }
    flushInsertion(0);
}

std::string MedoidConsensus::Consensus(const std::vector<std::string_view>& members,
                                       std::string_view medoid) {
    counts_.assign(medoid.size() * kSymbols, 0);
    inserted_.assign(medoid.size() + 1, {});
    for (const std::string_view member : members) AddMember(member, medoid);
    const std::size_t half = members.size() / 2;
    std::string consensus;
    for (std::size_t slot = 0; slot <= medoid.size(); ++slot) {
        const std::vector<std::size_t>& counts = inserted_[slot];
        for (std::size_t k = 0; k * 5 < counts.size(); ++k) {
            const auto first = counts.begin() + static_cast<std::ptrdiff_t>(k * 5);
            std::size_t total = 0;
            for (std::size_t c = 0; c < 5; ++c) total += first[c];
            if (total <= half) break;
            consensus += kLetters[std::max_element(first, first + 5) - first];
        }
        if (slot == medoid.size()) break;
        const std::size_t* column = &counts_[slot * kSymbols];
        std::size_t best = Code(medoid[slot]);
        for (std::size_t c = 0; c < kSymbols; ++c) {
            if (column[c] > column[best]) best = c;
        }
        if (best == kGap) continue;
        consensus += best == 4 && Code(medoid[slot]) == 4 ? medoid[slot] : kLetters[best];
    }
    return consensus;
}

}  // namespace horgrid
