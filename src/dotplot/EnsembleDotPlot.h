#pragma once

#include <cstddef>
#include <string>

namespace horgrid {

// What the dot plot of an ensemble's monomers draws, and where.
struct EnsembleDotPlotSettings {
    std::string ensemble;
    std::string prefix;      // PREFIX_dotplot.tsv and PREFIX_dotplot.png
    std::size_t size = 2000;  // pixels a side at most
    double minIdentity = 70;  // bottom of the colour scale
    unsigned threads = 1;
};

struct EnsembleDotPlotResult {
    std::size_t monomers = 0;
    std::size_t side = 0;  // pixels
    std::string table;
    std::string picture;
    std::string failure;  // why there is no picture ("" when drawn)
};

// The identity of every pair of monomers of an ensemble (ComputeIdentityGrid:
// pairs averaged into at most size x size pixels, on `threads` threads),
// written as PREFIX_dotplot.tsv while gnuplot draws PREFIX_dotplot.png. Cost:
// n^2 / 2 distances of n monomers. Raises FileError for an ensemble that
// cannot be read or a result that would overwrite it or cannot be written,
// InputError for an ensemble without monomers or unusable plot settings.
EnsembleDotPlotResult EnsembleDotPlotFile(const EnsembleDotPlotSettings& settings);

}  // namespace horgrid
