#include "common/Parallel.h"

#include <charconv>

namespace horgrid {

namespace {
constexpr unsigned kMaxThreads = 1024;
}

std::optional<unsigned> ParseThreadCount(std::string_view text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1 || value > kMaxThreads) return std::nullopt;
    return value;
}

}  // namespace horgrid
