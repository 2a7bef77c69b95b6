// Scoring parsing on arbitrary text: a scoring that prints back to the same
// four numbers, or nothing, never a crash; a parsed scoring decomposes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "decompose/ScoringText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<horgrid::Scoring> scoring = horgrid::ParseScoring(text);
    if (!scoring) return 0;
    const std::string again = std::to_string(scoring->insertion) + "," + std::to_string(scoring->deletion) +
                              "," + std::to_string(scoring->mismatch) + "," + std::to_string(scoring->match);
    const std::optional<horgrid::Scoring> back = horgrid::ParseScoring(again);
    if (!back || back->insertion != scoring->insertion || back->deletion != scoring->deletion ||
        back->mismatch != scoring->mismatch || back->match != scoring->match) {
        std::abort();
    }
    const std::vector<horgrid::MonomerType> types = {{"a", "ACGTTGCA"}};
    if (horgrid::DecomposeLimitError(types, *scoring).empty())
        horgrid::Decompose("ACGTNacgtTGCA", types, *scoring);
    return 0;
}
