#include "common/NumberFormat.h"

#include <cstdio>
#include <sstream>

namespace horgrid {

std::string StreamDefault(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Fixed(double value, int decimals) {
    char buffer[512];
    const int size = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return std::string(buffer, static_cast<std::size_t>(size));
}

std::string Fixed1Width3(double value) {
    char buffer[512];
    const int size = std::snprintf(buffer, sizeof buffer, "%3.1f", value);
    return std::string(buffer, static_cast<std::size_t>(size));
}

}  // namespace horgrid
