#include "decompose/DecomposeFile.h"

#include <utility>

#include "common/FileError.h"
#include "common/Parallel.h"
#include "common/ResultSet.h"
#include "decompose/DecompositionFiles.h"
#include "decompose/MonomerSet.h"

namespace horgrid {
namespace {

// Records are decomposed in batches of about this many bases (at least one
// record), in parallel within a batch and handed on in input order.
constexpr std::size_t kBatchBases = std::size_t{1} << 24;

struct Job {
    SourceRecord source;
    std::vector<Segment> segments;
};

// The next batch of records; empty at the end.
std::vector<Job> NextBatch(RecordSource& source) {
    std::vector<Job> jobs;
    std::size_t batchBases = 0;
    Job job;
    while (batchBases < kBatchBases && source.Next(job.source)) {
        batchBases += job.source.record.sequence.size();
        jobs.push_back(std::move(job));
        job = Job{};
    }
    return jobs;
}

}  // namespace

void DecomposeRecords(RecordSource& source, const std::vector<MonomerType>& types, const Scoring& scoring,
                      unsigned threads, const DecomposedSink& sink, const ProgressSink& progress) {
    Progress done;
    for (std::vector<Job> jobs = NextBatch(source); !jobs.empty(); jobs = NextBatch(source)) {
        for (const Job& job : jobs) {
            const SequenceRecord& record = job.source.record;
            const std::string error = DecomposeLimitError(types, scoring, record.sequence.size());
            if (!error.empty())
                throw InputError("cannot decompose '" + record.name + "' of '" + source.path() + "': " + error);
        }
        // A record alone in its batch has every thread to itself.
        const unsigned inside = jobs.size() == 1 ? threads : 1;
        ParallelFor(jobs.size(), threads, [&](std::size_t index, unsigned) {
            jobs[index].segments = Decompose(jobs[index].source.record.sequence, types, scoring, inside);
        });
        for (const Job& job : jobs) {
            ++done.records;
            done.bases += job.source.record.sequence.size();
            if (sink) sink(job.source, job.segments);
        }
        if (progress) progress(done);
    }
}

void DecomposeFile(const DecomposeFileSettings& settings, const DecomposedSink& sink,
                   const ProgressSink& progress) {
    const std::vector<MonomerType> types = ReadMonomerSet(settings.monomers);
    if (const std::string error = DecomposeLimitError(types, settings.scoring); !error.empty()) {
        throw InputError("cannot use '" + settings.monomers + "' with the scoring: " + error);
    }
    RecordSource source(settings.input);
    ResultSet results(settings.prefix, {settings.input.path, settings.monomers});
    DecompositionWriter writer(results, settings.prefix, settings.minIdentity);
    DecomposeRecords(
        source, types, settings.scoring, settings.threads,
        [&](const SourceRecord& record, const std::vector<Segment>& segments) {
            writer.Add(record.number, record.record, segments, types, record.offset);
            if (sink) sink(record, segments);
        },
        progress);
    results.Commit();
}

}  // namespace horgrid
