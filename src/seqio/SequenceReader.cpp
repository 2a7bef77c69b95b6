#include "seqio/SequenceReader.h"

#include <htslib/bgzf.h>
#include <htslib/faidx.h>
#include <htslib/hts_log.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

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
    std::size_t records = 0;
    std::unordered_map<std::string, std::size_t> numbers;  // of the records by name (Names::Unique)
};

SequenceReader::SequenceReader(const std::string& path, Names names)
    : path_(path), names_(names), state_(std::make_unique<State>()) {
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

void SequenceReader::CheckName(const std::string& name, std::size_t line) {
    State& s = *state_;
    const std::string where = "record " + std::to_string(s.records) + " (line " + std::to_string(line) + ")";
    if (name.empty())
        Fail(where + " has no name (its header line holds no name after '" + s.text.substr(0, 1) + "')");
    const auto [earlier, fresh] = s.numbers.emplace(name, s.records);
    if (!fresh) {
        Fail(where + " is named '" + Printable(name) + "' like record " + std::to_string(earlier->second) +
             " (every record needs a name of its own)");
    }
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
    ++s.records;
    if (names_ == Names::Unique) CheckName(record.name, header);
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

// A region as record name and 0-based, end-exclusive positions.
struct Span {
    std::string name;
    hts_pos_t begin = 0;
    hts_pos_t end = 0;
};

// A 1-based position of a region ("12,000" as 12000); -1 when it is not a
// number, -2 when it is one too large for any record.
hts_pos_t ParsePosition(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c != ',') digits += c;
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    hts_pos_t value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && stop == digits.data() + digits.size() ? value : -2;
}

// Whether `path` holds a record `name` without bases (read through: only
// when a region is refused).
bool IsEmptyRecord(const std::string& path, const std::string& name) {
    SequenceReader reader(path, SequenceReader::Names::Any);
    for (SequenceRecord record; reader.Next(record);) {
        if (record.name == name) return record.sequence.empty();
    }
    return false;
}

// NAME, NAME:BEGIN, NAME:BEGIN- or NAME:BEGIN-END of a record of `index`,
// or a FileError saying what is wrong with it.
Span ParseRegion(const faidx_t& index, const std::string& region, const std::string& path) {
    const auto refuse = [&](const std::string& reason) {
        return FileError("region '" + Printable(region) + "' of '" + path + "': " + reason);
    };
    Span span;
    std::string_view range;
    if (faidx_has_seq(&index, region.c_str())) {
        span.name = region;
    } else {
        const std::size_t colon = region.rfind(':');
        span.name = region.substr(0, colon);
        if (colon == std::string::npos || !faidx_has_seq(&index, span.name.c_str())) {
            // "a1:1-5000:3": a record before an earlier colon says what is wrong.
            for (std::size_t at = region.find(':'); at < colon; at = region.find(':', at + 1)) {
                if (faidx_has_seq(&index, region.substr(0, at).c_str())) {
                    throw refuse("'" + Printable(region.substr(at + 1)) + "' after the record '" +
                                 Printable(region.substr(0, at)) + "' is no BEGIN-END");
                }
            }
            // The index leaves out records without bases.
            for (const std::string& name : {region, span.name}) {
                if (IsEmptyRecord(path, name)) throw refuse("the record '" + Printable(name) + "' is empty");
            }
            throw FileError("region '" + Printable(region) + "' is not in the index of '" + path + "'");
        }
        range = std::string_view(region).substr(colon + 1);
    }
    const hts_pos_t length = faidx_seq_len(&index, span.name.c_str());
    if (length <= 0) throw refuse("the record '" + Printable(span.name) + "' is empty");
    span.end = length;
    if (range.empty()) return span;
    const std::size_t dash = range.find('-');
    const std::string_view first = range.substr(0, dash);
    const std::string_view last =
        dash == std::string_view::npos ? std::string_view() : range.substr(dash + 1);
    hts_pos_t begin = ParsePosition(first);
    hts_pos_t end = dash == std::string_view::npos || last.empty() ? length : ParsePosition(last);
    for (const auto& [value, text] : {std::pair{begin, first}, std::pair{end, last}}) {
        if (value == -1)
            throw refuse("'" + Printable(range) + "' after the record '" + Printable(span.name) +
                         "' is no BEGIN-END");
        if (value == -2) throw refuse("the position " + std::string(text) + " is too large");
    }
    if (begin == 0) throw refuse("positions begin at 1");
    if (begin > end) throw refuse("it begins after it ends");
    if (begin > length) {
        throw refuse("it begins after the end of the record '" + Printable(span.name) + "' (" +
                     std::to_string(length) + " bases)");
    }
    span.begin = begin - 1;
    span.end = std::min(end, length);
    return span;
}

// Whether `path` reaches its file through /proc, as the names of open
// streams do (/dev/stdin, /dev/fd/0, /proc/self/fd/0): such a name stands
// for a different file in every run, so no index may be kept beside it.
bool NamesAStream(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        const std::string directory = DirectoryOf(path).empty() ? "." : DirectoryOf(path);
        if (char* real = ::realpath(directory.c_str(), nullptr)) {
            const bool proc = std::string_view(real).starts_with("/proc/");
            std::free(real);
            if (proc) return true;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return false;
        std::string target(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), target.data(), target.size());
        if (size <= 0) return false;
        target.resize(static_cast<std::size_t>(size));
        path = target.front() == '/' ? target : DirectoryOf(path) + target;
    }
    return false;
}

FileKind Inspect(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) throw FileError::FromErrno("cannot read", path, errno);
    if (!S_ISREG(info.st_mode)) {
        throw FileError::FromReason("cannot index", path, "not a regular file (only a file can be indexed)");
    }
    if (NamesAStream(path)) {
        throw FileError::FromReason(
            "cannot index", path, "it names an open stream, not a file (a region needs the file's own name)");
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
    // The index keeps the first of two records of one name and drops the
    // other: a file whose records lack names of their own gets none.
    SequenceReader names(path);
    for (SequenceRecord record; names.Next(record);) {
    }
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

std::string NoRecordsWarning(const std::string& path) {
    return "warning: no records in '" + path + "': the results are empty";
}

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
    const Span span = ParseRegion(*index, region, path);
    const hts_pos_t begin = span.begin;
    const hts_pos_t end = span.end;
    const char* name = span.name.c_str();
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
