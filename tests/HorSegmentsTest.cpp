#include <gtest/gtest.h>

#include "common/PathNames.h"
#include "hor/HorNames.h"
#include "hor/HorSegments.h"

namespace horgrid::test {
namespace {

// The segments as flattened (first, last) pairs, of `count` records whose
// length column is 171 except where listed.
std::vector<std::size_t> Cut(int count, const std::vector<std::pair<int, int>>& lengths) {
    std::vector<int> column(static_cast<std::size_t>(count), 171);
    for (const auto& [index, length] : lengths) column[static_cast<std::size_t>(index)] = length;
    std::vector<std::size_t> flat;
    for (const RecordRange& segment : CutSegments(column)) {
        flat.push_back(segment.first);
        flat.push_back(segment.last);
    }
    return flat;
}

using Pairs = std::vector<std::size_t>;

TEST(HorSegments, CutBeforeEveryRecordLongerThan1000) {
    EXPECT_EQ(Cut(100, {}), (Pairs{0, 99}));
    EXPECT_EQ(Cut(10, {{5, 1500}, {6, 2000}}), (Pairs{0, 4, 5, 5, 6, 9}));
    EXPECT_EQ(Cut(10, {{3, 1000}}), (Pairs{0, 9}));
    EXPECT_EQ(Cut(10, {{3, 1001}}), (Pairs{0, 2, 3, 9}));
    EXPECT_EQ(Cut(1, {}), (Pairs{0, 0}));
    EXPECT_EQ(Cut(0, {}), Pairs{});
}

TEST(HorSegments, LongFirstAndLastRecords) {
    // Record 0 is never tested; a long record 1 leaves record 0 alone.
    EXPECT_EQ(Cut(5, {{0, 5000}}), (Pairs{0, 4}));
    EXPECT_EQ(Cut(5, {{1, 5000}}), (Pairs{0, 0, 1, 4}));
    EXPECT_EQ(Cut(5, {{4, 5000}}), (Pairs{0, 3, 4, 4}));
}

TEST(PathNames, BaseNameDropsDirectoryAndLastExtension) {
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
