#include "seqio/genome.h"

#include <iostream>

#include "common/FileError.h"
#include "common/TextInput.h"

namespace horgrid {

genome::genome(std::string fileName) {
    std::cout << "Reading sequence!\n\n";
    std::string text = ReadTextFile(fileName);
    // Without a first line there is no header to read, so an empty file is an
    // error rather than an empty sequence.
    if (text.empty()) throw FileError::FromReason("cannot read", fileName, "empty file");

    const std::size_t headerEnd = text.find('\n');
    header = text.substr(0, headerEnd);
    std::cout << header;

    // Compact the bytes after the header line to the front of the buffer in
    // place, so a long sequence is held only once.
    std::size_t kept = 0;
    if (headerEnd != std::string::npos) {
        for (std::size_t i = headerEnd + 1; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\n' || c == ' ') continue;
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            text[kept++] = c;
        }
    }
    text.resize(kept);
    sequence = std::move(text);
    baseCount = static_cast<int>(sequence.size());

    std::cout << "\n\nReading done! -> Number of bases: " << baseCount << "\n\n";
}

void genome::analizeSequence() {
    int runStart = 0;
    for (int i = 1; i < baseCount - 1; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        if (sequence[at] == 'N' && sequence[at - 1] != 'N') runStart = i;
        // A run that ends before the last base is not a trailing run.
        if (sequence[at] == 'N' && sequence[at + 1] != 'N') runStart = 0;
    }
    if (runStart != 0) std::cout << " - " << baseCount << " = " << baseCount - runStart;
}

}  // namespace horgrid
