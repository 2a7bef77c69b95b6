#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

enum class PictureFormat { Eps, Png };

struct PlotSettings {
    std::string program = "/usr/local/bin/gnuplot";  // HORGRID_GNUPLOT
    double timeoutSeconds = 120;                     // HORGRID_PLOT_TIMEOUT
};

// Reads HORGRID_GNUPLOT (the plotting program, when set and not empty) and
// HORGRID_PLOT_TIMEOUT (seconds, a positive number) into `settings`. Returns ""
// or a one-line message for a timeout that is not a positive number.
std::string ReadPlotSettings(PlotSettings& settings);

// True when `name` can go into a gnuplot script between single quotes: it holds
// no single or double quote, dollar sign, backquote, backslash or newline, and
// neither it nor its file-name part begins with "<" or "|" (which gnuplot reads
// as a command to run or pipe into).
bool IsPlotSafe(std::string_view name);

// `path` as an absolute path (the working directory in front of a relative
// one), the form every file name takes in a script, so that gnuplot never
// reads it as a command.
std::string PlotPath(const std::string& path);

// Runs `settings.program` without a shell, in a process group of its own, with
// the script as its single -e argument. `script` is called with the absolute
// path of a temporary picture file beside `picture` and returns the whole
// gnuplot text (which must `set output` to exactly that path). The picture is
// renamed into place only when gnuplot exited 0 within the timeout and the
// file is complete for its format (EPS: non-empty, ends with the EPS trailer;
// PNG: PNG signature and IEND chunk); otherwise the previous picture stays and
// the temporary is removed. A run past the timeout is killed with its whole
// process group. Returns "" on success, else a one-line reason for the user.
std::string RunGnuplot(const std::function<std::string(const std::string& output)>& script,
                       const std::string& picture, PictureFormat format, const PlotSettings& settings);

// RunGnuplot for a picture drawn from a data file: `write` writes the data
// (`what` names it in a failure: "cannot write its WHAT: REASON") into a
// temporary file beside `picture`, removed afterwards; `script` gets that
// file's absolute path and the temporary picture's. Returns "" or a reason.
std::string DrawFromData(
    const std::string& picture, const std::string& what, const std::function<bool(std::FILE* file)>& write,
    const std::function<std::string(const std::string& data, const std::string& output)>& script,
    PictureFormat format, const PlotSettings& settings);

// One picture drawn from a data file, as DrawFromData takes it.
struct PlotJob {
    std::string picture;
    std::string what;
    std::function<bool(std::FILE* file)> write;
    std::function<std::string(const std::string& data, const std::string& output)> script;
    PictureFormat format = PictureFormat::Png;
};

// DrawFromData for one job.
std::string DrawFromData(const PlotJob& job, const PlotSettings& settings);

// Draws every job in one run of gnuplot (one start of the program instead of
// one a picture; `reset` between the scripts, so each draws as it would
// alone). When that run fails or leaves a picture incomplete, each job is
// drawn alone by DrawFromData, so that a picture's failure reads as it would
// alone. Returns "" or the reason for each job, in order.
std::vector<std::string> DrawAllFromData(const std::vector<PlotJob>& jobs, const PlotSettings& settings);

// Whether `content` is a complete picture of the format (see RunGnuplot).
bool IsCompletePicture(std::string_view content, PictureFormat format);

}  // namespace horgrid
