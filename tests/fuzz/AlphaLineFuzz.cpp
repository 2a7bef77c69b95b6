// One ensemble or monomers-file line parsed in every column layout. A record
// whose six fields were all read (every text field non-empty, no NUL byte)
// prints back as a line that parses to the same record.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "ensemble/alpha.h"

namespace {

bool Printable(const std::string& field) {
    return !field.empty() && field.find('\0') == std::string::npos;
}

bool SameRecord(const horgrid::alpha& a, const horgrid::alpha& b) {
    return a.name == b.name && a.direction == b.direction && a.position == b.position &&
           a.consensusDifference == b.consensusDifference && a.length == b.length && a.sequence == b.sequence;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const int layout : {3, 5, 6}) (void)horgrid::alpha(line, layout);

    const horgrid::alpha record(line);
    if (!Printable(record.name) || !Printable(record.direction) || !Printable(record.consensusDifference) ||
        !Printable(record.sequence)) {
        return 0;
    }
    char* printed = nullptr;
    std::size_t printedSize = 0;
    FILE* memory = open_memstream(&printed, &printedSize);
    FUZZ_CHECK(memory != nullptr);
    record.print(memory);
    std::fclose(memory);
    const horgrid::alpha again(std::string_view(printed, printedSize));
    std::free(printed);
    FUZZ_CHECK(SameRecord(record, again));
    return 0;
}
