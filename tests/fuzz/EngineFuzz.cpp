// The edit-distance engine on fuzzed sequences: every entry point (the free
// functions, the reusable engine, the batch at every vector width this machine
// runs, the bounded forms) gives exactly what the plain dynamic programming
// gives. The sequences are raw bytes, DNA letters or two letters, and later
// ones may be edited copies of earlier ones, so that distances are small too.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "ReferenceLevenshtein.h"
#include "sequence/EditDistance.h"
#include "sequence/LevenshteinBatch.h"
#include "sequence/LevenshteinEngine.h"
#include "sequence/InstructionSet.h"

namespace {

std::string Letters(std::string raw, int alphabet) {
    static constexpr char kDna[] = "ACGT";
    for (char& c : raw) {
        if (alphabet == 1) c = kDna[static_cast<unsigned char>(c) % 4];
        if (alphabet == 2) c = (c & 1) ? 'A' : 'B';
    }
    return raw;
}

// A copy of `source` with a few substitutions, insertions and deletions.
std::string Edited(std::string source, FuzzedDataProvider& input) {
    const int edits = input.ConsumeIntegralInRange(0, 8);
    for (int e = 0; e < edits && !source.empty(); ++e) {
        const std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, source.size() - 1);
        const char c = input.ConsumeIntegral<char>();
        switch (input.ConsumeIntegralInRange(0, 2)) {
            case 0:
                source[at] = c;
                break;
            case 1:
                source.insert(source.begin() + static_cast<std::ptrdiff_t>(at), c);
                break;
            default:
                source.erase(at, 1);
        }
    }
    return source;
}

bool WithinAgrees(std::uint32_t bounded, std::uint32_t exact, std::uint32_t limit) {
    return exact <= limit ? bounded == exact : bounded > limit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int alphabet = input.ConsumeIntegralInRange(0, 2);
    const std::uint32_t limit =
        input.ConsumeBool() ? input.ConsumeIntegral<std::uint32_t>() : input.ConsumeIntegralInRange(0u, 40u);
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(1, 10);
    std::vector<std::string> sequences;
    while (sequences.size() < count && input.remaining_bytes() > 0) {
        if (!sequences.empty() && input.ConsumeBool()) {
            sequences.push_back(
                Edited(sequences[input.ConsumeIntegralInRange<std::size_t>(0, sequences.size() - 1)], input));
        } else {
            sequences.push_back(Letters(input.ConsumeRandomLengthString(), alphabet));
        }
    }
    if (sequences.empty()) return 0;
    const std::size_t n = sequences.size();
    const std::vector<std::string_view> views(sequences.begin(), sequences.end());

    horgrid::LevenshteinEngine engine;
    std::vector<std::vector<std::uint32_t>> exact(n, std::vector<std::uint32_t>(n));
    for (std::size_t t = 0; t < n; ++t) {
        const std::string& text = sequences[t];
        for (std::size_t j = 0; j < n; ++j) {
            const std::string& other = sequences[j];
            const std::uint32_t d = horgrid::reference::PlainLevenshtein(text, other);
            exact[t][j] = d;
            FUZZ_CHECK(horgrid::Levenshtein(text, other) == d);
            FUZZ_CHECK(horgrid::LevenshteinDistance(text, other) == d);
            FUZZ_CHECK(horgrid::EditDistance(text, other).distance == static_cast<int>(d));
            FUZZ_CHECK(engine.Distance(text, other) == d);
            FUZZ_CHECK(WithinAgrees(horgrid::LevenshteinAtMost(text, other, limit), d, limit));
            FUZZ_CHECK(WithinAgrees(engine.DistanceAtMost(text, other, limit), d, limit));
        }
        engine.SetPattern(text);
        for (std::size_t j = 0; j < n; ++j) {
            FUZZ_CHECK(engine.DistanceTo(sequences[j]) == exact[t][j]);
            FUZZ_CHECK(WithinAgrees(engine.DistanceToAtMost(sequences[j], limit), exact[t][j], limit));
        }
    }

    const std::size_t first = input.ConsumeIntegralInRange<std::size_t>(0, n);
    const std::size_t last = input.ConsumeIntegralInRange<std::size_t>(first, n);
    const std::size_t someEnd = input.ConsumeIntegralInRange<std::size_t>(0, n);
    std::vector<std::uint32_t> out(n);
    for (const horgrid::InstructionSet width : horgrid::SupportedInstructionSets()) {
        horgrid::LevenshteinBatch batch(views, width);
        FUZZ_CHECK(batch.instructionSet() == width);
        for (std::size_t t = 0; t < n; ++t) {
            batch.Distances(views[t], first, last, out.data());
            for (std::size_t j = first; j < last; ++j) FUZZ_CHECK(out[j - first] == exact[t][j]);
            for (const std::size_t end : {n, someEnd}) {
                std::ptrdiff_t expected = -1;
                for (std::size_t j = 0; j < end; ++j) {
                    if (exact[t][j] <= limit) expected = static_cast<std::ptrdiff_t>(j);
                }
                FUZZ_CHECK(batch.LastWithin(views[t], end, limit) == expected);
            }
        }
    }
    return 0;
}
