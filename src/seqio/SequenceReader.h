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
// bgzip, one after the other; htslib decompresses. A missing or unreadable
// file, or a bgzip file without its end-of-file block (cut short), raises
// FileError naming the path on construction. Next() raises FileError naming
// the path for every other fault: any read or decompression error (a
// truncated or damaged gzip stream), a file that is not FASTA or FASTQ (its
// first line does not begin with '>' or '@', or a FASTQ record is followed
// by anything else), a FASTQ record without its '+' line, or whose quality
// differs in length from its sequence. Empty lines are skipped and a
// carriage return before a line feed is dropped. htslib's own messages are
// silenced (each fault is one FileError instead).
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
    int Peek();
    bool ReadLine(std::string& out, bool append);
    [[noreturn]] void Fail(const std::string& reason) const;

    std::string path_;
    std::unique_ptr<State> state_;
};

// One region of a FASTA or FASTQ file fetched through its .fai index: "NAME"
// for a whole record or "NAME:BEGIN-END" / "NAME:BEGIN" with 1-based
// inclusive positions, as samtools takes them. `offset` is the 0-based
// position of the first base in the record. The index (and the .gzi of a
// bgzip file) is built beside the file when it is missing or older than the
// file, into a temporary file renamed into place. Raises FileError naming the
// file, the index or the region when the file is not a regular file, not
// FASTA/FASTQ, cannot be indexed (plain gzip cannot, nor lines of varying
// length), the index cannot be written ("cannot write index 'x.fa.fai':
// Permission denied"), or the region is not in the index.
struct RegionRecord {
    SequenceRecord record;
    std::int64_t offset = 0;
};
RegionRecord ReadRegion(const std::string& path, const std::string& region);

}  // namespace horgrid
