#pragma once

#include <functional>
#include <string>

#include "common/Gnuplot.h"

namespace horgrid {

// Makes one EPS picture of a HOR structure file: refuses a title or data-file
// name that is not IsPlotSafe, otherwise has RunGnuplot draw the script that
// `script` returns for the data file's absolute path and the temporary
// picture. Returns whether `picture` was made; when it was not, writes one
// line naming dataFile and the reason on standard error.
bool RunPlot(const std::function<std::string(const std::string& data, const std::string& output)>& script,
             const std::string& title, const std::string& dataFile, const std::string& picture,
             const PlotSettings& settings);

}  // namespace horgrid
