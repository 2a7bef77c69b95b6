#pragma once

#include <string_view>

namespace horgrid {

// The class of a satellite array: a live HOR (its monomers close to their
// standard HOR monomers), a diverged HOR, or monomeric satellite.
enum class ArrayClass { LiveHor, DivergedHor, Monomeric };
std::string_view ArrayClassName(ArrayClass kind);  // "live HOR", "diverged HOR", "monomeric"

}  // namespace horgrid
