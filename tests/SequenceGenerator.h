#pragma once

// Random sequences for the edit-distance tests and benchmarks: random strings
// over an alphabet, and mutated copies (substitutions, deletions, insertions)
// at a chosen divergence, as copies of one monomer type differ; reads with
// ONT-like sequencing errors.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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

// A read of `source` with ONT-like errors at about `rate` per base: most of
// them a homopolymer run one base longer or shorter, the rest substitutions
// and single-base indels. `at` receives the read position of every source base
// (and of its end).
inline std::string OntRead(std::mt19937_64& random, const std::string& source, double rate, std::vector<std::size_t>& at) {
    std::uniform_real_distribution<double> roll(0.0, 1.0);
    std::string read;
    at.assign(source.size() + 1, 0);
    for (std::size_t i = 0; i < source.size();) {
        std::size_t j = i;
        while (j < source.size() && source[j] == source[i]) ++j;
        for (std::size_t k = i; k < j; ++k) {
            at[k] = read.size();
            const double r = roll(random);
            if (r < 0.15 * rate) {
                read += kDna[(kDna.find(source[k]) + 1 + random() % 3) % 4];
            } else if (r >= 0.225 * rate || r < 0.15 * rate) {
                read += source[k];
                if (r >= 0.225 * rate && r < 0.3 * rate) read += kDna[random() % 4];
            }
        }
        // The run one base longer or shorter, the likelier the longer it is.
        if (roll(random) < 0.7 * rate * static_cast<double>(j - i) * (j - i >= 2 ? 2.0 : 0.5)) {
            if (roll(random) < 0.6 && read.size() > at[i]) {
                read.pop_back();
            } else {
                read += source[i];
            }
        }
        i = j;
    }
    at[source.size()] = read.size();
    return read;
}

}  // namespace horgrid::reference
