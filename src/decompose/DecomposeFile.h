#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "decompose/Decompose.h"
#include "seqio/RecordSource.h"

namespace horgrid {

// Called with each record and its decomposition, in input order, on the
// calling thread; the references last for the call only.
using DecomposedSink = std::function<void(const SourceRecord& record, const std::vector<Segment>& segments)>;
using ProgressSink = std::function<void(const Progress& progress)>;

// The decomposition pipeline without files: reads the records of `source` in
// batches of about 16 Mb (at least one record), decomposes the records of a
// batch side by side on `threads` threads and hands each to `sink` in input
// order; `progress` (optional) after each batch. Memory: one batch of records
// and their segments. Raises InputError naming the record and the file before
// a batch is decomposed when a record breaks DecomposeLimitError (2^32 bases
// or more), FileError as the source does; whatever a sink raises stops the run.
void DecomposeRecords(RecordSource& source, const std::vector<MonomerType>& types, const Scoring& scoring,
                      unsigned threads, const DecomposedSink& sink, const ProgressSink& progress = {});

// What `decompose` computes and where it writes it.
struct DecomposeFileSettings {
    RecordInput input;     // the records (a file or one region of it)
    std::string monomers;  // the monomer set (FASTA)
    std::string prefix;    // the result files' prefix
    Scoring scoring;
    double minIdentity = 0;  // segments of lower identity are left out of the files
    unsigned threads = 1;
};

// The decomposition pipeline: reads the monomer set, decomposes every record
// (DecomposeRecords) and writes the decomposition files
// (DecompositionWriter: PREFIX_decomposition.tsv/.bed, PREFIX.ens/N.ens) as one
// result set, whole or not at all. `sink` sees each record and its segments
// after they are added to the files. Raises FileError for a monomer set or
// sequence file that cannot be read or a result that cannot be written, and
// InputError when the set does not go with the scoring or a record is too long.
void DecomposeFile(const DecomposeFileSettings& settings, const DecomposedSink& sink = {},
                   const ProgressSink& progress = {});

}  // namespace horgrid
