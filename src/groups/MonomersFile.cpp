#include "groups/MonomersFile.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include "common/TextInput.h"

namespace horgrid {

int LayoutFromBlanks(std::string_view line) {
    const auto columns = std::count(line.begin(), line.end(), ' ') + 1;
    return columns == 3 || columns == 5 ? static_cast<int>(columns) : 6;
}

AlphaGroups ParseMonomers(std::string_view text, int layout) {
    AlphaGroups groups;
    std::vector<alpha> current;
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) {
        if (line.empty()) {
            groups.push_back(std::move(current));
            current.clear();
        } else {
            current.emplace_back(line, layout == kLayoutPerLine ? LayoutFromBlanks(line) : layout);
        }
    }
    groups.push_back(std::move(current));
    return groups;
}

AlphaGroups ReadMonomersFile(const std::string& path, int layout) {
    std::cout << "Reading File...\n";
    return ParseMonomers(ReadTextFile(path), layout);
}

}  // namespace horgrid
