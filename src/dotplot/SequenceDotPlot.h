#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "dotplot/WindowIdentity.h"

namespace horgrid {

// What the dot plot of sequence windows draws, and where.
struct SequenceDotPlotSettings {
    std::string sequences;  // FASTA/FASTQ: every record against itself, or the columns' record
    std::string second;     // "": self plots; else the rows' record (one record in each file)
    std::string prefix;     // PREFIX_dotplot.png, PREFIX_N_dotplot.png for record N of several
    WindowSketchOptions sketch;
    double minIdentity = -1;  // bottom of the colour scale; below 0: AutomaticMinIdentity
    bool table = false;       // PREFIX_dotplot.tsv too, one line per pair of windows
};

// One picture as the pipeline hands it on, after it was drawn (or not).
struct DrawnDotPlot {
    std::string title;
    std::size_t columns = 0;
    std::size_t rows = 0;
    std::size_t window = 0;  // bases
    double minIdentity = 0;
    std::string table;    // "" without --table
    std::string picture;
    std::string failure;  // why there is no picture ("" when drawn)
};

// The dot plot pipeline over sequences: reads the records (RecordSource), one
// matrix at a time (a self plot of every record of `sequences`, or the
// comparative plot of the one record of each file), computes it on
// sketch.threads threads, writes its table when asked and draws it through
// gnuplot, then hands it to `drawn`. Memory: one record (two for a
// comparative plot) and its matrix. Returns every picture failure joined by
// "; " ("" when all were drawn). Raises FileError for a file that cannot be
// read or a result that would overwrite an input or cannot be written,
// InputError for a file without a record, a comparative plot's file of more
// than one record or unusable plot settings (HORGRID_GNUPLOT).
std::string SequenceDotPlotFile(const SequenceDotPlotSettings& settings,
                                const std::function<void(const DrawnDotPlot&)>& drawn = {});

}  // namespace horgrid
