#include "infer/StandardMonomers.h"

#include "data/EmbeddedData.h"

namespace horgrid {

std::vector<MonomerType> StandardClassMonomers() { return EmbeddedMonomerSet("AS-SF.consensus.fa"); }

}  // namespace horgrid
