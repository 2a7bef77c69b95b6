#pragma once

#include <string_view>

namespace horgrid {

// The exit status of an executable named `program` that is about to end with
// `status`: flushes standard output (the C++ stream and C stdio) and, when
// anything written there did not arrive (a full disk, a closed pipe), writes
// "<program>: cannot write standard output: <reason>" on standard error and
// returns 2, the status of a result that could not be written.
int FinishStandardOutput(std::string_view program, int status);

}  // namespace horgrid
