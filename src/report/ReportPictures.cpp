#include "report/ReportPictures.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/FileError.h"
#include "common/TemporaryFile.h"
#include "common/TextInput.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/IdentityGrid.h"

namespace horgrid {

namespace {

// A cell as gnuplot reads it (binary, native byte order): its centre's column
// and row (int32), its half width and height (float64), its colour as
// 0xRRGGBB (uint32). The half sizes are data rather than constant expressions
// of the plot: gnuplot sets and resets a signal handler around every
// expression it evaluates, two system calls a cell and expression.
constexpr char kCellFormat[] = "%int32%int32%float64%float64%uint32";
constexpr double kHalfWidth = 0.45;
constexpr double kHalfHeight = 0.4;

// Writes one record per cell. Returns whether every record was written.
bool WriteCells(const HorLayout& layout, FILE* file) {
    bool written = true;
    for (const HorCell& cell : layout.cells) {
        const std::int32_t place[2] = {cell.column, cell.row};
        const double half[2] = {kHalfWidth, kHalfHeight};
        const std::uint32_t colour = static_cast<std::uint32_t>(cell.colour.red) << 16 |
                                     static_cast<std::uint32_t>(cell.colour.green) << 8 | cell.colour.blue;
        unsigned char bytes[sizeof place + sizeof half + sizeof colour];
        std::memcpy(bytes, place, sizeof place);
        std::memcpy(bytes + sizeof place, half, sizeof half);
        std::memcpy(bytes + sizeof place + sizeof half, &colour, sizeof colour);
        written = written && std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
    }
    return written;
}

}  // namespace

std::string HorStructureScript(const HorLayout& layout, const std::string& title, const std::string& dataFile,
                               const std::string& output) {
    // Copies are at least one pixel tall; a long array makes a taller picture.
    const int height = std::clamp(layout.rows * 4 + 140, 360, 1200);
    const std::string columns = std::to_string(layout.columns);
    const std::string rows = std::to_string(layout.rows);
    std::string text;
    text += "set terminal pngcairo size 600," + std::to_string(height) + " font 'sans,12' noenhanced\n";
    text += "set output '" + output + "'\n";
    text += "set title '" + title + "'\n";
    text += "set xrange [0.5:" + columns + ".5]\nset yrange [" + rows + ".5:0.5]\n";
    text += "set xlabel 'unit monomer'\nset ylabel 'HOR copy'\nunset key\n";
    text += layout.columns <= 30 ? "set xtics 1 out nomirror\n" : "set xtics out nomirror\n";
    text += "set ytics out nomirror\nset border 3\n";
    text += "plot '" + dataFile +
            "' binary format='" + kCellFormat + "' using 1:2:3:4:5 with boxxyerror fill solid 1.0 "
            "noborder lc rgb variable\n";
    std::string script;
    for (const char c : text) script += c == '\n' ? ";\n" : std::string(1, c);
    return script;
}

std::string HorStructureJob(const HorLayout& layout, const std::string& title, const std::string& picture,
                            PlotJob& job) {
    if (layout.cells.empty()) return "the array has no HOR copy with named unit monomers";
    if (!IsPlotSafe(title)) return "its title holds a quote, dollar sign, backquote, backslash or newline";
    job = PlotJob{picture, "data", [&layout](FILE* file) { return WriteCells(layout, file); },
                  [&layout, title](const std::string& data, const std::string& output) {
                      return HorStructureScript(layout, title, data, output);
                  },
                  PictureFormat::Png};
    return {};
}

std::string DrawHorStructure(const HorLayout& layout, const std::string& title, const std::string& picture,
                             const PlotSettings& settings) {
    PlotJob job;
    const std::string refused = HorStructureJob(layout, title, picture, job);
    return refused.empty() ? DrawFromData(job, settings) : refused;
}

Picture DrawInMemory(const std::string& beside,
                     const std::function<std::string(const std::string& picture)>& draw) {
    Picture picture;
    try {
        TemporaryFile place(PlotPath(beside));
        ::close(place.Release());
        picture.failure = draw(place.path());
        if (picture.failure.empty()) picture.png = ReadTextFile(place.path());
    } catch (const FileError& error) {
        picture.failure = error.what();
    }
    return picture;
}

namespace {

// At most this many pictures go to one run of gnuplot: a run's timeout covers
// all of them, and its script is one argument of the program.
constexpr std::size_t kPicturesARun = 8;

// One picture to draw: the job for a picture path (or the reason there is
// none), and where it goes.
struct PictureToDraw {
    std::function<std::string(const std::string& picture, PlotJob& job)> job;
    Picture* target = nullptr;
};

// `pictures` drawn by one run of gnuplot. Returns false, with no target
// touched, when a temporary file could not be made or read.
bool DrawTogetherInMemory(const std::string& beside, const PlotSettings& settings,
                          const std::vector<PictureToDraw>& pictures) {
    try {
        std::vector<std::unique_ptr<TemporaryFile>> places;
        std::vector<Picture> made(pictures.size());
        std::vector<PlotJob> jobs;
        std::vector<std::size_t> drawn;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            places.push_back(std::make_unique<TemporaryFile>(PlotPath(beside)));
            ::close(places.back()->Release());
            PlotJob job;
            made[i].failure = pictures[i].job(places.back()->path(), job);
            if (!made[i].failure.empty()) continue;
            jobs.push_back(std::move(job));
            drawn.push_back(i);
        }
        const std::vector<std::string> failures = DrawAllFromData(jobs, settings);
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            made[drawn[i]].failure = failures[i];
            if (failures[i].empty()) made[drawn[i]].png = ReadTextFile(jobs[i].picture);
        }
        for (std::size_t i = 0; i < pictures.size(); ++i) *pictures[i].target = std::move(made[i]);
        return true;
    } catch (const FileError&) {
        return false;
    }
}

// Each picture, kPicturesARun to a run of gnuplot; a group whose temporary
// files fail is drawn picture by picture, as DrawInMemory does.
void DrawInRuns(const std::string& beside, const PlotSettings& settings, const std::vector<PictureToDraw>& pictures) {
    for (std::size_t first = 0; first < pictures.size(); first += kPicturesARun) {
        const std::vector<PictureToDraw> group(
            pictures.begin() + static_cast<std::ptrdiff_t>(first),
            pictures.begin() + static_cast<std::ptrdiff_t>(std::min(pictures.size(), first + kPicturesARun)));
        if (DrawTogetherInMemory(beside, settings, group)) continue;
        for (const PictureToDraw& picture : group) {
            *picture.target = DrawInMemory(beside, [&](const std::string& path) {
                PlotJob job;
                const std::string refused = picture.job(path, job);
                return refused.empty() ? DrawFromData(job, settings) : refused;
            });
        }
    }
}

}  // namespace

ArrayDrawing PrepareArrayPictures(const ArrayContent& array, std::size_t number, const HeatMapUnits& units,
                                  const std::vector<std::string_view>& sequences,
                                  const std::vector<int>& positions, const PictureSettings& settings) {
    const std::string name = "array " + std::to_string(number);
    ArrayDrawing drawing;
    drawing.horTitle = "HOR structure, " + name;
    drawing.layout = LayOutHorCopies(array.copies, array.monomers);
    if (drawing.layout.cells.empty()) {
        drawing.pictures.hor = {"", "the array has no HOR copy with named unit monomers", true};
    }
    if (sequences.empty()) {
        drawing.pictures.heatMap = {"", "the array has no monomers", true};
        return drawing;
    }
    drawing.grid = ComputeIdentityGrid(sequences, settings.heatMapSide, settings.threads);
    drawing.look.title = "identity, " + name;
    drawing.look.minIdentity = ColourFloor(drawing.grid.identity);
    drawing.look.records = units.label;
    drawing.look.positions = positions;
    drawing.look.numbers = units.numbers;
    drawing.heatMap = true;
    return drawing;
}

void DrawPrepared(std::vector<ArrayDrawing>& drawings, const PictureSettings& settings) {
    std::vector<PictureToDraw> pictures;
    for (ArrayDrawing& drawing : drawings) {
        if (!drawing.layout.cells.empty()) {
            pictures.push_back({[&drawing](const std::string& picture, PlotJob& job) {
                                    return HorStructureJob(drawing.layout, drawing.horTitle, picture, job);
                                },
                                &drawing.pictures.hor});
        }
        if (drawing.heatMap) {
            pictures.push_back({[&drawing](const std::string& picture, PlotJob& job) {
                                    return DotPlotJob(drawing.grid, drawing.look, picture, job);
                                },
                                &drawing.pictures.heatMap});
        }
    }
    DrawInRuns(settings.beside, settings.plot, pictures);
}

ArrayPictures DrawArrayPictures(const ArrayContent& array, std::size_t number, const HeatMapUnits& units,
                                const std::vector<std::string_view>& sequences,
                                const std::vector<int>& positions, const PictureSettings& settings) {
    std::vector<ArrayDrawing> drawings;
    drawings.push_back(PrepareArrayPictures(array, number, units, sequences, positions, settings));
    DrawPrepared(drawings, settings);
    return std::move(drawings.front().pictures);
}

}  // namespace horgrid
