#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "TestSupport.h"
#include "common/FileError.h"
#include "common/ResultFile.h"

namespace horgrid {
namespace {

using test::ReadFile;
using test::TempDir;

TEST(ResultFile, ReplacesTheTargetOnlyOnCommit) {
    TempDir dir;
    const std::string target = dir.Write("result.txt", "previous");
    {
        ResultFile out(target);
        std::fputs("half written", out.get());
        // Abandoned without Commit (an error in the middle of an analysis).
    }
    EXPECT_EQ(ReadFile(target), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left

    {
        ResultFile out(target);
        std::fprintf(out.get(), "%d %s", 42, "done");
        out.Commit();
    }
    EXPECT_EQ(ReadFile(target), "42 done");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ResultFile, NewFilesGetTheUsualPermissions) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    {
        ResultFile out(dir.File("fresh.txt"));
        out.Commit();
    }
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(dir.File("fresh.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(ResultFile, UncreatableTargetNamesThePath) {
    TempDir dir;
    const std::string target = dir.File("missing-dir/result.txt");
    try {
        ResultFile out(target);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot create '" + target + "': No such file or directory");
    }
}

}  // namespace
}  // namespace horgrid
