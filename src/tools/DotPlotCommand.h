#pragma once

#include <cstddef>
#include <string>

#include "tools/CommandLine.h"

namespace horgrid {

// horgrid-tools dotplot [options] ENSEMBLE: writes ENSEMBLE_dotplot.tsv and
// draws ENSEMBLE_dotplot.png (PictureError when only the table was made).
// horgrid-tools dotplot [options] SEQUENCES [SEQUENCES2]: the heat map of
// sequence windows of every record (or of the record of SEQUENCES against
// that of SEQUENCES2), PREFIX_dotplot.png, and its table only when asked.
struct DotPlotOptions {
    unsigned threads = 1;
    std::size_t size = 2000;
    double minIdentity = -1;  // not given: 70 for an ensemble, from the picture for sequences
    std::string ensemble;     // or a FASTA/FASTQ file
    std::string second;
    std::string prefix;
    std::size_t windows = 1000;
    std::size_t window = 0;
    std::size_t k = 21;
    bool table = false;

    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
