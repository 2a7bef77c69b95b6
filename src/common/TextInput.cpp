#include "common/TextInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

FileLineReader::FileLineReader(std::string path) : file_(std::move(path)), buffer_(std::size_t{1} << 16) {}

bool FileLineReader::Refill() {
    pos_ = 0;
    end_ = file_.Read(buffer_.data(), buffer_.size());
    return end_ > 0;
}

bool FileLineReader::Next(std::string_view& line) {
    if (pos_ == end_ && !Refill()) return false;
    const char* begin = buffer_.data();
    const char* found = std::find(begin + pos_, begin + end_, '\n');
    if (found != begin + end_) {
        line = std::string_view(begin + pos_, static_cast<std::size_t>(found - (begin + pos_)));
        pos_ = static_cast<std::size_t>(found - begin) + 1;
        return true;
    }
    // The line runs past the buffer: collect it across refills.
    spanning_.assign(begin + pos_, end_ - pos_);
    unterminated_ = true;
    while (Refill()) {
        found = std::find(begin, begin + end_, '\n');
        spanning_.append(begin, static_cast<std::size_t>(found - begin));
        if (found != begin + end_) {
            pos_ = static_cast<std::size_t>(found - begin) + 1;
            unterminated_ = false;
            break;
        }
    }
    line = spanning_;
    return true;
}

}  // namespace horgrid
