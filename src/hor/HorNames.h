#pragma once

#include <string>

namespace horgrid {

// The title of a segment's picture: base name, "-", first position, "bp-", last
// position, "bp" (data/chr7.ens, 100, 900 give chr7-100bp-900bp).
std::string HorTitle(const std::string& ensemblePath, int firstPosition, int lastPosition);

}  // namespace horgrid
