#pragma once

#include <string>
#include <string_view>

namespace horgrid {

// The reverse complement of a DNA sequence: A<->T, C<->G (either case, case
// kept); every other byte (N, IUPAC codes) is kept as it is.
std::string ReverseComplement(std::string_view sequence);

}  // namespace horgrid
