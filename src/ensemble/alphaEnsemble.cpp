#include "ensemble/alphaEnsemble.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "common/TextInput.h"

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
    const std::string text = ReadTextFile(path);
    std::vector<alpha> records;
    records.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) records.emplace_back(line, 5);
    return records;
}

}  // namespace horgrid
