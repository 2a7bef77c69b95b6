#pragma once

#include <string>

namespace horgrid {

// The file name without its directory and without the extension after its last
// "." (a "." inside a directory name is no extension): chr7.ens, data/chr7.ens,
// data/chr7 and ./data/chr7 all give chr7; data/chr7.old.ens gives chr7.old.
std::string BaseName(const std::string& path);

// The characters up to and including the last "/", nothing when there is none.
std::string DirectoryPart(const std::string& path);

}  // namespace horgrid
