#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Gnuplot.h"
#include "ensemble/alphaEnsemble.h"
#include "hor/monomer.h"

namespace horgrid {

// The higher-order-repeat structure of an ensemble. The constructor does the
// whole job: it reads the ensemble file (compactly: sequences, positions and
// lengths only), cuts it before every record longer than 1000 bases, and for each segment lays the monomers
// into a grid of types (columns) by HOR copies (rows), writes it to fileName + ".hor" + k and has gnuplot
// draw it as an EPS picture beside the ensemble file.
class horAnaliser2 {
public:
    // An analyser that has built nothing yet, for callers that run single steps.
    horAnaliser2() = default;
    // Runs the whole analysis with the given distance-percentage threshold (the
    // command line passes 7), drawing with `settings`, searching on `threads`
    // threads. A .hor file that cannot be written, or that is the ensemble
    // file itself, raises FileError.
    horAnaliser2(std::string fileName, float threshold, PlotSettings settings = {}, unsigned threads = 1);

    // Prints "Start HOR construction...", places the records of one segment
    // with BuildHorGrid and keeps the grid's size in lastRow and columnCount.
    std::vector<monomer> CreateHORstructure(alphaEnsemble ensemble, float threshold);
    // The same on the segment's sequences, viewed during the call only.
    std::vector<monomer> PlaceSegment(std::vector<std::string_view> sequences, float threshold);

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
    // Threads of the nearest-match searches (BuildHorGrid).
    unsigned threads = 1;
    // Pictures that were not made, each reported on standard error; the command
    // line exits with status 3 when there is any.
    int failedPlots = 0;
};

}  // namespace horgrid
