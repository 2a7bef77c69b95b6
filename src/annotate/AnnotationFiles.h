#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "annotate/Annotate.h"
#include "common/ResultSet.h"
#include "annotate/PlacedCenSat.h"
#include "report/ReportModel.h"

namespace horgrid {

// The eight result files of `annotate`, one ResultSet: replaced together by
// Commit(), or not at all (nothing under the final names changes before):
//   PREFIX_AS-HOR.bed     BED9, one line per monomer with a HOR or standard name
//   PREFIX_AS-SF.bed      BED9, one line per monomer, named by its family class
//   PREFIX_AS-strand.bed  BED9, as AS-SF, coloured by strand (+ blue, - red)
//   PREFIX_AS-StV.bed     BED9, one line per HOR copy, named by its structural variant
//   PREFIX_arrays.tsv     one line per array (header line first)
//   PREFIX_decomposition.tsv  the monomers as `decompose` writes them, with their names
//   PREFIX_cenSat.bed     BED9, the cenSat track: one line per satellite array, ct or GAP
//   PREFIX_cenSat-strand.bed  BED9, the satellite arrays of the track coloured by strand
// Each BED starts with a `track` line (name, description, itemRgb="On").
// With `withReport`, the set holds a ninth member, PREFIX_report.html
// (WriteReport).
class AnnotationWriter {
public:
    AnnotationWriter(const std::string& prefix, const std::vector<std::string>& inputs, bool withReport = false);

    // Adds one annotated stretch of a record: the lines of `placed`
    // (PlaceAnnotation of `annotation`) and the decomposition rows of its
    // monomers, whose positions `offset` is added to.
    void Add(const AnnotationTracks& placed, std::string_view record, std::int64_t offset,
             const Annotation& annotation);
    // Adds the cenSat track of one record (PlaceCenSat), after its stretches:
    // its satellite arrays other than alpha satellite join the record's
    // alpha-satellite arrays in the arrays table, all in position order (the
    // record's alpha rows wait for them).
    void AddCenSat(const PlacedCenSat& placed);
    // With a report: the page.
    void WriteReport(const std::string& page);
    void Commit();

private:
    ResultSet set_;
    ResultFile &hor_, &family_, &strand_, &variants_, &arrays_, &decomposition_, &cenSat_, &cenSatStrand_;
    ResultFile* report_ = nullptr;
    std::vector<ArrayRow> alphaRows_;  // of the record being added
};

}  // namespace horgrid
