#include "annotate/PlacedCenSat.h"

#include <string>

#include "report/AnnotationReader.h"

namespace horgrid {

void AddAlphaArrays(const Annotation& annotation, std::int64_t start, std::vector<AlphaArrayCall>& alpha) {
    std::vector<std::int64_t> strand(annotation.arrays.size(), 0);
    for (const AnnotatedMonomer& monomer : annotation.monomers) {
        if (monomer.array != kNone) strand[monomer.array] += monomer.reverse ? -1 : 1;
    }
    for (std::size_t a = 0; a < annotation.arrays.size(); ++a) {
        const AnnotatedArray& array = annotation.arrays[a];
        alpha.push_back({array.start + start, array.end + start, array.kind, array.hor, strand[a] < 0, array.family,
                         array.meanIdentity, array.unitBases, array.copyIdentity});
    }
}

PlacedCenSat PlaceCenSat(std::string_view record, std::int64_t offset, const std::vector<CenSatItem>& items) {
    PlacedCenSat placed;
    for (const CenSatItem& item : items) {
        const bool array = item.kind == CenSatKind::Alpha || item.kind == CenSatKind::Satellite;
        TrackItem line{std::string(record), item.start + offset, item.end + offset, item.name,
                       array ? (item.reverse ? '-' : '+') : '.', {160, 160, 160}, 0};
        ParseColour(CenSatColour(item.name), line.colour);
        placed.track.push_back(line);
        if (!array) continue;
        line.colour = item.reverse ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
        placed.strands.push_back(line);
        if (item.kind != CenSatKind::Satellite) continue;
        ArrayRow row{line.record, line.start, line.end, {}};
        row.fields = {line.record, std::to_string(line.start), std::to_string(line.end), item.name, "-", "0", "0",
                      "0",         "0",                        "0",                      "0",       "0.00", "-",
                      "0.00"};
        placed.arrays.push_back(std::move(row));
    }
    return placed;
}

}  // namespace horgrid
