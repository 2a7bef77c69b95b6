#pragma once

#include <string>

#include "tools/CommandLine.h"

namespace horgrid {

// horgrid-tools annotate [options] SEQUENCES: the standard alpha-satellite
// annotation (AS-HOR, AS-SF, AS-strand, AS-StV tracks, arrays, decomposition).
struct AnnotateOptions {
    std::string prefix;
    unsigned threads = 1;
    std::string region;  // empty: every record
    bool noReport = false;  // no PREFIX_report.html
    std::string sequences;

    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
