#pragma once

// Helpers shared by the test files: temporary directories, file contents and
// running the built executables.

#include <functional>
#include <string>
#include <vector>

namespace horgrid::test {

// The purification's reference monomer, written out here so that a change to
// the built-in one fails the tests.
inline const std::string kPurifyReference =
    "TCAGAAACTTCTTTGTGATGTGTGCATTCAACTCACAGAGTTGAACCTTCCTTTTGATAGAGCAGTTTTGAAACACTCTTTTTGTAGAATCTGCAAGTGG"
    "ATATTTGGAGCGCTTTGAGGCCTTCGGTGGAAAAGGAAATATCTTCACATAAAAACTAGACAGAAGCATTC";

// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string File(const std::string& name) const;
    // Writes `content` to File(name) and returns that path.
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

struct RunOptions {
    std::vector<std::string> environment;  // "NAME=value" set for the program
    std::string standardOutput;            // a file to write to instead of capturing it
    bool closedPipe = false;               // standard output a pipe nobody reads
    // When `signal` is set: sent to the program as soon as `when` holds (polled
    // every few milliseconds for up to 10 s).
    int signal = 0;
    std::function<bool()> when;
};

// Runs `program` with `arguments` in `directory`, capturing both output streams.
// The status is the exit status, or -1 when the program was killed by a signal.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& directory, const RunOptions& options = {});

// A stand-in for gnuplot, written into `dir`: a shell script that finds the
// output file in its -e argument ("set output '...'") and runs `body` with it
// in $out. Returns its path.
std::string FakeGnuplot(const TempDir& dir, const std::string& body);

// Whether process `pid` still runs (a zombie does not count).
bool Alive(int pid);

// The processor-time report that ends every run, with the seconds replaced by "T".
std::string MaskElapsed(const std::string& out);

}  // namespace horgrid::test
