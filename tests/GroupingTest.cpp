#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "common/FileError.h"
#include "groups/CloseGroups.h"
#include "groups/horAnaliser.h"

namespace horgrid::test {
namespace {

// A dot-matrix text as the dot-matrix analysis writes it, from the cells on
// and above the diagonal (row by row); cells below it are "0".
std::string DotMatrixText(const std::vector<std::vector<std::string>>& upper) {
    std::string text;
    const std::size_t size = upper.size();
    for (std::size_t i = 0; i < size; ++i) {
        text += "\n";
        for (std::size_t j = 0; j < size; ++j) text += (j < i ? std::string("0") : upper[i][j - i]) + " ";
    }
    return text;
}

using Groups = std::vector<std::vector<int>>;

// The groups of every monomer (JoinCloseMonomers) of a dot-matrix text.
Groups Group(const std::string& text) {
    TempDir dir;
    const std::string path = dir.Write("e.ens_dot_matrix.txt", text);
    Groups groups;
    JoinCloseMonomers(ReadCloseMatrix(path, DotMatrixRows(path)),
                      [&](int, const std::vector<int>& members) { groups.push_back(members); });
    return groups;
}

TEST(Grouping, ChainIsFollowedAndTheLoneMonomerIsListedTwice) {
    EXPECT_EQ(Group(DotMatrixText({{"0.0", "5.0", "40.0"}, {"0.0", "12.0"}, {"0.0"}})),
              (Groups{{0, 1, 2}, {}, {2}}));
    // Rows are lines: CR LF ends and a final line feed are fine.
    EXPECT_EQ(Group("\r\n0.0 1.0 \r\n0 0.0 \r\n"), (Groups{{0, 1}, {1}}));
    // Only the empty first line: no monomer.
    EXPECT_EQ(Group("\n"), Groups{});
}

TEST(Grouping, CellsAreDecimalNumbersBelowThirteen) {
    // Row 0 against 1 ... 6: 12.5 and 12.9 link, 13.0 does not, a negative
    // value links, inf and nan never do.
    EXPECT_EQ(Group(DotMatrixText({{"0.0", "12.5", "12.9", "13.0", "-1", "inf", "nan"},
                                   {"0.0", "99.0", "99.0", "99.0", "99.0", "99.0"},
                                   {"0.0", "99.0", "99.0", "99.0", "99.0"},
                                   {"0.0", "99.0", "99.0", "99.0"},
                                   {"0.0", "99.0", "99.0"},
                                   {"0.0", "-nan"},
                                   {"0.0"}})),
              (Groups{{0, 1, 2, 4}, {1}, {2}, {3}, {4}, {5}, {6}}));
}

TEST(Grouping, CellsOnAndBelowTheDiagonalAreNeverConsulted) {
    // Only cell (2, 0) is small; the diagonal holds junk.
    EXPECT_EQ(Group("\nx 50 50 \n0 y 50 \n1 0 z "), (Groups{{0}, {1}, {2}}));
}

TEST(Grouping, MonomerCloseToTwoSeparateGroupsIsInBothItsOwnListInTheFirst) {
    // 2 is close to 0 and to 1, which are not close to each other, and 2 is
    // close to 3: 0 absorbs 2's list, so 1 lists 2 but not 3.
    EXPECT_EQ(Group(DotMatrixText(
                  {{"0.0", "50.0", "1.0", "50.0"}, {"0.0", "1.0", "50.0"}, {"0.0", "1.0"}, {"0.0"}})),
              (Groups{{0, 2, 3}, {1, 2}, {}, {3}}));
}

TEST(Grouping, UnusableFilesRaise) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "the dot matrix holds no line"},
        {"\n0.0 1.0 \n0 ", "row 2 holds 1 cells, row 1 holds 2"},
        // Rows whose cells add up to a square are still rejected.
        {"\n0.0 1.0 5.0 \n0 0.0 \n0 0 0.0 9", "row 2 holds 2 cells, row 1 holds 3"},
        {"\n0.0 1.0 \n0 0.0 7", "row 2 holds more than 2 cells, row 1 holds 2"},
        {"\n0.0 1.0 2.0 \n0 0.0 ", "row 1 holds more than 2 cells for 2 rows"},
        {std::string(1000000, '\n'), "row 1 holds 0 cells for 999999 rows"},
        {"\n0.0 1.0 \n0 0.0 \n\n", "row 1 holds 2 cells for 3 rows"},
        {"\n0.0 x1.0 \n0 0.0 ", "row 1, column 2 is not a number: 'x1.0'"},
        {"\n0.0 5.0 9.0 \n0 0.0 12.5\x01\xff\\ \n0 0 0.0 ",
         "row 2, column 3 is not a number: '12.5\\x01\\xFF\\x5C'"},
    };
    for (const auto& [text, reason] : cases) {
        const std::string path = dir.Write("bad.txt", text);
        try {
            const int size = DotMatrixRows(path);
            if (size < 0) throw FileError::FromReason("cannot read", path, "the dot matrix holds no line");
            ReadCloseMatrix(path, size);
            ADD_FAILURE() << "no error for '" << text.substr(0, 40) << "'";
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), "cannot read '" + path + "': " + reason);
        }
    }
    EXPECT_THROW(DotMatrixRows(dir.File("missing.txt")), FileError);
}

TEST(Grouping, ADiskThatFillsUpReplacesNeitherFile) {
    // A 128 KB file system (needs root) left with one free page: the group
    // file fits, the offset file does not.
    TempDir dir;
    if (::geteuid() != 0 ||
        std::system(("mount -t tmpfs -o size=128k tmpfs " + dir.path() + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small file system";
    const struct Unmount {
        std::string path;
        ~Unmount() { static_cast<void>(std::system(("umount " + path).c_str())); }
    } unmount{dir.path()};
    std::vector<std::vector<std::string>> upper;
    for (int i = 0; i < 100; ++i) {
        upper.emplace_back(static_cast<std::size_t>(100 - i), "99.0");
        upper.back()[0] = "0.0";
        if (i < 99) upper.back()[1] = "1.0";
    }
    dir.Write("d.txt", DotMatrixText(upper));
    dir.Write("d.txt_horStructure.txt", "");
    dir.Write("d.txt_horStructure2.txt", "");
    struct statvfs disk {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &disk), 0);
    const int filler = ::open(dir.File("filler").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(::posix_fallocate(filler, 0, static_cast<off_t>(disk.f_bavail * disk.f_bsize) - 4096), 0);
    ::close(filler);
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"group", "d.txt"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "horgrid-tools group: cannot write 'd.txt_horStructure2.txt': No space left on device\n");
    EXPECT_EQ(ReadFile(dir.File("d.txt_horStructure.txt")), "");
    EXPECT_EQ(ReadFile(dir.File("d.txt_horStructure2.txt")), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

TEST(Grouping, CellsAcrossReadBuffersOfALargeMatrix) {
    // 700 monomers (about 2 MB of text, more than one read buffer): every
    // twelfth monomer is close to the next one of its kind.
    const int size = 700;
    std::string text;
    for (int i = 0; i < size; ++i) {
        text += "\n";
        for (int j = 0; j < size; ++j) text += j < i ? "0 " : (j - i) % 12 == 0 ? "1.5 " : "100.0 ";
    }
    const Groups groups = Group(text);
    ASSERT_EQ(groups.size(), static_cast<std::size_t>(size));
    std::vector<int> first;
    for (int k = 0; k < size; k += 12) first.push_back(k);
    EXPECT_EQ(groups[0], first);
    // Twelve groups, the rest absorbed; the last monomer of each kind keeps its own group too.
    std::size_t members = 0;
    for (const std::vector<int>& group : groups) members += group.size();
    EXPECT_EQ(members, static_cast<std::size_t>(size + 12));
}

// The joining as a literal list algorithm: each close list absorbs (appends,
// sorts, deduplicates, empties) the lists of its members that hold more than
// one member, the length being read afresh as the list grows.
std::vector<std::vector<int>> JoinByLists(const CloseMatrix& close) {
    const int size = close.size();
    std::vector<std::vector<int>> lists(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
        lists[i].push_back(i);
        for (int j = i + 1; j < size; ++j)
            if (close.Test(i, j)) lists[i].push_back(j);
    }
    for (int i = 0; i < size; ++i) {
        for (std::size_t p = 1; p < lists[i].size(); ++p) {
            const int k = lists[i][p];
            if (lists[k].size() <= 1) continue;
            lists[i].insert(lists[i].end(), lists[k].begin(), lists[k].end());
            std::sort(lists[i].begin(), lists[i].end());
            lists[i].erase(std::unique(lists[i].begin(), lists[i].end()), lists[i].end());
            lists[k].clear();
        }
    }
    return lists;
}

TEST(Grouping, JoinMatchesTheListAlgorithmOnRandomMatrices) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int size = static_cast<int>(random() % 140);
        const double density = std::uniform_real_distribution<double>(0.0, 0.3)(random);
        CloseMatrix close(size);
        for (int i = 0; i < size; ++i) close.AddRow();
        for (int i = 0; i < size; ++i)
            for (int j = i + 1; j < size; ++j)
                if (std::uniform_real_distribution<double>(0.0, 1.0)(random) < density) close.Set(i, j);

        std::vector<std::vector<int>> joined;
        JoinCloseMonomers(close, [&](int i, const std::vector<int>& members) {
            EXPECT_EQ(i, static_cast<int>(joined.size()));
            joined.push_back(members);
        });
        ASSERT_EQ(joined, JoinByLists(close)) << "size " << size << " density " << density;
    }
}

TEST(Grouping, CloseMatrixKeepsOnlyCellsAboveTheDiagonalOfTheRowsAdded) {
    CloseMatrix close(130);
    for (int i = 0; i < 65; ++i) close.AddRow();
    close.Set(70, 80);  // row not added: ignored
    close.Set(0, 129);
    close.Set(63, 64);
    close.Set(64, 127);
    close.Set(5, 5);    // diagonal: ignored
    close.Set(9, 2);    // below: ignored
    close.Set(3, 130);  // outside: ignored
    int set = 0;
    for (int i = 0; i < 130; ++i)
        for (int j = 0; j < 131; ++j) set += close.Test(i, j);
    EXPECT_EQ(set, 3);
    EXPECT_TRUE(close.Test(0, 129) && close.Test(63, 64) && close.Test(64, 127));
}

}  // namespace
}  // namespace horgrid::test
