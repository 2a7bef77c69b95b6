#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "TestSupport.h"
#include "common/FileError.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid::test {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

const std::string kReference =
    "TCAGAAACTTCTTTGTGATGTGTGCATTCAACTCACAGAGTTGAACCTTCCTTTTGATAGAGCAGTTTTGAAACACTCTTTTTGTAGAATCTGCAAGTGG"
    "ATATTTGGAGCGCTTTGAGGCCTTCGGTGGAAAAGGAAATATCTTCACATAAAAACTAGACAGAAGCATTC";

// The reference with its first `count` bases replaced by N, which the
// reference lacks: the distance is exactly `count`.
std::string Mutated(int count) {
    return std::string(static_cast<std::size_t>(count), 'N') +
           kReference.substr(static_cast<std::size_t>(count));
}

TEST(Merge, InterleavesByPositionSecondFirstOnTiesAndCopiesTheRest) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", "a1 + 100 7 AAA\na2 + 300 8 CCC\n");
    const std::string b = dir.Write("b.txt", "b1 + 200 9 GGG\nb2 + 300 5 TTT\n");
    const alphaEnsemble first(a);
    const alphaEnsemble second(b);

    CaptureStdout();
    const alphaEnsemble merged(first, second);
    EXPECT_EQ(GetCapturedStdout(), a + "\n" + b + "\n");

    // The remainder (a2) keeps its loaded length 8.
    EXPECT_EQ(ReadFile(a + "r"),
              "a1 + 100  100 AAA\nb1 + 200  100 GGG\nb2 + 300  100 TTT\na2 + 300  8 CCC\n");
    EXPECT_EQ(merged.fileName, a + "r");
    EXPECT_EQ(merged.monomerCount, 0);
    EXPECT_TRUE(merged.monomers.empty());
    // The inputs were copies: the caller's lengths are untouched.
    EXPECT_EQ(first.monomers[0].length, 7);
    EXPECT_EQ(second.monomers[0].length, 9);

    // The merge file reads back field for field in the five-column layout.
    const alphaEnsemble again(a + "r");
    ASSERT_EQ(again.monomerCount, 4);
    EXPECT_EQ(again.monomers[2].name, "b2");
    EXPECT_EQ(again.monomers[2].position, 300);
    EXPECT_EQ(again.monomers[2].length, 100);
    EXPECT_EQ(again.monomers[2].sequence, "TTT");
}

TEST(Merge, EmptyInputsCopyTheOtherOrWriteAnEmptyFile) {
    TempDir dir;
    const std::string empty = dir.Write("empty.txt", "");
    const std::string b = dir.Write("b.txt", "b1 + 200 9 GGG\nb2 + 150 5 TTT\n");
    CaptureStdout();
    alphaEnsemble(alphaEnsemble(empty), alphaEnsemble(b));
    alphaEnsemble(alphaEnsemble(b), alphaEnsemble(empty));
    const std::string other = dir.Write("other.txt", "");
    alphaEnsemble(alphaEnsemble(other), alphaEnsemble(empty));
    GetCapturedStdout();
    // Loaded lengths and file order, whichever side is left over.
    EXPECT_EQ(ReadFile(empty + "r"), "b1 + 200  9 GGG\nb2 + 150  5 TTT\n");
    EXPECT_EQ(ReadFile(b + "r"), "b1 + 200  9 GGG\nb2 + 150  5 TTT\n");
    EXPECT_TRUE(FileExists(other + "r"));
    EXPECT_EQ(ReadFile(other + "r"), "");
}

TEST(Merge, ExtremePositionsWrapInsteadOfOverflowing) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", "a1 + -2147483648 1 A\na2 + 2147483647 1 G\n");
    const std::string b = dir.Write("b.txt", "b1 + 2147483647 1 C\n");
    CaptureStdout();
    alphaEnsemble(alphaEnsemble(a), alphaEnsemble(b));
    GetCapturedStdout();
    EXPECT_EQ(ReadFile(a + "r"),
              "a1 + -2147483648  -2147483648 A\nb1 + 2147483647  -1 C\na2 + 2147483647  1 G\n");
}

TEST(Merge, UnwritableResultRaisesFileError) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", "a1 + 1 1 A\n");
    std::filesystem::create_directory(a + "r");
    CaptureStdout();
    EXPECT_THROW(alphaEnsemble(alphaEnsemble(a), alphaEnsemble(a)), FileError);
    GetCapturedStdout();
}

TEST(Purify, KeepsRecordsBelowFortyFivePercentWithGapsBetweenKeptOnes) {
    const std::string at21 = Mutated(21);
    const std::string at76 = Mutated(76);
    const std::string at77 = Mutated(77);
    ASSERT_EQ(Levenshtein(at21, kReference), 21U);
    ASSERT_EQ(Levenshtein(at76, kReference), 76U);
    ASSERT_EQ(Levenshtein(at77, kReference), 77U);

    TempDir dir;
    const std::string path =
        dir.Write("ens.txt", "k1 + 500 171 " + kReference + "\nd1 + 600 171 " + at77 + "\nk2 + 671 171 " +
                                 at21 + "\nd2 + 700 0\nk3 + 842 171 " + at76 + "\n");
    alphaEnsemble ensemble(path);
    CaptureStdout();
    ensemble.PurifyAlphaEnsemble();
    EXPECT_EQ(GetCapturedStdout(), "");

    EXPECT_EQ(ReadFile(path + "_purified.txt"), "k1 + 500 (0.000000%) 500 " + kReference +
                                                    "\nk2 + 671 (12.280702%) 171 " + at21 +
                                                    "\nk3 + 842 (44.444443%) 171 " + at76 + "\n");
    // Kept records are updated in place; dropped ones stay as loaded.
    EXPECT_EQ(ensemble.monomers[2].length, 171);
    EXPECT_EQ(ensemble.monomers[2].consensusDifference, "(12.280702%)");
    EXPECT_EQ(ensemble.monomers[1].length, 171);
    EXPECT_EQ(ensemble.monomers[1].consensusDifference, "");

    // The purified file reads back in the six-column layout.
    const alpha back(ReadFile(path + "_purified.txt").substr(0, 200), 6);
    EXPECT_EQ(back.consensusDifference, "(0.000000%)");
    EXPECT_EQ(back.length, 500);
}

TEST(Purify, CountBeyondTheRecordsIsClamped) {
    TempDir dir;
    const std::string path = dir.Write("ens.txt", "k1 + 5 171 " + kReference + "\n");
    alphaEnsemble ensemble(path);
    ensemble.monomerCount = 3;
    ensemble.PurifyAlphaEnsemble();
    EXPECT_EQ(ReadFile(path + "_purified.txt"), "k1 + 5 (0.000000%) 5 " + kReference + "\n");
}

}  // namespace
}  // namespace horgrid::test
