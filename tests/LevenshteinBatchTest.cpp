#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "sequence/DistanceLimit.h"
#include "sequence/LevenshteinBatch.h"

namespace horgrid {

// Test names and failure messages show the instruction set by name.
void PrintTo(InstructionSet set, std::ostream* out) {
    *out << InstructionSetName(set);
}

namespace {

using reference::Mutate;
using reference::PlainLevenshtein;
using reference::RandomSequence;

std::vector<std::string_view> Views(const std::vector<std::string>& sequences) {
    return std::vector<std::string_view>(sequences.begin(), sequences.end());
}

// Monomer-like copies of a few types, word-boundary lengths, empty sequences,
// unrelated sequences, one long enough for more words than the registers hold,
// and, over DNA, two longer than the tables take (a long copy of a long one).
std::vector<std::string> MixedSet(std::mt19937_64& random, std::string_view alphabet) {
    std::vector<std::string> set;
    const std::string type1 = RandomSequence(random, 171, alphabet);
    const std::string type2 = RandomSequence(random, 186, alphabet);
    for (int copy = 0; copy < 12; ++copy) {
        set.push_back(Mutate(random, type1, 0.01 * copy, alphabet));
        set.push_back(Mutate(random, type2, 0.03 * copy, alphabet));
    }
    for (const std::size_t length : {0, 1, 63, 64, 65, 127, 128, 129, 191, 192, 193, 255, 256, 257, 300, 0}) {
        set.push_back(RandomSequence(random, length, alphabet));
    }
    set.push_back(Mutate(random, RandomSequence(random, 700, alphabet), 0.1, alphabet));
    for (int k = 0; k < 7; ++k) set.push_back(RandomSequence(random, random() % 301, alphabet));
    if (alphabet.empty()) return set;  // the long ones are costly for the reference: DNA only
    set.insert(set.begin() + 9, RandomSequence(random, LevenshteinBatch::kLongLength + 200, alphabet));
    set.push_back(Mutate(random, set[9], 0.05, alphabet));
    return set;
}

class BatchAtEveryInstructionSet : public ::testing::TestWithParam<InstructionSet> {};

TEST_P(BatchAtEveryInstructionSet, AllVersusAllMatchesThePlainAlgorithm) {
    for (const std::string_view alphabet : {std::string_view("ACGT"), std::string_view("")}) {
        std::mt19937_64 random(alphabet.empty() ? 21 : 22);
        const std::vector<std::string> set = MixedSet(random, alphabet);
        LevenshteinBatch batch(Views(set), GetParam());
        ASSERT_EQ(batch.instructionSet(), GetParam());
        ASSERT_TRUE(batch.hasMaskTables());
        std::vector<std::uint32_t> out(set.size());
        for (std::size_t i = 0; i < set.size(); ++i) {
            batch.Distances(set[i], 0, set.size(), out.data());
            for (std::size_t j = 0; j < set.size(); ++j) {
                ASSERT_EQ(out[j], PlainLevenshtein(set[i], set[j])) << i << " vs " << j;
            }
        }
    }
}

TEST_P(BatchAtEveryInstructionSet, TextsAndRangesOfAnyKind) {
    std::mt19937_64 random(23);
    const std::vector<std::string> set = MixedSet(random, "ACGT");
    LevenshteinBatch batch(Views(set), GetParam());
    // Lower case and N occur in no sequence; a text may also be longer than all.
    const std::vector<std::string> texts = {"",
                                            "acgt",
                                            "NNNN",
                                            RandomSequence(random, 171, "ACGTN"),
                                            RandomSequence(random, 900),
                                            Mutate(random, set[3], 0.05)};
    for (const std::string& text : texts) {
        for (const auto& [first, last] : std::vector<std::pair<std::size_t, std::size_t>>{
                 {0, 0}, {5, 6}, {3, 19}, {8, 16}, {7, set.size()}, {set.size(), set.size()}}) {
            std::vector<std::uint32_t> out(last - first + 1, 12345);
            batch.Distances(text, first, last, out.data());
            for (std::size_t j = first; j < last; ++j) {
                ASSERT_EQ(out[j - first], PlainLevenshtein(text, set[j])) << text.size() << " vs " << j;
            }
            EXPECT_EQ(out[last - first], 12345u);  // nothing written past the range
        }
    }
}

TEST_P(BatchAtEveryInstructionSet, LastWithinFindsTheNearestEarlierMatch) {
    std::mt19937_64 random(24);
    const std::vector<std::string> set = MixedSet(random, "ACGT");
    LevenshteinBatch batch(Views(set), GetParam());
    for (std::size_t i = 0; i < set.size(); ++i) {
        std::vector<std::uint32_t> exact(i);
        for (std::size_t j = 0; j < i; ++j) exact[j] = PlainLevenshtein(set[i], set[j]);
        for (const std::uint32_t limit : {0u, 3u, 11u, 12u, 40u, 200u}) {
            std::ptrdiff_t expected = -1;
            for (std::size_t j = i; j-- > 0;) {
                if (exact[j] <= limit) {
                    expected = static_cast<std::ptrdiff_t>(j);
                    break;
                }
            }
            ASSERT_EQ(batch.LastWithin(set[i], i, limit), expected) << i << " limit " << limit;
        }
    }
}

// "AVX-512 VBMI2" -> "AVX512VBMI2"
std::string ParamName(const ::testing::TestParamInfo<InstructionSet>& info) {
    std::string name;
    for (const char c : InstructionSetName(info.param)) {
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(SupportedSets, BatchAtEveryInstructionSet,
                         ::testing::ValuesIn(SupportedInstructionSets()), ParamName);

TEST(LevenshteinBatch, UnsupportedInstructionSetFallsBackToARunnableOne) {
    const std::vector<std::string> set = {"ACGT", "AGT"};
    LevenshteinBatch batch(Views(set), InstructionSet::Avx512Vbmi2);
    EXPECT_TRUE(InstructionSetSupported(batch.instructionSet()));
    EXPECT_EQ(batch.instructionSet(), BestInstructionSet());
    if (!InstructionSetSupported(InstructionSet::Avx512Vbmi2) &&
        InstructionSetSupported(InstructionSet::Avx512)) {
        EXPECT_EQ(batch.instructionSet(), InstructionSet::Avx512);
    }
}

TEST(LevenshteinBatch, EmptySetAndEmptySequences) {
    LevenshteinBatch none({});
    EXPECT_EQ(none.size(), 0u);
    EXPECT_EQ(none.LastWithin("ACGT", 0, 10), -1);
    const std::vector<std::string> set = {"", "", "A"};
    LevenshteinBatch batch(Views(set));
    std::uint32_t out[3];
    batch.Distances("", 0, 3, out);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[2], 1u);
    batch.Distances("ACG", 0, 3, out);
    EXPECT_EQ(out[1], 3u);
    EXPECT_EQ(out[2], 2u);
}

TEST(LevenshteinBatch, ManyDistinctBytesUseTheScalarEngineWithTheSameResults) {
    // Masks for every byte value of 9,000 sequences would exceed the size limit.
    std::mt19937_64 random(25);
    std::vector<std::string> set;
    for (int k = 0; k < 9000; ++k) set.push_back(RandomSequence(random, 250, ""));
    LevenshteinBatch batch(Views(set));
    EXPECT_FALSE(batch.hasMaskTables());
    std::uint32_t out[10];
    batch.Distances(set[7], 3995, 4005, out);
    for (std::size_t j = 3995; j < 4005; ++j) EXPECT_EQ(out[j - 3995], PlainLevenshtein(set[7], set[j]));
    set[4000] = Mutate(random, set[7], 0.02, "");
    LevenshteinBatch changed(Views(set));
    EXPECT_EQ(changed.LastWithin(set[7], 4005, 20), 4000);
}

TEST(LargestDistanceBelow, TheStrictSinglePrecisionThreshold) {
    EXPECT_EQ(LargestDistanceBelow(7.0f, 100), 6u);   // exactly 7.0 % is no match
    EXPECT_EQ(LargestDistanceBelow(7.0f, 171), 11u);  // 12 / 171 is 7.02 %
    EXPECT_EQ(LargestDistanceBelow(7.0f, 1), 0u);
    EXPECT_EQ(LargestDistanceBelow(7.0f, 0), std::nullopt);  // inf and nan never qualify
    EXPECT_EQ(LargestDistanceBelow(0.0f, 171), std::nullopt);
    for (std::size_t length = 1; length < 400; ++length) {
        const std::uint32_t limit = *LargestDistanceBelow(7.0f, length);
        EXPECT_LT(static_cast<float>(limit) * 100.0f / static_cast<float>(length), 7.0f);
        EXPECT_GE(static_cast<float>(limit + 1) * 100.0f / static_cast<float>(length), 7.0f);
    }
}

}  // namespace
}  // namespace horgrid
