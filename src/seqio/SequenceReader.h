#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace horgrid {

// One record of a FASTA or FASTQ file.
struct SequenceRecord {
    std::string name;      // the first word of the header
    std::string sequence;  // the bases as they stand (any case, any byte)
};

// Reads FASTA or FASTQ records (the two may even be mixed), plain, gzip or
// bgzip, one after the other through htslib. A missing or unreadable file
// raises FileError naming the path on construction, a damaged one (a FASTQ
// record whose quality line is short, a broken compressed stream) on Next().
class SequenceReader {
public:
    explicit SequenceReader(const std::string& path);
    ~SequenceReader();
    SequenceReader(const SequenceReader&) = delete;
    SequenceReader& operator=(const SequenceReader&) = delete;

    // Stores the next record and returns true, or returns false at the end.
    bool Next(SequenceRecord& record);

private:
    struct State;
    std::string path_;
    std::unique_ptr<State> state_;
};

// One region of a FASTA or FASTQ file fetched through its .fai index (built
// beside the file when missing): "NAME" for a whole record or
// "NAME:BEGIN-END" / "NAME:BEGIN" with 1-based inclusive positions, as
// samtools takes them. `offset` is the 0-based position of the first base in
// the record. Raises FileError naming the file or the region when the file
// cannot be indexed (plain gzip cannot) or the region is not in the index.
struct RegionRecord {
    SequenceRecord record;
    std::int64_t offset = 0;
};
RegionRecord ReadRegion(const std::string& path, const std::string& region);

}  // namespace horgrid
