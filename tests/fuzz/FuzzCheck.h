#pragma once

// A property a fuzz target asserts: when it fails, the run stops like a crash
// (libFuzzer then keeps the input as a reproducer), also in builds with NDEBUG.

#include <cstdio>
#include <cstdlib>

namespace horgrid::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
    std::abort();
}

}  // namespace horgrid::fuzz

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::horgrid::fuzz::Fail(#condition, __FILE__, __LINE__))
