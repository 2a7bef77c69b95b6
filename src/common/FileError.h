#pragma once

#include <stdexcept>
#include <string>

namespace horgrid {

// Raised when an input file cannot be read or a result file cannot be written.
// The message names the path and the reason, e.g.
// "cannot read 'x.ens': No such file or directory"; the executables print it
// after their own name on standard error and exit with status 2.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    // "<verb> '<path>': <reason>"
    static FileError WithReason(const std::string& verb, const std::string& path, const std::string& reason);
    // "<verb> '<path>': <strerror(errorNumber)>"
    static FileError FromErrno(const std::string& verb, const std::string& path, int errorNumber);
};

}  // namespace horgrid
