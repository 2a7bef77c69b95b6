#pragma once

#include <cstdio>
#include <string>

namespace horgrid {

// Every result file is written through this class. It writes into a temporary
// file in the target's directory and renames it over the target only in
// Commit(), so an interrupted or failed run never leaves a truncated result and
// never destroys the previous one. Without Commit() the destructor removes the
// temporary file. Creation or write failures raise FileError naming the target.
class ResultFile {
public:
    explicit ResultFile(std::string path);
    ~ResultFile();
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // The open stream for formatted output (fprintf, fputs, fwrite).
    FILE* get() const { return file_; }
    const std::string& path() const { return path_; }

    void Write(const char* data, std::size_t size) { std::fwrite(data, 1, size, file_); }
    void Write(const std::string& text) { Write(text.data(), text.size()); }

    // Flushes and closes the stream (releasing its buffer and descriptor) but
    // leaves the file in its temporary place: for writers that finish many
    // files before committing any. Commit() afterwards moves it into place.
    void Close();

    // Flushes, closes and moves the file into place.
    void Commit();

private:
    void Discard() noexcept;

    std::string path_;
    std::string temporaryPath_;
    FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    bool closed_ = false;  // closed, not yet moved into place
};

}  // namespace horgrid
