#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace horgrid {

// What a run leaves behind when Ctrl-C (SIGINT) or SIGTERM stops it: nothing but
// the results it had finished. The executables call InstallInterruptCleanup()
// first thing; from then on these signals kill every registered plotting
// process group, remove every registered temporary file and end the process
// with status 128 + the signal number (130, 143). Finished results are never
// registered, so they stay. It also ignores SIGPIPE, so that writing to a
// closed pipe fails like any other write error instead of killing the process
// silently.
void InstallInterruptCleanup();

// While it lives, `path` (a temporary file) is removed when a signal stops the
// run. Paths longer than the registry's slots, or more of them than it holds at
// once, are not registered (the file is then only removed by its owner).
class InterruptRemovesFile {
public:
    explicit InterruptRemovesFile(const std::string& path);
    ~InterruptRemovesFile();
    InterruptRemovesFile(const InterruptRemovesFile&) = delete;
    InterruptRemovesFile& operator=(const InterruptRemovesFile&) = delete;

private:
    int slot_ = -1;
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
    int slot_ = -1;
};

// Holds SIGINT and SIGTERM back in the calling thread while it lives, so that
// creating a temporary file or child and registering it happen as one step.
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
