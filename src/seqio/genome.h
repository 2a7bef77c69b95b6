#pragma once

#include <string>

namespace horgrid {

// One sequence file read into memory: the first line is the header, every
// later byte is sequence except line feeds and blanks, with a-z made upper
// case. Carriage returns, tabs and the header lines of further records stay in
// the sequence. The constructor reports its progress on standard output.
class genome {
public:
    // Raises FileError when the file is missing, unreadable or holds no byte.
    explicit genome(std::string fileName);

    // Prints " - <baseCount> = <run length>" when the sequence ends with a run
    // of at least two N that does not start at its first base; else nothing.
    void analizeSequence();

    std::string header;
    std::string sequence;
    int baseCount = 0;
};

}  // namespace horgrid
