#pragma once

// Random sequences for the edit-distance tests and benchmarks: random strings
// over an alphabet, and mutated copies (substitutions, deletions, insertions)
// at a chosen divergence, as copies of one monomer type differ.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace horgrid::reference {

inline constexpr std::string_view kDna = "ACGT";

// A random string of `length` characters drawn from `alphabet`; an empty
// alphabet means every byte value 0 ... 255.
inline std::string RandomSequence(std::mt19937_64& random, std::size_t length,
                                  std::string_view alphabet = kDna) {
    std::string sequence(length, '\0');
    for (char& c : sequence) {
        c = alphabet.empty() ? static_cast<char>(random() & 0xFF) : alphabet[random() % alphabet.size()];
    }
    return sequence;
}

// A copy of `source` in which each character is, with total probability
// `divergence`, substituted (80 %), deleted (10 %) or followed by an inserted
// character (10 %).
inline std::string Mutate(std::mt19937_64& random, std::string_view source, double divergence,
                          std::string_view alphabet = kDna) {
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    std::string copy;
    copy.reserve(source.size() + source.size() / 8 + 1);
    for (const char c : source) {
        const double r = roll(random);
        if (r < divergence * 0.8) {
            copy += RandomSequence(random, 1, alphabet);
        } else if (r < divergence * 0.9) {
            continue;
        } else if (r < divergence) {
            copy += c;
            copy += RandomSequence(random, 1, alphabet);
        } else {
            copy += c;
        }
    }
    return copy;
}

}  // namespace horgrid::reference
