#include "dotplot/EnsembleDotPlot.h"

#include <future>

#include "common/FileError.h"
#include "common/Gnuplot.h"
#include "common/PathNames.h"
#include "common/ResultFile.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/DotPlotTable.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {

EnsembleDotPlotResult EnsembleDotPlotFile(const EnsembleDotPlotSettings& settings) {
    PlotSettings plot;
    if (const std::string error = ReadPlotSettings(plot); !error.empty()) throw InputError(error);
    EnsembleDotPlotResult result;
    result.table = settings.prefix + "_dotplot.tsv";
    result.picture = settings.prefix + "_dotplot.png";
    for (const std::string& file : {result.table, result.picture}) RefuseOverwritingInput(file, {settings.ensemble});
    const alphaEnsemble records(settings.ensemble);
    if (records.monomers.empty()) throw InputError("no monomer in '" + settings.ensemble + "': nothing to draw");
    const IdentityGrid grid = ComputeIdentityGrid(SequenceViews(records.monomers, 0, records.monomers.size()),
                                                  settings.size, settings.threads);
    DotPlotLook look;
    look.title = BaseName(settings.ensemble);
    look.minIdentity = settings.minIdentity;
    for (const alpha& record : records.monomers) look.positions.push_back(record.position);

    // gnuplot draws while the table is written (the future waits for it even
    // when writing the table fails).
    std::future<std::string> drawing =
        std::async(std::launch::async, [&] { return DrawDotPlot(grid, look, result.picture, plot); });
    WriteDotPlotTable(grid, result.table);
    result.failure = drawing.get();
    result.monomers = grid.records;
    result.side = grid.side;
    return result;
}

}  // namespace horgrid
