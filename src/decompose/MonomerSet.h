#pragma once

#include <string>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// The monomer set of a FASTA file (plain, gzip or bgzip): one type per record,
// named by the first word of its header. Raises FileError naming the path when
// the file cannot be read, holds no record, names two types alike, names a
// type with a trailing ' (the results mark a reverse-complemented type so) or
// breaks a rule of the decomposition (DecomposeLimitError: an empty monomer).
std::vector<MonomerType> ReadMonomerSet(const std::string& path);

}  // namespace horgrid
