#pragma once

// Deterministic monomer-like sequences and ensemble files for the HOR tests.

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace horgrid::test {

// A reproducible stream of bases (std::mt19937's sequence is fixed by the standard).
class BaseSource {
public:
    explicit BaseSource(unsigned seed) : engine_(seed) {}

    std::string Random(std::size_t length) {
        std::string sequence(length, 'A');
        for (char& base : sequence) base = "ACGT"[engine_() % 4];
        return sequence;
    }

    // `sequence` with a different base at each of the given positions.
    static std::string Substitute(std::string sequence, const std::vector<std::size_t>& positions) {
        for (const std::size_t position : positions) {
            sequence[position] = sequence[position] == 'A' ? 'C' : 'A';
        }
        return sequence;
    }

    // `sequence` with `count` substitutions spread evenly along it.
    static std::string Spread(std::string sequence, std::size_t count) {
        std::vector<std::size_t> positions;
        for (std::size_t k = 0; k < count; ++k) positions.push_back(k * sequence.size() / count + 3);
        return Substitute(std::move(sequence), positions);
    }

private:
    std::mt19937 engine_;
};

// Five-column ensemble lines "m<k> + <position> <length> <sequence>", positions
// counted along the array from 1; a length of 0 means the sequence's own length.
inline std::string EnsembleText(const std::vector<std::string>& sequences,
                                const std::vector<int>& lengths = {}) {
    std::string text;
    int position = 1;
    for (std::size_t k = 0; k < sequences.size(); ++k) {
        const int own = static_cast<int>(sequences[k].size());
        const int length = k < lengths.size() && lengths[k] != 0 ? lengths[k] : own;
        text += 'm';
        text += std::to_string(k + 1) + " + " + std::to_string(position) + " " + std::to_string(length) +
                " " + sequences[k] + "\n";
        position += own;
    }
    return text;
}

}  // namespace horgrid::test
