#pragma once

#include <string>

#include "tools/CommandLine.h"

namespace horgrid {

// The library operations on files: each reads its files and writes its
// results beside the first, as the library classes do.

// consensus MONOMERS -> MONOMERS.cons
struct ConsensusOptions {
    std::string monomers;
    void Declare(CommandLine& line);
    void Execute() const;
};

// distmatrix MONOMERS -> MONOMERS_.distMatrix
struct DistMatrixOptions {
    std::string monomers;
    void Declare(CommandLine& line);
    void Execute() const;
};

// group DOT_MATRIX -> DOT_MATRIX_horStructure.txt, DOT_MATRIX_horStructure2.txt
struct GroupOptions {
    std::string dotMatrix;
    void Declare(CommandLine& line);
    void Execute() const;
};

// hortable MONOMERS -> MONOMERS.hors
struct HorTableOptions {
    std::string monomers;
    void Declare(CommandLine& line);
    void Execute() const;
};

// merge ENSEMBLE1 ENSEMBLE2 -> ENSEMBLE1r
struct MergeOptions {
    std::string first;
    std::string second;
    void Declare(CommandLine& line);
    void Execute() const;
};

// purify ENSEMBLE -> ENSEMBLE_purified.txt
struct PurifyOptions {
    std::string ensemble;
    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
