#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace horgrid {

// A, C, G, T in either case are 0 to 3, every other byte 4: the table of the
// k-mer scans' inner loops.
inline constexpr std::array<std::uint8_t, 256> kBaseCodes = [] {
    std::array<std::uint8_t, 256> codes{};
    codes.fill(4);
    codes['A'] = codes['a'] = 0;
    codes['C'] = codes['c'] = 1;
    codes['G'] = codes['g'] = 2;
    codes['T'] = codes['t'] = 3;
    return codes;
}();

// 0-3 for A, C, G, T (either case), -1 for any other byte.
inline int BaseCode(char base) {
    switch (base) {
        case 'A':
        case 'a':
            return 0;
        case 'C':
        case 'c':
            return 1;
        case 'G':
        case 'g':
            return 2;
        case 'T':
        case 't':
            return 3;
        default:
            return -1;
    }
}

// Calls visit(position, code) for every k-mer (k up to 32) of ACGT bases,
// position being its last base and code its bases two bits each, the first
// base highest. A k-mer holding any other byte is skipped.
template <class Visit>
void ForEachKmer(std::string_view sequence, std::size_t k, Visit&& visit) {
    const std::uint64_t mask = k >= 32 ? ~std::uint64_t{0} : (std::uint64_t{1} << (2 * k)) - 1;
    std::uint64_t code = 0;
    std::size_t valid = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const int base = BaseCode(sequence[i]);
        if (base < 0) {
            valid = 0;
            continue;
        }
        code = ((code << 2) | static_cast<std::uint64_t>(base)) & mask;
        if (++valid >= k) visit(i, code);
    }
}

}  // namespace horgrid
