#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "annotate/Annotate.h"
#include "common/ResultSet.h"
#include "report/ReportModel.h"

namespace horgrid {

// The six result files of `annotate`, one ResultSet: replaced together by
// Commit(), or not at all (nothing under the final names changes before):
//   PREFIX_AS-HOR.bed     BED9, one line per monomer with a HOR or standard name
//   PREFIX_AS-SF.bed      BED9, one line per monomer, named by its family class
//   PREFIX_AS-strand.bed  BED9, as AS-SF, coloured by strand (+ blue, - red)
//   PREFIX_AS-StV.bed     BED9, one line per HOR copy, named by its structural variant
//   PREFIX_arrays.tsv     one line per array (header line first)
//   PREFIX_decomposition.tsv  the monomers as `decompose` writes them, with their names
// Each BED starts with a `track` line (name, description, itemRgb="On").
// With `withReport`, the set holds a seventh member, PREFIX_report.html
// (WriteReport), and the writer keeps what it wrote as values for the page
// (TakeTracks).
class AnnotationWriter {
public:
    AnnotationWriter(const std::string& prefix, const StandardSets& sets, const std::vector<std::string>& inputs,
                     bool withReport = false);

    // Adds one annotated stretch of a record; `offset` is added to every position.
    void Add(std::string_view record, std::int64_t offset, const Annotation& annotation);
    // With a report: the arrays table rows and track lines added since the
    // last call, as the report reads them from the files.
    AnnotationTracks TakeTracks();
    // With a report: the page.
    void WriteReport(const std::string& page);
    void Commit();

private:
    const StandardSets& sets_;
    ResultSet set_;
    ResultFile &hor_, &family_, &strand_, &variants_, &arrays_, &decomposition_;
    ResultFile* report_ = nullptr;
    AnnotationTracks tracks_;
};

// The column names of PREFIX_arrays.tsv, the header line without its '#'.
std::string_view ArraysHeader();

}  // namespace horgrid
