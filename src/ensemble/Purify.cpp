#include "ensemble/Purify.h"

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

std::vector<PurifiedRecord> PurifyRecords(std::span<const alpha> records) {
    std::vector<PurifiedRecord> kept;
    int previous = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const float percent =
            ReferencePercent(LevenshteinAtMost(records[i].sequence, kPurificationReference, kDistanceLimit));
        if (!(percent < kPurificationLimit)) continue;
        kept.push_back({i, PositionGap(records[i].position, previous), percent});
        previous = records[i].position;
    }
    return kept;
}

std::string PurifiedDifference(float percent) {
    std::string text(1, '(');
    text += Fixed(percent, 6);
    text += "%)";
    return text;
}

// Writes fileName + "_purified.txt" with the kept records; the kept records
// of the ensemble keep their new length and consensus difference.
void alphaEnsemble::PurifyAlphaEnsemble() {
    ResultFile out(fileName + "_purified.txt", {fileName});
    for (const PurifiedRecord& kept :
         PurifyRecords(std::span(monomers).first(UsableCount(*this, monomerCount)))) {
        alpha& record = monomers[kept.index];
        record.length = kept.gap;
        record.consensusDifference = PurifiedDifference(kept.percent);
        record.print(out.get());
    }
    out.Commit();
}

}  // namespace horgrid
