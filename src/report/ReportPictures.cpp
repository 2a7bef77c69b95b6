#include "report/ReportPictures.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "common/FileError.h"
#include "common/TemporaryFile.h"
#include "common/TextInput.h"
#include "dotplot/DotPlotPicture.h"
#include "dotplot/IdentityGrid.h"

namespace horgrid {

namespace {

// Writes one line per cell. Returns whether every line was written.
bool WriteCells(const HorLayout& layout, FILE* file) {
    bool written = true;
    for (const HorCell& cell : layout.cells) {
        const unsigned colour = static_cast<unsigned>(cell.colour.red) << 16 |
                                static_cast<unsigned>(cell.colour.green) << 8 | cell.colour.blue;
        written = std::fprintf(file, "%d %d %u\n", cell.column, cell.row, colour) > 0 && written;
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
            "' using 1:2:(0.45):(0.4):3 with boxxyerror fill solid 1.0 noborder lc rgb variable\n";
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

using JobMaker = std::function<std::string(const std::string& picture, PlotJob& job)>;

// Both pictures of an array in one run of gnuplot: each maker gives the job
// for a picture path, or the reason there is no picture. Returns false, with
// `pictures` untouched, when a temporary file could not be made or read.
bool DrawBothInMemory(const std::string& beside, const PlotSettings& settings, const JobMaker& hor,
                      const JobMaker& heatMap, ArrayPictures& pictures) {
    try {
        TemporaryFile places[] = {TemporaryFile(PlotPath(beside)), TemporaryFile(PlotPath(beside))};
        Picture both[2];
        const JobMaker* const makers[] = {&hor, &heatMap};
        std::vector<PlotJob> jobs;
        std::vector<Picture*> drawn;
        for (int i = 0; i < 2; ++i) {
            ::close(places[i].Release());
            PlotJob job;
            both[i].failure = (*makers[i])(places[i].path(), job);
            if (!both[i].failure.empty()) continue;
            jobs.push_back(std::move(job));
            drawn.push_back(&both[i]);
        }
        const std::vector<std::string> failures = DrawAllFromData(jobs, settings);
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            drawn[i]->failure = failures[i];
            if (failures[i].empty()) drawn[i]->png = ReadTextFile(jobs[i].picture);
        }
        pictures.hor = std::move(both[0]);
        pictures.heatMap = std::move(both[1]);
        return true;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace

ArrayPictures DrawArrayPictures(const ArrayContent& array, std::size_t number, const HeatMapUnits& units,
                                const std::vector<std::string_view>& sequences,
                                const std::vector<int>& positions, const PictureSettings& settings) {
    const std::string name = "array " + std::to_string(number);
    const std::string horTitle = "HOR structure, " + name;
    ArrayPictures pictures;
    const HorLayout layout = LayOutHorCopies(array.copies, array.monomers);
    const auto drawHor = [&] {
        if (layout.cells.empty()) {
            pictures.hor = {"", "the array has no HOR copy with named unit monomers", true};
            return;
        }
        pictures.hor = DrawInMemory(settings.beside, [&](const std::string& picture) {
            return DrawHorStructure(layout, horTitle, picture, settings.plot);
        });
    };
    if (sequences.empty()) {
        drawHor();
        pictures.heatMap = {"", "the array has no monomers", true};
        return pictures;
    }
    const IdentityGrid grid = ComputeIdentityGrid(sequences, settings.heatMapSide, settings.threads);
    DotPlotLook look;
    look.title = "identity, " + name;
    look.minIdentity = ColourFloor(grid.identity);
    look.records = units.label;
    look.positions = positions;
    look.numbers = units.numbers;
    // One start of gnuplot for both pictures; drawn one by one otherwise, as before.
    if (!layout.cells.empty() &&
        DrawBothInMemory(
            settings.beside, settings.plot,
            [&](const std::string& picture, PlotJob& job) { return HorStructureJob(layout, horTitle, picture, job); },
            [&](const std::string& picture, PlotJob& job) { return DotPlotJob(grid, look, picture, job); },
            pictures)) {
        return pictures;
    }
    drawHor();
    pictures.heatMap = DrawInMemory(settings.beside, [&](const std::string& picture) {
        return DrawDotPlot(grid, look, picture, settings.plot);
    });
    return pictures;
}

}  // namespace horgrid
