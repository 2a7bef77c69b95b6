#include "ensemble/alphaEnsemble.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "ensemble/EnsembleReader.h"

namespace horgrid {

alphaEnsemble::alphaEnsemble(std::string fileName_) : fileName(std::move(fileName_)) {
    monomers = ReadAlphaFile(fileName);
    monomerCount = static_cast<int>(monomers.size());
}

alphaEnsemble::alphaEnsemble(alphaEnsemble source, int first, int end) {
    const int size = static_cast<int>(source.monomers.size());
    first = std::clamp(first, 0, size);
    end = std::clamp(end, first, size);
    monomers.assign(std::make_move_iterator(source.monomers.begin() + first),
                    std::make_move_iterator(source.monomers.begin() + end));
    monomerCount = static_cast<int>(monomers.size());
}

std::vector<alpha> alphaEnsemble::ReadAlphaFile(std::string path) {
    EnsembleReader reader(std::move(path));
    std::vector<alpha> records;
    alpha record;
    while (reader.Next(record)) records.push_back(std::move(record));
    return records;
}

std::size_t UsableCount(const alphaEnsemble& ensemble, int count) {
    const int held = static_cast<int>(std::min<std::size_t>(ensemble.monomers.size(), INT_MAX));
    return static_cast<std::size_t>(std::max(0, std::min({count, ensemble.monomerCount, held})));
}

}  // namespace horgrid
