#pragma once

#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// The 39 consensus monomers of the alpha-satellite suprachromosomal family
// classes (J1-J6, D1-D9, FD, W1-W5, R1, R2 and the older classes), in the
// standard monomer phase: the default templates of `infer`. They are
// data/AS-SF.consensus.fa, built into the library (data/EmbeddedData.h).
std::vector<MonomerType> StandardClassMonomers();

}  // namespace horgrid
