#include "annotate/AnnotationFiles.h"

#include <cmath>
#include <algorithm>
#include <iterator>
#include <map>

#include "common/NumberFormat.h"
#include "decompose/DecompositionFiles.h"
#include "report/AnnotationReader.h"

namespace horgrid {
namespace {

constexpr std::string_view kForwardColor = "0,0,255";
constexpr std::string_view kReverseColor = "255,0,0";

std::string TrackLine(const std::string& prefix, std::string_view track, std::string_view description) {
    const std::size_t slash = prefix.rfind('/');
    const std::string base = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    return "track name=\"" + base + "_" + std::string(track) + "\" description=\"" + std::string(description) +
           "\" itemRgb=\"On\"\n";
}

std::string Bed9(std::string_view record, std::int64_t start, std::int64_t end, std::string_view name,
                 long score, bool reverse, std::string_view rgb) {
    const std::string from = std::to_string(start);
    const std::string to = std::to_string(end);
    return std::string(record) + '\t' + from + '\t' + to + '\t' + std::string(name) + '\t' +
           std::to_string(score) + '\t' + (reverse ? '-' : '+') + '\t' + from + '\t' + to + '\t' +
           std::string(rgb) + '\n';
}

long Score(double identity) { return std::lround(identity * 10); }

// A track line as the report reads it back.
void Keep(std::vector<TrackItem>& track, std::string_view record, std::int64_t start, std::int64_t end,
          std::string_view name, bool reverse, std::string_view rgb) {
    TrackItem item{std::string(record), start, end, std::string(name), reverse ? '-' : '+', {160, 160, 160}};
    ParseColour(rgb, item.colour);
    track.push_back(std::move(item));
}

// Colours of structural variants: the array's most frequent variant takes the
// HOR's colour, the others these, by falling frequency.
constexpr std::string_view kVariantColors[] = {"230,159,0", "86,180,233", "0,158,115", "240,228,66",
                                               "0,114,178", "213,94,0",   "204,121,167", "0,0,0"};

}  // namespace

std::string_view ArraysHeader() {
    return "record\tstart\tend\tclass\thor\tmonomers\tunit_monomers\tunit_bases\tfull_copies\t"
           "partial_copies\tvariant_copies\tmean_identity\tfamily\tcenpb_per_copy";
}

AnnotationWriter::AnnotationWriter(const std::string& prefix, const StandardSets& sets,
                                   const std::vector<std::string>& inputs, bool withReport)
    : sets_(sets),
      set_(prefix, inputs),
      hor_(set_.Add(prefix + "_AS-HOR.bed")),
      family_(set_.Add(prefix + "_AS-SF.bed")),
      strand_(set_.Add(prefix + "_AS-strand.bed")),
      variants_(set_.Add(prefix + "_AS-StV.bed")),
      arrays_(set_.Add(prefix + "_arrays.tsv")),
      decomposition_(set_.Add(prefix + "_decomposition.tsv")) {
    hor_.Write(TrackLine(prefix, "AS-HOR", "alpha-satellite HOR monomers"));
    family_.Write(TrackLine(prefix, "AS-SF", "alpha-satellite suprachromosomal family classes"));
    strand_.Write(TrackLine(prefix, "AS-strand", "alpha-satellite strand"));
    variants_.Write(TrackLine(prefix, "AS-StV", "alpha-satellite HOR structural variants"));
    arrays_.Write("#" + std::string(ArraysHeader()) + "\n");
    if (withReport) report_ = &set_.Add(prefix + "_report.html");
}

void AnnotationWriter::Add(std::string_view record, std::int64_t offset, const Annotation& annotation) {
    std::string hor, family, strand, variants, arrays, decomposition;
    for (const AnnotatedMonomer& monomer : annotation.monomers) {
        const std::int64_t start = monomer.start + offset;
        const std::int64_t end = monomer.end + offset;
        const std::string& className = sets_.families[monomer.family].name;
        const std::string familyColor = ColorOf(sets_.colors, className);
        const std::string_view strandColor = monomer.reverse ? kReverseColor : kForwardColor;
        if (monomer.horName) {
            const std::string color = ColorOf(sets_.colors, monomer.name);
            hor += Bed9(record, start, end, monomer.name, Score(monomer.identity), monomer.reverse, color);
            if (report_) Keep(tracks_.monomers, record, start, end, monomer.name, monomer.reverse, color);
        }
        family += Bed9(record, start, end, className, Score(monomer.familyIdentity), monomer.reverse, familyColor);
        strand += Bed9(record, start, end, className, Score(monomer.familyIdentity), monomer.reverse, strandColor);
        if (report_) {
            Keep(tracks_.families, record, start, end, className, monomer.reverse, familyColor);
            Keep(tracks_.strands, record, start, end, className, monomer.reverse, strandColor);
        }
        decomposition += DecompositionRow(record, monomer.name, start, end - 1,
                                          monomer.identity > 0 ? monomer.identity : monomer.familyIdentity,
                                          monomer.reverse, monomer.score);
    }
    // Variant colours per array, by falling frequency (first seen on ties).
    std::vector<std::map<std::string, std::string>> colorOf(annotation.arrays.size());
    for (std::size_t a = 0; a < annotation.arrays.size(); ++a) {
        std::map<std::string, std::pair<std::size_t, std::size_t>> seen;  // variant -> (count, first)
        std::size_t order = 0;
        for (const AnnotatedCopy& copy : annotation.copies) {
            if (copy.array != a) continue;
            auto [it, added] = seen.emplace(copy.variant, std::pair<std::size_t, std::size_t>{0, order++});
            ++it->second.first;
        }
        std::vector<std::pair<std::string, std::pair<std::size_t, std::size_t>>> ranked(seen.begin(), seen.end());
        std::sort(ranked.begin(), ranked.end(), [](const auto& x, const auto& y) {
            return x.second.first != y.second.first ? x.second.first > y.second.first
                                                    : x.second.second < y.second.second;
        });
        for (std::size_t r = 0; r < ranked.size(); ++r) {
            colorOf[a][ranked[r].first] =
                r == 0 ? ColorOf(sets_.colors, annotation.arrays[a].hor + ".")
                       : std::string(kVariantColors[(r - 1) % std::size(kVariantColors)]);
        }
    }
    for (const AnnotatedCopy& copy : annotation.copies) {
        variants += Bed9(record, copy.start + offset, copy.end + offset, copy.variant,
                         static_cast<long>(copy.monomers), copy.reverse, colorOf[copy.array][copy.variant]);
        if (report_) {
            Keep(tracks_.copies, record, copy.start + offset, copy.end + offset, copy.variant, copy.reverse,
                 colorOf[copy.array][copy.variant]);
        }
    }
    for (const AnnotatedArray& array : annotation.arrays) {
        const std::size_t from = arrays.size();
        arrays += std::string(record) + '\t' + std::to_string(array.start + offset) + '\t' +
                  std::to_string(array.end + offset) + '\t' + std::string(ArrayClassName(array.kind)) + '\t' +
                  array.hor + '\t' + std::to_string(array.monomers) + '\t' + std::to_string(array.unitMonomers) +
                  '\t' + std::to_string(array.unitBases) + '\t' + std::to_string(array.full) + '\t' +
                  std::to_string(array.partial) + '\t' + std::to_string(array.variant) + '\t' +
                  Fixed(array.meanIdentity, 2) + '\t' + array.family + '\t' + Fixed(array.cenpBPerCopy, 2) + '\n';
        if (report_) {
            const std::vector<std::string_view> fields =
                SplitTabs(std::string_view(arrays).substr(from, arrays.size() - from - 1));
            tracks_.arrays.push_back({std::string(record), array.start + offset, array.end + offset,
                                      std::vector<std::string>(fields.begin(), fields.end())});
        }
    }
    hor_.Write(hor);
    family_.Write(family);
    strand_.Write(strand);
    variants_.Write(variants);
    arrays_.Write(arrays);
    decomposition_.Write(decomposition);
}

AnnotationTracks AnnotationWriter::TakeTracks() {
    AnnotationTracks taken = std::move(tracks_);
    tracks_ = AnnotationTracks{};
    for (const std::string_view column : SplitTabs(ArraysHeader())) taken.arrayColumns.emplace_back(column);
    return taken;
}

void AnnotationWriter::WriteReport(const std::string& page) {
    if (report_) report_->Write(page);
}

void AnnotationWriter::Commit() { set_.Commit(); }

}  // namespace horgrid
