#pragma once

// The plain decomposition DP over (position, monomer, monomer base), one cell
// at a time with (score, segment start) pairs, kept as the reference the fast
// engine must match exactly, and the plain (edits, columns) alignment DP for
// the identity. Shared by the tests and the benchmark.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid::reference {

inline char ReferenceUpper(char base) {
    const char upper = static_cast<char>(base & ~0x20);
    return upper == 'A' || upper == 'C' || upper == 'G' || upper == 'T' ? upper : 'N';
}

inline bool ReferenceMatch(char a, char b) {
    return ReferenceUpper(a) != 'N' && ReferenceUpper(a) == ReferenceUpper(b);
}

inline std::string ReferenceReverseComplement(std::string_view sequence) {
    std::string out;
    for (auto it = sequence.rbegin(); it != sequence.rend(); ++it) {
        const char base = ReferenceUpper(*it);
        out += base == 'A' ? 'T' : base == 'C' ? 'G' : base == 'G' ? 'C' : base == 'T' ? 'A' : 'N';
    }
    return out;
}

// 100 * matches / columns over the alignments with the fewest edits, then
// the fewest columns: the full DP.
inline double ReferenceIdentity(std::string_view a, std::string_view b) {
    using Cost = std::pair<std::int64_t, std::int64_t>;  // edits, columns
    std::vector<std::vector<Cost>> table(a.size() + 1, std::vector<Cost>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) table[i][0] = {i, i};
    for (std::size_t j = 0; j <= b.size(); ++j) table[0][j] = {j, j};
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const Cost& d = table[i - 1][j - 1];
            const bool same = ReferenceMatch(a[i - 1], b[j - 1]);
            table[i][j] = std::min({Cost{d.first + (same ? 0 : 1), d.second + 1},
                                    Cost{table[i - 1][j].first + 1, table[i - 1][j].second + 1},
                                    Cost{table[i][j - 1].first + 1, table[i][j - 1].second + 1}});
        }
    }
    const auto [edits, columns] = table[a.size()][b.size()];
    // matches = columns - edits
    return 100.0 * static_cast<double>(columns - edits) / static_cast<double>(columns);
}

// Whether the runs (none: every type everywhere) allow oriented monomer m at base b.
inline bool ReferenceAllowed(const std::vector<TypeRun>& runs, std::size_t m, std::size_t b) {
    if (runs.empty()) return true;
    std::size_t r = 0;
    while (r + 1 < runs.size() && runs[r].end <= b) ++r;
    return std::find(runs[r].oriented.begin(), runs[r].oriented.end(), m) != runs[r].oriented.end();
}

inline std::vector<Segment> ReferenceDecompose(std::string_view sequence,
                                               const std::vector<MonomerType>& types,
                                               const Scoring& scoring, const std::vector<TypeRun>& runs = {}) {
    using Cell = std::pair<std::int64_t, std::int64_t>;  // score, start of the unfinished segment
    constexpr Cell kNone{INT64_MIN / 4, -1};
    std::vector<std::string> monomers;
    for (const MonomerType& type : types) {
        monomers.push_back(type.sequence);
        monomers.push_back(ReferenceReverseComplement(type.sequence));
    }
    const std::size_t n = sequence.size();
    std::vector<Cell> best(n + 1,
                           kNone);  // best decomposition of the first i bases, start of its last segment
    std::vector<std::size_t> monomerOf(n + 1, 0);
    best[0] = {0, 0};
    // rows[m][j]: monomer m aligned up to its base j (1-based); j = 0 unused.
    std::vector<std::vector<Cell>> rows;
    for (const std::string& monomer : monomers) rows.emplace_back(monomer.size() + 1, kNone);
    for (std::size_t i = 1; i <= n; ++i) {
        const char base = sequence[i - 1];
        for (std::size_t m = 0; m < monomers.size(); ++m) {
            const std::string& monomer = monomers[m];
            std::vector<Cell> next(monomer.size() + 1, kNone);
            // A monomer not allowed here holds no segment (one allowed again starts afresh).
            if (!ReferenceAllowed(runs, m, i - 1)) {
                rows[m] = std::move(next);
                continue;
            }
            for (std::size_t j = 1; j <= monomer.size(); ++j) {
                const std::int64_t substitution =
                    ReferenceMatch(base, monomer[j - 1]) ? scoring.match : scoring.mismatch;
                // A segment that starts here has deleted the j - 1 monomer bases before it.
                const Cell start{best[i - 1].first + scoring.deletion * static_cast<std::int64_t>(j - 1),
                                 static_cast<std::int64_t>(i - 1)};
                const Cell before = j >= 2 ? std::max(rows[m][j - 1], start) : start;
                Cell cell{before.first + substitution, before.second};
                if (rows[m][j] != kNone)
                    cell = std::max(cell, Cell{rows[m][j].first + scoring.insertion, rows[m][j].second});
                if (j >= 2)
                    cell = std::max(cell, Cell{next[j - 1].first + scoring.deletion, next[j - 1].second});
                next[j] = cell;
            }
            rows[m] = std::move(next);
            if (best[i] == kNone || rows[m].back() > best[i]) {
                best[i] = rows[m].back();
                monomerOf[i] = m;
            }
        }
    }
    std::vector<Segment> segments;
    for (std::size_t i = n; i > 0;) {
        const std::size_t start = static_cast<std::size_t>(best[i].second);
        Segment segment;
        segment.start = static_cast<std::int64_t>(start);
        segment.end = static_cast<std::int64_t>(i - 1);
        segment.type = monomerOf[i] / 2;
        segment.reverse = monomerOf[i] % 2 == 1;
        segment.score = best[i].first - best[start].first;
        segment.identity = ReferenceIdentity(sequence.substr(start, i - start), monomers[monomerOf[i]]);
        segments.push_back(segment);
        i = start;
    }
    std::reverse(segments.begin(), segments.end());
    return segments;
}

}  // namespace horgrid::reference
