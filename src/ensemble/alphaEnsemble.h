#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ensemble/alpha.h"
#include "ensemble/supracromAlpha.h"

namespace horgrid {

// The ordered monomers of one ensemble file (one record per line, read in the
// five-column layout), with the file's path and the record count.
class alphaEnsemble {
public:
    // Loads the ensemble file; a missing or unreadable file raises FileError.
    explicit alphaEnsemble(std::string fileName);
    // Records first ... end - 1 of source (clamped to the source's records);
    // fileName stays empty.
    alphaEnsemble(alphaEnsemble source, int first, int end);
    // Interleaves two ensembles by position into the file first.fileName + "r".
    alphaEnsemble(alphaEnsemble first, alphaEnsemble second);

    alphaEnsemble(const alphaEnsemble&) = default;
    alphaEnsemble(alphaEnsemble&&) = default;
    alphaEnsemble& operator=(const alphaEnsemble&) = default;
    alphaEnsemble& operator=(alphaEnsemble&&) = default;
    ~alphaEnsemble() = default;

    // Reads every line of the named file as a five-column record.
    std::vector<alpha> ReadAlphaFile(std::string fileName);

    // Writes fileName + "_purified.txt" with the records close to the reference.
    void PurifyAlphaEnsemble();

    // Writes fileName + "_dot_matrix.txt" for rows rowBegin ... rowEnd - 1 and
    // columns columnBegin ... columnEnd - 1 (both clamped to the records); the
    // rows are computed on `threads` threads, the file is the same for any.
    void FindDotMatrix(int rowBegin, int rowEnd, int columnBegin, int columnEnd, unsigned threads = 1);

    // Writes fileName + "_cenpB.txt" for monomers 0 ... count - 1.
    void FindCenpBboxes(int count);
    // Writes one orientation group of a CENP-B line to `file`: `label`, the
    // 1-based start of every non-overlapping match of `pattern` and ") ".
    void CenpBbox(FILE* file, std::string label, std::string pattern, std::string sequence);

    // Writes fileName + "_supracromFamily.txt" for monomers 0 ... count - 1.
    void FindSupracromFamilies(int count);
    // The twelve family reference monomers, in the order they are tried.
    std::vector<supracromAlpha> FillSupracromAlphaVector();

    std::string fileName;
    int monomerCount = 0;
    std::vector<alpha> monomers;
};

// The records an operation asked for `count` of them may visit: count, kept
// within monomerCount and the records held (0 for a negative count).
std::size_t UsableCount(const alphaEnsemble& ensemble, int count);

}  // namespace horgrid
