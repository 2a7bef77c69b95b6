// The HOR builder on the records of a fuzzed ensemble file, segment by segment
// as -h cuts it, at a fuzzed threshold (7, any percentage, any float, or a
// special value). Each structure must equal the plain placement: for every
// record the nearest earlier one whose single-precision distance percentage
// (plain dynamic programming, divided by the later record's length up to its
// first NUL) is below the threshold.
//
// Input: four bytes choose the threshold, the rest is the ensemble file.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "ReferenceLevenshtein.h"
#include "TestSupport.h"
#include "hor/HorSegments.h"
#include "hor/horAnaliser2.h"

namespace {

struct Plain {
    std::vector<horgrid::monomer> structure;
    int columnCount = 0;
    int lastRow = 0;
};

Plain PlainPlacement(const std::vector<horgrid::alpha>& records, float threshold) {
    Plain built;
    if (records.empty()) return built;
    built.structure.emplace_back(1, 1, -1);
    built.columnCount = 1;
    built.lastRow = -1;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const float length = static_cast<float>(std::strlen(records[i].sequence.c_str()));
        std::ptrdiff_t match = -1;
        for (std::size_t j = i; j-- > 0;) {
            const auto d = horgrid::reference::PlainLevenshtein(records[i].sequence, records[j].sequence);
            if (threshold > static_cast<float>(d) * 100.0f / length) {
                match = static_cast<std::ptrdiff_t>(j);
                break;
            }
        }
        const int previous = built.structure[i - 1].column;
        const int number = static_cast<int>(i) + 1;
        if (match >= 0) {
            const int column = built.structure[static_cast<std::size_t>(match)].column;
            if (previous >= column) --built.lastRow;
            built.structure.emplace_back(number, column, built.lastRow);
            continue;
        }
        for (horgrid::monomer& placed : built.structure) placed.column += placed.column > previous;
        built.structure.emplace_back(number, previous + 1, built.lastRow);
        ++built.columnCount;
    }
    return built;
}

float Threshold(FuzzedDataProvider& input) {
    static constexpr float kSpecial[] = {0.0f,
                                         -0.0f,
                                         -1.0f,
                                         100.0f,
                                         1e30f,
                                         std::numeric_limits<float>::denorm_min(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::quiet_NaN()};
    const std::uint32_t bits = input.ConsumeIntegral<std::uint32_t>();
    switch (bits % 4) {
        case 0:
            return 7.0f;
        case 1:
            return static_cast<float>(bits >> 2) / static_cast<float>(1u << 30) * 120.0f;
        case 2: {
            float any;
            std::memcpy(&any, &bits, sizeof any);
            return any;
        }
        default:
            return kSpecial[(bits >> 2) % std::size(kSpecial)];
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const float threshold = Threshold(input);
    const horgrid::test::TempDir dir;
    const horgrid::alphaEnsemble ensemble(dir.Write("in.ens", input.ConsumeRemainingBytesAsString()));
    if (ensemble.monomers.empty()) return 0;

    std::vector<int> lengths;
    for (const horgrid::alpha& record : ensemble.monomers) lengths.push_back(record.length);
    const std::vector<horgrid::RecordRange> segments = horgrid::CutSegments(lengths);
    FUZZ_CHECK(!segments.empty() && segments.front().first == 0 &&
               segments.back().last + 1 == static_cast<std::size_t>(ensemble.monomerCount));
    for (std::size_t p = 0; p < segments.size(); ++p) {
        const int first = static_cast<int>(segments[p].first);
        const int last = static_cast<int>(segments[p].last);
        FUZZ_CHECK(p == 0 || segments[p].first == segments[p - 1].last + 1);
        const horgrid::alphaEnsemble segment(ensemble, first, last + 1);
        FUZZ_CHECK(segment.monomerCount == last - first + 1);
        horgrid::horAnaliser2 analyser;
        const std::vector<horgrid::monomer> structure = analyser.CreateHORstructure(segment, threshold);
        const Plain plain = PlainPlacement(segment.monomers, threshold);
        FUZZ_CHECK(structure == plain.structure);
        FUZZ_CHECK(analyser.columnCount == plain.columnCount);
        FUZZ_CHECK(analyser.lastRow == plain.lastRow);
        analyser.WriteHORstruct(dir.File("in.ens.hor" + std::to_string(p + 1)), structure);
    }
    return 0;
}
