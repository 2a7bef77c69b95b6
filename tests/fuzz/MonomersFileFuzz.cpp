// A monomers file (records cut into groups by empty lines) read in every
// layout, then run through the three analyses that read such files: the
// consensus finder, the distance matrices and the HOR divergence table, each
// writing its result beside the input in a temporary folder.

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "TestSupport.h"
#include "groups/MonomersFile.h"
#include "groups/consensus.h"
#include "groups/distanceMatrix.h"
#include "groups/horTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const horgrid::test::TempDir dir;
    const std::string path = dir.Write("in.txt", text);

    // Empty lines: line feeds at the start or after another line feed.
    std::size_t emptyLines = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        emptyLines += text[i] == '\n' && (i == 0 || text[i - 1] == '\n');
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                              (text.empty() || text.back() == '\n' ? 0 : 1);
    for (const int layout : {3, 5, 6, horgrid::kLayoutPerLine}) {
        const horgrid::AlphaGroups groups = horgrid::ReadMonomersFile(path, layout);
        std::size_t records = 0;
        for (const auto& group : groups) records += group.size();
        FUZZ_CHECK(groups.size() == emptyLines + 1);
        FUZZ_CHECK(records == lines - emptyLines);
    }

    (void)horgrid::consensus(path);
    (void)horgrid::distanceMatrix(path);
    (void)horgrid::horTable(path);
    return 0;
}
