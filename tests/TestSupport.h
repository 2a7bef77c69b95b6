#pragma once

// Helpers shared by the test files: temporary directories, file contents and
// running the built executables.

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

// Runs `program` with `arguments` in `directory`, capturing both output streams.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
              const std::string& directory);

// The processor-time report that ends every run, with the seconds replaced by "T".
std::string MaskElapsed(const std::string& out);

}  // namespace horgrid::test
