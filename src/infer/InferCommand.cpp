#include "infer/InferCommand.h"

#include <getopt.h>

#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/FileError.h"
#include "common/NumberFormat.h"
#include "common/Parallel.h"
#include "common/ResultFile.h"
#include "decompose/DecompositionFiles.h"
#include "ensemble/SupracromReferences.h"
#include "infer/InferFiles.h"
#include "infer/Inference.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

constexpr int kUsageStatus = 1;
constexpr int kFileStatus = 2;

struct InferOptions {
    InferSettings settings;
    std::string prefix;
    std::string sequences;
    std::string templates;  // empty: the built-in family references
};

std::optional<std::size_t> WholeNumber(const char* text) {
    std::size_t value = 0;
    const std::string_view view(text);
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size()) return std::nullopt;
    return value;
}

std::optional<float> Percent(const char* text) {
    float value = 0;
    const std::string_view view(text);
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || !(value >= 0 && value <= 100)) {
        return std::nullopt;
    }
    return value;
}

// The input's path without its sequence-file extensions.
std::string DefaultPrefix(std::string path) {
    for (const char* extension : {".gz", ".fa", ".fasta", ".fna", ".fq", ".fastq"}) {
        const std::string suffix(extension);
        if (path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
            path.resize(path.size() - suffix.size());
        }
    }
    return path;
}

// Parses the options; prints the reason and returns nothing on a usage error.
std::optional<InferOptions> ParseOptions(int argc, char** argv, bool& help) {
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
    InferOptions options;
    options.settings.threads = DefaultThreadCount();
    optind = 0;  // reset: a fresh scan of this argument vector (GNU getopt)
    const auto bad = [](const std::string& message) -> std::optional<InferOptions> {
        std::cerr << "horgrid-tools infer: " << message << "\n";
        return std::nullopt;
    };
    for (int option; (option = getopt_long(argc, argv, "+t:o:h", kLong, nullptr)) != -1;) {
        const std::string value = optarg ? optarg : "";
        if (option == 'h') {
            help = true;
            return options;
        } else if (option == 't') {
            const std::optional<unsigned> threads = ParseThreadCount(value);
            if (!threads) return bad("invalid thread count '" + value + "' (a whole number from 1 to 1024)");
            options.settings.threads = *threads;
        } else if (option == 'o') {
            if (value.empty()) return bad("empty prefix");
            options.prefix = value;
        } else if (option == kMinCount || option == kMaxRounds) {
            const std::optional<std::size_t> number = WholeNumber(optarg);
            if (!number || *number == 0) return bad("invalid count '" + value + "' (a whole number from 1)");
            (option == kMinCount ? options.settings.minCount : options.settings.maxRounds) = *number;
        } else if (option == kCloseness || option == kMerge || option == kMinIdentity) {
            const std::optional<float> percent = Percent(optarg);
            if (!percent) return bad("invalid percentage '" + value + "' (a number from 0 to 100)");
            if (option == kCloseness) options.settings.closeness = *percent;
            if (option == kMerge) options.settings.mergeLimit = *percent;
            if (option == kMinIdentity) options.settings.minIdentity = *percent;
        } else {
            return std::nullopt;  // getopt_long has named the problem
        }
    }
    const int operands = argc - optind;
    if (operands < 1 || operands > 2) return bad("expected SEQUENCES and at most one TEMPLATES file");
    options.sequences = argv[optind];
    if (operands == 2) options.templates = argv[optind + 1];
    if (options.prefix.empty()) options.prefix = DefaultPrefix(options.sequences);
    return options;
}

std::vector<MonomerType> Templates(const std::string& path) {
    if (!path.empty()) return ReadMonomerSet(path);
    std::vector<MonomerType> references;
    for (const SupracromReference& reference : kSupracromReferences) {
        references.push_back({std::string(reference.name), std::string(reference.sequence)});
    }
    return references;
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

void Write(const InferOptions& options, const std::vector<SequenceRecord>& records, const Inference& inference) {
    std::vector<std::string> names;
    for (const SequenceRecord& record : records) names.push_back(record.name);
    ResultFile monomers(options.prefix + "_monomers.fa");
    monomers.Write(MonomersFasta(inference.monomers));
    ResultFile hors(options.prefix + "_hors.tsv");
    hors.Write(HorCopiesTsv(inference, names));
    ResultFile bed(options.prefix + "_hors.bed");
    bed.Write(HorCopiesBed(inference, names));
    DecompositionWriter decomposition(options.prefix, inference.monomers, options.settings.minIdentity);
    for (std::size_t r = 0; r < records.size(); ++r) decomposition.Add(r + 1, records[r], inference.segments[r]);
    monomers.Commit();
    hors.Commit();
    bed.Commit();
    decomposition.Commit();
}

}  // namespace

void InferUsage(std::ostream& out) {
    out << "Usage: horgrid-tools infer [OPTION]... SEQUENCES [TEMPLATES]\n"
           "Infers the monomer set and the HOR of an alpha-satellite array, starting from the\n"
           "monomers of TEMPLATES (FASTA; default: the twelve built-in family references).\n"
           "\n"
           "  -t, --threads N       threads (default: every core)\n"
           "  -o, --prefix PREFIX   result file prefix (default: SEQUENCES without its extension)\n"
           "      --min-count N     members a group needs to give a monomer (default 3)\n"
           "      --max-rounds N    rounds of decomposition and grouping at most (default 10)\n"
           "      --closeness PCT   segments closer than PCT % to a group leader join it (default 10)\n"
           "      --merge PCT       monomers closer than PCT % are merged (default 8)\n"
           "      --min-identity PCT  segments below PCT % identity are not alpha satellite (default 60)\n"
           "  -h, --help            this text\n"
           "\n"
           "Writes PREFIX_monomers.fa, PREFIX_hors.tsv, PREFIX_hors.bed and the decomposition files\n"
           "PREFIX_decomposition.tsv, PREFIX_decomposition.bed and PREFIX.N.ens.\n";
}

int InferCommand(int argc, char** argv) {
    bool help = false;
    const std::optional<InferOptions> options = ParseOptions(argc, argv, help);
    if (help) {
        InferUsage(std::cout);
        return 0;
    }
    if (!options) {
        InferUsage(std::cerr);
        return kUsageStatus;
    }
    try {
        const std::vector<MonomerType> templates = Templates(options->templates);
        std::vector<SequenceRecord> records;
        SequenceReader reader(options->sequences);
        for (SequenceRecord record; reader.Next(record);) records.push_back(std::move(record));
        std::vector<std::string> sequences;
        for (const SequenceRecord& record : records) sequences.push_back(record.sequence);
        const InferSettings& settings = options->settings;
        std::cout << "closeness " << StreamDefault(settings.closeness) << " %, merge limit "
                  << StreamDefault(settings.mergeLimit) << " %, minimum identity "
                  << StreamDefault(settings.minIdentity) << " %, minimum count " << settings.minCount
                  << ", at most " << settings.maxRounds << " rounds, " << settings.threads << " threads\n";
        const Inference inference = InferMonomers(sequences, templates, settings, PrintRound);
        if (inference.monomers.empty()) {
            std::cout << "no alpha satellite found in '" << options->sequences << "': the monomer set is empty\n";
        } else {
            PrintHor(inference);
        }
        Write(*options, records, inference);
    } catch (const FileError& error) {
        std::cout.flush();
        std::cerr << "horgrid-tools infer: " << error.what() << "\n";
        return kFileStatus;
    }
    return 0;
}

}  // namespace horgrid
