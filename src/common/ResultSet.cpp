#include "common/ResultSet.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "common/FileError.h"
#include "common/Interrupt.h"

namespace horgrid {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The entries of a folder but "." and "..", each with whether it is a folder.
std::vector<std::pair<std::string, bool>> Entries(const std::string& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) throw FileError::FromErrno("cannot read", folder, errno);
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        const bool isFolder = ::lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.emplace_back(name, isFolder);
    }
    ::closedir(directory);
    return entries;
}

// An exclusive flock on a lock file, which exists only while it is held: the
// holder removes it before letting go, and a waiter that then got the lock of
// a removed file tries again.
class PrefixLock {
public:
    explicit PrefixLock(std::string path) : path_(std::move(path)) {
        while (true) {
            {
                const InterruptsHeld held;
                // Whatever is there but a regular file is left alone (never removed).
                RefuseNonRegularTarget(path_, "cannot create", path_);
                descriptor_ =
                    ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
                if (descriptor_ < 0) throw FileError::FromErrno("cannot create", path_, errno);
                struct stat opened {};
                if (::fstat(descriptor_, &opened) != 0 || !S_ISREG(opened.st_mode)) {
                    Close();
                    throw FileError::FromReason("cannot create", path_, "it is not a regular file");
                }
                cleanup_ = std::make_unique<InterruptRemovesFile>(path_);
            }
            while (::flock(descriptor_, LOCK_EX) != 0) {
                if (errno != EINTR) {
                    const int error = errno;
                    Close();
                    throw FileError::FromErrno("cannot lock", path_, error);
                }
            }
            struct stat held {};
            struct stat named {};
            if (::fstat(descriptor_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 && SameFile(held, named)) {
                return;
            }
            Close();
        }
    }
    ~PrefixLock() {
        if (!InterruptUnderway()) ::unlink(path_.c_str());
        Close();
    }
    PrefixLock(const PrefixLock&) = delete;
    PrefixLock& operator=(const PrefixLock&) = delete;

private:
    void Close() {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = -1;
        cleanup_.reset();
    }

    std::string path_;
    int descriptor_ = -1;
    std::unique_ptr<InterruptRemovesFile> cleanup_;
};

// The name of member `index` in the staging folder.
std::string StagedName(std::size_t index) {
    std::string name = std::to_string(index);
    name.insert(name.begin(), 'm');
    return name;
}

// While a signal finishes the commit, this thread must not touch the files.
void StandStillIfInterrupted() {
    while (InterruptUnderway()) ::pause();
}

}  // namespace

std::string ResultSet::LockPath(const std::string& prefix) {
    return prefix + ".horgrid-lock";
}

ResultSet::ResultSet(std::string prefix, std::vector<std::string> inputs)
    : prefix_(std::move(prefix)), inputs_(std::move(inputs)) {
    staging_ = std::make_unique<TemporaryDirectory>(DirectoryOf(prefix_), prefix_);
}

ResultSet::~ResultSet() = default;

void ResultSet::Check(const Member& member) const {
    struct stat target {};
    if (::lstat(member.path.c_str(), &target) != 0) return;
    if (member.file) {
        RefuseNonRegularTarget(member.path, "cannot replace", member.path);
        RefuseOverwritingInput(member.path, inputs_);
        return;
    }
    if (!S_ISDIR(target.st_mode)) throw FileError::FromReason("cannot replace", member.path, "it is not a folder");
    for (const std::string& input : inputs_) {
        struct stat source {};
        const std::string directory = DirectoryOf(input).empty() ? "." : DirectoryOf(input);
        if (::stat(input.c_str(), &source) != 0) continue;
        if (SameFile(source, target) || (::stat(directory.c_str(), &source) == 0 && SameFile(source, target))) {
            throw FileError::FromReason("cannot replace", member.path, "it holds the input '" + input + "'");
        }
    }
    for (const auto& [name, isFolder] : Entries(member.path)) {
        if (isFolder) {
            throw FileError::FromReason("cannot replace", member.path,
                                        "it holds the folder '" + name + "', which no run of horgrid writes there");
        }
    }
}

void ResultSet::CarryOver(const Member& member) const {
    struct stat target {};
    if (::lstat(member.path.c_str(), &target) != 0) return;
    for (const auto& [name, isFolder] : Entries(member.path)) {
        if (member.owns(name)) continue;
        const std::string from = member.path + "/" + name;
        if (::link(from.c_str(), (staging_->path() + member.name + "/" + name).c_str()) != 0) {
            throw FileError::FromErrno("cannot keep", from, errno);
        }
    }
}

ResultFile& ResultSet::Add(const std::string& path) {
    if (DirectoryOf(path) != DirectoryOf(prefix_)) {
        throw std::invalid_argument("result '" + path + "' is not in the directory of '" + prefix_ + "'");
    }
    Member member{path, StagedName(members_.size()), nullptr, nullptr};
    member.file = std::make_unique<ResultFile>(staging_->path() + member.name, std::vector<std::string>{}, path);
    Check(member);
    members_.push_back(std::move(member));
    return *members_.back().file;
}

void ResultSet::AddFolder(const std::string& path, Owns owns) {
    if (DirectoryOf(path) != DirectoryOf(prefix_)) {
        throw std::invalid_argument("result '" + path + "' is not in the directory of '" + prefix_ + "'");
    }
    Member member{path, StagedName(members_.size()), nullptr, std::move(owns)};
    Check(member);
    const std::string staged = staging_->path() + member.name;
    if (::mkdir(staged.c_str(), 0777) != 0) throw FileError::FromErrno("cannot create", path, errno);
    members_.push_back(std::move(member));
}

const ResultSet::Member& ResultSet::FolderMember(const std::string& folder) const {
    for (const Member& member : members_) {
        if (!member.file && member.path == folder) return member;
    }
    throw std::invalid_argument("'" + folder + "' is no folder of the result set");
}

std::unique_ptr<ResultFile> ResultSet::AddToFolder(const std::string& folder, const std::string& name) {
    const Member& member = FolderMember(folder);
    if (!member.owns(name) || name.find('/') != std::string::npos) {
        throw std::invalid_argument("'" + name + "' is no name of the folder '" + folder + "'");
    }
    return std::make_unique<ResultFile>(staging_->path() + member.name + "/" + name, std::vector<std::string>{},
                                        folder + "/" + name);
}

void ResultSet::Commit() {
    for (Member& member : members_) {
        if (member.file) member.file->Commit();  // into the staging folder
    }
    const PrefixLock lock(LockPath(prefix_));
    for (const Member& member : members_) Check(member);
    // Each step is a move whose source does not come back (see
    // InterruptFinishesRenames); `backups` hold hard links of replaced files
    // so that a failing step can be undone.
    std::vector<std::pair<std::string, std::string>> steps;
    std::vector<std::string> backups;  // per step: the old file to put back, or ""
    for (std::size_t index = 0; index < members_.size(); ++index) {
        const Member& member = members_[index];
        const std::string staged = staging_->path() + member.name;
        std::string old = staging_->path();
        old += "old";
        old += std::to_string(index);
        struct stat target {};
        const bool exists = ::lstat(member.path.c_str(), &target) == 0;
        if (member.file) {
            if (exists && S_ISREG(target.st_mode)) ::chmod(staged.c_str(), target.st_mode & 07777);
            const bool saved = exists && ::link(member.path.c_str(), old.c_str()) == 0;
            steps.emplace_back(staged, member.path);
            backups.push_back(saved ? old : "");
            continue;
        }
        CarryOver(member);
        if (exists) {
            steps.emplace_back(member.path, old);
            backups.emplace_back();
        }
        steps.emplace_back(staged, member.path);
        backups.emplace_back();
    }
    InterruptFinishesRenames plan(steps);
    for (std::size_t step = 0; step < steps.size(); ++step) {
        StandStillIfInterrupted();
        if (::rename(plan.from(step), plan.to(step)) == 0) {
            plan.Done(step + 1);
            continue;
        }
        const int error = errno;
        StandStillIfInterrupted();
        // Undo what was done, newest first: the new file back to the staging
        // folder and the old one (when it was saved) back in its place.
        const InterruptsHeld held;
        plan.Done(steps.size());  // a signal now leaves the undone state alone
        for (std::size_t back = step; back-- > 0;) {
            ::rename(plan.to(back), plan.from(back));
            if (!backups[back].empty()) ::rename(backups[back].c_str(), plan.to(back));
        }
        throw FileError::FromErrno("cannot replace", steps[step].second, error);
    }
}

}  // namespace horgrid
