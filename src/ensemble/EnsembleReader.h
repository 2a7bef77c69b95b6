#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "common/TextInput.h"
#include "ensemble/alpha.h"

namespace horgrid {

// An ensemble file read one record at a time: every line, an empty one
// included, is one record in the five-column layout, with the line rules of
// LineReader. Memory holds one line and one record, whatever the file's size.
// A missing or unreadable file raises FileError on construction.
class EnsembleReader {
public:
    explicit EnsembleReader(std::string path) : lines_(std::move(path)) {}

    // Parses the next line into `record` and returns true, or returns false at the end.
    bool Next(alpha& record);
    // The file's size when it is a regular file, else 0.
    std::size_t SizeHint() const { return lines_.SizeHint(); }

private:
    FileLineReader lines_;
};

// Writes the result file ensemblePath + suffix from the ensemble file one
// record at a time: `writeRecord` gets the open result and each record in
// file order. The input is opened first, so a missing input creates nothing;
// the result is committed only when every record has been written.
void StreamEnsembleToResult(const std::string& ensemblePath, const std::string& suffix,
                            const std::function<void(FILE*, const alpha&)>& writeRecord);

}  // namespace horgrid
