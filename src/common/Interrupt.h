#pragma once

#include <signal.h>
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace horgrid {

// What a run leaves behind when a signal stops it (SIGHUP from a closed
// terminal, Ctrl-C's SIGINT, SIGQUIT, SIGTERM): nothing but the results it had
// finished. The executables call InstallInterruptCleanup() first thing; from
// then on these signals kill every registered plotting process group, finish
// every result set whose commit had begun (InterruptFinishesRenames), remove
// every registered temporary file and folder and end the process with status
// 128 + the signal number (129, 130, 131, 143). Finished results are never
// registered, so they stay. It also ignores SIGPIPE, so that writing to a
// closed pipe fails like any other write error instead of killing the process
// silently.
//
// The registry has no fixed size: it grows in chunks of slots, allocated in
// normal context and never freed, that the handler walks with atomic loads
// only. A path longer than PATH_MAX (4096 bytes) is not registered.
void InstallInterruptCleanup();

// While it lives, `path` (a temporary file, or with `tree` a temporary folder
// and everything in it) is removed when a signal stops the run.
class InterruptRemovesFile {
public:
    explicit InterruptRemovesFile(const std::string& path, bool tree = false);
    ~InterruptRemovesFile();
    InterruptRemovesFile(const InterruptRemovesFile&) = delete;
    InterruptRemovesFile& operator=(const InterruptRemovesFile&) = delete;

private:
    void* slot_ = nullptr;
};

// While it lives, the process group `group` (a child started in a group of its
// own) is killed, and its leader reaped, when a signal stops the run.
class InterruptKillsGroup {
public:
    explicit InterruptKillsGroup(pid_t group);
    ~InterruptKillsGroup();
    InterruptKillsGroup(const InterruptKillsGroup&) = delete;
    InterruptKillsGroup& operator=(const InterruptKillsGroup&) = delete;

private:
    void* slot_ = nullptr;
};

// The renames that put a result set in place. While it lives, a signal first
// performs every rename from the first one not reported done (Done(count)) on,
// so that an interrupted commit ends with the whole new set in place. A rename
// that already happened fails harmlessly when repeated (its source is gone),
// so the steps must be plain moves whose sources do not come back.
class InterruptFinishesRenames {
public:
    explicit InterruptFinishesRenames(const std::vector<std::pair<std::string, std::string>>& steps);
    ~InterruptFinishesRenames();
    InterruptFinishesRenames(const InterruptFinishesRenames&) = delete;
    InterruptFinishesRenames& operator=(const InterruptFinishesRenames&) = delete;

    std::size_t size() const { return from_.size(); }
    const char* from(std::size_t step) const { return from_[step]; }
    const char* to(std::size_t step) const { return to_[step]; }
    // The first `count` steps are done.
    void Done(std::size_t count) { done_.store(count); }

    // For the handler: performs the steps not reported done.
    void FinishFromSignal() const noexcept;

private:
    std::vector<std::string> names_;
    std::vector<const char*> from_;
    std::vector<const char*> to_;
    std::atomic<std::size_t> done_{0};
    void* slot_ = nullptr;
};

// True once a signal is stopping the run: code that would change files (the
// commit of a result set, the removal of its staging folder) stands still.
bool InterruptUnderway();

// Removes `path` and, when it is a folder, everything in it (at most 8 levels
// deep, symbolic links not followed). Uses only async-signal-safe calls.
void RemoveTree(const char* path) noexcept;

// Holds SIGHUP, SIGINT, SIGQUIT and SIGTERM back in the calling thread while
// it lives, so that creating a temporary file or child and registering it
// happen as one step.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t saved_;
};

}  // namespace horgrid
