#include "annotate/AnnotationFiles.h"

#include <algorithm>

#include "annotate/PlacedAnnotation.h"
#include "decompose/DecompositionFiles.h"

namespace horgrid {
namespace {

// The track line of a BED file, named after the prefix's last part. A track
// line has no escapes: a double quote, backslash or control character
// (a line feed would split the line) in the name becomes '_'.
std::string TrackLine(const std::string& prefix, std::string_view track, std::string_view description) {
    const std::size_t slash = prefix.rfind('/');
    std::string base = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    for (char& c : base) {
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    }
    return "track name=\"" + base + "_" + std::string(track) + "\" description=\"" + std::string(description) +
           "\" itemRgb=\"On\"\n";
}

// BED9 lines: thick part the whole item, colour as "R,G,B".
std::string Bed9(const std::vector<TrackItem>& items) {
    std::string lines;
    for (const TrackItem& item : items) {
        const std::string from = std::to_string(item.start);
        const std::string to = std::to_string(item.end);
        lines += item.record + '\t' + from + '\t' + to + '\t' + item.name + '\t' + std::to_string(item.score) +
                 '\t' + item.strand + '\t' + from + '\t' + to + '\t' + ColourText(item.colour) + '\n';
    }
    return lines;
}

std::string Tsv(const std::vector<ArrayRow>& rows) {
    std::string lines;
    for (const ArrayRow& row : rows) {
        for (std::size_t i = 0; i < row.fields.size(); ++i) lines += (i == 0 ? "" : "\t") + row.fields[i];
        lines += '\n';
    }
    return lines;
}

}  // namespace

AnnotationWriter::AnnotationWriter(const std::string& prefix, const std::vector<std::string>& inputs,
                                   bool withReport)
    : set_(prefix, inputs),
      hor_(set_.Add(prefix + "_AS-HOR.bed")),
      family_(set_.Add(prefix + "_AS-SF.bed")),
      strand_(set_.Add(prefix + "_AS-strand.bed")),
      variants_(set_.Add(prefix + "_AS-StV.bed")),
      arrays_(set_.Add(prefix + "_arrays.tsv")),
      decomposition_(set_.Add(prefix + "_decomposition.tsv")),
      cenSat_(set_.Add(prefix + "_cenSat.bed")),
      cenSatStrand_(set_.Add(prefix + "_cenSat-strand.bed")) {
    hor_.Write(TrackLine(prefix, "AS-HOR", "alpha-satellite HOR monomers"));
    family_.Write(TrackLine(prefix, "AS-SF", "alpha-satellite suprachromosomal family classes"));
    strand_.Write(TrackLine(prefix, "AS-strand", "alpha-satellite strand"));
    variants_.Write(TrackLine(prefix, "AS-StV", "alpha-satellite HOR structural variants"));
    cenSat_.Write(TrackLine(prefix, "cenSat", "satellite arrays, transition regions and gaps"));
    cenSatStrand_.Write(TrackLine(prefix, "cenSat-strand", "satellite array strand"));
    std::string header = "#";
    header.append(ArraysHeader()).push_back('\n');
    arrays_.Write(header);
    if (withReport) report_ = &set_.Add(prefix + "_report.html");
}

void AnnotationWriter::Add(const AnnotationTracks& placed, std::string_view record, std::int64_t offset,
                           const Annotation& annotation) {
    std::string decomposition;
    for (const AnnotatedMonomer& monomer : annotation.monomers) {
        decomposition += DecompositionRow(record, monomer.name, monomer.start + offset, monomer.end + offset - 1,
                                          monomer.identity > 0 ? monomer.identity : monomer.familyIdentity,
                                          monomer.reverse, monomer.score);
    }
    hor_.Write(Bed9(placed.monomers));
    family_.Write(Bed9(placed.families));
    strand_.Write(Bed9(placed.strands));
    variants_.Write(Bed9(placed.copies));
    alphaRows_.insert(alphaRows_.end(), placed.arrays.begin(), placed.arrays.end());
    decomposition_.Write(decomposition);
}

void AnnotationWriter::AddCenSat(const PlacedCenSat& placed) {
    cenSat_.Write(Bed9(placed.track));
    cenSatStrand_.Write(Bed9(placed.strands));
    std::vector<ArrayRow> rows = std::move(alphaRows_);
    alphaRows_.clear();
    rows.insert(rows.end(), placed.arrays.begin(), placed.arrays.end());
    std::stable_sort(rows.begin(), rows.end(), [](const ArrayRow& a, const ArrayRow& b) { return a.start < b.start; });
    arrays_.Write(Tsv(rows));
}

void AnnotationWriter::WriteReport(const std::string& page) {
    if (report_) report_->Write(page);
}

void AnnotationWriter::Commit() { set_.Commit(); }

}  // namespace horgrid
