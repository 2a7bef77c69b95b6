#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "annotate/Annotate.h"
#include "report/ReportModel.h"

namespace horgrid {

// The column names of PREFIX_arrays.tsv, the header line without its '#'.
std::string_view ArraysHeader();
std::vector<std::string> ArraysColumns();  // the same, one entry per column

// The annotation of one stretch of record `record` (its positions plus
// `offset`) as the lines of annotate's result files, values that both the
// BED/TSV writer and the report take (pure):
//   monomers  AS-HOR: the monomers with a HOR or standard name, their name's
//             colour, score identity * 10
//   families  AS-SF: every monomer, named and coloured by its family class,
//             score familyIdentity * 10
//   strands   AS-strand: as families, blue on +, red on -
//   copies    AS-StV: the HOR copies named by their variant, score their
//             monomer count; the array's most frequent variant takes the HOR's
//             colour, the next 16 each a colour of a fixed list by falling
//             frequency, the rest one grey
//   arrays    one row per array, every column of PREFIX_arrays.tsv as text
// arrayColumns stays empty (ArraysColumns gives it).
AnnotationTracks PlaceAnnotation(std::string_view record, std::int64_t offset, const Annotation& annotation,
                                 const StandardSets& sets);

}  // namespace horgrid
