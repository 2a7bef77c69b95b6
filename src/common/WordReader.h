#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextInput.h"

namespace horgrid {

// The number of lines of a file as line-oriented stream input obtains them: a
// last line without a line feed counts, a final line feed adds none. Reads
// the file piece by piece (inputs such as a dot matrix run to gigabytes).
std::int64_t CountLines(const std::string& path);

// The whitespace-separated words of a file, line by line, read piece by piece:
// only the current chunk and a word that crosses its end are held.
class WordReader {
public:
    // A missing or unreadable file raises FileError.
    explicit WordReader(const std::string& path);

    // Moves to the next line (the first call to the first line); false when no
    // line is left. Lines are counted as CountLines counts them.
    bool NextLine();
    // Stores the next word of the current line in `word` (valid until the
    // next call) and returns true, or returns false at the end of the line.
    bool NextWord(std::string_view& word);

private:
    bool Refill();
    void SkipLine();

    TextFileReader file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool started_ = false;
    std::string spanning_;  // a word that crosses the end of the buffer
};

// Reads a word as a decimal number (12.5, 100.0, -3, inf, nan); false when the
// whole word is not one.
bool ParseDecimal(std::string_view word, double& value);

}  // namespace horgrid
