#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "dotplot/WindowIdentity.h"

namespace horgrid::test {
namespace {

std::string ReverseComplement(const std::string& s) {
    std::string out(s.rbegin(), s.rend());
    for (char& c : out) c = c == 'A' ? 'T' : c == 'C' ? 'G' : c == 'G' ? 'C' : c == 'T' ? 'A' : c;
    return out;
}

// The canonical k-mers of ACGT lying wholly inside each window, as text.
std::vector<std::set<std::string>> PlainWindowKmers(const std::string& sequence, std::size_t window, std::size_t k) {
    std::vector<std::set<std::string>> sets;
    for (std::size_t begin = 0; begin < sequence.size(); begin += window) {
        const std::string bases = sequence.substr(begin, window);
        std::set<std::string>& set = sets.emplace_back();
        for (std::size_t i = 0; i + k <= bases.size(); ++i) {
            std::string kmer = bases.substr(i, k);
            std::transform(kmer.begin(), kmer.end(), kmer.begin(), [](char c) { return std::toupper(c); });
            if (kmer.find_first_not_of("ACGT") != std::string::npos) continue;
            set.insert(std::min(kmer, ReverseComplement(kmer)));
        }
    }
    return sets;
}

// `shorterA`/`shorterB`: that window is the shorter one of the pair.
float PlainIdentity(const std::set<std::string>& a, const std::set<std::string>& b, std::size_t k,
                    bool shorterA = false, bool shorterB = false) {
    if (a.empty() || b.empty()) return std::nanf("");
    std::size_t shared = 0;
    for (const std::string& kmer : a) shared += b.count(kmer);
    const std::size_t size = shorterA ? a.size() : shorterB ? b.size() : std::max(a.size(), b.size());
    const double containment = static_cast<double>(shared) / static_cast<double>(size);
    return static_cast<float>(100 * std::pow(containment, 1.0 / static_cast<double>(k)));
}

bool SameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Windows of 1000 bases: a random stretch X, X with 2 % edits, X reverse
// complemented in lower case, unrelated bases, N's with one base, X again
// with an N every 50 bases, and a short last window (a short window is
// measured by the share of its own k-mers). Every k-mer is kept
// (the sketch aims higher than a window holds), so every cell is the plain
// containment identity of the windows' k-mer sets, for 1, 2 and 3 threads,
// in the self and the comparative plot.
TEST(WindowIdentity, CellsAreTheContainmentIdentityOfTheWindowsKmers) {
    std::mt19937_64 random(26);
    const std::string x = reference::RandomSequence(random, 1000);
    std::string lower = ReverseComplement(x);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return std::tolower(c); });
    std::string gapped = x;
    for (std::size_t i = 25; i < gapped.size(); i += 50) gapped[i] = 'N';
    std::string mutated = reference::Mutate(random, x, 0.02);
    mutated.resize(1000, 'A');
    const std::string sequence = x + mutated + lower + reference::RandomSequence(random, 1000) +
                                 std::string(999, 'N') + "A" + gapped + x.substr(0, 300);
    const std::string other = reference::RandomSequence(random, 500) + x + mutated;
    for (const std::size_t k : {std::size_t{15}, std::size_t{21}, std::size_t{32}}) {
        WindowSketchOptions options;
        options.k = k;
        options.window = 1000;
        options.sketchSize = 5000;
        const auto sets = PlainWindowKmers(sequence, 1000, k);
        const auto otherSets = PlainWindowKmers(other, 1000, k);
        for (const unsigned threads : {1u, 2u, 3u}) {
            options.threads = threads;
            const WindowMatrix self = SelfWindowMatrix(sequence, options);
            ASSERT_EQ(self.rows, sets.size());
            ASSERT_EQ(self.columns, sets.size());
            for (std::size_t r = 0; r < self.rows; ++r)
                for (std::size_t c = 0; c < self.columns; ++c)
                    EXPECT_TRUE(SameFloat(self.at(r, c), PlainIdentity(sets[r], sets[c], k, r == 6 && c != 6,
                                                                      c == 6 && r != 6)))  // 6 is short
                        << k << " " << threads << " " << r << " " << c << " " << self.at(r, c);
            const WindowMatrix pair = PairWindowMatrix(sequence, other, options);
            ASSERT_EQ(pair.rows, otherSets.size());
            ASSERT_EQ(pair.columns, sets.size());
            for (std::size_t r = 0; r < pair.rows; ++r)
                for (std::size_t c = 0; c < pair.columns; ++c)
                    EXPECT_TRUE(SameFloat(pair.at(r, c), PlainIdentity(otherSets[r], sets[c], k, r == 2 && c != 6,
                                                                      c == 6)))  // 500 and 300 bases
                        << k << " " << threads << " " << r << " " << c;
        }
    }
}

// With a sketch of a fifth of the k-mers: copies are still 100 % alike, the
// estimate of a copy with edits stays near its alignment identity, and
// unrelated windows share nothing.
TEST(WindowIdentity, SampledSketchesKeepTheIdentityOfCopies) {
    std::mt19937_64 random(171);
    const std::string x = reference::RandomSequence(random, 2000);
    std::string mutated = reference::Mutate(random, x, 0.03);
    mutated.resize(2000, 'C');
    const std::string sequence = x + x + mutated + reference::RandomSequence(random, 2000);
    WindowSketchOptions options;
    options.window = 2000;
    options.sketchSize = 400;
    const WindowMatrix matrix = SelfWindowMatrix(sequence, options);
    const WindowSketches sketches = SketchWindows(sequence, 2000, 21, SketchThreshold(2000, options));
    EXPECT_GT(sketches.size(0), 300u);
    EXPECT_LT(sketches.size(0), 500u);
    EXPECT_EQ(matrix.at(0, 1), 100.0f);
    const double exact = 100 * (1 - reference::PlainLevenshtein(x, mutated) / 2000.0);
    EXPECT_NEAR(matrix.at(0, 2), exact, 1.0);
    EXPECT_EQ(matrix.at(0, 3), 0.0f);
}

TEST(WindowIdentity, WindowLengthFollowsTheLongerSequence) {
    WindowSketchOptions options;
    EXPECT_EQ(WindowLength(10000000, options), 10000u);
    EXPECT_EQ(WindowLength(10000001, options), 10001u);
    EXPECT_EQ(WindowLength(5000, options), 84u);  // never below 4 k
    options.window = 5000;
    EXPECT_EQ(WindowLength(10000000, options), 5000u);
}

}  // namespace
}  // namespace horgrid::test
