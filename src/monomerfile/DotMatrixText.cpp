#include "monomerfile/DotMatrixText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>

namespace horgrid {

namespace {

constexpr std::size_t kChunk = 1 << 20;

}  // namespace

std::int64_t CountLines(const std::string& path) {
    TextFileReader file(path);
    std::vector<char> buffer(kChunk);
    std::int64_t lineFeeds = 0;
    char last = '\n';
    while (const std::size_t got = file.Read(buffer.data(), buffer.size())) {
        lineFeeds += std::count(buffer.data(), buffer.data() + got, '\n');
        last = buffer[got - 1];
    }
    return lineFeeds + (last != '\n' ? 1 : 0);
}

WordReader::WordReader(const std::string& path) : file_(path), buffer_(kChunk) {}

bool WordReader::Refill() {
    pos_ = 0;
    end_ = file_.Read(buffer_.data(), buffer_.size());
    return end_ > 0;
}

void WordReader::SkipLine() {
    for (;;) {
        const char* begin = buffer_.data();
        const char* found = std::find(begin + pos_, begin + end_, '\n');
        if (found != begin + end_) {
            pos_ = static_cast<std::size_t>(found - begin) + 1;
            return;
        }
        if (!Refill()) return;
    }
}

bool WordReader::Next(std::string_view& word) {
    for (;;) {
        while (pos_ < end_ && IsSpace(buffer_[pos_])) ++pos_;
        if (pos_ < end_) break;
        if (!Refill()) return false;
    }
    std::size_t start = pos_;
    while (pos_ < end_ && !IsSpace(buffer_[pos_])) ++pos_;
    if (pos_ < end_) {
        word = std::string_view(buffer_.data() + start, pos_ - start);
        return true;
    }
    // The word runs to the end of the buffer: collect it across refills.
    spanning_.assign(buffer_.data() + start, pos_ - start);
    while (Refill()) {
        start = pos_;
        while (pos_ < end_ && !IsSpace(buffer_[pos_])) ++pos_;
        spanning_.append(buffer_.data() + start, pos_ - start);
        if (pos_ < end_) break;
    }
    word = spanning_;
    return true;
}

bool ParseCell(std::string_view word, double& value) {
    const char* first = word.data();
    const char* last = first + word.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return false;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last || first == last) return false;
    if (error == std::errc::result_out_of_range) {
        // Beyond double's range: strtod gives the overflow or underflow value.
        const std::string copy(first, last);
        value = std::strtod(copy.c_str(), nullptr);
        return true;
    }
    return error == std::errc();
}

}  // namespace horgrid
