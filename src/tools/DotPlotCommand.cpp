#include "tools/DotPlotCommand.h"

#include <iostream>
#include <string>

#include "common/NumberFormat.h"
#include "dotplot/EnsembleDotPlot.h"
#include "dotplot/SequenceDotPlot.h"
#include "seqio/RecordSource.h"

namespace horgrid {

namespace {

constexpr std::size_t kLargestSize = 5000;

// The sequence mode: heat maps of sequence windows straight from FASTA/FASTQ.
void DrawSequences(const DotPlotOptions& options) {
    SequenceDotPlotSettings settings{options.ensemble, options.second, options.prefix, {}, options.minIdentity,
                                     options.table};
    settings.sketch.k = options.k;
    settings.sketch.windows = options.windows;
    settings.sketch.window = options.window;
    settings.sketch.threads = options.threads;
    std::cout.flush();
    const std::string failures = SequenceDotPlotFile(settings, [](const DrawnDotPlot& plot) {
        std::cout << plot.title << ": " << plot.columns << " x " << plot.rows << " windows of " << plot.window
                  << " bp, colours from " << Fixed(plot.minIdentity, 0) << " %";
        if (!plot.table.empty()) std::cout << " -> " << plot.table;
        std::cout << "\n";
        if (plot.failure.empty()) std::cout << "-> " << plot.picture << "\n";
    });
    if (!failures.empty()) throw PictureError{failures};
}

}  // namespace

void DotPlotOptions::Declare(CommandLine& line) {
    line.Summary(
        "identity heat map of every pair of monomers -> ENSEMBLE_dotplot.tsv and ENSEMBLE_dotplot.png; "
        "of sequence windows from FASTA/FASTQ -> PREFIX_dotplot.png");
    line.Description(
        "Identity heat map of every pair of monomers -> ENSEMBLE_dotplot.tsv, ENSEMBLE_dotplot.png. "
        "Given FASTA/FASTQ (plain, gzip or bgzip), the heat map of the windows of each record against each "
        "other (a second file: its record against the first file's), identity estimated from shared k-mers "
        "-> PREFIX_dotplot.png (PREFIX_N_dotplot.png for record N of a file of several).");
    line.Operand("ENSEMBLE", ensemble);
    line.OptionalOperand("SEQUENCES2", second);
    line.Prefix(prefix, "ENSEMBLE", "result files PREFIX_dotplot.png and .tsv");
    line.Threads(threads);
    line.Option("--size", "PX", "at most PX x PX pixels, each the mean of the pairs it covers, at most 5000",
                Count(size, 1, kLargestSize));
    line.Option("--min-identity", "PCT",
                "identity at the bottom of the colour scale, below 100 (default 70; sequences: the 5th "
                "percentile of the identities above 0, lower ones white)",
                Percent(minIdentity, false));
    line.Option("--windows", "N", "sequences: N windows along the longer sequence (default 1000)",
                Count(windows, 1, kLargestSize));
    line.Option("--window", "BP", "sequences: windows of BP bases instead", Count(window, 1));
    line.Option("-k", "K", "sequences: k-mer length, 8 to 32 (default 21)", Count(k, 8, 32));
    line.Flag("--table", "sequences: also write PREFIX_dotplot.tsv, one line per pair of windows", table);
}

// Computes, writes and draws.
void DotPlotOptions::Execute() const {
    if (IsSequenceFile(ensemble)) return DrawSequences(*this);
    if (!second.empty()) throw UsageError{"one ENSEMBLE: a second file is for sequences"};
    // Nothing is printed until the table and the picture are done.
    std::cout.flush();
    const EnsembleDotPlotResult result =
        EnsembleDotPlotFile({ensemble, prefix, size, minIdentity < 0 ? 70 : minIdentity, threads});
    std::cout << result.monomers << " monomers, " << result.side << " x " << result.side << " pixels -> "
              << result.table << "\n";
    if (!result.failure.empty()) throw PictureError{"no picture '" + result.picture + "': " + result.failure};
    std::cout << "-> " << result.picture << "\n";
}

}  // namespace horgrid
