#include "annotate/AnnotationFiles.h"

#include <cmath>
#include <algorithm>
#include <iterator>
#include <map>

#include "common/NumberFormat.h"
#include "decompose/DecompositionFiles.h"

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
                                   const std::vector<std::string>& inputs)
    : sets_(sets),
      hor_(prefix + "_AS-HOR.bed", inputs),
      family_(prefix + "_AS-SF.bed", inputs),
      strand_(prefix + "_AS-strand.bed", inputs),
      variants_(prefix + "_AS-StV.bed", inputs),
      arrays_(prefix + "_arrays.tsv", inputs),
      decomposition_(prefix + "_decomposition.tsv", inputs) {
    hor_.Write(TrackLine(prefix, "AS-HOR", "alpha-satellite HOR monomers"));
    family_.Write(TrackLine(prefix, "AS-SF", "alpha-satellite suprachromosomal family classes"));
    strand_.Write(TrackLine(prefix, "AS-strand", "alpha-satellite strand"));
    variants_.Write(TrackLine(prefix, "AS-StV", "alpha-satellite HOR structural variants"));
    arrays_.Write("#" + std::string(ArraysHeader()) + "\n");
}

void AnnotationWriter::Add(std::string_view record, std::int64_t offset, const Annotation& annotation) {
    std::string hor, family, strand, variants, arrays, decomposition;
    for (const AnnotatedMonomer& monomer : annotation.monomers) {
        const std::int64_t start = monomer.start + offset;
        const std::int64_t end = monomer.end + offset;
        const std::string& className = sets_.families[monomer.family].name;
        if (monomer.horName) {
            hor += Bed9(record, start, end, monomer.name, Score(monomer.identity), monomer.reverse,
                        ColorOf(sets_.colors, monomer.name));
        }
        family += Bed9(record, start, end, className, Score(monomer.familyIdentity), monomer.reverse,
                       ColorOf(sets_.colors, className));
        strand += Bed9(record, start, end, className, Score(monomer.familyIdentity), monomer.reverse,
                       monomer.reverse ? kReverseColor : kForwardColor);
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
    }
    for (const AnnotatedArray& array : annotation.arrays) {
        arrays += std::string(record) + '\t' + std::to_string(array.start + offset) + '\t' +
                  std::to_string(array.end + offset) + '\t' + std::string(ArrayClassName(array.kind)) + '\t' +
                  array.hor + '\t' + std::to_string(array.monomers) + '\t' + std::to_string(array.unitMonomers) +
                  '\t' + std::to_string(array.unitBases) + '\t' + std::to_string(array.full) + '\t' +
                  std::to_string(array.partial) + '\t' + std::to_string(array.variant) + '\t' +
                  Fixed(array.meanIdentity, 2) + '\t' + array.family + '\t' + Fixed(array.cenpBPerCopy, 2) + '\n';
    }
    hor_.Write(hor);
    family_.Write(family);
    strand_.Write(strand);
    variants_.Write(variants);
    arrays_.Write(arrays);
    decomposition_.Write(decomposition);
}

void AnnotationWriter::Commit() {
    for (ResultFile* file : {&hor_, &family_, &strand_, &variants_, &arrays_, &decomposition_}) file->Finish();
    for (ResultFile* file : {&hor_, &family_, &strand_, &variants_, &arrays_, &decomposition_}) file->Commit();
}

}  // namespace horgrid
