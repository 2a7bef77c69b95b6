#pragma once

// The reference monomers of the alpha-satellite filter, read from files.

#include <string>
#include <vector>

namespace horgrid {

// The sequences of every record of the FASTA files (plain or gzip), in order;
// records may share names (a standard HOR monomer can have several
// consensus sequences). Raises FileError naming the path when a file cannot
// be read or holds no record.
std::vector<std::string> ReadAlphaReferences(const std::vector<std::string>& paths);

}  // namespace horgrid
