#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ensemble/SupracromReferences.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid::test {
namespace {

std::string Reference(const std::string& name) {
    for (const SupracromReference& reference : kSupracromReferences)
        if (reference.name == name) return std::string(reference.sequence);
    ADD_FAILURE() << "no reference " << name;
    return {};
}

// Writes an ensemble file of `lines`, classifies `count` monomers (all by
// default) and returns the family file.
std::string Classify(const std::vector<std::string>& lines, std::optional<int> count = std::nullopt) {
    TempDir dir;
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    alphaEnsemble ensemble(dir.Write("a.ens", text));
    ensemble.FindSupracromFamilies(count.value_or(ensemble.monomerCount));
    return ReadFile(ensemble.fileName + "_supracromFamily.txt");
}

std::string Line(int position, const std::string& sequence) {
    return "m + " + std::to_string(position) + " " + std::to_string(sequence.size()) + " " + sequence;
}

TEST(SupracromReferences, TwelveDistinct171BaseSequencesInTableOrder) {
    alphaEnsemble ensemble(TempDir().Write("empty.ens", ""));
    const std::vector<supracromAlpha> references = ensemble.FillSupracromAlphaVector();
    ASSERT_EQ(references.size(), 12u);
    const std::vector<std::string> names = {"j1", "j2", "d1", "d2", "w1", "w2",
                                            "w3", "w4", "w5", "m1", "r1", "r2"};
    unsigned closest = 1000;
    std::string closestPair;
    for (std::size_t i = 0; i < references.size(); ++i) {
        EXPECT_EQ(references[i].name, names[i]);
        EXPECT_EQ(references[i].sequence.size(), 171u) << names[i];
        EXPECT_EQ(references[i].sequence.find_first_not_of("ACGT"), std::string::npos) << names[i];
        for (std::size_t j = i + 1; j < references.size(); ++j) {
            const unsigned d = Levenshtein(references[i].sequence, references[j].sequence);
            if (d < closest) {
                closest = d;
                closestPair = names[i] + "-" + names[j];
            }
        }
    }
    EXPECT_EQ(closest, 5u);
    EXPECT_EQ(closestPair, "m1-r2");
}

TEST(SupracromFamilies, ExactAndNearReferences) {
    // w3 with seven spread-out substitutions is 7 edits from w3 and at least 20
    // from every other reference: 7 * 100 / 171 = 4.09.
    std::string nearW3 = Reference("w3");
    for (const std::size_t at : {10, 30, 50, 70, 90, 110, 130}) {
        const char c = nearW3[at];
        nearW3[at] = c == 'A' ? 'C' : c == 'C' ? 'G' : c == 'G' ? 'T' : 'A';
    }
    ASSERT_EQ(Levenshtein(nearW3, Reference("w3")), 7u);
    EXPECT_EQ(Classify({Line(3420, nearW3), Line(17, Reference("r1")), Line(-5, Reference("r2"))}),
              "\n3420 171 w3(4%) \n17 171 r1(0%) \n-5 171 r2(0%) ");
}

TEST(SupracromFamilies, TiesGoToTheEarlierReference) {
    // m1's first 88 bases and d2's rest: 7 edits from both d2 and m1, farther
    // from the other ten. d2 comes first in the table.
    const std::string dm = Reference("m1").substr(0, 88) + Reference("d2").substr(88);
    ASSERT_EQ(Levenshtein(dm, Reference("d2")), 7u);
    ASSERT_EQ(Levenshtein(dm, Reference("m1")), 7u);
    // j2's first 86 bases and r1's rest: 8 edits from both j2 and r1.
    const std::string jr = Reference("j2").substr(0, 86) + Reference("r1").substr(86);
    ASSERT_EQ(Levenshtein(jr, Reference("j2")), 8u);
    ASSERT_EQ(Levenshtein(jr, Reference("r1")), 8u);
    // Ten A against any reference: 161 deletions from every one of them, so j1.
    EXPECT_EQ(Classify({Line(1, dm), Line(2, jr), Line(3, std::string(10, 'A'))}),
              "\n1 171 d2(4%) \n2 171 j2(5%) \n3 10 j1(1610%) ");
}

TEST(SupracromFamilies, NothingBelow171ReportsJ1) {
    std::string lower = Reference("r1");
    for (char& c : lower) c = static_cast<char>(c - 'A' + 'a');
    // 400 bases: at least 229 edits from any reference; 171 * 100 / 400 = 42.75.
    const std::string long400 = Reference("w2") + Reference("w2") + Reference("w2").substr(0, 58);
    // 200 lower-case bases: 200 edits from every reference; 85.5 rounds to the even 86.
    const std::string lower200 = lower + lower.substr(0, 29);
    // An empty sequence: 171 * 100 / 0.
    EXPECT_EQ(Classify({Line(1, lower), Line(2, long400), Line(3, lower200), "e + 4 0"}),
              "\n1 171 j1(100%) \n2 400 j1(43%) \n3 200 j1(86%) \n4 0 j1(inf%) ");
}

TEST(SupracromFamilies, PercentageUsesTheMonomersOwnLength) {
    // r1's first 100 bases: 71 deletions from r1, farther from the rest.
    // The stored length column is printed as it is, not recomputed.
    EXPECT_EQ(Classify({"p + 9 171 " + Reference("r1").substr(0, 100)}), "\n9 171 r1(71%) ");
}

TEST(SupracromFamilies, CountIsLimitedToTheMonomers) {
    const std::vector<std::string> lines = {Line(1, Reference("j1")), Line(2, Reference("j2"))};
    EXPECT_EQ(Classify(lines, 1), "\n1 171 j1(0%) ");
    EXPECT_EQ(Classify(lines, 50), "\n1 171 j1(0%) \n2 171 j2(0%) ");
    EXPECT_EQ(Classify(lines, 0), "");
    EXPECT_EQ(Classify(lines, -3), "");
    EXPECT_EQ(Classify({}, 0), "");
}

}  // namespace
}  // namespace horgrid::test
