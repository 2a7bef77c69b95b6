#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace horgrid {

class TemporaryFile;

// Every result file is written through this class. It writes into a temporary
// file with a short name in the target's directory (TemporaryFile.h) and
// renames it over the target only in Commit(), so an interrupted or failed run
// never leaves a truncated result and never destroys the previous one. Without
// Commit() the destructor removes the temporary file. A result that is the
// same file as one of `inputs` (the same path, or a link to it) is refused
// before anything is written, so a result never replaces its own input.
// Creation, write or refusal failures raise FileError naming the target, or
// `shownAs` when given (a file staged for a ResultSet shows its final name).
// Several results that must be replaced together form a ResultSet.
class ResultFile {
public:
    explicit ResultFile(std::string path, const std::vector<std::string>& inputs = {}, std::string shownAs = {});
    ~ResultFile();
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // The open stream for formatted output (fprintf, fputs, fwrite).
    FILE* get() const { return file_; }
    const std::string& path() const { return path_; }

    void Write(const char* data, std::size_t size) { std::fwrite(data, 1, size, file_); }
    void Write(const std::string& text) { Write(text.data(), text.size()); }

    // Flushes and closes the temporary file, raising FileError if any byte
    // did not reach it; the file is not yet in place. Results that must be
    // replaced together call Finish() on each before any Commit().
    void Finish();
    // Finishes the file if that is not done yet and moves it into place.
    void Commit();

private:
    void Discard() noexcept;

    std::string path_;
    std::string shown_;
    std::unique_ptr<TemporaryFile> temporary_;
    FILE* file_ = nullptr;
    char* buffer_ = nullptr;
};

// Raises FileError when `result` names the same existing file as one of
// `inputs` (device and inode compared, so links count).
void RefuseOverwritingInput(const std::string& result, const std::vector<std::string>& inputs);

}  // namespace horgrid
