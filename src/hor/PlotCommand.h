#pragma once

#include <string>

namespace horgrid {

// The plotting program, at the fixed path the commands name.
inline constexpr char kGnuplotPath[] = "/usr/local/bin/gnuplot";
// Where DrawHORGraph puts its pictures.
inline constexpr char kGraphDirectory[] = "/tmp/";

// The shell command that has gnuplot draw a HOR structure file (fields 2 to 8
// against field 9 as dashes, field 1 as labels) into HorPicturePath(title,
// dataFile). The names go in unchanged; callers check them with IsPlotSafe.
std::string HorPlotCommand(const std::string& title, const std::string& dataFile, int columnCount,
                           int lastRow);

// The picture HorPlotCommand writes: the directory part of dataFile, the title, ".eps".
std::string HorPicturePath(const std::string& title, const std::string& dataFile);

// The picture HorGraphCommand writes: kGraphDirectory, the title, ".eps".
std::string HorGraphPicturePath(const std::string& title);

// The command of DrawHORGraph for the five-field file variant (label, three x
// positions, height), writing HorGraphPicturePath(title).
std::string HorGraphCommand(const std::string& title, const std::string& dataFile, int columnCount,
                            int lastRow);

}  // namespace horgrid
