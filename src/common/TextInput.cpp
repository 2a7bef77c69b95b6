#include "common/TextInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/FileError.h"

namespace horgrid {

TextFileReader::TextFileReader(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw FileError::FromErrno("cannot read", path_, errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd_);
        throw FileError::FromErrno("cannot read", path_, error);
    }
    if (S_ISREG(info.st_mode)) sizeHint_ = static_cast<std::size_t>(info.st_size);
}

TextFileReader::~TextFileReader() {
    ::close(fd_);
}

std::size_t TextFileReader::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw FileError::FromErrno("cannot read", path_, errno);
    }
}

std::string ReadTextFile(const std::string& path) {
    TextFileReader reader(path);
    std::string text;
    text.reserve(reader.SizeHint());
    char buffer[1 << 16];
    while (const std::size_t got = reader.Read(buffer, sizeof buffer)) text.append(buffer, got);
    return text;
}

}  // namespace horgrid
