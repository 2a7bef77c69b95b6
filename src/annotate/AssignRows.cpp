#include <limits>

#include "annotate/Annotate.h"

namespace horgrid {

std::vector<std::size_t> AssignRows(const std::vector<std::vector<double>>& cost) {
    // Shortest augmenting paths with potentials (Hungarian method), O(rows^2 * columns).
    const std::size_t rows = cost.size();
    if (rows == 0) return {};
    const std::size_t columns = cost[0].size();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    std::vector<double> u(rows + 1, 0), v(columns + 1, 0);
    std::vector<std::size_t> owner(columns + 1, 0), way(columns + 1, 0);
    for (std::size_t row = 1; row <= rows; ++row) {
        owner[0] = row;
        std::size_t column = 0;
        std::vector<double> least(columns + 1, kInfinity);
        std::vector<bool> used(columns + 1, false);
        do {
            used[column] = true;
            const std::size_t current = owner[column];
            double delta = kInfinity;
            std::size_t next = 0;
            for (std::size_t j = 1; j <= columns; ++j) {
                if (used[j]) continue;
                const double reduced = cost[current - 1][j - 1] - u[current] - v[j];
                if (reduced < least[j]) {
                    least[j] = reduced;
                    way[j] = column;
                }
                if (least[j] < delta) {
                    delta = least[j];
                    next = j;
                }
            }
            for (std::size_t j = 0; j <= columns; ++j) {
                if (used[j]) {
                    u[owner[j]] += delta;
                    v[j] -= delta;
                } else {
                    least[j] -= delta;
                }
            }
            column = next;
        } while (owner[column] != 0);
        do {
            const std::size_t previous = way[column];
            owner[column] = owner[previous];
            column = previous;
        } while (column != 0);
    }
    std::vector<std::size_t> assigned(rows, kNone);
    for (std::size_t j = 1; j <= columns; ++j) {
        if (owner[j] != 0) assigned[owner[j] - 1] = j - 1;
    }
    return assigned;
}

}  // namespace horgrid
