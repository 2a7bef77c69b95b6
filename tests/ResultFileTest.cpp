#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "TestSupport.h"
#include "common/FileError.h"
#include "common/Interrupt.h"
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

TEST(ResultFile, ModeIsTheUsualOneOrThatOfTheReplacedFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("sticky"));
    ::chmod(dir.File("sticky").c_str(), 01777);
    ::close(::open(dir.File("private").c_str(), O_CREAT | O_WRONLY, 0600));
    std::filesystem::create_symlink(dir.File("sticky"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("private"), dir.File("file-link"));
    struct Case {
        const char* name;
        mode_t mode;
    };
    const mode_t mask = ::umask(022);
    for (const Case c : {Case{"fresh", 0644}, Case{"private", 0600}}) {
        {
            ResultFile out(dir.File(c.name));
            out.Commit();
        }
        struct stat info {};
        ASSERT_EQ(::lstat(dir.File(c.name).c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode)) << c.name;
        EXPECT_EQ(info.st_mode & 07777, c.mode) << c.name;
    }
    ::umask(mask);
}

TEST(ResultFile, RefusesATargetThatIsNoRegularFile) {
    TempDir dir;
    dir.Write("file", "the user's");
    std::filesystem::create_symlink(dir.File("file"), dir.File("link"));
    std::filesystem::create_symlink(dir.File("missing"), dir.File("dangling"));
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    for (const char* name : {"link", "dangling", "fifo"}) {
        try {
            ResultFile out(dir.File(name));
            out.Commit();
            FAIL() << name;
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("cannot create '" + dir.File(name) + "': it is "),
                      std::string::npos)
                << error.what();
        }
        struct stat info {};
        ASSERT_EQ(::lstat(dir.File(name).c_str(), &info), 0);
        EXPECT_FALSE(S_ISREG(info.st_mode)) << name;
    }
    // Made non-regular between creation and commit: still refused.
    {
        ResultFile late(dir.File("late"));
        ASSERT_EQ(::mkfifo(dir.File("late").c_str(), 0600), 0);
        EXPECT_THROW(late.Commit(), FileError);
    }
    EXPECT_EQ(ReadFile(dir.File("file")), "the user's");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 5);  // no temporary left
}

TEST(ResultFile, TemporaryNameIsShortWhateverTheTarget) {
    TempDir dir;
    const std::string target = dir.File(std::string(250, 'r'));
    ResultFile out(target);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].size(), 20u) << names[0];
    out.Commit();
    EXPECT_TRUE(test::FileExists(target));
}

TEST(ResultFile, RefusesToReplaceItsInput) {
    TempDir dir;
    const std::string input = dir.Write("in.txt", "input");
    std::filesystem::create_symlink(input, dir.File("link.txt"));
    for (const std::string& result : {input, dir.File("link.txt"), dir.path() + "/./in.txt"}) {
        try {
            ResultFile out(result, {dir.File("other.txt"), input});
            FAIL() << result;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "cannot create '" + result + "': it is the input '" + input + "'");
        }
    }
    ResultFile out(dir.File("new.txt"), {input});  // a result that is no input
    out.Commit();
    EXPECT_EQ(ReadFile(input), "input");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST(ResultFile, SignalRemovesTheTemporaries) {
    TempDir dir;
    const std::string target = dir.Write("result.txt", "previous");
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            InstallInterruptCleanup();
            ResultFile first(target);
            ResultFile second(dir.File("second.txt"));
            std::fputs("half written", first.get());
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(ReadFile(target), "previous");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
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
