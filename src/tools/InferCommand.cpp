#include "tools/InferCommand.h"

#include <getopt.h>

#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "common/FileError.h"
#include "common/NumberFormat.h"
#include "common/Parallel.h"
#include "common/ResultFile.h"
#include "decompose/DecompositionFiles.h"
#include "infer/InferFiles.h"
#include "infer/InferSummary.h"
#include "infer/Inference.h"
#include "seqio/SequenceReader.h"
#include "tools/OptionCommand.h"
#include "tools/ToolsUsage.h"

namespace horgrid {
namespace {

struct InferOptions {
    InferSettings settings;
    std::string prefix;
    std::string sequences;
    std::string templates;  // empty: the built-in class monomers
};

std::size_t Count(const std::string& text) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value == 0) {
        throw ValueError{"bad count '" + text + "' (a whole number from 1)"};
    }
    return value;
}

float Percent(const std::string& text) {
    float value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !(value >= 0 && value <= 100)) {
        throw ValueError{"bad percentage '" + text + "' (a number from 0 to 100)"};
    }
    return value;
}

// Parses argv; returns false on a usage error (after saying why on standard
// error) and sets help for --help.
bool ParseOptions(int argc, char** argv, InferOptions& options, bool& help) {
    enum { kMinCount = 256, kMaxRounds, kCloseness, kMerge, kMinIdentity };
    static const option kLong[] = {{"threads", required_argument, nullptr, 't'},
                                   {"prefix", required_argument, nullptr, 'o'},
                                   {"min-count", required_argument, nullptr, kMinCount},
                                   {"max-rounds", required_argument, nullptr, kMaxRounds},
                                   {"closeness", required_argument, nullptr, kCloseness},
                                   {"merge", required_argument, nullptr, kMerge},
                                   {"min-identity", required_argument, nullptr, kMinIdentity},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    options.settings.threads = DefaultThreadCount();
    optind = 1;
    opterr = 0;
    for (int option; (option = getopt_long(argc, argv, ":t:o:h", kLong, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        InferSettings& settings = options.settings;
        switch (option) {
            case 't':
                if (const auto threads = ParseThreadCount(value)) {
                    settings.threads = *threads;
                } else {
                    throw ValueError{"bad thread count '" + value + "' (a whole number from 1 to 1024)"};
                }
                break;
            case 'o':
                if (value.empty()) throw ValueError{"empty prefix"};
                options.prefix = value;
                break;
            case kMinCount:
                settings.minCount = Count(value);
                break;
            case kMaxRounds:
                settings.maxRounds = Count(value);
                break;
            case kCloseness:
                settings.closeness = Percent(value);
                break;
            case kMerge:
                settings.mergeLimit = Percent(value);
                break;
            case kMinIdentity:
                settings.minIdentity = Percent(value);
                break;
            case 'h':
                help = true;
                return true;
            case ':':
                std::cerr << "horgrid-tools: infer: option '" << argv[optind - 1] << "' needs a value\n";
                return false;
            default:
                std::cerr << "horgrid-tools: infer: unknown option '" << argv[optind - 1] << "'\n";
                return false;
        }
    }
    const int operands = argc - optind;
    if (operands < 1 || operands > 2) {
        std::cerr << "horgrid-tools: infer: needs SEQUENCES and at most one TEMPLATES file\n";
        return false;
    }
    options.sequences = argv[optind];
    if (operands == 2) options.templates = argv[optind + 1];
    if (options.prefix.empty()) options.prefix = options.sequences;
    return true;
}

std::vector<MonomerType> Templates(const std::string& path) {
    return path.empty() ? DefaultTemplates() : ReadMonomerSet(path);
}

void PrintRound(const RoundReport& report) {
    std::cout << (report.round == 0 ? std::string("final") : "round " + std::to_string(report.round)) << ": "
              << report.monomers << " monomers, decomposition score " << report.score << ", mean identity "
              << Fixed(report.identity, 2) << " %" << std::endl;
}

void PrintHor(const Inference& inference) {
    const HorResult& hor = inference.hor;
    if (hor.unit.empty()) {
        std::cout << "no HOR: no monomer-type sequence repeats\n";
        return;
    }
    std::size_t bases = 0;
    std::string names;
    for (const std::size_t type : hor.unit) {
        bases += inference.monomers[type].sequence.size();
        names += (names.empty() ? "" : ",") + inference.monomers[type].name;
    }
    std::size_t kinds[3] = {0, 0, 0};
    for (const HorCopy& copy : hor.copies) ++kinds[static_cast<int>(copy.kind)];
    std::cout << "HOR " << UnitName(hor) << " " << names << ": " << hor.unit.size() << " monomers, " << bases
              << " bases, " << hor.copies.size() << " copies (" << kinds[0] << " full, " << kinds[1]
              << " partial, " << kinds[2] << " variant)\n";
}

void Write(const InferOptions& options, const std::vector<SequenceRecord>& records,
           const Inference& inference) {
    std::vector<std::string> names;
    for (const SequenceRecord& record : records) names.push_back(record.name);
    ResultFile monomers(options.prefix + "_monomers.fa");
    monomers.Write(MonomersFasta(inference.monomers));
    ResultFile hors(options.prefix + "_hors.tsv");
    hors.Write(HorCopiesTsv(inference, names));
    ResultFile bed(options.prefix + "_hors.bed");
    bed.Write(HorCopiesBed(inference, names));
    DecompositionWriter decomposition(options.prefix, inference.monomers, options.settings.minIdentity);
    for (std::size_t r = 0; r < records.size(); ++r)
        decomposition.Add(r + 1, records[r], inference.segments[r]);
    monomers.Commit();
    hors.Commit();
    bed.Commit();
    decomposition.Commit();
}

void Run(const InferOptions& options) {
    const InferSettings& settings = options.settings;
    const std::vector<MonomerType> templates = Templates(options.templates);
    if (const std::string error = DecomposeLimitError(templates, settings.scoring); !error.empty()) {
        throw ValueError{"cannot use the templates: " + error};
    }
    std::vector<SequenceRecord> records;
    SequenceReader reader(options.sequences);
    for (SequenceRecord record; reader.Next(record);) records.push_back(std::move(record));
    if (records.empty()) throw ValueError{"no sequence in '" + options.sequences + "'"};
    std::vector<std::string> sequences;
    for (const SequenceRecord& record : records) sequences.push_back(record.sequence);
    std::cout << "closeness " << StreamDefault(settings.closeness) << " %, merge limit "
              << StreamDefault(settings.mergeLimit) << " %, minimum identity "
              << StreamDefault(settings.minIdentity) << " %, minimum count " << settings.minCount
              << ", at most " << settings.maxRounds << " rounds\n";
    const Inference inference = InferMonomers(sequences, templates, settings, PrintRound);
    std::cout << InferSummary(inference, options.templates.empty() ? "the standard class monomers" : options.templates);
    if (inference.monomers.empty()) {
        std::cout << "no satellite found in '" << options.sequences << "': the monomer set is empty\n";
    } else {
        PrintHor(inference);
    }
    Write(options, records, inference);
}

}  // namespace

int InferCommand(int argc, char** argv) {
    return RunOptionCommand<InferOptions>(argc, argv, ParseOptions, InferUsage, Run);
}

}  // namespace horgrid
