#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// A data file compiled into the library (the files of data/ listed in
// CMakeLists.txt as HORGRID_EMBEDDED_FILES, written into a generated source
// by cmake/EmbedFiles.cmake), so the executables run without a data folder.
struct EmbeddedFile {
    std::string_view name;   // the file's name in data/, e.g. "AS-SF.consensus.fa"
    std::string_view bytes;  // its exact bytes (still compressed for .gz)
};

// Every embedded file, in the order of the list.
const std::vector<EmbeddedFile>& EmbeddedFiles();

// The contents of the embedded file `name`, decompressed when the name ends
// in ".gz" (gzip or bgzip). Throws std::out_of_range for a name that is not
// embedded and std::runtime_error for a damaged compressed stream.
std::string EmbeddedText(std::string_view name);

// The monomers of an embedded FASTA file (EmbeddedText), one per record,
// named by the first word of the header, bases upper-cased. A name that occurs
// again later is skipped (the first record of a name wins).
std::vector<MonomerType> EmbeddedMonomerSet(std::string_view name);
// The same with every record, a name that occurs again included.
std::vector<MonomerType> EmbeddedMonomerRecords(std::string_view name);
// The first record of each name, in their order.
std::vector<MonomerType> FirstOfEachName(std::vector<MonomerType> set);

}  // namespace horgrid
