#include "seqio/SequenceReader.h"

#include <htslib/bgzf.h>
#include <htslib/faidx.h>
#include <htslib/hts_log.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/FileError.h"
#include "common/TemporaryFile.h"
#include "common/TextInput.h"

namespace horgrid {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

// FileError for a path that is not a readable regular file (or stream).
void CheckReadable(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) throw FileError::FromErrno("cannot read", path, errno);
    if (S_ISDIR(info.st_mode)) throw FileError::FromErrno("cannot read", path, EISDIR);
}

// Opens `path` through htslib with its messages silenced; a bgzip file must
// end with its end-of-file block.
BGZF* OpenCompressed(const std::string& path) {
    // Every failure of htslib becomes one FileError; its own lines (a
    // truncated gzip stream logs one per read attempt) would only repeat it.
    hts_set_log_level(HTS_LOG_OFF);
    CheckReadable(path);
    errno = 0;
    BGZF* file = bgzf_open(path.c_str(), "r");
    if (file == nullptr) throw FileError::FromErrno("cannot read", path, errno != 0 ? errno : EIO);
    if (bgzf_compression(file) == bgzf && bgzf_check_EOF(file) == 0) {
        bgzf_close(file);
        throw FileError::FromReason("cannot read", path, "truncated bgzip file (no end-of-file block)");
    }
    return file;
}

}  // namespace

struct SequenceReader::State {
    BGZF* file = nullptr;
    char buffer[kBufferSize];
    std::size_t begin = 0;
    std::size_t end = 0;
    bool atEnd = false;
    std::size_t line = 0;  // lines read so far
    std::string text;      // a header, '+' or quality line
};

SequenceReader::SequenceReader(const std::string& path) : path_(path), state_(std::make_unique<State>()) {
    state_->file = OpenCompressed(path);
}

SequenceReader::~SequenceReader() {
    if (state_->file != nullptr) bgzf_close(state_->file);
}

void SequenceReader::Fail(const std::string& reason) const {
    throw FileError::FromReason("cannot read", path_, reason);
}

// The next byte without taking it, -1 at the end; a read error of any kind
// ends the run.
int SequenceReader::Peek() {
    State& s = *state_;
    if (s.begin == s.end) {
        if (s.atEnd) return -1;
        errno = 0;
        const ssize_t got = bgzf_read(s.file, s.buffer, kBufferSize);
        if (got < 0 || s.file->errcode != 0) {
            const int error = errno;
            if ((s.file->errcode & BGZF_ERR_IO) != 0 && error != 0) Fail(std::strerror(error));
            Fail("damaged or truncated compressed data");
        }
        s.begin = 0;
        s.end = static_cast<std::size_t>(got);
        if (got == 0) {
            s.atEnd = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(s.buffer[s.begin]);
}

// Stores (or appends) the rest of the line without its line feed and a
// carriage return before it; false at the end of the file.
bool SequenceReader::ReadLine(std::string& out, bool append) {
    if (!append) out.clear();
    const std::size_t start = out.size();
    if (Peek() < 0) return false;
    State& s = *state_;
    while (Peek() >= 0) {
        const char* from = s.buffer + s.begin;
        const void* feed = std::memchr(from, '\n', s.end - s.begin);
        const std::size_t count = feed == nullptr ? s.end - s.begin : static_cast<const char*>(feed) - from;
        out.append(from, count);
        s.begin += count;
        if (feed != nullptr) {
            ++s.begin;
            break;
        }
    }
    if (out.size() > start && out.back() == '\r') out.pop_back();
    ++s.line;
    return true;
}

bool SequenceReader::Next(SequenceRecord& record) {
    State& s = *state_;
    do {
        if (!ReadLine(s.text, false)) return false;
    } while (s.text.empty());
    const char kind = s.text.front();
    if (kind != '>' && kind != '@') {
        Fail("not FASTA or FASTQ (line " + std::to_string(s.line) + " is no '>' or '@' header)");
    }
    const std::size_t header = s.line;
    const auto space = std::find_if(s.text.begin() + 1, s.text.end(), IsSpace);
    record.name.assign(s.text.begin() + 1, space);
    record.sequence.clear();
    const bool fastq = kind == '@';
    for (int c = Peek(); c >= 0 && c != '>' && c != '@' && !(fastq && c == '+'); c = Peek()) {
        ReadLine(record.sequence, true);
    }
    if (!fastq) return true;
    const std::string where = "FASTQ record '" + Printable(record.name) + "' (line " + std::to_string(header) + ")";
    if (Peek() != '+') Fail(where + " has no '+' line");
    ReadLine(s.text, false);
    std::size_t quality = 0;
    while (quality < record.sequence.size()) {
        if (!ReadLine(s.text, false)) break;
        quality += s.text.size();
    }
    if (quality != record.sequence.size()) Fail(where + ": its quality differs in length from its sequence");
    return true;
}

namespace {

struct IndexCloser {
    void operator()(faidx_t* index) const { fai_destroy(index); }
};

// Whether the file is bgzip or gzip, which no index can address, and whether
// its first byte makes it FASTQ.
struct FileKind {
    bool bgzip = false;
    bool plainGzip = false;
    bool fastq = false;
};

FileKind Inspect(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) throw FileError::FromErrno("cannot read", path, errno);
    if (!S_ISREG(info.st_mode)) {
        throw FileError::FromReason("cannot index", path, "not a regular file (only a file can be indexed)");
    }
    BGZF* file = OpenCompressed(path);
    FileKind kind;
    kind.bgzip = bgzf_compression(file) == bgzf;
    kind.plainGzip = bgzf_compression(file) == gzip;
    char first = 0;
    const ssize_t got = bgzf_read(file, &first, 1);
    bgzf_close(file);
    if (got < 0) throw FileError::FromReason("cannot read", path, "damaged or truncated compressed data");
    if (got == 1 && first != '>' && first != '@') {
        throw FileError::FromReason("cannot index", path, "not FASTA or FASTQ (it does not begin with '>' or '@')");
    }
    kind.fastq = got == 1 && first == '@';
    return kind;
}

// Whether `index` is a file not older than `file` (seconds and nanoseconds).
bool IsCurrent(const std::string& index, const struct stat& file) {
    struct stat info {};
    if (stat(index.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (info.st_mtim.tv_sec != file.st_mtim.tv_sec) return info.st_mtim.tv_sec > file.st_mtim.tv_sec;
    return info.st_mtim.tv_nsec >= file.st_mtim.tv_nsec;
}

// The reason of a FileError "<verb> '<path>': <reason>".
std::string ReasonOf(const FileError& error) {
    const std::string_view text = error.what();
    const std::size_t colon = text.rfind("': ");
    return std::string(colon == std::string_view::npos ? text : text.substr(colon + 3));
}

// Builds the .fai (and for bgzip the .gzi) of `path` into temporary files and
// renames them into place.
void BuildIndex(const std::string& path, const FileKind& kind, bool stale) {
    const std::string fai = path + ".fai";
    const std::string gzi = path + ".gzi";
    // "cannot write index 'x.fa.fai': Permission denied", or for a stale one
    // "cannot rebuild index 'x.fa.fai', older than 'x.fa': Permission denied".
    const auto failure = [&](const std::string& target, const FileError& error) {
        return FileError((stale ? "cannot rebuild index '" : "cannot write index '") + target + "'" +
                         (stale ? ", older than '" + path + "'" : "") + ": " + ReasonOf(error));
    };
    auto temporary = [&](const std::string& target) {
        try {
            return std::make_unique<TemporaryFile>(target);
        } catch (const FileError& error) {
            throw failure(target, error);
        }
    };
    std::unique_ptr<TemporaryFile> faiFile = temporary(fai);
    std::unique_ptr<TemporaryFile> gziFile = kind.bgzip ? temporary(gzi) : nullptr;
    if (fai_build3(path.c_str(), faiFile->path().c_str(), gziFile ? gziFile->path().c_str() : nullptr) != 0) {
        throw FileError("cannot index '" + path + "': every line of a record but its last needs the same length");
    }
    for (auto [file, target] : {std::pair{faiFile.get(), &fai}, std::pair{gziFile.get(), &gzi}}) {
        if (file == nullptr) continue;
        try {
            file->MoveTo(*target);
        } catch (const FileError& error) {
            throw failure(*target, error);
        }
    }
}

}  // namespace

RegionRecord ReadRegion(const std::string& path, const std::string& region) {
    const FileKind kind = Inspect(path);
    if (kind.plainGzip) {
        throw FileError("cannot index '" + path +
                        "': a plain-gzip file cannot be indexed; compress it with bgzip");
    }
    struct stat file {};
    if (stat(path.c_str(), &file) != 0) throw FileError::FromErrno("cannot read", path, errno);
    const bool faiCurrent = IsCurrent(path + ".fai", file);
    if (!faiCurrent || (kind.bgzip && !IsCurrent(path + ".gzi", file))) {
        struct stat old {};
        BuildIndex(path, kind, stat((path + ".fai").c_str(), &old) == 0 && S_ISREG(old.st_mode));
    }
    std::unique_ptr<faidx_t, IndexCloser> index(
        fai_load3_format(path.c_str(), nullptr, nullptr, 0, kind.fastq ? FAI_FASTQ : FAI_FASTA));
    if (!index) throw FileError("cannot read the index '" + path + ".fai' of '" + path + "'");
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
