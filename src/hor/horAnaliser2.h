#pragma once

#include <string>
#include <vector>

#include "common/Gnuplot.h"
#include "ensemble/alphaEnsemble.h"
#include "hor/monomer.h"

namespace horgrid {

// The higher-order-repeat structure of an ensemble. The constructor does the
// whole job: it loads the ensemble file, cuts it before every record longer than
// 1000 bases, and for each segment lays the monomers into a grid of types
// (columns) by HOR copies (rows), writes it to fileName + ".hor" + k and has
// gnuplot draw it as an EPS picture beside the ensemble file.
class horAnaliser2 {
public:
    // An analyser that has built nothing yet, for callers that run single steps.
    horAnaliser2() = default;
    // Runs the whole analysis with the given distance-percentage threshold (the
    // command line passes 7), drawing with `settings`. A .hor file that cannot
    // be written, or that is the ensemble file itself, raises FileError.
    horAnaliser2(std::string fileName, float threshold, PlotSettings settings = {});

    // Places the records of one segment, in order: a record joins the column of
    // its nearest earlier record whose distance percentage is below threshold,
    // starting a new row when the columns stop increasing; a record that matches
    // none opens a new column right after its predecessor's. Sets lastRow and
    // columnCount.
    std::vector<monomer> CreateHORstructure(alphaEnsemble ensemble, float threshold);

    // Writes one line per monomer: label, column, six dash positions around the
    // column, row.
    void WriteHORstruct(std::string fileName, std::vector<monomer> structure);

    // Draws a five-field variant of the structure file into /tmp/title.eps, sized
    // by lastRow and columnCount of the structure built last.
    void DrawHORGraph(std::string title, std::string dataFile);

    // Of the structure built last: its lowest row (minus the number of rows) and
    // its number of columns.
    int lastRow = 0;
    int columnCount = 0;
    // How the pictures are drawn.
    PlotSettings plotSettings;
    // Pictures that were not made, each reported on standard error; the command
    // line exits with status 3 when there is any.
    int failedPlots = 0;
};

}  // namespace horgrid
