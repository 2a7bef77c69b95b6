#include "tools/ReportCommand.h"

#include <iostream>
#include <string>

#include "common/Gnuplot.h"
#include "report/ReportFile.h"
#include "tools/Messages.h"

namespace horgrid {
namespace {

constexpr std::size_t kLargestSide = 2000;

}  // namespace

void ReportOptions::Declare(CommandLine& line) {
    line.Summary("the annotation under PREFIX as one self-contained page -> PREFIX_report.html");
    line.Description(
        "Draws the annotation written under PREFIX (PREFIX_arrays.tsv, PREFIX_AS-HOR.bed and, when present, "
        "PREFIX_AS-SF.bed, PREFIX_AS-strand.bed, PREFIX_AS-StV.bed) as one self-contained page, "
        "PREFIX_report.html: the arrays, their tracks, HOR structure, identity heat map and HOR copies. "
        "SEQUENCES (the annotated FASTA/FASTQ) gives the monomers of the heat maps.");
    line.Operand("PREFIX", prefix);
    line.Operand("SEQUENCES", sequences);
    line.Threads(threads);
    line.Option("-o,--output", "FILE", "the page (default PREFIX_report.html)", Text(output, "output name"));
    line.Option("--heat-map-size", "PX", "heat map grid of at most PX x PX pixels, at most 2000",
                Count(side, 1, kLargestSide));
    line.Option("--heat-map-units", "N",
                "compare at most N HOR copies (or monomers) per array, spread evenly along it; 0: all",
                Count(units, 0));
}

void ReportOptions::Execute() const {
    ReportFileSettings settings{prefix, sequences, output, {}};
    if (const std::string error = ReadPlotSettings(settings.pictures.plot); !error.empty()) throw ValueError{error};
    settings.pictures.heatMapSide = side;
    settings.pictures.heatMapUnits = units;
    settings.pictures.threads = threads;
    const ReportFileResult result = ReportFile(settings, [](std::size_t done, std::size_t total) {
        PrintMessage("report", "array " + std::to_string(done) + " of " + std::to_string(total) + " drawn");
    });
    std::cout << result.arrays << (result.arrays == 1 ? " array -> " : " arrays -> ") << result.page << "\n";
    if (!result.missing.empty()) throw PictureError{result.missing};
}

}  // namespace horgrid
