#include "infer/InfixFit.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace horgrid {

std::size_t InfixEdits(std::string_view piece, std::string_view text) {
    std::vector<std::size_t> row(text.size() + 1, 0), next(text.size() + 1);
    for (std::size_t i = 1; i <= piece.size(); ++i) {
        next[0] = i;
        for (std::size_t j = 1; j <= text.size(); ++j) {
            next[j] = std::min({row[j] + 1, next[j - 1] + 1, row[j - 1] + (piece[i - 1] != text[j - 1])});
        }
        std::swap(row, next);
    }
    return *std::min_element(row.begin(), row.end());
}

InfixFit FitInto(std::string_view piece, std::string_view text) {
    const std::size_t n = text.size();
    std::vector<std::size_t> row(n + 1, 0), next(n + 1), from(n + 1), nextFrom(n + 1);
    for (std::size_t j = 0; j <= n; ++j) from[j] = j;
    for (std::size_t i = 1; i <= piece.size(); ++i) {
        next[0] = i;
        nextFrom[0] = 0;
        for (std::size_t j = 1; j <= n; ++j) {
            std::size_t edits = row[j - 1] + (piece[i - 1] != text[j - 1]);
            std::size_t start = from[j - 1];
            if (row[j] + 1 < edits || (row[j] + 1 == edits && from[j] > start)) {
                edits = row[j] + 1;
                start = from[j];
            }
            if (next[j - 1] + 1 < edits || (next[j - 1] + 1 == edits && nextFrom[j - 1] > start)) {
                edits = next[j - 1] + 1;
                start = nextFrom[j - 1];
            }
            next[j] = edits;
            nextFrom[j] = start;
        }
        std::swap(row, next);
        std::swap(from, nextFrom);
    }
    InfixFit fit{row[0], from[0], 0};
    for (std::size_t j = 1; j <= n; ++j) {
        if (row[j] < fit.edits) fit = {row[j], from[j], j};
    }
    return fit;
}

bool FitsByDescent(std::string_view piece, std::string_view text, const InfixFit& fit) {
    const std::string reversed(text.rbegin(), text.rend());
    return fit.edits + piece.size() / 10 <= FitInto(piece, reversed).edits;
}

}  // namespace horgrid
