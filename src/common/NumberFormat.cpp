#include "common/NumberFormat.h"

#include <cstdio>
#include <sstream>

namespace horgrid {

namespace {

// printf of one double with a "*" precision.
std::string Printf(const char* format, int decimals, double value) {
    char buffer[512];
    const int size = std::snprintf(buffer, sizeof buffer, format, decimals, value);
    if (size < 0) return std::string();
    if (static_cast<std::size_t>(size) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(size));
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, decimals, value);
    text.pop_back();
    return text;
}

}  // namespace

std::string StreamDefault(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Fixed(double value, int decimals) {
    return Printf("%.*f", decimals, value);
}

std::string Fixed1Width3(double value) {
    return Printf("%3.*f", 1, value);
}

std::string Fixed2Width6(double value) {
    return Printf("%6.*f", 2, value);
}

}  // namespace horgrid
