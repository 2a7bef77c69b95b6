#pragma once

#include <cstddef>
#include <string>

#include "tools/CommandLine.h"

namespace horgrid {

// horgrid-tools dotplot [options] ENSEMBLE: writes ENSEMBLE_dotplot.tsv and
// draws ENSEMBLE_dotplot.png (PictureError when only the table was made).
struct DotPlotOptions {
    unsigned threads = 1;
    std::size_t size = 2000;
    double minIdentity = 70;
    std::string ensemble;

    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
