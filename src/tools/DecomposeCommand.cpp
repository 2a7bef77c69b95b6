#include "tools/DecomposeCommand.h"

#include <getopt.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/FileError.h"
#include "common/Parallel.h"
#include "decompose/Decompose.h"
#include "decompose/DecompositionFiles.h"
#include "decompose/ScoringText.h"
#include "seqio/SequenceReader.h"
#include "tools/OptionCommand.h"
#include "tools/ToolsUsage.h"

namespace horgrid {
namespace {

// Records are decomposed in batches of about this many bases (at least one
// record), in parallel within a batch and written in input order.
constexpr std::size_t kBatchBases = std::size_t{1} << 24;

struct Options {
    std::string prefix;
    bool prefixGiven = false;
    unsigned threads = DefaultThreadCount();
    Scoring scoring;
    double minIdentity = 0;
    std::string region;
    bool regionGiven = false;
    std::string sequences;
    std::string monomers;
};

std::optional<double> ParseIdentity(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !(value >= 0 && value <= 100))
        return std::nullopt;
    return value;
}

// Parses argv; returns false on a usage error (after the usage text on
// standard error) and sets help for --help.
bool ParseOptions(int argc, char** argv, Options& options, bool& help) {
    static const option kLong[] = {{"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
    optind = 1;
    opterr = 0;
    int option = 0;
    while ((option = getopt_long(argc, argv, ":o:t:s:i:r:", kLong, nullptr)) != -1) {
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
            case 's':
                if (const auto scoring = ParseScoring(value)) {
                    options.scoring = *scoring;
                } else {
                    throw ValueError{"bad scoring '" + value + "' (INS,DEL,MISMATCH,MATCH, whole numbers)"};
                }
                break;
            case 'i':
                if (const auto identity = ParseIdentity(value)) {
                    options.minIdentity = *identity;
                } else {
                    throw ValueError{"bad minimum identity '" + value + "' (a number from 0 to 100)"};
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
                std::cerr << "horgrid-tools: decompose: option -" << static_cast<char>(optopt)
                          << " needs a value\n";
                return false;
            default:
                std::cerr << "horgrid-tools: decompose: unknown option '" << argv[optind - 1] << "'\n";
                return false;
        }
    }
    if (argc - optind != 2) {
        std::cerr << "horgrid-tools: decompose: needs SEQUENCES and MONOMERS\n";
        return false;
    }
    options.sequences = argv[optind];
    options.monomers = argv[optind + 1];
    if (!options.prefixGiven) options.prefix = options.sequences;
    return true;
}

struct Job {
    SequenceRecord record;
    std::int64_t offset = 0;
    std::vector<Segment> segments;
};

void CheckLimits(const std::vector<MonomerType>& types, const Options& options,
                 const SequenceRecord& record) {
    const std::string error = DecomposeLimitError(types, options.scoring, record.sequence.size());
    if (!error.empty())
        throw ValueError{"cannot decompose '" + record.name + "' of '" + options.sequences + "': " + error};
}

void Run(const Options& options) {
    const std::vector<MonomerType> types = ReadMonomerSet(options.monomers);
    if (const std::string error = DecomposeLimitError(types, options.scoring); !error.empty()) {
        throw ValueError{"cannot use '" + options.monomers + "' with the scoring: " + error};
    }
    std::optional<SequenceReader> reader;
    std::vector<Job> jobs;
    if (options.regionGiven) {
        RegionRecord region = ReadRegion(options.sequences, options.region);
        jobs.push_back({std::move(region.record), region.offset, {}});
    } else {
        reader.emplace(options.sequences);
    }
    ResultSet results(options.prefix, {options.sequences, options.monomers});
    DecompositionWriter writer(results, options.prefix, options.minIdentity);
    std::size_t records = 0;
    std::size_t bases = 0;
    bool more = true;
    while (more) {
        if (reader) {
            jobs.clear();
            std::size_t batchBases = 0;
            Job job;
            while (batchBases < kBatchBases && reader->Next(job.record)) {
                batchBases += job.record.sequence.size();
                jobs.push_back(std::move(job));
                job = Job{};
            }
            more = !jobs.empty();
        } else {
            more = false;
        }
        for (const Job& job : jobs) CheckLimits(types, options, job.record);
        ParallelFor(jobs.size(), options.threads, [&](std::size_t index, unsigned) {
            jobs[index].segments = Decompose(jobs[index].record.sequence, types, options.scoring);
        });
        for (const Job& job : jobs) {
            ++records;
            bases += job.record.sequence.size();
            writer.Add(records, job.record, job.segments, types, job.offset);
            std::cout << records << '\t' << job.record.name << '\t' << job.record.sequence.size() << '\t'
                      << job.segments.size() << '\t' << TotalScore(job.segments) << '\n';
        }
        if (!jobs.empty()) std::cerr << "decompose: " << records << " records, " << bases << " bases done\n";
    }
    results.Commit();
}

}  // namespace

int RunDecompose(int argc, char** argv) {
    return RunOptionCommand<Options>(argc, argv, ParseOptions, DecomposeUsage, Run);
}

}  // namespace horgrid
