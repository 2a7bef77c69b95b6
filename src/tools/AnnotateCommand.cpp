#include "tools/AnnotateCommand.h"

#include <getopt.h>

#include <iostream>
#include <optional>
#include <string>

#include "annotate/Annotate.h"
#include "annotate/AnnotationFiles.h"
#include "common/FileError.h"
#include "common/Parallel.h"
#include "seqio/SequenceReader.h"
#include "tools/OptionCommand.h"
#include "tools/ToolsUsage.h"

namespace horgrid {
namespace {

struct Options {
    std::string prefix;
    bool prefixGiven = false;
    unsigned threads = DefaultThreadCount();
    std::string region;
    bool regionGiven = false;
    std::string sequences;
};

bool ParseOptions(int argc, char** argv, Options& options, bool& help) {
    static const option kLong[] = {{"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
    optind = 1;
    opterr = 0;
    int option = 0;
    while ((option = getopt_long(argc, argv, ":o:t:r:", kLong, nullptr)) != -1) {
        const std::string value = optarg != nullptr ? optarg : "";
        switch (option) {
            case 'o':
                options.prefix = value;
                options.prefixGiven = true;
                break;
            case 't':
                if (const auto threads = ParseThreadCount(value)) {
                    options.threads = *threads;
                } else {
                    throw ValueError{"bad thread count '" + value + "' (a whole number from 1 to 1024)"};
                }
                break;
            case 'r':
                options.region = value;
                options.regionGiven = true;
                break;
            case 'h':
                help = true;
                return true;
            case ':':
                std::cerr << "horgrid-tools: annotate: option -" << static_cast<char>(optopt) << " needs a value\n";
                return false;
            default:
                std::cerr << "horgrid-tools: annotate: unknown option '" << argv[optind - 1] << "'\n";
                return false;
        }
    }
    if (argc - optind != 1) {
        std::cerr << "horgrid-tools: annotate: needs SEQUENCES\n";
        return false;
    }
    options.sequences = argv[optind];
    if (!options.prefixGiven) options.prefix = options.sequences;
    return true;
}

// Annotates one record (or region) and adds it to the result files.
void AnnotateRecord(const SequenceRecord& record, std::int64_t offset, const StandardSets& sets,
                    const Options& options, AnnotationWriter& writer, std::size_t number) {
    const Annotation annotation = AnnotateSequence(record.sequence, sets, AnnotationSettings{}, options.threads);
    writer.Add(record.name, offset, annotation);
    std::cout << number << '\t' << record.name << '\t' << record.sequence.size() << '\t'
              << annotation.monomers.size() << '\t' << annotation.arrays.size() << '\t' << annotation.copies.size()
              << '\n';
}

void Run(const Options& options) {
    const StandardSets sets = BuiltInStandardSets();
    std::optional<SequenceReader> reader;
    std::optional<RegionRecord> region;
    if (options.regionGiven) {
        region = ReadRegion(options.sequences, options.region);
    } else {
        reader.emplace(options.sequences);
    }
    AnnotationWriter writer(options.prefix, sets, {options.sequences});
    std::size_t records = 0;
    std::size_t bases = 0;
    if (region) {
        AnnotateRecord(region->record, region->offset, sets, options, writer, ++records);
        bases += region->record.sequence.size();
    } else {
        SequenceRecord record;
        while (reader->Next(record)) {
            AnnotateRecord(record, 0, sets, options, writer, ++records);
            bases += record.sequence.size();
            std::cerr << "annotate: " << records << " records, " << bases << " bases done\n";
        }
    }
    writer.Commit();
}

}  // namespace

int RunAnnotate(int argc, char** argv) {
    return RunOptionCommand<Options>(argc, argv, ParseOptions, AnnotateUsage, Run);
}

}  // namespace horgrid
