#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sequence/EditDistance.h"

namespace horgrid {
namespace {

// Independent reference: the full (m+1) x (n+1) table.
std::uint32_t FullTable(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::uint32_t>> table(a.size() + 1, std::vector<std::uint32_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) table[i][0] = static_cast<std::uint32_t>(i);
    for (std::size_t j = 0; j <= b.size(); ++j) table[0][j] = static_cast<std::uint32_t>(j);
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            table[i][j] = std::min({table[i - 1][j] + 1, table[i][j - 1] + 1,
                                    table[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0u : 1u)});
    return table[a.size()][b.size()];
}

TEST(EditDistanceExamples, KnownValues) {
    EXPECT_EQ(LevenshteinDistance("", ""), 0u);
    EXPECT_EQ(LevenshteinDistance("", "ACGTA"), 5u);
    EXPECT_EQ(LevenshteinDistance("ACGTA", ""), 5u);
    EXPECT_EQ(LevenshteinDistance("ACGT", "ACGT"), 0u);
    EXPECT_EQ(LevenshteinDistance("ACGT", "acgt"), 4u);
    EXPECT_EQ(LevenshteinDistance("ACGT", "AGT"), 1u);
    EXPECT_EQ(LevenshteinDistance("AGT", "ACGT"), 1u);
    EXPECT_EQ(LevenshteinDistance("GATTACA", "GCATGCT"), 4u);
    EXPECT_EQ(LevenshteinDistance("NNNN", "ACGT"), 4u);  // N is no wildcard

    const EditDistance pair("GATTACA", "GCATGCT");
    EXPECT_EQ(pair.sequenceA, "GATTACA");
    EXPECT_EQ(pair.sequenceB, "GCATGCT");
    EXPECT_EQ(pair.distance, 4);
}

TEST(EditDistanceRandom, MatchesFullTableInBothOrders) {
    std::mt19937 random(7);
    const std::string alphabets[] = {"ACGT", "ACGTacgtN", std::string("\x00\x01\xff\x80 \t", 6)};
    for (int round = 0; round < 600; ++round) {
        const std::string& letters = alphabets[round % 3];
        auto make = [&](std::size_t length) {
            std::string s(length, ' ');
            for (char& c : s) c = letters[random() % letters.size()];
            return s;
        };
        const std::string a = make(random() % 140);
        std::string b = make(random() % 140);
        if (round % 4 == 0) {  // near-identical pairs
            b = a;
            for (int k = 0; k < 3 && !b.empty(); ++k) b[random() % b.size()] = letters[random() % letters.size()];
        }
        const std::uint32_t expected = FullTable(a, b);
        ASSERT_EQ(LevenshteinDistance(a, b), expected) << a << " / " << b;
        ASSERT_EQ(Levenshtein(b, a), expected);
        ASSERT_EQ(EditDistance(a, b).distance, static_cast<int>(expected));
        for (const std::uint32_t limit : {expected, expected + 1}) ASSERT_EQ(LevenshteinAtMost(a, b, limit), expected);
        if (expected > 0) {
            ASSERT_GT(LevenshteinAtMost(a, b, expected - 1), expected - 1);
        }
    }
}

}  // namespace
}  // namespace horgrid
