#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "seqio/SequenceReader.h"

namespace horgrid {

// Whether `path` begins as a FASTA, FASTQ or gzip file (and so is no
// ensemble); false when it cannot be read.
bool IsSequenceFile(const std::string& path);

// Where the records of a pipeline come from: every record of a FASTA or FASTQ
// file (plain, gzip or bgzip), or one region of it ("NAME" or
// "NAME:BEGIN-END", 1-based inclusive, read through the .fai index).
struct RecordInput {
    std::string path;
    std::string region;  // empty: every record
};

// One record as a pipeline receives it: its number in the input (1 for the
// first), its name and bases, and the 0-based position of its first base in
// the record of the file (0 but for a region).
struct SourceRecord {
    std::size_t number = 0;
    SequenceRecord record;
    std::int64_t offset = 0;
};

// How far a pipeline over a RecordSource has come: `records` records of
// `bases` bases in all are done; within a long record, `record` is its number
// and `recordDone` of its `recordLength` bases are done (record 0: between
// records).
struct Progress {
    std::size_t records = 0;
    std::size_t bases = 0;
    std::size_t record = 0;
    std::size_t recordDone = 0;
    std::size_t recordLength = 0;
};

// The records of a RecordInput one after the other, in file order. A region is
// fetched on construction, a file is streamed (one record in memory at a
// time). Raises FileError as SequenceReader and ReadRegion do.
class RecordSource {
public:
    explicit RecordSource(const RecordInput& input);
    ~RecordSource();
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    // Stores the next record and returns true, or returns false at the end.
    bool Next(SourceRecord& record);
    // The file the records come from.
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<SequenceReader> reader_;
    std::unique_ptr<RegionRecord> region_;
    std::size_t served_ = 0;
};

}  // namespace horgrid
