#include "decompose/ScoringText.h"

#include <array>
#include <charconv>

namespace horgrid {

std::optional<Scoring> ParseScoring(std::string_view text) {
    constexpr int kLimit = 1000000;
    std::array<int, 4> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t comma = text.find(',');
        const std::string_view field = i + 1 < values.size() ? text.substr(0, comma) : text;
        if (i + 1 < values.size() && comma == std::string_view::npos) return std::nullopt;
        std::string_view digits = field;
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
        if (digits.empty() || digits[0] < '0' || digits[0] > '9') return std::nullopt;
        long value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value > kLimit)
            return std::nullopt;
        values[i] = static_cast<int>(field[0] == '-' ? -value : value);
        if (i + 1 < values.size()) text.remove_prefix(comma + 1);
    }
    return Scoring{values[0], values[1], values[2], values[3]};
}

}  // namespace horgrid
