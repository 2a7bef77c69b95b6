#include "report/AnnotationReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <string_view>

#include "common/FileError.h"
#include "common/TextInput.h"
#include "satellite/ArrayClass.h"

namespace horgrid {

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(
            line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos) return fields;
        from = tab + 1;
    }
}

namespace {

// Reports a bad line of `path`.
[[noreturn]] void Refuse(const std::string& path, std::size_t line, const std::string& what) {
    throw FileError::FromReason("cannot read", path, "line " + std::to_string(line) + ": " + what);
}

template <class Number>
bool ParseWhole(std::string_view text, Number& value) {
    const char* last = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), last, value);
    return !text.empty() && error == std::errc() && stop == last;
}

// Start and end of a line; both whole numbers, 0 <= start <= end.
void ParsePlace(const std::string& path, std::size_t line, std::string_view start, std::string_view end,
                std::int64_t& first, std::int64_t& last) {
    if (!ParseWhole(start, first) || !ParseWhole(end, last) || first < 0 || last < first) {
        Refuse(path, line,
               "start and end must be whole numbers with 0 <= start <= end, not '" + Printable(start) +
                   "' and '" + Printable(end) + "'");
    }
}

// horgrid writes every line of its tables with a line feed: a last line
// without one is what is left of a file cut short.
void RefuseCutLine(const FileLineReader& reader, const std::string& path, std::size_t line) {
    if (reader.Unterminated()) Refuse(path, line, "the file ends in the middle of this line (cut short?)");
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

constexpr const char* kOptionalTracks[] = {"_AS-SF.bed", "_AS-strand.bed", "_AS-StV.bed", "_cenSat.bed"};

}  // namespace

bool ParseColour(std::string_view text, Rgb& colour) {
    unsigned parts[3];
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == 2)) return false;
        if (!ParseWhole(text.substr(0, comma), parts[i]) || parts[i] > 255) return false;
        text = i == 2 ? std::string_view() : text.substr(comma + 1);
    }
    colour = {static_cast<unsigned char>(parts[0]), static_cast<unsigned char>(parts[1]),
              static_cast<unsigned char>(parts[2])};
    return true;
}

std::vector<TrackItem> ReadBedTrack(const std::string& path) {
    std::vector<TrackItem> items;
    FileLineReader reader(path);
    std::string_view line;
    for (std::size_t number = 1; reader.Next(line); ++number) {
        RefuseCutLine(reader, path, number);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.starts_with('#') || line.starts_with("track") || line.starts_with("browser"))
            continue;
        const std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() < 6) Refuse(path, number, "a BED line needs at least 6 tab-separated columns");
        TrackItem item;
        item.record = fields[0];
        ParsePlace(path, number, fields[1], fields[2], item.start, item.end);
        item.name = fields[3];
        item.strand = fields[5].size() == 1 ? fields[5][0] : '.';
        item.colour = {160, 160, 160};
        if (fields.size() >= 9 && fields[8] != "0" && !ParseColour(fields[8], item.colour))
            Refuse(path, number,
                   "itemRgb must be R,G,B with each from 0 to 255, not '" + Printable(fields[8]) + "'");
        items.push_back(std::move(item));
    }
    return items;
}

void ReadArraysTable(const std::string& path, AnnotationTracks& annotation) {
    FileLineReader reader(path);
    std::string_view line;
    bool header = true;
    for (std::size_t number = 1; reader.Next(line); ++number) {
        RefuseCutLine(reader, path, number);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (header) {
            if (line.starts_with('#')) line.remove_prefix(1);
            for (const std::string_view column : SplitTabs(line))
                annotation.arrayColumns.emplace_back(column);
            header = false;
            continue;
        }
        if (line.empty()) continue;
        const std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() < 3) Refuse(path, number, "an array line starts with record, start and end");
        if (fields.size() != annotation.arrayColumns.size()) {
            Refuse(path, number,
                   std::to_string(fields.size()) + " columns, the header has " +
                       std::to_string(annotation.arrayColumns.size()));
        }
        ArrayRow row;
        row.line = number;
        row.record = fields[0];
        ParsePlace(path, number, fields[1], fields[2], row.start, row.end);
        for (const std::string_view field : fields) row.fields.emplace_back(field);
        annotation.arrays.push_back(std::move(row));
    }
    if (header) throw FileError::FromReason("cannot read", path, "no header line");
}

std::vector<std::string> AnnotationInputs(const std::string& prefix) {
    std::vector<std::string> inputs = {prefix + "_arrays.tsv", prefix + "_AS-HOR.bed"};
    for (const char* suffix : kOptionalTracks) {
        if (Exists(prefix + suffix)) inputs.push_back(prefix + suffix);
    }
    return inputs;
}

AnnotationTracks ReadAnnotation(const std::string& prefix) {
    AnnotationTracks annotation;
    ReadArraysTable(prefix + "_arrays.tsv", annotation);
    // The table's satellite arrays other than alpha satellite (their cenSat
    // label in the class column) have no monomers to draw.
    const auto column = std::find(annotation.arrayColumns.begin(), annotation.arrayColumns.end(), "class");
    if (column != annotation.arrayColumns.end()) {
        const auto at = static_cast<std::size_t>(column - annotation.arrayColumns.begin());
        std::erase_if(annotation.arrays, [&](const ArrayRow& row) {
            if (row.fields.size() <= at) return false;
            const std::string& kind = row.fields[at];
            return kind != ArrayClassName(ArrayClass::LiveHor) && kind != ArrayClassName(ArrayClass::DivergedHor) &&
                   kind != ArrayClassName(ArrayClass::Monomeric);
        });
    }
    annotation.monomers = ReadBedTrack(prefix + "_AS-HOR.bed");
    std::vector<TrackItem>* optional[] = {&annotation.families, &annotation.strands, &annotation.copies,
                                          &annotation.cenSat};
    for (int i = 0; i < 4; ++i) {
        if (Exists(prefix + kOptionalTracks[i])) *optional[i] = ReadBedTrack(prefix + kOptionalTracks[i]);
    }
    return annotation;
}

}  // namespace horgrid
