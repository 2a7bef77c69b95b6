#pragma once

#include <string>

namespace horgrid {

// Where DrawHORGraph puts its pictures.
inline constexpr char kGraphDirectory[] = "/tmp/";

// The gnuplot script that draws a HOR structure file (fields 2 to 8 against
// field 9 as dashes, field 1 as labels) into `output`. The names go in
// unchanged; callers pass absolute paths checked with IsPlotSafe.
std::string HorPlotScript(const std::string& title, const std::string& dataFile, int columnCount, int lastRow,
                          const std::string& output);

// The picture of a HOR structure file: the directory part of dataFile, the title, ".eps".
std::string HorPicturePath(const std::string& title, const std::string& dataFile);

// The picture of DrawHORGraph: kGraphDirectory, the title, ".eps".
std::string HorGraphPicturePath(const std::string& title);

// The script of DrawHORGraph for the five-field file variant (label, three x
// positions, height), writing `output`.
std::string HorGraphScript(const std::string& title, const std::string& dataFile, int columnCount,
                           int lastRow, const std::string& output);

}  // namespace horgrid
