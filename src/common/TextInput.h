#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// Whitespace of the classic locale, as formatted stream extraction skips it:
// blank, tab, line feed, vertical tab, form feed, carriage return.
inline bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// An input file read piece by piece, for inputs too large to hold whole. A
// missing or unreadable file (a directory included) raises FileError
// ("cannot read '<path>': <reason>") on construction, a failing read on Read().
class TextFileReader {
public:
    explicit TextFileReader(std::string path);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // Reads up to `size` bytes into `buffer`; returns the count, 0 at the end.
    std::size_t Read(char* buffer, std::size_t size);
    // The file's size when it is a regular file, else 0.
    std::size_t SizeHint() const { return sizeHint_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    std::size_t sizeHint_ = 0;
};

// Reads the whole file into memory. A missing or unreadable file (a directory
// included) raises FileError("cannot read '<path>': <reason>"); an existing
// empty file gives an empty string.
std::string ReadTextFile(const std::string& path);

// Walks a text line by line the way line-oriented stream input does: a line
// ends at a line feed (not included), the last line is taken even without a
// line feed, and a text ending in a line feed has no extra empty line after it.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // Stores the next line in `line` and returns true, or returns false at the end.
    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            pos_ = text_.size();
        } else {
            line = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// A file walked line by line with the rules of LineReader, holding one piece
// of the file and the current line only: memory depends on the longest line,
// not on the file's size. Errors as for TextFileReader.
class FileLineReader {
public:
    explicit FileLineReader(std::string path);

    // Stores the next line in `line` (valid until the next call) and returns
    // true, or returns false at the end.
    bool Next(std::string_view& line);
    std::size_t SizeHint() const { return file_.SizeHint(); }
    // Whether the line Next() gave last ended at the end of the file without
    // a line feed (a file cut short, or one written without a final line feed).
    bool Unterminated() const { return unterminated_; }

private:
    bool Refill();

    TextFileReader file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::string spanning_;  // a line that crosses the end of the buffer
    bool unterminated_ = false;
};

}  // namespace horgrid
