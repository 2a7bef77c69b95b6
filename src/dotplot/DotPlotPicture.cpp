#include "dotplot/DotPlotPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "common/NumberFormat.h"

namespace horgrid {

namespace {

// Sides of the drawn matrix in picture pixels: at least kMinPlotSide (small
// ensembles are enlarged), else one picture pixel per grid pixel.
constexpr int kMinPlotSide = 800;
constexpr int kPositionTics = 6;
constexpr std::size_t kNumberTics = 9;
// Pixels gnuplot draws in one plot.
constexpr std::size_t kStripPixels = std::size_t{1} << 20;

// The unit of the position axes, chosen by the largest position.
struct PositionUnit {
    double divisor;
    int decimals;
    const char* name;
};

PositionUnit UnitFor(const std::vector<int>& positions) {
    long long largest = 0;
    for (const int position : positions) largest = std::max(largest, std::llabs(position));
    if (largest < 100000) return {1, 0, "bp"};
    if (largest < 100000000) return {1000, 1, "kb"};
    return {1000000, 2, "Mb"};
}

// "set x2tics ('label' record, ...)" with `tics` records spread over the
// axis, each labelled label(record).
std::string SpreadTics(const char* axis, std::size_t n, int tics,
                       const std::function<std::string(std::size_t record)>& label) {
    if (n == 0) return "";
    std::string text = std::string("set ") + axis + "tics (";
    std::size_t last = n;  // no tic yet
    for (int t = 0; t < tics; ++t) {
        const std::size_t record = (n - 1) * static_cast<std::size_t>(t) / static_cast<std::size_t>(tics - 1);
        if (record == last) continue;
        if (last != n) text += ", ";
        last = record;
        text += '\'' + label(record) + "' " + std::to_string(record + 1);
    }
    return text + ") out nomirror\n";
}

std::string PositionTics(const char* axis, const std::vector<int>& positions) {
    const PositionUnit unit = UnitFor(positions);
    return SpreadTics(axis, positions.size(), kPositionTics,
                      [&](std::size_t record) { return Fixed(positions[record] / unit.divisor, unit.decimals); });
}

// The first axes: record numbers, or the records' own numbers when given
// and not simply 1, 2, 3, ...
std::string NumberTics(const DotPlotLook& look, std::size_t records) {
    const std::string increment = records < 10 ? " 1" : "";
    bool plain = look.numbers.size() != records;  // gnuplot's own tics
    if (!plain) {
        plain = true;
        for (std::size_t i = 0; plain && i < records; ++i) plain = look.numbers[i] == static_cast<int>(i + 1);
    }
    if (plain) {
        return "set xtics out nomirror" + increment + "\nset ytics out nomirror" + increment + "\n";
    }
    const auto label = [&](std::size_t record) { return std::to_string(look.numbers[record]); };
    const int tics = static_cast<int>(std::min<std::size_t>(records, kNumberTics));
    return SpreadTics("x", records, std::max(tics, 2), label) + SpreadTics("y", records, std::max(tics, 2), label);
}

// gnuplot draws no image of fewer than 2 x 2 points: a grid of one pixel is
// handed to it as 2 x 2 copies of that pixel. The side of the pixel data:
std::size_t DataSide(const IdentityGrid& grid) {
    return grid.side == 1 ? 2 : grid.side;
}

// Writes the grid's pixels as native floats, row by row. Returns whether
// every row was written.
bool WritePixels(const IdentityGrid& grid, FILE* file) {
    const std::size_t side = DataSide(grid);
    const std::size_t scale = side / grid.side;
    std::vector<float> row(side);
    bool written = true;
    for (std::size_t r = 0; written && r < side; ++r) {
        for (std::size_t c = 0; c < side; ++c) row[c] = static_cast<float>(grid.at(r / scale, c / scale));
        written = std::fwrite(row.data(), sizeof(float), row.size(), file) == row.size();
    }
    return written;
}

}  // namespace

const char* const kIdentityPalette =
    "set palette defined (0 '#2c1e50', 0.25 '#3b528b', 0.5 '#21918c', 0.75 '#5ec962', 1 '#fde725')\n";

std::string ImageStrips(const std::string& dataFile, std::size_t columns, std::size_t rows, double dx, double dy,
                        double x0, double y0, const std::string& decorations) {
    // gnuplot holds every pixel of a plot as one point of about 80 bytes: the
    // matrix is drawn in strips of rows, one plot each, so it holds one strip
    // at a time. The decorations (title, axes, colour bar) come with the last
    // strip. A strip of one row is no image to gnuplot: a last row alone
    // joins the strip before it.
    const std::size_t stripRows = std::max<std::size_t>(2, kStripPixels / columns);
    const std::string centre = Fixed(x0 + dx / 2, 6);  // of the first pixel
    std::string text;
    for (std::size_t first = 0, strip = 0; first < rows; first += strip) {
        strip = std::min(stripRows, rows - first);
        if (rows - first - strip == 1) ++strip;
        if (first + strip == rows) text += decorations;
        text += "plot '" + dataFile + "' binary array=(" + std::to_string(columns) + "," + std::to_string(strip) +
                ") skip=" + std::to_string(first * columns * sizeof(float)) + " format='%float' dx=" +
                Fixed(dx, 6) + " dy=" + Fixed(dy, 6) + " origin=(" + centre + "," +
                Fixed(y0 + (static_cast<double>(first) + 0.5) * dy, 6) + ") with image\n";
    }
    return text;
}

std::string OneLineScript(const std::string& text) {
    // gnuplot reads its -e argument as one line: the commands are separated
    // by semicolons, the line feeds only keep the text readable.
    std::string script;
    for (const char c : text) script += c == '\n' ? ";\n" : std::string(1, c);
    return script;
}

std::string DotPlotScript(const IdentityGrid& grid, const DotPlotLook& look, const std::string& dataFile,
                          const std::string& output) {
    const int plotSide = std::max(kMinPlotSide, static_cast<int>(grid.side));
    const int font = std::max(12, plotSide / 60);
    // Margins around the matrix, in picture pixels: labels left and below,
    // title and position axis above, position axis and colour bar right.
    const int left = 7 * font, bottom = 5 * font, top = 9 * font, right = 19 * font;
    const int width = left + plotSide + right, height = bottom + plotSide + top;
    const auto x = [&](int pixels) { return Fixed(static_cast<double>(pixels) / width, 4); };
    const auto y = [&](int pixels) { return Fixed(static_cast<double>(pixels) / height, 4); };
    const std::string n = std::to_string(grid.records);
    const std::size_t side = DataSide(grid);
    const double step = static_cast<double>(grid.records) / static_cast<double>(side);

    // The frame: picture, matrix area, ranges and colours.
    std::string text;
    text += "set terminal pngcairo size " + std::to_string(width) + "," + std::to_string(height) +
            " font 'sans," + std::to_string(font) + "' noenhanced\n";
    text += "set output '" + output + "'\n";
    text += "set lmargin at screen " + x(left) + "\nset rmargin at screen " + x(left + plotSide) + "\n";
    text += "set bmargin at screen " + y(bottom) + "\nset tmargin at screen " + y(bottom + plotSide) + "\n";
    text += "set xrange [0.5:" + n + ".5]\nset yrange [" + n + ".5:0.5]\n";
    text += "set cbrange [" + Fixed(look.minIdentity, 6) + ":100]\n";
    text += kIdentityPalette;
    text += "unset key\nset multiplot\n";
    std::string decorations = "set title '" + look.title + "' offset 0,1\n";
    decorations += "set link x2\nset link y2\n";
    // Whole monomer numbers on the axes of a few monomers too.
    decorations += NumberTics(look, grid.records);
    decorations += PositionTics("x2", look.positions) + PositionTics("y2", look.positions);
    const std::string unit = UnitFor(look.positions).name;
    decorations += "set xlabel '" + look.records + "'\nset ylabel '" + look.records + "'\n";
    decorations += "set x2label 'position (" + unit + ")'\nset y2label 'position (" + unit + ")'\n";
    decorations += "set border\nset colorbox vertical user origin screen " + x(left + plotSide + 11 * font) +
                   "," + y(bottom) + " size screen " + x(font * 3 / 2) + "," + y(plotSide) + "\n";
    decorations += "set cblabel 'identity (%)'\n";
    text += "unset border\nunset xtics\nunset ytics\nunset colorbox\n";
    text += ImageStrips(dataFile, side, side, step, step, 0.5, 0.5, decorations);
    text += "unset multiplot\n";
    return OneLineScript(text);
}

std::string DotPlotJob(const IdentityGrid& grid, const DotPlotLook& look, const std::string& picture, PlotJob& job) {
    if (grid.side == 0) return "the ensemble has no monomers";
    if (!IsPlotSafe(look.title) || !IsPlotSafe(look.records)) {
        return "its title '" + look.title + "' holds a quote, dollar sign, backquote, backslash or newline";
    }
    job = PlotJob{picture, "pixel data", [&grid](FILE* file) { return WritePixels(grid, file); },
                  [&grid, &look](const std::string& data, const std::string& output) {
                      return DotPlotScript(grid, look, data, output);
                  },
                  PictureFormat::Png};
    return {};
}

std::string DrawDotPlot(const IdentityGrid& grid, const DotPlotLook& look, const std::string& picture,
                        const PlotSettings& settings) {
    PlotJob job;
    const std::string refused = DotPlotJob(grid, look, picture, job);
    return refused.empty() ? DrawFromData(job, settings) : refused;
}

}  // namespace horgrid
