#include "tools/ReportCommand.h"

#include <cctype>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "common/ResultFile.h"
#include "decompose/Decompose.h"
#include "common/PathNames.h"
#include "report/AnnotationReader.h"
#include "report/ReportPage.h"
#include "report/ReportPictures.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

constexpr std::size_t kLargestSide = 2000;

// The heat map units cut from the record's bases from `offset` on, each in
// its own orientation and in upper case, and their starts.
void CutUnits(const HeatMapUnits& units, std::string_view bases, std::int64_t offset,
              std::vector<std::string>& sequences, std::vector<int>& positions) {
    for (const TrackItem& monomer : units.items) {
        if (monomer.start < offset || monomer.end - offset > static_cast<std::int64_t>(bases.size())) {
            throw ValueError{monomer.record + ":" + std::to_string(monomer.start) + "-" +
                             std::to_string(monomer.end) + " lies past the record's end (" +
                             std::to_string(offset + static_cast<std::int64_t>(bases.size())) +
                             " bases): is SEQUENCES the annotated file?"};
        }
        const std::string_view unitBases = bases.substr(static_cast<std::size_t>(monomer.start - offset),
                                                        static_cast<std::size_t>(monomer.end - monomer.start));
        // Upper case, so soft-masked (lower-case) bases compare with the others.
        std::string unit = monomer.strand == '-' ? ReverseComplement(unitBases) : std::string(unitBases);
        for (char& base : unit) base = static_cast<char>(std::toupper(static_cast<unsigned char>(base)));
        sequences.push_back(std::move(unit));
        positions.push_back(static_cast<int>(monomer.start));
    }
}

}  // namespace

ArrayPictures DrawArrayOfRecord(const ArrayContent& array, std::size_t number, std::string_view bases,
                                std::int64_t offset, const PictureSettings& settings) {
    std::vector<std::string> sequences;
    std::vector<int> positions;
    const HeatMapUnits units = ChooseHeatMapUnits(array, settings.heatMapUnits);
    CutUnits(units, bases, offset, sequences, positions);
    const std::vector<std::string_view> views(sequences.begin(), sequences.end());
    return DrawArrayPictures(array, number, units, views, positions, settings);
}

void RefuseMissingPictures(const std::vector<ArrayPictures>& pictures) {
    std::string failures;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (const Picture* picture : {&pictures[i].hor, &pictures[i].heatMap}) {
            if (!picture->png.empty() || picture->empty) continue;
            failures += (failures.empty() ? "" : "; ") + std::string("no picture for array ") +
                        std::to_string(i + 1) + ": " + picture->failure;
        }
    }
    if (!failures.empty()) throw PictureError{failures};
}

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
    const ReportOptions& options = *this;
    PictureSettings settings;
    if (const std::string error = ReadPlotSettings(settings.plot); !error.empty()) throw ValueError{error};
    settings.heatMapSide = options.side;
    settings.heatMapUnits = options.units;
    settings.threads = options.threads;
    const std::string output = options.output.empty() ? options.prefix + "_report.html" : options.output;
    settings.beside = output;

    const AnnotationTracks annotation = ReadAnnotation(options.prefix);
    const std::vector<ArrayContent> arrays = SplitByArray(annotation);
    std::map<std::string, std::vector<std::size_t>> byRecord;
    for (std::size_t i = 0; i < arrays.size(); ++i) byRecord[arrays[i].row.record].push_back(i);

    // One record in memory at a time; its arrays are drawn before the next is read.
    std::vector<ArrayPictures> pictures(arrays.size());
    std::size_t done = 0;
    SequenceReader reader(options.sequences);
    SequenceRecord record;
    while (!byRecord.empty() && reader.Next(record)) {
        const auto found = byRecord.find(record.name);
        if (found == byRecord.end()) continue;
        for (const std::size_t i : found->second) {
            pictures[i] = DrawArrayOfRecord(arrays[i], i + 1, record.sequence, 0, settings);
            std::cerr << "report: array " << ++done << " of " << arrays.size() << " drawn\n";
        }
        byRecord.erase(found);
    }
    if (!byRecord.empty()) {
        throw ValueError{"record '" + byRecord.begin()->first + "' of " + options.prefix +
                         "_arrays.tsv is not in '" + options.sequences + "'"};
    }

    ReportHeading heading;
    heading.title = BaseName(options.prefix);
    heading.arrayColumns = annotation.arrayColumns;
    std::vector<std::string> inputs = AnnotationInputs(options.prefix);
    inputs.push_back(options.sequences);
    ResultFile page(output, inputs);
    page.Write(RenderReport(heading, arrays, pictures));
    page.Commit();
    std::cout << arrays.size() << (arrays.size() == 1 ? " array -> " : " arrays -> ") << output << "\n";

    RefuseMissingPictures(pictures);
}

}  // namespace horgrid
