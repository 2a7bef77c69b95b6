// A sequence file read by the sequence reader, and two halves of the input
// compared as the -d command does. The sequence holds no line feed, no blank
// and no lower-case letter; an empty file is refused with FileError.

#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "TestSupport.h"
#include "common/FileError.h"
#include "seqio/FindDistanceBetweenStrings.h"
#include "seqio/genome.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const horgrid::test::TempDir dir;
    const std::string path = dir.Write("in.fa", text);
    try {
        horgrid::genome sequence(path);
        FUZZ_CHECK(sequence.baseCount == static_cast<int>(sequence.sequence.size()));
        FUZZ_CHECK(std::none_of(sequence.sequence.begin(), sequence.sequence.end(),
                                [](char c) { return c == '\n' || c == ' ' || (c >= 'a' && c <= 'z'); }));
        FUZZ_CHECK(sequence.header == text.substr(0, text.find('\n')));
        sequence.analizeSequence();
    } catch (const horgrid::FileError&) {
        FUZZ_CHECK(text.empty());
    }

    const std::string first = dir.Write("first.fa", text.substr(0, size / 2));
    const std::string second = dir.Write("second.fa", text.substr(size / 2));
    try {
        horgrid::FindDistanceBetweenStrings(first, second);
    } catch (const horgrid::FileError&) {
        FUZZ_CHECK(size < 2);
    }
    return 0;
}
