#include <cstdio>

#include "common/ResultFile.h"
#include "hor/horAnaliser2.h"

namespace horgrid {

void horAnaliser2::WriteHORstruct(std::string fileName, std::vector<monomer> structure) {
    // Each monomer is drawn as a dash of seven points: its column and three
    // single-precision steps to either side.
    constexpr float kStep = 0.12f;
    const float step2 = 2.0f * kStep;
    const float step3 = 3.0f * kStep;
    ResultFile out(fileName);
    for (const monomer& e : structure) {
        const float x = static_cast<float>(e.column);
        std::fprintf(out.get(), "%d %d %f %f %f %f %f %f %d\n", e.number, e.column,
                     static_cast<double>(x + kStep), static_cast<double>(x + step2),
                     static_cast<double>(x + step3), static_cast<double>(x - kStep),
                     static_cast<double>(x - step2), static_cast<double>(x - step3), e.row);
    }
    out.Commit();
}

}  // namespace horgrid
