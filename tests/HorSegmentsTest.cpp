#include <gtest/gtest.h>

#include "hor/HorNames.h"
#include "hor/HorSegments.h"

namespace horgrid::test {
namespace {

// Records with the given length column (171 where not listed) and a short sequence.
std::vector<alpha> Records(int count, const std::vector<std::pair<int, int>>& lengths) {
    std::vector<alpha> records(static_cast<std::size_t>(count));
    for (alpha& record : records) {
        record.length = 171;
        record.sequence = "ACGT";
    }
    for (const auto& [index, length] : lengths) records[static_cast<std::size_t>(index)].length = length;
    return records;
}

TEST(HorSegments, CutBeforeEveryRecordLongerThan1000) {
    EXPECT_EQ(SegmentBreaks(Records(100, {})), (std::vector<int>{0, 99}));
    EXPECT_EQ(SegmentBreaks(Records(10, {{5, 1500}, {6, 2000}})), (std::vector<int>{0, 4, 5, 5, 6, 9}));
    EXPECT_EQ(SegmentBreaks(Records(10, {{3, 1000}})), (std::vector<int>{0, 9}));
    EXPECT_EQ(SegmentBreaks(Records(10, {{3, 1001}})), (std::vector<int>{0, 2, 3, 9}));
    EXPECT_EQ(SegmentBreaks(Records(1, {})), (std::vector<int>{0, 0}));
}

TEST(HorSegments, LongFirstAndLastRecords) {
    // Record 0 is never tested; a long record 1 leaves record 0 alone.
    EXPECT_EQ(SegmentBreaks(Records(5, {{0, 5000}})), (std::vector<int>{0, 4}));
    EXPECT_EQ(SegmentBreaks(Records(5, {{1, 5000}})), (std::vector<int>{0, 0, 1, 4}));
    EXPECT_EQ(SegmentBreaks(Records(5, {{4, 5000}})), (std::vector<int>{0, 3, 4, 4}));
}

TEST(HorSegments, LengthColumnDecidesNotTheSequence) {
    std::vector<alpha> records = Records(3, {});
    records[1].sequence.assign(3000, 'A');
    EXPECT_EQ(SegmentBreaks(records), (std::vector<int>{0, 2}));
    records[2].length = 1001;
    records[2].sequence = "";
    EXPECT_EQ(SegmentBreaks(records), (std::vector<int>{0, 1, 2, 2}));
}

TEST(HorNames, BaseNameDropsDirectoryAndLastExtension) {
    EXPECT_EQ(BaseName("chr7.ens"), "chr7");
    EXPECT_EQ(BaseName("data/chr7.ens"), "chr7");
    EXPECT_EQ(BaseName("data/chr7"), "chr7");
    EXPECT_EQ(BaseName("./data/chr7"), "chr7");
    EXPECT_EQ(BaseName("data/chr7.old.ens"), "chr7.old");
    EXPECT_EQ(BaseName("/abs/v1.2/chr7"), "chr7");
    EXPECT_EQ(BaseName("chr7"), "chr7");
    EXPECT_EQ(BaseName("chr7."), "chr7");
    EXPECT_EQ(BaseName(".ens"), "");
}

TEST(HorNames, DirectoryPartAndTitle) {
    EXPECT_EQ(DirectoryPart("data/chr7.ens.hor1"), "data/");
    EXPECT_EQ(DirectoryPart("/a/b/c.hor2"), "/a/b/");
    EXPECT_EQ(DirectoryPart("chr7.ens.hor1"), "");
    EXPECT_EQ(HorTitle("data/chr7.ens", 100, 900), "chr7-100bp-900bp");
    EXPECT_EQ(HorTitle("chr7", -5, 0), "chr7--5bp-0bp");
}

}  // namespace
}  // namespace horgrid::test
