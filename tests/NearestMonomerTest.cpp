#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "sequence/NearestSequences.h"

namespace horgrid {
namespace {

using reference::Mutate;
using reference::PlainLevenshtein;
using reference::RandomSequence;

// The pruned search against the least of all distances (first on ties), with
// 1 and 2 threads.
void Check(const std::vector<std::string>& set, const std::vector<std::string>& texts) {
    const std::vector<std::string_view> setViews(set.begin(), set.end());
    const std::vector<std::string_view> textViews(texts.begin(), texts.end());
    for (const unsigned threads : {1u, 2u}) {
        const std::vector<NearestSequence> found = NearestSequences(textViews, setViews, threads);
        ASSERT_EQ(found.size(), texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            NearestSequence expected{0, PlainLevenshtein(texts[i], set[0])};
            for (std::size_t j = 1; j < set.size(); ++j) {
                const std::uint32_t distance = PlainLevenshtein(texts[i], set[j]);
                if (distance < expected.distance) expected = {j, distance};
            }
            EXPECT_EQ(found[i].index, expected.index) << "text " << i << " threads " << threads;
            EXPECT_EQ(found[i].distance, expected.distance) << "text " << i << " threads " << threads;
        }
    }
}

// On a set of 3 monomer types in groups of eight and a part group: copies of each
// type at several divergences, equal copies in different groups (ties), other
// bytes and lengths, and texts from identical to unrelated.
TEST(NearestSequences, MatchesTheLeastOfAllDistances) {
    std::mt19937_64 random(26);
    const std::string types[] = {RandomSequence(random, 171, "ACGT"), RandomSequence(random, 171, "ACGT"),
                                 RandomSequence(random, 186, "ACGT")};
    std::vector<std::string> set;
    for (int k = 0; k < 21; ++k) set.push_back(Mutate(random, types[k % 3], 0.02 * (k % 5), "ACGT"));
    set.push_back(set[3]);  // a tie in the last group with one in the first
    set.insert(set.begin() + 9, set[12]);
    set.push_back(RandomSequence(random, 171, "ACGTNacgt"));
    set.push_back("");
    std::vector<std::string> texts;
    for (const std::string& type : types) {
        for (const double rate : {0.0, 0.01, 0.05, 0.15, 0.4}) texts.push_back(Mutate(random, type, rate, "ACGTN"));
    }
    texts.push_back(set[3]);
    texts.push_back(set[10]);
    texts.push_back(RandomSequence(random, 90, "ACGT"));
    texts.push_back(RandomSequence(random, 171, "ACGTNacgt"));
    texts.push_back("");
    texts.push_back(texts[3]);  // repeats, measured once
    texts.push_back(texts[7]);
    Check(set, texts);

    // A tie in a group compared later (its bound, the length difference, is
    // exactly the distance): the first group's copy still wins. The second
    // group, compared first, holds the other copy and a swap of the text's
    // halves (the same 3-mers, a large distance).
    const std::string text = types[0];
    std::string substituted = text;
    for (const std::size_t at : {20, 50, 80, 110, 140}) substituted[at] = substituted[at] == 'A' ? 'C' : 'A';
    std::vector<std::string> tied = {text + "ACGTA"};
    for (int k = 0; k < 13; ++k) tied.push_back(RandomSequence(random, 171, "ACGT"));
    tied.push_back(text.substr(85) + text.substr(0, 85));
    tied.push_back(substituted);
    Check(tied, {text});
}

}  // namespace
}  // namespace horgrid
