#include "common/ResultFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/FileError.h"
#include "common/TemporaryFile.h"

namespace horgrid {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

}  // namespace

void RefuseOverwritingInput(const std::string& result, const std::vector<std::string>& inputs) {
    struct stat target {};
    if (::stat(result.c_str(), &target) != 0) return;
    for (const std::string& input : inputs) {
        struct stat source {};
        if (::stat(input.c_str(), &source) == 0 && source.st_dev == target.st_dev &&
            source.st_ino == target.st_ino) {
            throw FileError("cannot create '" + result + "': it is the input '" + input + "'");
        }
    }
}

ResultFile::ResultFile(std::string path, const std::vector<std::string>& inputs, std::string shownAs)
    : path_(std::move(path)), shown_(shownAs.empty() ? path_ : std::move(shownAs)) {
    RefuseOverwritingInput(path_, inputs);
    try {
        temporary_ = std::make_unique<TemporaryFile>(path_);
    } catch (const FileError& error) {
        std::string text = error.what();
        const std::size_t at = text.find("'" + path_ + "'");
        if (at == std::string::npos || shown_ == path_) throw;
        throw FileError(text.replace(at + 1, path_.size(), shown_));
    }
    file_ = ::fdopen(temporary_->descriptor(), "w");
    if (file_ == nullptr) {
        const int error = errno;
        temporary_.reset();
        throw FileError::FromErrno("cannot create", shown_, error);
    }
    temporary_->Release();  // the stream owns the descriptor now
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
    }
    temporary_.reset();
    std::free(buffer_);
    buffer_ = nullptr;
}

void ResultFile::Finish() {
    if (file_ == nullptr) return;
    const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
    int error = errno;
    FILE* file = file_;
    file_ = nullptr;
    const bool closed = std::fclose(file) == 0;
    // A finished file waits for Commit() with no stream or buffer, so a writer
    // may finish many files before committing any.
    std::free(buffer_);
    buffer_ = nullptr;
    if (!closed && !failed) error = errno;
    if (failed || !closed) {
        temporary_.reset();
        throw FileError::FromErrno("cannot write", shown_, error != 0 ? error : EIO);
    }
}

void ResultFile::Commit() {
    Finish();
    if (temporary_ == nullptr) return;
    temporary_->MoveTo(path_);
    temporary_.reset();
}

}  // namespace horgrid
