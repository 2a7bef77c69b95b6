#include "dotplot/WindowPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "common/NumberFormat.h"
#include "dotplot/DotPlotPicture.h"

namespace horgrid {

namespace {

// The longer side of the drawn matrix in picture pixels: at least
// kMinPlotSide, else one picture pixel per window.
constexpr int kMinPlotSide = 800;

// gnuplot draws no image of fewer than 2 points along a side: a matrix of one
// row or column is handed to it with that row or column twice.
std::size_t Repeat(std::size_t count) {
    return count == 1 ? 2 : 1;
}

bool WriteCells(const WindowMatrix& matrix, double minIdentity, FILE* file) {
    const std::size_t repeatRows = Repeat(matrix.rows), repeatColumns = Repeat(matrix.columns);
    std::vector<float> row(matrix.columns * repeatColumns);
    for (std::size_t r = 0; r < matrix.rows * repeatRows; ++r) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            const float value = matrix.at(r / repeatRows, c / repeatColumns);
            // White, gnuplot's undefined pixel, below the scale.
            row[c] = value >= minIdentity ? value : std::numeric_limits<float>::quiet_NaN();
        }
        if (std::fwrite(row.data(), sizeof(float), row.size(), file) != row.size()) return false;
    }
    return true;
}

}  // namespace

double AutomaticMinIdentity(const WindowMatrix& matrix, bool self) {
    std::vector<float> values;
    for (std::size_t r = 0; r < matrix.rows; ++r) {
        for (std::size_t c = 0; c < matrix.columns; ++c) {
            const float value = matrix.at(r, c);
            if ((!self || r != c) && value > 0) values.push_back(value);
        }
    }
    if (values.empty()) return 50;
    const std::size_t rank = values.size() / 20;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rank), values.end());
    return std::clamp(std::floor(static_cast<double>(values[rank])), 50.0, 99.0);
}

std::string WindowPlotScript(const WindowMatrix& matrix, const WindowPlotLook& look, const std::string& dataFile,
                             const std::string& output) {
    const std::size_t longer = std::max(matrix.rows, matrix.columns);
    const double scale = static_cast<double>(std::max<std::size_t>(kMinPlotSide, longer)) / static_cast<double>(longer);
    const int plotWidth = static_cast<int>(std::lround(scale * static_cast<double>(matrix.columns)));
    const int plotHeight = static_cast<int>(std::lround(scale * static_cast<double>(matrix.rows)));
    const int font = std::max(12, std::max(plotWidth, plotHeight) / 60);
    // Margins around the matrix, in picture pixels: labels left and below,
    // the title above, the colour bar right.
    const int left = 7 * font, bottom = 5 * font, top = 4 * font, right = 10 * font;
    const int width = left + std::max(plotWidth, 20 * font) + right, height = bottom + plotHeight + top;
    const auto x = [&](int pixels) { return Fixed(static_cast<double>(pixels) / width, 4); };
    const auto y = [&](int pixels) { return Fixed(static_cast<double>(pixels) / height, 4); };
    const auto mb = [](double bases) { return Fixed(bases / 1e6, 6); };
    const double window = static_cast<double>(matrix.window);
    // The matrix covers whole windows; the last may reach past the sequence.
    const double spanX = window * static_cast<double>(matrix.columns);
    const double spanY = window * static_cast<double>(matrix.rows);

    std::string text;
    text += "set terminal pngcairo size " + std::to_string(width) + "," + std::to_string(height) + " font 'sans," +
            std::to_string(font) + "' noenhanced\n";
    text += "set output '" + output + "'\n";
    text += "set lmargin at screen " + x(left) + "\nset rmargin at screen " + x(left + plotWidth) + "\n";
    text += "set bmargin at screen " + y(bottom) + "\nset tmargin at screen " + y(bottom + plotHeight) + "\n";
    text += "set xrange [0:" + mb(spanX) + "]\nset yrange [" + mb(spanY) + ":0]\n";
    text += "set cbrange [" + Fixed(look.minIdentity, 6) + ":100]\n";
    text += kIdentityPalette;
    text += "unset key\nset multiplot\n";
    std::string decorations = "set title '" + look.title + "'\n";
    decorations += "set xtics out nomirror\nset ytics out nomirror\n";
    decorations += "set xlabel '" + look.columnsName + " (Mb)'\nset ylabel '" + look.rowsName + " (Mb)'\n";
    decorations += "set border\nset colorbox vertical user origin screen " + x(left + plotWidth + 2 * font) + "," +
                   y(bottom) + " size screen " + x(font * 3 / 2) + "," + y(plotHeight) + "\n";
    decorations += "set cblabel 'identity (%)'\n";
    text += "unset border\nunset xtics\nunset ytics\nunset colorbox\n";
    const std::size_t repeatRows = Repeat(matrix.rows), repeatColumns = Repeat(matrix.columns);
    text += ImageStrips(dataFile, matrix.columns * repeatColumns, matrix.rows * repeatRows,
                        window / 1e6 / static_cast<double>(repeatColumns), window / 1e6 / static_cast<double>(repeatRows),
                        0, 0, decorations);
    text += "unset multiplot\n";
    return OneLineScript(text);
}

std::string DrawWindowPlot(const WindowMatrix& matrix, const WindowPlotLook& look, const std::string& picture,
                           const PlotSettings& settings) {
    if (matrix.rows == 0 || matrix.columns == 0) return "the sequence is empty";
    for (const std::string* name : {&look.title, &look.columnsName, &look.rowsName}) {
        if (!IsPlotSafe(*name)) {
            return "the name '" + *name + "' holds a quote, dollar sign, backquote, backslash or newline";
        }
    }
    return DrawFromData(
        picture, "pixel data", [&](FILE* file) { return WriteCells(matrix, look.minIdentity, file); },
        [&](const std::string& data, const std::string& output) {
            return WindowPlotScript(matrix, look, data, output);
        },
        PictureFormat::Png, settings);
}

}  // namespace horgrid
