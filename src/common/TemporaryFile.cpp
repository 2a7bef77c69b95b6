#include "common/TemporaryFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "common/FileError.h"
#include "common/Interrupt.h"

namespace horgrid {

namespace {

constexpr int kAttempts = 100;

// "horgrid-" + 8 random letters and digits + ".tmp".
std::string RandomName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy source: the clock still makes collisions rare, and O_EXCL
        // turns any into a retry.
        const auto now =
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(now >> (i * 6));
    }
    std::string name = "horgrid-";
    for (unsigned char byte : bytes) name += kLetters[byte % (sizeof kLetters - 1)];
    return name + ".tmp";
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void RefuseNonRegularTarget(const std::string& target, const std::string& verb, const std::string& shown) {
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) != 0 || S_ISREG(existing.st_mode)) return;
    if (S_ISDIR(existing.st_mode)) throw FileError::FromErrno(verb, shown, EISDIR);
    throw FileError::FromReason(
        verb, shown,
        std::string(S_ISLNK(existing.st_mode) ? "it is a symbolic link" : "it is not a regular file") +
            " (a result replaces only a regular file)");
}

TemporaryFile::TemporaryFile(const std::string& target) {
    RefuseNonRegularTarget(target, "cannot create", target);
    const std::string directory = DirectoryOf(target);
    // The file and its registration for removal on a signal come into being together.
    const InterruptsHeld held;
    int error = EEXIST;
    for (int attempt = 0; attempt < kAttempts && error == EEXIST; ++attempt) {
        path_ = directory + RandomName();
        // Created with 0666: the kernel takes the umask off, as for any new file.
        descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = descriptor_ < 0 ? errno : 0;
    }
    if (descriptor_ < 0) throw FileError::FromErrno("cannot create", target, error);
    cleanup_ = std::make_unique<InterruptRemovesFile>(path_);
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(descriptor_, existing.st_mode & 0777);
    }
}

TemporaryFile::~TemporaryFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!placed_) ::unlink(path_.c_str());
}

int TemporaryFile::Release() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor;
}

void TemporaryFile::MoveTo(const std::string& target) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    RefuseNonRegularTarget(target, "cannot create", target);
    if (std::rename(path_.c_str(), target.c_str()) != 0) {
        const int error = errno;
        throw FileError::FromErrno("cannot create", target, error);
    }
    placed_ = true;
}

TemporaryDirectory::TemporaryDirectory(const std::string& directory, const std::string& target) {
    const InterruptsHeld held;
    int error = EEXIST;
    for (int attempt = 0; attempt < kAttempts && error == EEXIST; ++attempt) {
        path_ = directory + RandomName();
        error = ::mkdir(path_.c_str(), 0700) == 0 ? 0 : errno;
    }
    if (error != 0) throw FileError::FromErrno("cannot create", target, error);
    try {
        cleanup_ = std::make_unique<InterruptRemovesFile>(path_, true);
    } catch (...) {
        ::rmdir(path_.c_str());
        throw;
    }
    path_ += '/';
}

TemporaryDirectory::~TemporaryDirectory() {
    // A signal's handler is removing it, or finishing a commit out of it.
    if (InterruptUnderway()) return;
    RemoveTree(path_.c_str());
}

}  // namespace horgrid
