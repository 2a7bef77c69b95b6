#pragma once

#include <string>
#include <string_view>

namespace horgrid {

// True when `name` can go unchanged into a plot command: it holds no single or
// double quote, dollar sign, backquote, backslash or newline, which would end a
// gnuplot string or be interpreted by the shell inside the double-quoted argument.
bool IsPlotSafe(std::string_view name);

// Makes one picture: refuses a title or data-file name that is not IsPlotSafe,
// otherwise flushes standard output (so the plotting program's run keeps the
// order of the output), runs `command` through the shell and waits for it.
// Returns whether `picture` was made; when it was not, writes one line naming
// dataFile and the reason on standard error.
bool RunPlot(const std::string& command, const std::string& title, const std::string& dataFile,
             const std::string& picture);

}  // namespace horgrid
