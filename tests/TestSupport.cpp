#include "TestSupport.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace horgrid::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "horgrid-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const {
    return path_ + "/" + name;
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& directory, const RunOptions& options) {
    TempDir capture;
    const std::string outPath =
        options.standardOutput.empty() ? capture.File("stdout") : options.standardOutput;
    const std::string errPath = capture.File("stderr");
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        if (::chdir(directory.c_str()) != 0) ::_exit(127);
        int pipeEnds[2];
        if (options.closedPipe &&
            (::pipe(pipeEnds) != 0 || ::close(pipeEnds[0]) != 0 || ::dup2(pipeEnds[1], STDOUT_FILENO) < 0)) {
            ::_exit(127);
        }
        for (const std::string& setting : options.environment) ::putenv(const_cast<char*>(setting.c_str()));
        if ((!options.closedPipe && !std::freopen(outPath.c_str(), "w", stdout)) ||
            !std::freopen(errPath.c_str(), "w", stderr)) {
            ::_exit(127);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (options.signal != 0) {
        for (int poll = 0; poll < 2000 && !options.when(); ++poll) ::usleep(5000);
        ::kill(child, options.signal);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = options.standardOutput.empty() ? ReadFile(outPath) : "";
    result.err = ReadFile(errPath);
    return result;
}

std::string FakeGnuplot(const TempDir& dir, const std::string& body) {
    const std::string path =
        dir.Write("gnuplot",
                  "#!/bin/sh\nout=$(printf '%s' \"$2\" | sed -n \"s/.*set output '\\([^']*\\)'.*/\\1/p\")\n" +
                      body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

bool Alive(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string number, name, state;
    return stat >> number >> name >> state && state != "Z";
}

std::string MaskElapsed(const std::string& out) {
    static const std::regex elapsed("\n\nelapsed time: [0-9.e+-]+s\n$");
    return std::regex_replace(out, elapsed, "\n\nelapsed time: Ts\n");
}

}  // namespace horgrid::test
