#include "tools/ReportCommand.h"

#include <getopt.h>

#include <charconv>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "common/Parallel.h"
#include "common/ResultFile.h"
#include "decompose/Decompose.h"
#include "hor/HorNames.h"
#include "report/AnnotationReader.h"
#include "report/ReportPage.h"
#include "report/ReportPictures.h"
#include "seqio/SequenceReader.h"
#include "tools/OptionCommand.h"

namespace horgrid {
namespace {

constexpr int kPlotStatus = 3;
constexpr std::size_t kLargestSide = 2000;

struct ReportOptions {
    unsigned threads = DefaultThreadCount();
    std::size_t side = 300;
    std::string output;  // default PREFIX_report.html
    std::string prefix;
    std::string sequences;
};

void ReportUsage(std::ostream& out) {
    out << "Usage: horgrid-tools report [options] PREFIX SEQUENCES\n"
           "Draws the annotation written under PREFIX (PREFIX_arrays.tsv, PREFIX_AS-HOR.bed and, when\n"
           "present, PREFIX_AS-SF.bed, PREFIX_AS-strand.bed, PREFIX_AS-StV.bed) as one self-contained\n"
           "page, PREFIX_report.html; SEQUENCES (the annotated FASTA/FASTQ) gives the monomers of the\n"
           "identity heat maps.\n"
           "\n"
           "  -t, --threads N       threads for the heat maps (default: every core)\n"
           "  -o, --output FILE     the page (default PREFIX_report.html)\n"
           "      --heat-map-size PX  heat map grid of at most PX x PX pixels (default 300, at most 2000)\n"
           "      --help            this text\n";
}

bool ParseOptions(int argc, char** argv, ReportOptions& options, bool& help) {
    enum { kSide = 256 };
    static const option kLong[] = {{"threads", required_argument, nullptr, 't'},
                                   {"output", required_argument, nullptr, 'o'},
                                   {"heat-map-size", required_argument, nullptr, kSide},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    optind = 1;
    opterr = 0;
    for (int code; (code = getopt_long(argc, argv, ":t:o:h", kLong, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        if (code == 't') {
            const auto threads = ParseThreadCount(value);
            if (!threads) throw ValueError{"bad thread count '" + value + "' (a whole number from 1 to 1024)"};
            options.threads = *threads;
        } else if (code == 'o') {
            if (value.empty()) throw ValueError{"empty output name"};
            options.output = value;
        } else if (code == kSide) {
            std::size_t side = 0;
            const char* end = value.data() + value.size();
            const auto [stop, error] = std::from_chars(value.data(), end, side);
            if (value.empty() || error != std::errc() || stop != end || side < 1 || side > kLargestSide)
                throw ValueError{"bad heat map size '" + value + "' (a whole number from 1 to 2000)"};
            options.side = side;
        } else if (code == 'h') {
            help = true;
            return true;
        } else {
            std::cerr << "horgrid-tools: report: "
                      << (code == ':' ? "option '" + std::string(argv[optind - 1]) + "' needs a value"
                                      : "unknown option '" + std::string(argv[optind - 1]) + "'")
                      << "\n";
            return false;
        }
    }
    if (argc - optind != 2) {
        std::cerr << "horgrid-tools: report: needs PREFIX and SEQUENCES\n";
        return false;
    }
    options.prefix = argv[optind];
    options.sequences = argv[optind + 1];
    if (options.output.empty()) options.output = options.prefix + "_report.html";
    return true;
}

// The array's monomers (AS-HOR) cut from their record, each in its
// monomer's orientation, and their starts.
void CutMonomers(const ArrayContent& array, const std::string& record, std::vector<std::string>& sequences,
                 std::vector<int>& positions) {
    const std::vector<TrackItem>& monomers = array.monomers.empty() ? array.families : array.monomers;
    for (const TrackItem& monomer : monomers) {
        if (monomer.end > static_cast<std::int64_t>(record.size())) {
            throw ValueError{"monomer " + monomer.record + ":" + std::to_string(monomer.start) + "-" +
                             std::to_string(monomer.end) + " lies past the record's end (" +
                             std::to_string(record.size()) + " bases): is SEQUENCES the annotated file?"};
        }
        const std::string_view bases =
            std::string_view(record).substr(static_cast<std::size_t>(monomer.start),
                                            static_cast<std::size_t>(monomer.end - monomer.start));
        sequences.push_back(monomer.strand == '-' ? ReverseComplement(bases) : std::string(bases));
        positions.push_back(static_cast<int>(monomer.start));
    }
}

int RunReport(const ReportOptions& options) {
    PictureSettings settings;
    if (const std::string error = ReadPlotSettings(settings.plot); !error.empty()) throw ValueError{error};
    settings.heatMapSide = options.side;
    settings.threads = options.threads;
    settings.beside = options.output;

    const Annotation annotation = ReadAnnotation(options.prefix);
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
            std::vector<std::string> sequences;
            std::vector<int> positions;
            CutMonomers(arrays[i], record.sequence, sequences, positions);
            const std::vector<std::string_view> views(sequences.begin(), sequences.end());
            pictures[i] = DrawArrayPictures(arrays[i], i + 1, views, positions, settings);
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
    ResultFile page(options.output, inputs);
    page.Write(RenderReport(heading, arrays, pictures));
    page.Commit();
    std::cout << arrays.size() << " arrays -> " << options.output << "\n";

    int status = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (const Picture* picture : {&pictures[i].hor, &pictures[i].heatMap}) {
            if (picture->png.empty() && !picture->empty) {
                std::cerr << "horgrid-tools: report: no picture for array " << i + 1 << ": " << picture->failure
                          << "\n";
                status = kPlotStatus;
            }
        }
    }
    return status;
}

}  // namespace

int ReportCommand(int argc, char** argv) {
    int status = 0;
    const int shell = RunOptionCommand<ReportOptions>(argc, argv, ParseOptions, ReportUsage,
                                                      [&](const ReportOptions& options) { status = RunReport(options); });
    return shell != 0 ? shell : status;
}

}  // namespace horgrid
