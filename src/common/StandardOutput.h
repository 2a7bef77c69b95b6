#pragma once

#include <functional>
#include <string_view>

namespace horgrid {

// The exit status of an executable named `program` that is about to end with
// `status`: flushes standard output (the C++ stream and C stdio) and, when
// anything written there did not arrive (a full disk, a closed pipe), writes
// "<program>: cannot write standard output: <reason>" on standard error and
// returns 2, the status of a result that could not be written.
int FinishStandardOutput(std::string_view program, int status);

// Runs an executable's body and returns its exit status; any exception that
// escapes it ends the run like a failed result, never with an abort: the
// stack is unwound (so every unfinished result's temporary files go), then
// "<program>: out of memory" (std::bad_alloc) or "<program>: internal error:
// <what>" goes to standard error and the status is 2.
int RunGuarded(std::string_view program, const std::function<int()>& body);

}  // namespace horgrid
