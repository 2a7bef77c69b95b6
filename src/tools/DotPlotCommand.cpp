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
        "identity heat map of every pair of monomers -> ENSEMBLE_dotplot.tsv and ENSEMBLE_dotplot.png");
    line.Description(
        "Identity heat map of every pair of monomers -> ENSEMBLE_dotplot.tsv, ENSEMBLE_dotplot.png");
    line.Operand("ENSEMBLE", ensemble);
    line.Threads(threads);
    line.Option("--size", "PX", "at most PX x PX pixels, each the mean of the pairs it covers, at most 5000",
                Count(size, 1, kLargestSize));
    line.Option("--min-identity", "PCT", "identity at the bottom of the colour scale, below 100",
                Percent(minIdentity, false));
}

// Computes, writes and draws.
void DotPlotOptions::Execute() const {
    PlotSettings settings;
    if (const std::string error = ReadPlotSettings(settings); !error.empty()) throw ValueError{error};

    const std::string table = ensemble + "_dotplot.tsv";
    const std::string picture = ensemble + "_dotplot.png";
    for (const std::string& result : {table, picture}) RefuseOverwritingInput(result, {ensemble});
    const alphaEnsemble records(ensemble);
    if (records.monomers.empty()) throw ValueError{"no monomer in '" + ensemble + "': nothing to draw"};
    const IdentityGrid grid =
        ComputeIdentityGrid(SequenceViews(records.monomers, 0, records.monomers.size()), size, threads);
    DotPlotLook look;
    look.title = BaseName(ensemble);
    look.minIdentity = minIdentity;
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
