#include "annotate/PlacedAnnotation.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

#include "common/NumberFormat.h"
#include "report/AnnotationReader.h"

namespace horgrid {
namespace {

constexpr Rgb kForward{0, 0, 255};
constexpr Rgb kReverse{255, 0, 0};

// Colours of structural variants: the array's most frequent variant takes the
// HOR's colour, the next ones these (each variant its own colour, none the
// HOR's), by falling frequency; the rarer rest share kOtherVariants.
constexpr std::string_view kVariantColors[] = {
    "230,159,0",  "86,180,233", "0,158,115",  "240,228,66",  "0,114,178",  "213,94,0",
    "204,121,167", "0,0,0",     "51,34,136",  "136,34,85",   "153,153,51", "17,119,51",
    "170,68,153", "140,86,75",  "68,170,153", "204,102,119"};
constexpr std::string_view kOtherVariants = "190,190,190";

long Score(double identity) { return std::lround(identity * 10); }

Rgb Colour(std::string_view text) {
    Rgb colour{160, 160, 160};
    ParseColour(text, colour);
    return colour;
}

TrackItem Item(std::string_view record, std::int64_t start, std::int64_t end, std::string_view name, bool reverse,
               const Rgb& colour, long score) {
    return {std::string(record), start, end, std::string(name), reverse ? '-' : '+', colour, score};
}

// The colours of an array's variants by rank: the HOR's, then the list
// without the HOR's colour.
std::vector<Rgb> VariantPalette(const Rgb& hor) {
    std::vector<Rgb> palette{hor};
    for (const std::string_view text : kVariantColors) {
        if (Colour(text) != hor) palette.push_back(Colour(text));
    }
    return palette;
}

// The colour of each variant of each array, by falling frequency (first seen on ties).
std::vector<std::map<std::string, Rgb>> VariantColours(const Annotation& annotation, const StandardSets& sets) {
    std::vector<std::map<std::string, Rgb>> colourOf(annotation.arrays.size());
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
        const std::vector<Rgb> palette = VariantPalette(Colour(ColorOf(sets.colors, annotation.arrays[a].hor + ".")));
        for (std::size_t r = 0; r < ranked.size(); ++r)
            colourOf[a][ranked[r].first] = r < palette.size() ? palette[r] : Colour(kOtherVariants);
    }
    return colourOf;
}

ArrayRow Row(std::string_view record, std::int64_t offset, const AnnotatedArray& array) {
    return {std::string(record),
            array.start + offset,
            array.end + offset,
            {std::string(record), std::to_string(array.start + offset), std::to_string(array.end + offset),
             std::string(ArrayClassName(array.kind)), array.hor, std::to_string(array.monomers),
             std::to_string(array.unitMonomers), std::to_string(array.unitBases), std::to_string(array.full),
             std::to_string(array.partial), std::to_string(array.variant), Fixed(array.meanIdentity, 2),
             array.family, Fixed(array.cenpBPerCopy, 2)}};
}

}  // namespace

std::string_view ArraysHeader() {
    return "record\tstart\tend\tclass\thor\tmonomers\tunit_monomers\tunit_bases\tfull_copies\t"
           "partial_copies\tvariant_copies\tmean_identity\tfamily\tcenpb_per_copy";
}

std::vector<std::string> ArraysColumns() {
    std::vector<std::string> columns;
    for (const std::string_view column : SplitTabs(ArraysHeader())) columns.emplace_back(column);
    return columns;
}

AnnotationTracks PlaceAnnotation(std::string_view record, std::int64_t offset, const Annotation& annotation,
                                 const StandardSets& sets) {
    AnnotationTracks tracks;
    for (const AnnotatedMonomer& monomer : annotation.monomers) {
        const std::int64_t start = monomer.start + offset;
        const std::int64_t end = monomer.end + offset;
        const std::string& className = sets.families[monomer.family].name;
        const long familyScore = Score(monomer.familyIdentity);
        if (monomer.horName) {
            tracks.monomers.push_back(Item(record, start, end, monomer.name, monomer.reverse,
                                           Colour(ColorOf(sets.colors, monomer.name)), Score(monomer.identity)));
        }
        tracks.families.push_back(Item(record, start, end, className, monomer.reverse,
                                       Colour(ColorOf(sets.colors, className)), familyScore));
        tracks.strands.push_back(Item(record, start, end, className, monomer.reverse,
                                      monomer.reverse ? kReverse : kForward, familyScore));
    }
    const std::vector<std::map<std::string, Rgb>> colourOf = VariantColours(annotation, sets);
    for (const AnnotatedCopy& copy : annotation.copies) {
        tracks.copies.push_back(Item(record, copy.start + offset, copy.end + offset, copy.variant, copy.reverse,
                                     colourOf[copy.array].at(copy.variant), static_cast<long>(copy.monomers)));
    }
    for (const AnnotatedArray& array : annotation.arrays) tracks.arrays.push_back(Row(record, offset, array));
    return tracks;
}

}  // namespace horgrid
