#include "common/Gnuplot.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>
#include <vector>

#include "common/FileError.h"
#include "common/Interrupt.h"
#include "common/NumberFormat.h"
#include "common/TemporaryFile.h"

extern char** environ;

namespace horgrid {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

constexpr std::streamoff kHead = 16;
constexpr std::streamoff kTail = 1 << 16;

// The start and the end of a file, all of it when it is small: all that
// IsCompletePicture looks at, without reading a picture of many megabytes.
std::string Ends(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    auto read = [&in](std::streamoff from, std::streamoff count) {
        std::string part(static_cast<std::size_t>(count), '\0');
        in.seekg(from);
        in.read(part.data(), count);
        return in ? part : std::string();
    };
    if (size <= kHead + kTail) return read(0, size);
    return read(0, kHead) + read(size - kTail, kTail);
}

// Every line after the last "%%Trailer" line is a DSC comment ("%%...") and the
// file ends with a line feed: gnuplot's EPS trailer, cut nowhere.
bool HasEpsTrailer(std::string_view content) {
    const std::size_t trailer = content.rfind("\n%%Trailer\n");
    if (trailer == std::string_view::npos || content.back() != '\n') return false;
    for (std::size_t line = trailer + 1; line < content.size(); line = content.find('\n', line) + 1) {
        if (content.compare(line, 2, "%%") != 0) return false;
    }
    return true;
}

// A child that started: its process group is killed on a signal until it has
// been waited for.
struct Child {
    pid_t pid = -1;
    std::string failure;  // why it could not start
};

// posix_spawn with the plotting program's own process group, no signal held or
// ignored (so SIGPIPE and SIGINT act normally in it) and standard input from
// /dev/null; standard output and error are horgrid's.
Child Spawn(const std::string& program, const std::string& script) {
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signalNumber : {SIGINT, SIGTERM, SIGPIPE, SIGHUP, SIGQUIT}) sigaddset(&defaults, signalNumber);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("-e"),
                               const_cast<char*>(script.c_str()), nullptr};
    Child child;
    const int error = ::posix_spawn(&child.pid, program.c_str(), &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0) {
        child.pid = -1;
        child.failure = "cannot run " + program + ": " + std::strerror(error);
    }
    return child;
}

// Waits for the child up to `timeout`, then kills its process group (past the
// timeout, and after a normal end too, for anything the program left running)
// and reaps it. The exit is first seen without reaping (WNOWAIT), so the group's
// id cannot pass to another process before the kill. Returns "" when it
// exited with status 0, else the reason.
std::string Await(pid_t pid, const std::string& program, double timeoutSeconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(timeoutSeconds));
    bool late = false;
    while (true) {
        siginfo_t info{};
        const int seen = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if (seen == 0 && info.si_pid == pid) break;
        if (seen < 0 && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            late = true;
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    ::kill(-pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (late) {
        return "gnuplot did not finish within " + StreamDefault(timeoutSeconds) +
               " s (HORGRID_PLOT_TIMEOUT) and was stopped";
    }
    if (WIFSIGNALED(status)) return "gnuplot was ended by signal " + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return "cannot run " + program;
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return "gnuplot failed with exit status " + std::to_string(WEXITSTATUS(status));
    }
    return {};
}

// Runs the program on `text` (see RunGnuplot). Returns "" or the reason it failed.
std::string RunScript(const std::string& text, const PlotSettings& settings) {
    // The program's output must follow everything printed so far.
    std::cout.flush();
    std::fflush(stdout);
    std::unique_ptr<InterruptKillsGroup> killOnSignal;
    Child child;
    {
        const InterruptsHeld held;
        child = Spawn(settings.program, text);
        if (child.pid > 0) killOnSignal = std::make_unique<InterruptKillsGroup>(child.pid);
    }
    if (child.pid <= 0) return child.failure;
    return Await(child.pid, settings.program, settings.timeoutSeconds);
}

// Writes a job's data into `data` (open for writing, handed over). Returns whether it was all written.
bool WriteData(const PlotJob& job, TemporaryFile& data) {
    const int descriptor = data.Release();
    FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
        return false;
    }
    bool written = job.write(file);
    if (std::fclose(file) != 0) written = false;
    return written;
}

// The jobs drawn by one run of the program; false when any step failed.
bool DrawTogether(const std::vector<PlotJob>& jobs, const PlotSettings& settings) {
    std::vector<std::unique_ptr<TemporaryFile>> data;
    std::vector<std::unique_ptr<TemporaryFile>> outputs;
    std::string text;
    for (const PlotJob& job : jobs) {
        data.push_back(std::make_unique<TemporaryFile>(PlotPath(job.picture)));
        if (!WriteData(job, *data.back())) return false;
        outputs.push_back(std::make_unique<TemporaryFile>(PlotPath(job.picture)));
        ::close(outputs.back()->Release());
        if (!IsPlotSafe(outputs.back()->path())) return false;
        if (!text.empty()) text += "unset output;\nreset;\n";
        text += job.script(data.back()->path(), outputs.back()->path());
    }
    if (!RunScript(text, settings).empty()) return false;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (!IsCompletePicture(Ends(outputs[i]->path()), jobs[i].format)) return false;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) outputs[i]->MoveTo(jobs[i].picture);
    return true;
}

}  // namespace

std::string ReadPlotSettings(PlotSettings& settings) {
    if (const char* program = std::getenv("HORGRID_GNUPLOT"); program != nullptr && *program != '\0') {
        settings.program = program;
    }
    const char* timeout = std::getenv("HORGRID_PLOT_TIMEOUT");
    if (timeout == nullptr) return {};
    const std::string_view text = timeout;
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) || seconds <= 0) {
        return "HORGRID_PLOT_TIMEOUT must be a positive number of seconds, not '" + std::string(text) + "'";
    }
    settings.timeoutSeconds = seconds;
    return {};
}

bool IsPlotSafe(std::string_view name) {
    if (name.find_first_of("'\"$`\\\n") != std::string_view::npos) return false;
    const std::size_t slash = name.rfind('/');
    const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
    for (std::string_view part : {name, file}) {
        if (!part.empty() && (part.front() == '<' || part.front() == '|')) return false;
    }
    return true;
}

std::string PlotPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

std::string DrawFromData(const PlotJob& job, const PlotSettings& settings) {
    try {
        // The data lies beside the picture, in the directory RunGnuplot checks.
        TemporaryFile data(PlotPath(job.picture));
        if (!WriteData(job, data)) return "cannot write its " + job.what + ": " + std::strerror(errno);
        return RunGnuplot([&](const std::string& output) { return job.script(data.path(), output); },
                          job.picture, job.format, settings);
    } catch (const FileError& error) {
        return error.what();
    }
}

std::string DrawFromData(
    const std::string& picture, const std::string& what, const std::function<bool(std::FILE* file)>& write,
    const std::function<std::string(const std::string& data, const std::string& output)>& script,
    PictureFormat format, const PlotSettings& settings) {
    return DrawFromData(PlotJob{picture, what, write, script, format}, settings);
}

std::vector<std::string> DrawAllFromData(const std::vector<PlotJob>& jobs, const PlotSettings& settings) {
    std::vector<std::string> failures(jobs.size());
    if (jobs.size() > 1) {
        try {
            if (DrawTogether(jobs, settings)) return failures;
        } catch (const FileError&) {
            // Drawn alone below, where the failure is told.
        }
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) failures[i] = DrawFromData(jobs[i], settings);
    return failures;
}

bool IsCompletePicture(std::string_view content, PictureFormat format) {
    if (format == PictureFormat::Eps) {
        return content.substr(0, 10) == "%!PS-Adobe" && HasEpsTrailer(content);
    }
    static constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";
    static constexpr std::string_view kEnd{"\0\0\0\0IEND\xae\x42\x60\x82", 12};
    return content.size() >= kSignature.size() + kEnd.size() &&
           content.substr(0, kSignature.size()) == kSignature &&
           content.substr(content.size() - kEnd.size()) == kEnd;
}

std::string RunGnuplot(const std::function<std::string(const std::string& output)>& script,
                       const std::string& picture, PictureFormat format, const PlotSettings& settings) {
    try {
        TemporaryFile temporary(PlotPath(picture));
        ::close(temporary.Release());
        if (!IsPlotSafe(temporary.path())) {
            return "the picture's directory holds a quote, dollar sign, backquote, backslash or newline";
        }
        const std::string failure = RunScript(script(temporary.path()), settings);
        if (!failure.empty()) return failure;
        if (!IsCompletePicture(Ends(temporary.path()), format)) {
            return "gnuplot did not write a complete picture for '" + picture + "'";
        }
        temporary.MoveTo(picture);
        return {};
    } catch (const FileError& error) {
        return error.what();
    }
}

}  // namespace horgrid
