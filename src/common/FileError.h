#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace horgrid {

// Raised when an input file cannot be read or a result file cannot be written.
// The message names the path and the reason, e.g.
// "cannot read 'x.ens': No such file or directory"; the executables print it
// after their own name on standard error and exit with status 2.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    // "<verb> '<path>': <strerror(errorNumber)>"
    static FileError FromErrno(const std::string& verb, const std::string& path, int errorNumber);
    // "<verb> '<path>': <reason>"
    static FileError FromReason(const std::string& verb, const std::string& path, const std::string& reason);
};

// Raised when an input can be read but not taken: a record the scoring cannot
// decompose, an annotation that does not fit the sequences given with it, an
// empty input. The message says which input and why; the executables print it
// after their own name on standard error and exit with status 2.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `text` as a message may show it: every byte outside printable ASCII, and the
// backslash, written as \xHH ("a\tb" gives "a\x09b"), so garbage input never
// reaches the terminal raw.
std::string Printable(std::string_view text);

}  // namespace horgrid
