#include "common/Interrupt.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace horgrid {

namespace {

// The one piece of process-wide mutable state in horgrid. A signal handler can
// only reach data through static storage, and it may only use lock-free atomics
// and async-signal-safe calls (unlink, rename, kill, waitpid, _exit): so the
// registry is a list of chunks of slots, each slot claimed with a
// compare-and-swap, filled, then published; the handler reads only published
// slots. A full list gets one more chunk (allocated here, in normal context,
// and linked with a compare-and-swap; chunks are never freed), so there is no
// limit on how much a run registers. Nothing else in the program reads it.
constexpr std::size_t kSlotsPerChunk = 32;
constexpr std::size_t kPathCapacity = 4096;
constexpr int kTreeDepth = 8;
constexpr std::array<int, 4> kStopSignals = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

enum SlotState : int { kFree = 0, kFilling, kFile, kTree, kGroup, kRenames };

struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<pid_t> group{0};
    std::atomic<const InterruptFinishesRenames*> renames{nullptr};
    char path[kPathCapacity] = {};
};

struct Chunk {
    std::array<Slot, kSlotsPerChunk> slots;
    std::atomic<Chunk*> next{nullptr};
};

struct Registry {
    Chunk first;
    std::atomic<bool> stopping{false};
};

constinit Registry registry;

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free &&
              std::atomic<Chunk*>::is_always_lock_free && std::atomic<std::size_t>::is_always_lock_free);

// Claims a free slot (state kFilling), growing the registry when all are taken.
Slot& Claim() {
    Chunk* chunk = &registry.first;
    while (true) {
        for (Slot& slot : chunk->slots) {
            int expected = kFree;
            if (slot.state.compare_exchange_strong(expected, kFilling)) return slot;
        }
        Chunk* next = chunk->next.load();
        if (next == nullptr) {
            Chunk* grown = new Chunk;
            if (chunk->next.compare_exchange_strong(next, grown)) {
                next = grown;
            } else {
                delete grown;  // another thread linked one first: `next` is it
            }
        }
        chunk = next;
    }
}

void Release(void* slot) {
    if (slot != nullptr) static_cast<Slot*>(slot)->state.store(kFree);
}

template <class Visit>
void ForEachSlot(int state, Visit visit) {
    for (Chunk* chunk = &registry.first; chunk != nullptr; chunk = chunk->next.load()) {
        for (Slot& slot : chunk->slots) {
            if (slot.state.load() == state) visit(slot);
        }
    }
}

// getdents64 records: inode (8 bytes), offset (8), record length (2), type (1), name.
constexpr std::size_t kLengthAt = 16;
constexpr std::size_t kNameAt = 19;

bool RemoveAt(int parent, const char* name, int depth) noexcept;

// Removes what `directory` holds, pass after pass while a pass removes something.
void EmptyDirectory(int directory, int depth) noexcept {
    alignas(8) char buffer[2048];
    for (bool removed = true; removed;) {
        removed = false;
        if (::lseek(directory, 0, SEEK_SET) < 0) return;
        long bytes = 0;
        while ((bytes = ::syscall(SYS_getdents64, directory, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < bytes;) {
                unsigned short length = 0;
                std::memcpy(&length, buffer + at + kLengthAt, sizeof length);
                const char* name = buffer + at + kNameAt;
                at += length;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
                if (RemoveAt(directory, name, depth)) removed = true;
            }
        }
    }
}

bool RemoveAt(int parent, const char* name, int depth) noexcept {
    if (::unlinkat(parent, name, 0) == 0) return true;
    if (errno != EISDIR && errno != EPERM) return false;
    if (depth > 0) {
        const int directory = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (directory >= 0) {
            EmptyDirectory(directory, depth - 1);
            ::close(directory);
        }
    }
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

extern "C" void StopRun(int signalNumber) {
    registry.stopping.store(true);
    ForEachSlot(kGroup, [](Slot& slot) {
        const pid_t leader = slot.group.load();
        if (leader <= 0) return;
        ::kill(-leader, SIGKILL);
        ::waitpid(leader, nullptr, 0);
    });
    ForEachSlot(kRenames, [](Slot& slot) {
        if (const InterruptFinishesRenames* renames = slot.renames.load()) renames->FinishFromSignal();
    });
    ForEachSlot(kFile, [](Slot& slot) { ::unlink(slot.path); });
    ForEachSlot(kTree, [](Slot& slot) { RemoveTree(slot.path); });
    ::_exit(128 + signalNumber);
}

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kStopSignals) sigaddset(&set, signalNumber);
    return set;
}

}  // namespace

void InstallInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = StopRun;
    action.sa_mask = StopSignals();
    for (const int signalNumber : kStopSignals) ::sigaction(signalNumber, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

bool InterruptUnderway() {
    return registry.stopping.load();
}

void RemoveTree(const char* path) noexcept {
    RemoveAt(AT_FDCWD, path, kTreeDepth);
}

InterruptRemovesFile::InterruptRemovesFile(const std::string& path, bool tree) {
    if (path.size() >= kPathCapacity) return;
    Slot& slot = Claim();
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    slot.state.store(tree ? kTree : kFile);
    slot_ = &slot;
}

InterruptRemovesFile::~InterruptRemovesFile() {
    Release(slot_);
}

InterruptKillsGroup::InterruptKillsGroup(pid_t group) {
    Slot& slot = Claim();
    slot.group.store(group);
    slot.state.store(kGroup);
    slot_ = &slot;
}

InterruptKillsGroup::~InterruptKillsGroup() {
    Release(slot_);
}

InterruptFinishesRenames::InterruptFinishesRenames(const std::vector<std::pair<std::string, std::string>>& steps) {
    names_.reserve(steps.size() * 2);
    for (const auto& [from, to] : steps) {
        names_.push_back(from);
        names_.push_back(to);
    }
    for (std::size_t i = 0; i < names_.size(); i += 2) {
        from_.push_back(names_[i].c_str());
        to_.push_back(names_[i + 1].c_str());
    }
    Slot& slot = Claim();
    slot.renames.store(this);
    slot.state.store(kRenames);
    slot_ = &slot;
}

InterruptFinishesRenames::~InterruptFinishesRenames() {
    Release(slot_);
}

void InterruptFinishesRenames::FinishFromSignal() const noexcept {
    for (std::size_t step = done_.load(); step < from_.size(); ++step) ::rename(from_[step], to_[step]);
}

InterruptsHeld::InterruptsHeld() {
    const sigset_t held = StopSignals();
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

InterruptsHeld::~InterruptsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace horgrid
