#pragma once

#include <string>

namespace horgrid {

// Option -d: reads two sequence files and prints both lengths, their edit
// distance and that distance as a percentage of the longer sequence.
void FindDistanceBetweenStrings(std::string firstFile, std::string secondFile);

}  // namespace horgrid
