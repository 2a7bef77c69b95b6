#include "dotplot/DotPlotTable.h"

#include "common/NumberFormat.h"
#include "common/ResultFile.h"

namespace horgrid {

void WriteDotPlotTable(const IdentityGrid& grid, const std::string& path) {
    ResultFile out(path);
    std::string text = "row\tcolumn\tidentity\n";
    for (std::size_t row = 0; row < grid.side; ++row) {
        const std::string rowText = std::to_string(row + 1) + "\t";
        for (std::size_t column = 0; column < grid.side; ++column) {
            text += rowText;
            text += std::to_string(column + 1);
            text += '\t';
            text += Fixed(grid.at(row, column), 2);
            text += '\n';
        }
        out.Write(text);
        text.clear();
    }
    out.Write(text);
    out.Commit();
}

}  // namespace horgrid
