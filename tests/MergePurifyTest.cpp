#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "TestSupport.h"
#include "common/FileError.h"
#include "ensemble/Merge.h"
#include "ensemble/Purify.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid::test {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

alpha Record(const std::string& name, int position, int length, const std::string& sequence = "A") {
    alpha record;
    record.name = name;
    record.direction.assign(1, '+');
    record.position = position;
    record.length = length;
    record.sequence = sequence;
    return record;
}

// name:length of each record.
std::string Summary(const std::vector<alpha>& records) {
    std::string text;
    for (const alpha& record : records) text += record.name + ":" + std::to_string(record.length) + " ";
    return text;
}

TEST(MergeByPosition, InterleavesSecondFirstOnTiesAndCopiesTheRest) {
    const std::vector<alpha> a = {Record("a1", 100, 7), Record("a2", 300, 8)};
    const std::vector<alpha> b = {Record("b1", 200, 9), Record("b2", 300, 5)};
    // The remainder (a2) keeps its loaded length 8.
    EXPECT_EQ(Summary(MergeByPosition(a, b)), "a1:100 b1:100 b2:100 a2:8 ");
    // An empty side: the other's records as they are, in their order.
    const std::vector<alpha> unordered = {Record("b1", 200, 9), Record("b2", 150, 5)};
    EXPECT_EQ(Summary(MergeByPosition({}, unordered)), "b1:9 b2:5 ");
    EXPECT_EQ(Summary(MergeByPosition(unordered, {})), "b1:9 b2:5 ");
    EXPECT_TRUE(MergeByPosition({}, {}).empty());
    // Extreme positions: the gap wraps modulo 2^32 instead of overflowing.
    const std::vector<alpha> low = {Record("a1", INT_MIN, 1), Record("a2", INT_MAX, 1)};
    const std::vector<alpha> high = {Record("b1", INT_MAX, 1)};
    EXPECT_EQ(Summary(MergeByPosition(low, high)), "a1:-2147483648 b1:-1 a2:1 ");
}

TEST(Merge, WritesTheFirstPathPlusRAndLeavesTheInputs) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", "a1 + 100 7 AAA\na2 + 300 8 CCC\n");
    const std::string b = dir.Write("b.txt", "b1 + 200 9 GGG\nb2 + 300 5 TTT\n");
    const alphaEnsemble first(a);
    const alphaEnsemble second(b);

    CaptureStdout();
    const alphaEnsemble merged(first, second);
    EXPECT_EQ(GetCapturedStdout(), a + "\n" + b + "\n");
    EXPECT_EQ(ReadFile(a + "r"),
              "a1 + 100  100 AAA\nb1 + 200  100 GGG\nb2 + 300  100 TTT\na2 + 300  8 CCC\n");
    EXPECT_EQ(merged.fileName, a + "r");
    EXPECT_EQ(merged.monomerCount, 0);
    EXPECT_TRUE(merged.monomers.empty());
    EXPECT_EQ(first.monomers[0].length, 7);

    // Both empty: the file is created empty. A result path that is a directory raises FileError.
    const std::string empty = dir.Write("empty.txt", "");
    CaptureStdout();
    alphaEnsemble(alphaEnsemble(empty), alphaEnsemble(empty));
    std::filesystem::create_directory(b + "r");
    EXPECT_THROW(alphaEnsemble(alphaEnsemble(b), alphaEnsemble(a)), FileError);
    GetCapturedStdout();
    EXPECT_TRUE(FileExists(empty + "r"));
    EXPECT_EQ(ReadFile(empty + "r"), "");
}

// The reference with its first `count` bases replaced by N, which the
// reference lacks: the distance is exactly `count`.
std::string Mutated(int count) {
    return std::string(static_cast<std::size_t>(count), 'N') +
           kPurifyReference.substr(static_cast<std::size_t>(count));
}

TEST(PurifyRecords, KeepsRecordsBelowFortyFivePercentWithGapsBetweenKeptOnes) {
    ASSERT_EQ(Levenshtein(Mutated(77), kPurifyReference), 77U);
    const std::vector<alpha> records = {
        Record("k1", 500, 171, kPurifyReference), Record("d1", 600, 171, Mutated(77)),
        Record("k2", 671, 171, Mutated(21)), Record("d2", 700, 0, ""), Record("k3", 842, 171, Mutated(76))};
    std::string kept;
    for (const PurifiedRecord& record : PurifyRecords(records))
        kept += std::to_string(record.index) + ":" + std::to_string(record.gap) +
                PurifiedDifference(record.percent) + " ";
    EXPECT_EQ(kept, "0:500(0.000000%) 2:171(12.280702%) 4:171(44.444443%) ");
}

TEST(Purify, WritesKeptRecordsAndUpdatesThemInPlace) {
    TempDir dir;
    const std::string path = dir.Write("ens.txt", "k1 + 500 171 " + kPurifyReference + "\nd1 + 600 171 " +
                                                      Mutated(77) + "\nk2 + 671 171 " + Mutated(21) + "\n");
    alphaEnsemble ensemble(path);
    ensemble.monomerCount = 5;  // beyond the records: clamped
    ensemble.PurifyAlphaEnsemble();
    EXPECT_EQ(ReadFile(path + "_purified.txt"), "k1 + 500 (0.000000%) 500 " + kPurifyReference +
                                                    "\nk2 + 671 (12.280702%) 171 " + Mutated(21) + "\n");
    // Kept records are updated in place; dropped ones stay as loaded.
    EXPECT_EQ(ensemble.monomers[2].consensusDifference, "(12.280702%)");
    EXPECT_EQ(ensemble.monomers[1].length, 171);
    EXPECT_EQ(ensemble.monomers[1].consensusDifference, "");

    // The purified file reads back in the six-column layout.
    const alpha back(ReadFile(path + "_purified.txt").substr(0, 200), 6);
    EXPECT_EQ(back.consensusDifference, "(0.000000%)");
    EXPECT_EQ(back.length, 500);
}

}  // namespace
}  // namespace horgrid::test
