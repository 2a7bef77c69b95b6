#include "tools/DecomposeCommand.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/Parallel.h"
#include "decompose/Decompose.h"
#include "decompose/DecompositionFiles.h"
#include "decompose/MonomerSet.h"
#include "decompose/ScoringText.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

// Records are decomposed in batches of about this many bases (at least one
// record), in parallel within a batch and written in input order.
constexpr std::size_t kBatchBases = std::size_t{1} << 24;

struct Job {
    SequenceRecord record;
    std::int64_t offset = 0;
    std::vector<Segment> segments;
};

void CheckLimits(const std::vector<MonomerType>& types, const DecomposeOptions& options,
                 const SequenceRecord& record) {
    const std::string error = DecomposeLimitError(types, options.scoring, record.sequence.size());
    if (!error.empty())
        throw ValueError{"cannot decompose '" + record.name + "' of '" + options.sequences + "': " + error};
}

void Run(const DecomposeOptions& options) {
    const std::vector<MonomerType> types = ReadMonomerSet(options.monomers);
    if (const std::string error = DecomposeLimitError(types, options.scoring); !error.empty()) {
        throw ValueError{"cannot use '" + options.monomers + "' with the scoring: " + error};
    }
    std::optional<SequenceReader> reader;
    std::vector<Job> jobs;
    if (!options.region.empty()) {
        RegionRecord region = ReadRegion(options.sequences, options.region);
        jobs.push_back({std::move(region.record), region.offset, {}});
    } else {
        reader.emplace(options.sequences);
    }
    DecompositionWriter writer(options.prefix, types, options.minIdentity);
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
            writer.Add(records, job.record, job.segments, job.offset);
            std::cout << records << '\t' << job.record.name << '\t' << job.record.sequence.size() << '\t'
                      << job.segments.size() << '\t' << TotalScore(job.segments) << '\n';
        }
        if (!jobs.empty())
            std::cerr << "horgrid-tools decompose: " << records << " records, " << bases << " bases done\n";
    }
    writer.Commit();
}

}  // namespace

void DecomposeOptions::Declare(CommandLine& line) {
    line.Summary(
        "cut FASTA/FASTQ records into monomers -> SEQUENCES_decomposition.tsv/.bed and SEQUENCES.N.ens");
    line.Description(
        "Cuts every record of SEQUENCES (FASTA or FASTQ, plain, gzip or bgzip) into consecutive segments, "
        "each aligned to one monomer type of MONOMER_SET (FASTA; every type is also used "
        "reverse-complemented, named with a trailing '), with the highest total score.");
    line.Operand("SEQUENCES", sequences);
    line.Operand("MONOMER_SET", monomers);
    line.Prefix(
        prefix, "SEQUENCES",
        "result files PREFIX_decomposition.tsv, PREFIX_decomposition.bed and PREFIX.N.ens for record N");
    line.Option("-r,--region", "NAME[:BEGIN-END]",
                "only this region (1-based, inclusive), through the .fai index", Text(region, "region"));
    line.Threads(threads);
    line.Option("-s,--scores", "INS,DEL,MISMATCH,MATCH", "alignment scores", Scores(scoring));
    line.Option("-i,--min-identity", "PCT", "leave out segments of lower identity", Percent(minIdentity));
    line.Notes("Standard output: one line per record: number, name, length, segments, total score.");
}

void DecomposeOptions::Execute() const {
    Run(*this);
}

}  // namespace horgrid
