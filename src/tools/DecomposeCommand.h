#pragma once

#include <string>

#include "decompose/Decompose.h"
#include "tools/CommandLine.h"

namespace horgrid {

// horgrid-tools decompose [options] SEQUENCES MONOMER_SET.
struct DecomposeOptions {
    std::string prefix;
    unsigned threads = 1;
    Scoring scoring;
    double minIdentity = 0;
    std::string region;  // empty: every record
    std::string sequences;
    std::string monomers;

    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
