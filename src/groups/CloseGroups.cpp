#include "groups/CloseGroups.h"

#include <bit>
#include <cstdint>

namespace horgrid {

void JoinCloseMonomers(const CloseMatrix& close,
                       const std::function<void(int, const std::vector<int>&)>& emit) {
    const int size = close.size();
    const std::size_t words = close.RowWords();

    // Whether a monomer has any close later monomer (a close list of more than itself).
    std::vector<char> hasClose(static_cast<std::size_t>(size), 0);
    for (int row = 0; row < close.rows(); ++row)
        for (std::size_t w = CloseMatrix::FirstWord(row);
             w < words && !hasClose[static_cast<std::size_t>(row)]; ++w)
            hasClose[static_cast<std::size_t>(row)] = close.Word(row, w) != 0;

    std::vector<char> absorbed(static_cast<std::size_t>(size), 0);
    std::vector<std::uint64_t> group(words, 0);
    std::vector<int> members;
    for (int i = 0; i < size; ++i) {
        members.clear();
        if (absorbed[static_cast<std::size_t>(i)]) {
            emit(i, members);
            continue;
        }
        const std::size_t firstWord = static_cast<std::size_t>(i) / 64;
        std::fill(group.begin() + static_cast<std::ptrdiff_t>(firstWord), group.end(), 0);
        group[firstWord] = std::uint64_t{1} << (i % 64);
        // Links only lead to later monomers, so one increasing sweep visits
        // every member, those that joining brings in included.
        for (std::size_t w = firstWord; w < words; ++w) {
            std::uint64_t visited = 0;
            while (const std::uint64_t pending = group[w] & ~visited) {
                const int bit = std::countr_zero(pending);
                visited |= std::uint64_t{1} << bit;
                const int k = static_cast<int>(w * 64) + bit;
                members.push_back(k);
                const auto kk = static_cast<std::size_t>(k);
                if (!hasClose[kk] || (k != i && absorbed[kk])) continue;
                for (std::size_t v = CloseMatrix::FirstWord(k); v < words; ++v) group[v] |= close.Word(k, v);
                if (k != i) absorbed[kk] = 1;
            }
        }
        emit(i, members);
    }
}

}  // namespace horgrid
