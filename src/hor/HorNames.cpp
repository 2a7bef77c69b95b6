#include "hor/HorNames.h"

#include "common/PathNames.h"

namespace horgrid {

std::string HorTitle(const std::string& ensemblePath, int firstPosition, int lastPosition) {
    return BaseName(ensemblePath) + "-" + std::to_string(firstPosition) + "bp-" +
           std::to_string(lastPosition) + "bp";
}

}  // namespace horgrid
