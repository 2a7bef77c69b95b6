#include "common/ResultFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "common/FileError.h"

namespace horgrid {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

// Permissions an ordinary fopen(path, "w") would give: 0666 less the umask.
mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

ResultFile::ResultFile(std::string path) : path_(std::move(path)) {
    temporaryPath_ = path_ + ".tmpXXXXXX";
    std::vector<char> name(temporaryPath_.begin(), temporaryPath_.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw FileError::FromErrno("cannot create", path_, errno);
    temporaryPath_.assign(name.data());
    struct stat existing {};
    // Keep the mode of a result that is being replaced, else the usual default.
    const mode_t mode =
        ::stat(path_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : DefaultFileMode();
    ::fchmod(fd, mode);
    file_ = ::fdopen(fd, "w");
    if (file_ == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporaryPath_.c_str());
        throw FileError::FromErrno("cannot create", path_, error);
    }
    buffer_ = static_cast<char*>(std::malloc(kBufferSize));
    if (buffer_ != nullptr) std::setvbuf(file_, buffer_, _IOFBF, kBufferSize);
}

ResultFile::~ResultFile() {
    Discard();
}

void ResultFile::Discard() noexcept {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
        ::unlink(temporaryPath_.c_str());
    } else if (closed_) {
        ::unlink(temporaryPath_.c_str());
    }
    closed_ = false;
    std::free(buffer_);
    buffer_ = nullptr;
}

void ResultFile::Close() {
    if (file_ == nullptr) return;
    const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
    int error = errno;
    FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0 && !failed) {
        error = errno;
        ::unlink(temporaryPath_.c_str());
        throw FileError::FromErrno("cannot write", path_, error);
    }
    if (failed) {
        ::unlink(temporaryPath_.c_str());
        throw FileError::FromErrno("cannot write", path_, error != 0 ? error : EIO);
    }
    std::free(buffer_);
    buffer_ = nullptr;
    closed_ = true;
}

void ResultFile::Commit() {
    Close();
    if (!closed_) return;
    closed_ = false;
    if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporaryPath_.c_str());
        throw FileError::FromErrno("cannot create", path_, error);
    }
}

}  // namespace horgrid
