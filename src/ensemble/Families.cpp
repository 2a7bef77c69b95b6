#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "ensemble/SupracromReferences.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid {

namespace {

// A reference wins only when it is strictly nearer than this, so a monomer
// that is 171 or more edits from every reference is reported as entry 0.
constexpr std::uint32_t kStartDistance = 171;

}  // namespace

std::vector<supracromAlpha> alphaEnsemble::FillSupracromAlphaVector() {
    std::vector<supracromAlpha> references;
    references.reserve(kSupracromReferences.size());
    for (const SupracromReference& reference : kSupracromReferences)
        references.emplace_back(std::string(reference.name), std::string(reference.sequence));
    return references;
}

void alphaEnsemble::FindSupracromFamilies(int count) {
    const std::vector<supracromAlpha> references = FillSupracromAlphaVector();
    count = std::max(0, std::min({count, monomerCount, static_cast<int>(monomers.size())}));

    ResultFile out(fileName + "_supracromFamily.txt", {fileName});
    for (int i = 0; i < count; ++i) {
        const alpha& monomer = monomers[static_cast<std::size_t>(i)];
        std::fprintf(out.get(), "\n%d %d", monomer.position, monomer.length);

        std::size_t best = 0;
        std::uint32_t bestDistance = kStartDistance;
        for (std::size_t k = 0; k < references.size() && bestDistance > 0; ++k) {
            // Only "is it strictly nearer than the best so far?" matters, so the
            // distance need only be exact up to bestDistance - 1.
            const std::uint32_t d =
                LevenshteinAtMost(monomer.sequence, references[k].sequence, bestDistance - 1);
            if (d < bestDistance) {
                bestDistance = d;
                best = k;
            }
        }
        // Relative to the monomer's own length; an empty monomer gives inf.
        const double percentage =
            static_cast<double>(bestDistance) * 100.0 / static_cast<double>(monomer.sequence.size());
        std::fprintf(out.get(), " %s(%s%%) ", references[best].name.c_str(), Fixed(percentage, 0).c_str());
    }
    out.Commit();
}

}  // namespace horgrid
