#include "seqio/SequenceReader.h"

#include <htslib/bgzf.h>
#include <htslib/faidx.h>
#include <htslib/kseq.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "common/FileError.h"

namespace horgrid {
namespace {

int ReadBgzf(BGZF* file, void* buffer, int size) {
    return static_cast<int>(bgzf_read(file, buffer, static_cast<std::size_t>(size)));
}

// Frees a kseq buffer of more than 16 MB (kseq allocates it afresh).
void ReleaseLarge(kstring_t& buffer) {
    if (buffer.m <= (std::size_t{1} << 24)) return;
    std::free(buffer.s);
    buffer.s = nullptr;
    buffer.l = buffer.m = 0;
}

}  // namespace

KSEQ_INIT(BGZF*, ReadBgzf)

struct SequenceReader::State {
    BGZF* file = nullptr;
    kseq_t* seq = nullptr;
};

namespace {

// FileError for a path that is not a readable regular file (or stream).
void CheckReadable(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) throw FileError::FromErrno("cannot read", path, errno);
    if (S_ISDIR(info.st_mode)) throw FileError::FromErrno("cannot read", path, EISDIR);
}

}  // namespace

SequenceReader::SequenceReader(const std::string& path) : path_(path), state_(std::make_unique<State>()) {
    CheckReadable(path);
    errno = 0;
    state_->file = bgzf_open(path.c_str(), "r");
    if (state_->file == nullptr) throw FileError::FromErrno("cannot read", path, errno != 0 ? errno : EIO);
    state_->seq = kseq_init(state_->file);
}

SequenceReader::~SequenceReader() {
    if (state_->seq != nullptr) kseq_destroy(state_->seq);
    if (state_->file != nullptr) bgzf_close(state_->file);
}

bool SequenceReader::Next(SequenceRecord& record) {
    const int status = kseq_read(state_->seq);
    if (status == -1) return false;
    if (status == -2)
        throw FileError("cannot read '" + path_ +
                        "': a FASTQ quality line differs in length from its sequence");
    if (status < 0) throw FileError("cannot read '" + path_ + "': damaged or truncated file");
    record.name.assign(state_->seq->name.s, state_->seq->name.l);
    record.sequence.assign(state_->seq->seq.s, state_->seq->seq.l);
    // A whole chromosome's buffers (kseq rounds them up to a power of two)
    // would stay beside the copy for as long as the reader lives.
    ReleaseLarge(state_->seq->seq);
    ReleaseLarge(state_->seq->qual);
    return true;
}

namespace {

struct IndexCloser {
    void operator()(faidx_t* index) const { fai_destroy(index); }
};

// Whether the file is gzip but not bgzip, which no index can address; and
// whether its first byte makes it FASTQ.
struct FileKind {
    bool plainGzip = false;
    bool fastq = false;
};

FileKind Inspect(const std::string& path) {
    SequenceReader probe(path);  // the readable-file checks and their messages
    FileKind kind;
    BGZF* file = bgzf_open(path.c_str(), "r");
    if (file == nullptr) throw FileError::FromErrno("cannot read", path, errno != 0 ? errno : EIO);
    kind.plainGzip = bgzf_compression(file) == gzip;
    char first = 0;
    kind.fastq = bgzf_read(file, &first, 1) == 1 && first == '@';
    bgzf_close(file);
    return kind;
}

}  // namespace

RegionRecord ReadRegion(const std::string& path, const std::string& region) {
    const FileKind kind = Inspect(path);
    if (kind.plainGzip) {
        throw FileError("cannot index '" + path +
                        "': a plain-gzip file cannot be indexed; compress it with bgzip");
    }
    std::unique_ptr<faidx_t, IndexCloser> index(
        fai_load3_format(path.c_str(), nullptr, nullptr, FAI_CREATE, kind.fastq ? FAI_FASTQ : FAI_FASTA));
    if (!index) {
        throw FileError("cannot index '" + path +
                        "': every line of a record but its last needs the same length");
    }
    int id = -1;
    hts_pos_t begin = 0;
    hts_pos_t end = 0;
    const char* rest = fai_parse_region(index.get(), region.c_str(), &id, &begin, &end, 0);
    if (rest == nullptr || *rest != '\0' || id < 0) {
        throw FileError("region '" + region + "' is not in the index of '" + path + "'");
    }
    const char* name = faidx_iseq(index.get(), id);
    const hts_pos_t length = faidx_seq_len(index.get(), name);
    end = std::min(end, length);
    if (begin >= end) throw FileError("region '" + region + "' is not in the index of '" + path + "'");
    hts_pos_t fetched = 0;
    char* bases = faidx_fetch_seq64(index.get(), name, begin, end - 1, &fetched);
    if (bases == nullptr || fetched != end - begin) {
        std::free(bases);
        throw FileError("cannot read region '" + region + "' of '" + path + "'");
    }
    RegionRecord out;
    out.record.name = name;
    out.record.sequence.assign(bases, static_cast<std::size_t>(fetched));
    out.offset = begin;
    std::free(bases);
    return out;
}

}  // namespace horgrid
