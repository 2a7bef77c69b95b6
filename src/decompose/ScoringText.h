#pragma once

#include <optional>
#include <string_view>

#include "decompose/Decompose.h"

namespace horgrid {

// Reads "INS,DEL,MISMATCH,MATCH": four decimal integers, each optionally
// signed and within -1000000 ... 1000000, separated by single commas, nothing
// else. Empty when the text is anything else.
std::optional<Scoring> ParseScoring(std::string_view text);

}  // namespace horgrid
