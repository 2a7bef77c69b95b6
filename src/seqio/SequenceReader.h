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
// differs in length from its sequence. With Names::Unique (the records of
// an analysis, whose names key every result line) a record without a name
// (its header just '>' or '@') and a record named like an earlier one raise
// FileError naming the record's number and line, too. Empty lines are
// skipped and a carriage return before a line feed is dropped. htslib's own
// messages are silenced (each fault is one FileError instead).
class SequenceReader {
public:
    enum class Names { Unique, Any };
    explicit SequenceReader(const std::string& path, Names names = Names::Unique);
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

    void CheckName(const std::string& name, std::size_t line);

    std::string path_;
    Names names_;
    std::unique_ptr<State> state_;
};

// The warning of a command whose sequences file holds no record (a 0-byte
// file, or one of empty lines only): the run goes on and writes its results
// empty, so that a pipeline over many files keeps going, but says so.
std::string NoRecordsWarning(const std::string& path);

// One region of a FASTA or FASTQ file fetched through its .fai index: "NAME"
// for a whole record or "NAME:BEGIN-END" / "NAME:BEGIN" / "NAME:BEGIN-" with
// 1-based inclusive positions (commas allowed in them), as samtools takes
// them; an END past the record's end stops at it. `offset` is the 0-based
// position of the first base in the record. The index (and the .gzi of a
// bgzip file) is built beside the file when it is missing or older than the
// file, into a temporary file renamed into place. Raises FileError naming the
// file, the index or the region when the file is not a regular file (or is
// named through an open stream, as /dev/stdin is: no index is ever written
// beside a stream), not FASTA/FASTQ, cannot be indexed (plain gzip cannot,
// nor lines of varying length, nor records without names of their own, as
// SequenceReader's Names::Unique), the index cannot be written ("cannot write
// index 'x.fa.fai': Permission denied"), the record is not in the index, or
// the region is malformed, saying which: positions that are not numbers or
// too large, a BEGIN of 0, after END or after the record's end, an empty
// record.
struct RegionRecord {
    SequenceRecord record;
    std::int64_t offset = 0;
};
RegionRecord ReadRegion(const std::string& path, const std::string& region);

}  // namespace horgrid
