#include "ensemble/alpha.h"

#include <climits>

#include "common/TextInput.h"

namespace horgrid {

namespace {

// Formatted extraction from one line, with the failure rules of an input
// string stream: once an extraction fails, every later one fails too.
class FieldScanner {
public:
    explicit FieldScanner(std::string_view line) : line_(line) {}

    void Text(std::string& field) {
        if (failed_ || !SkipSpace()) return;
        const std::size_t start = pos_;
        while (pos_ < line_.size() && !IsSpace(line_[pos_])) ++pos_;
        field.assign(line_.substr(start, pos_ - start));
    }

    void Integer(int& field) {
        if (failed_ || !SkipSpace()) return;
        bool negative = false;
        if (line_[pos_] == '+' || line_[pos_] == '-') {
            negative = line_[pos_] == '-';
            ++pos_;
        }
        const std::size_t digitsStart = pos_;
        long long magnitude = 0;
        bool overflow = false;
        while (pos_ < line_.size() && line_[pos_] >= '0' && line_[pos_] <= '9') {
            if (!overflow) {
                magnitude = magnitude * 10 + (line_[pos_] - '0');
                if (magnitude > static_cast<long long>(INT_MAX) + 1) overflow = true;
            }
            ++pos_;
        }
        if (pos_ == digitsStart) {  // no digits: conversion fails and stores 0
            field = 0;
            failed_ = true;
            return;
        }
        const long long value = negative ? -magnitude : magnitude;
        if (overflow || value > INT_MAX || value < INT_MIN) {
            field = negative ? INT_MIN : INT_MAX;
            failed_ = true;
            return;
        }
        field = static_cast<int>(value);
    }

private:
    // Skips whitespace; false (and the stream failed) when the line is used up.
    bool SkipSpace() {
        while (pos_ < line_.size() && IsSpace(line_[pos_])) ++pos_;
        if (pos_ == line_.size()) failed_ = true;
        return !failed_;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace

alpha::alpha(std::string_view line) : alpha(line, 6) {}

alpha::alpha(std::string_view line, int layout) {
    FieldScanner scan(line);
    scan.Text(name);
    if (layout == 3) {
        scan.Integer(length);
        scan.Text(sequence);
        return;
    }
    scan.Text(direction);
    scan.Integer(position);
    if (layout != 5) scan.Text(consensusDifference);
    scan.Integer(length);
    scan.Text(sequence);
}

void alpha::print(FILE* file) const {
    std::fprintf(file, "%s %s %d %s %d %s\n", name.c_str(), direction.c_str(), position,
                 consensusDifference.c_str(), length, sequence.c_str());
}

std::vector<std::string_view> SequenceViews(const std::vector<alpha>& records, std::size_t first,
                                            std::size_t end) {
    std::vector<std::string_view> views;
    views.reserve(end > first ? end - first : 0);
    for (std::size_t k = first; k < end; ++k) views.emplace_back(records[k].sequence);
    return views;
}

}  // namespace horgrid
