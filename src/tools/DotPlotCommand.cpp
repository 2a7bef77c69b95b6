#include "tools/DotPlotCommand.h"

#include <future>
#include <iostream>
#include <string>

#include "common/Gnuplot.h"
#include "common/ResultFile.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/DotPlotTable.h"
#include "ensemble/alphaEnsemble.h"
#include "common/PathNames.h"

namespace horgrid {

namespace {

constexpr std::size_t kLargestSize = 5000;

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
    if (IsSequenceFile(ensemble)) return RunSequenceDotPlot(*this);
    if (!second.empty()) throw UsageError{"one ENSEMBLE: a second file is for sequences"};
    PlotSettings settings;
    if (const std::string error = ReadPlotSettings(settings); !error.empty()) throw ValueError{error};

    const std::string table = prefix + "_dotplot.tsv";
    const std::string picture = prefix + "_dotplot.png";
    for (const std::string& result : {table, picture}) RefuseOverwritingInput(result, {ensemble});
    const alphaEnsemble records(ensemble);
    if (records.monomers.empty()) throw ValueError{"no monomer in '" + ensemble + "': nothing to draw"};
    const IdentityGrid grid =
        ComputeIdentityGrid(SequenceViews(records.monomers, 0, records.monomers.size()), size, threads);
    DotPlotLook look;
    look.title = BaseName(ensemble);
    look.minIdentity = minIdentity < 0 ? 70 : minIdentity;
    for (const alpha& record : records.monomers) look.positions.push_back(record.position);

    // gnuplot draws while the table is written (the future waits for it even
    // when writing the table fails); nothing is printed until both are done.
    std::cout.flush();
    std::future<std::string> drawing =
        std::async(std::launch::async, [&] { return DrawDotPlot(grid, look, picture, settings); });
    WriteDotPlotTable(grid, table);
    const std::string failure = drawing.get();
    std::cout << grid.records << " monomers, " << grid.side << " x " << grid.side << " pixels -> " << table
              << "\n";
    if (!failure.empty()) throw PictureError{"no picture '" + picture + "': " + failure};
    std::cout << "-> " << picture << "\n";
}

}  // namespace horgrid
