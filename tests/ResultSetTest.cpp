// A result set is replaced whole or not at all; signals leave no temporary.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>

#include "TestSupport.h"
#include "common/FileError.h"
#include "common/Interrupt.h"
#include "common/ResultSet.h"

namespace horgrid::test {
namespace {

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

bool OwnsEns(std::string_view name) {
    return name.ends_with(".ens");
}

// The set of the tests: p_table.tsv and the folder p.ens with 1.ens.
void WriteSet(ResultSet& set, const TempDir& dir, const std::string& text) {
    set.Add(dir.File("p_table.tsv")).Write(text);
    set.AddFolder(dir.File("p.ens"), OwnsEns);
    std::unique_ptr<ResultFile> one = set.AddToFolder(dir.File("p.ens"), "1.ens");
    one->Write(text);
    one->Commit();
}

// Runs `body` in a child process and returns its exit status (-1 for a signal).
int InChild(const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ResultSet, CommitReplacesTheWholeSetAndKeepsTheUsersFiles) {
    TempDir dir;
    dir.Write("p_table.tsv", "old");
    std::filesystem::create_directory(dir.File("p.ens"));
    for (const char* name : {"1.ens", "2.ens", "3.ens"}) dir.Write(std::string("p.ens/") + name, "old");
    dir.Write("p.ens/1.ens_dotplot.tsv", "the user's");
    {
        ResultSet set(dir.File("p"), {});
        WriteSet(set, dir, "new");
        EXPECT_EQ(ReadFile(dir.File("p_table.tsv")), "old");  // nothing visible before the commit
        set.Commit();
    }
    EXPECT_EQ(ReadFile(dir.File("p_table.tsv")), "new");
    EXPECT_EQ(ReadFile(dir.File("p.ens/1.ens")), "new");
    EXPECT_EQ(ReadFile(dir.File("p.ens/1.ens_dotplot.tsv")), "the user's");
    EXPECT_EQ(Listing(dir.File("p.ens")), (std::vector<std::string>{"1.ens", "1.ens_dotplot.tsv"}));
    // No staging folder, no lock file.
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"p.ens", "p_table.tsv"}));
}

TEST(ResultSet, RefusedTargetReplacesNothing) {
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> before;  // before the members are added
        std::function<void(const TempDir&)> after;   // after, before the commit
        std::string message;
    };
    const auto folderAt = [](const char* name) {
        return [name](const TempDir& dir) { std::filesystem::create_directory(dir.File(name)); };
    };
    const std::vector<Case> cases = {
        {"a directory at a file", folderAt("p_table.tsv"), nullptr, "cannot replace"},
        {"a directory at a file, made during the run", nullptr, folderAt("p_table.tsv"), "Is a directory"},
        {"a file at a folder",
         [](const TempDir& dir) {
             std::filesystem::remove_all(dir.File("p.ens"));
             dir.Write("p.ens", "");
         },
         nullptr, "not a folder"},
        {"a folder in the folder, made during the run", nullptr, folderAt("p.ens/sub"), "holds the folder 'sub'"},
        {"the input in the folder", [](const TempDir& dir) { dir.Write("p.ens/1.ens", "input"); }, nullptr,
         "holds the input"},
        {"a link to the input", [](const TempDir& dir) { ::link(dir.File("in.fa").c_str(), dir.File("p_table.tsv").c_str()); },
         nullptr, "it is the input"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.Write("in.fa", "input");
        std::filesystem::create_directory(dir.File("p.ens"));
        dir.Write("p.ens/2.ens", "old");
        if (c.before) c.before(dir);
        const std::vector<std::string> listing = Listing(dir.path());
        try {
            ResultSet set(dir.File("p"), {dir.File("in.fa"), dir.File("p.ens/1.ens")});
            WriteSet(set, dir, "new");
            if (c.after) c.after(dir);
            set.Commit();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.name << ": " << error.what();
        }
        EXPECT_EQ(ReadFile(dir.File("in.fa")), "input") << c.name;
        if (std::filesystem::is_directory(dir.File("p.ens"))) {
            EXPECT_EQ(ReadFile(dir.File("p.ens/2.ens")), "old") << c.name;
        }
        if (!c.after) {
            EXPECT_EQ(Listing(dir.path()), listing) << c.name;
        }
        EXPECT_FALSE(FileExists(dir.File("p.horgrid-lock"))) << c.name;
    }
}

TEST(ResultSet, CommitWaitsForAnotherRunOnThePrefix) {
    TempDir dir;
    dir.Write("p_table.tsv", "old");
    const std::string lock = ResultSet::LockPath(dir.File("p"));
    const int held = ::open(lock.c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(held);  // the lock stays with the parent
        ResultSet set(dir.File("p"), {});
        WriteSet(set, dir, "second");
        set.Commit();
        ::_exit(ReadFile(dir.File("p_table.tsv")) == "second" ? 0 : 1);
    }
    ::usleep(300000);
    EXPECT_EQ(ReadFile(dir.File("p_table.tsv")), "old");  // the second run waits
    // Let go the way a run does: remove the lock file, then unlock.
    ::unlink(lock.c_str());
    ::close(held);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(dir.File("p.ens/1.ens")), "second");
    EXPECT_FALSE(FileExists(lock));
}

TEST(Interrupt, EveryStopSignalRemovesEveryTemporary) {
    for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) {
        TempDir dir;
        dir.Write("p_table.tsv", "old");
        const int status = InChild([&] {
            InstallInterruptCleanup();
            // More temporaries than any fixed table would hold, and a staged set.
            std::vector<std::unique_ptr<ResultFile>> files;
            for (int i = 0; i < 300; ++i) files.push_back(std::make_unique<ResultFile>(dir.File(std::to_string(i))));
            ResultSet set(dir.File("p"), {});
            WriteSet(set, dir, "new");
            ::raise(signal);
        });
        EXPECT_EQ(status, 128 + signal);
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"p_table.tsv"}) << signal;
        EXPECT_EQ(ReadFile(dir.File("p_table.tsv")), "old");
    }
}

TEST(Interrupt, SignalFinishesACommitUnderway) {
    TempDir dir;
    for (const char* name : {"a", "b", "c"}) dir.Write(name, name);
    const int status = InChild([&] {
        InstallInterruptCleanup();
        InterruptFinishesRenames plan({{dir.File("a"), dir.File("A")},
                                       {dir.File("b"), dir.File("B")},
                                       {dir.File("c"), dir.File("C")}});
        std::rename(plan.from(0), plan.to(0));
        std::rename(plan.from(1), plan.to(1));  // done, not yet reported
        plan.Done(1);
        ::raise(SIGTERM);
    });
    EXPECT_EQ(status, 143);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ReadFile(dir.File("C")), "c");
}

}  // namespace
}  // namespace horgrid::test
