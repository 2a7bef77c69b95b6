#include <algorithm>
#include <cstdint>
#include <string_view>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "ensemble/PositionGap.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid {

namespace {

// The monomer the records are measured against (171 bases).
constexpr std::string_view kPurificationReference =
    "TCAGAAACTTCTTTGTGATGTGTGCATTCAACTCACAGAGTTGAACCTTCCTTTTGATAGAGCAGTTTTGAAACACTCTTTTTGTAGAATCTGCAAGTGG"
    "ATATTTGGAGCGCTTTGAGGCCTTCGGTGGAAAAGGAAATATCTTCACATAAAAACTAGACAGAAGCATTC";

static_assert(kPurificationReference.size() == 171);

// Records strictly below this percentage distance from the reference are kept.
constexpr float kPurificationLimit = 45.0f;

// Percentage of a distance from the reference: in double, then narrowed to float.
constexpr float ReferencePercent(std::uint32_t distance) {
    return static_cast<float>(static_cast<double>(distance) * 100.0 /
                              static_cast<double>(kPurificationReference.size()));
}

// The largest distance that stays below the limit; any greater distance gives a
// percentage at or above it, so the search may stop beyond this one.
constexpr std::uint32_t kDistanceLimit = 76;
static_assert(ReferencePercent(kDistanceLimit) < kPurificationLimit);
static_assert(!(ReferencePercent(kDistanceLimit + 1) < kPurificationLimit));

}  // namespace

// Writes fileName + "_purified.txt" with the records closer than 45 % to the
// reference. A kept record's length becomes the gap to the previous kept
// record's position and its consensus difference the percentage, e.g.
// "(12.280702%)"; the kept records of the ensemble keep these changes.
void alphaEnsemble::PurifyAlphaEnsemble() {
    ResultFile out(fileName + "_purified.txt", {fileName});
    const int count = std::clamp(monomerCount, 0, static_cast<int>(monomers.size()));
    int previous = 0;
    for (int i = 0; i < count; ++i) {
        alpha& record = monomers[static_cast<std::size_t>(i)];
        const float percent =
            ReferencePercent(LevenshteinAtMost(record.sequence, kPurificationReference, kDistanceLimit));
        if (!(percent < kPurificationLimit)) continue;
        record.length = PositionGap(record.position, previous);
        previous = record.position;
        record.consensusDifference.assign(1, '(');
        record.consensusDifference += Fixed(percent, 6);
        record.consensusDifference += "%)";
        record.print(out.get());
    }
    out.Commit();
}

}  // namespace horgrid
