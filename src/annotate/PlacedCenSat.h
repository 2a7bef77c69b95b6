#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "annotate/Annotate.h"
#include "report/ReportModel.h"
#include "satellite/CenSatTrack.h"

namespace horgrid {

// Appends the arrays of one annotated stretch whose first base is `start` of
// the record, each on the strand of most of its monomers.
void AddAlphaArrays(const Annotation& annotation, std::int64_t start, std::vector<AlphaArrayCall>& alpha);

// The cenSat track of one record (its positions plus `offset`) as the lines
// of annotate's result files (pure):
//   track    PREFIX_cenSat.bed: every item, named and coloured by its class,
//            score 0, the strand of arrays ('.' for ct and GAP)
//   strands  PREFIX_cenSat-strand.bed: the arrays, blue on +, red on -
//   arrays   rows of PREFIX_arrays.tsv for the satellite arrays other than
//            alpha satellite: the label in the class column, "-" or 0 in the
//            columns of alpha-satellite arrays
struct PlacedCenSat {
    std::vector<TrackItem> track;
    std::vector<TrackItem> strands;
    std::vector<ArrayRow> arrays;
};
PlacedCenSat PlaceCenSat(std::string_view record, std::int64_t offset, const std::vector<CenSatItem>& items);

}  // namespace horgrid
