#include "common/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>

#include <unistd.h>

namespace horgrid {

namespace {

constexpr int kOutputFailedStatus = 2;

}  // namespace

int FinishStandardOutput(std::string_view program, int status) {
    errno = 0;
    std::cout.flush();
    const bool streamFailed = std::cout.fail();
    int error = errno;
    const bool stdioFailed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (error == 0) error = errno;
    if (!streamFailed && !stdioFailed) return status;
    // The stream may have failed long before this call (a large output fills
    // its buffer early), and errno is gone by now: one more byte, whose loss
    // no longer matters, asks the descriptor for the reason.
    if (error == 0 && ::write(STDOUT_FILENO, "\n", 1) < 0) error = errno;
    std::cerr << program << ": cannot write standard output: " << std::strerror(error != 0 ? error : EIO)
              << "\n";
    return kOutputFailedStatus;
}

int RunGuarded(std::string_view program, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << program << ": out of memory\n";
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << program << ": internal error: " << error.what() << "\n";
    } catch (...) {
        std::cout.flush();
        std::cerr << program << ": internal error\n";
    }
    return kOutputFailedStatus;
}

}  // namespace horgrid
