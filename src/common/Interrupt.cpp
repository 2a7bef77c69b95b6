#include "common/Interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace horgrid {

namespace {

// The one piece of process-wide mutable state in horgrid. A signal handler can
// only reach data through static storage, and it may only use lock-free atomics
// and async-signal-safe calls (unlink, kill, waitpid, _exit): so the registry is
// a fixed table of slots, each claimed with a compare-and-swap, filled, then
// published; the handler reads only published slots. Nothing else in the
// program reads it.
constexpr int kFileSlots = 256;
constexpr int kGroupSlots = 8;
constexpr std::size_t kPathCapacity = 4096;

enum SlotState : int { kFree = 0, kFilling = 1, kPublished = 2 };

struct FileSlot {
    std::atomic<int> state{kFree};
    char path[kPathCapacity] = {};
};

struct Registry {
    std::array<FileSlot, kFileSlots> files;
    std::array<std::atomic<pid_t>, kGroupSlots> groups{};
};

constinit Registry registry;

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free);

extern "C" void StopRun(int signalNumber) {
    for (std::atomic<pid_t>& group : registry.groups) {
        const pid_t leader = group.load();
        if (leader <= 0) continue;
        ::kill(-leader, SIGKILL);
        ::waitpid(leader, nullptr, 0);
    }
    for (FileSlot& slot : registry.files) {
        if (slot.state.load() == kPublished) ::unlink(slot.path);
    }
    ::_exit(128 + signalNumber);
}

}  // namespace

void InstallInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = StopRun;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

InterruptRemovesFile::InterruptRemovesFile(const std::string& path) {
    if (path.size() >= kPathCapacity) return;
    for (int i = 0; i < kFileSlots; ++i) {
        int expected = kFree;
        FileSlot& slot = registry.files[static_cast<std::size_t>(i)];
        if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kPublished);
        slot_ = i;
        return;
    }
}

InterruptRemovesFile::~InterruptRemovesFile() {
    if (slot_ >= 0) registry.files[static_cast<std::size_t>(slot_)].state.store(kFree);
}

InterruptKillsGroup::InterruptKillsGroup(pid_t group) {
    for (int i = 0; i < kGroupSlots; ++i) {
        pid_t expected = 0;
        if (registry.groups[static_cast<std::size_t>(i)].compare_exchange_strong(expected, group)) {
            slot_ = i;
            return;
        }
    }
}

InterruptKillsGroup::~InterruptKillsGroup() {
    if (slot_ >= 0) registry.groups[static_cast<std::size_t>(slot_)].store(0);
}

InterruptsHeld::InterruptsHeld() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

InterruptsHeld::~InterruptsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace horgrid
