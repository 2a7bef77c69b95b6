#include "ensemble/Families.h"

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "ensemble/EnsembleReader.h"
#include "ensemble/SupracromReferences.h"
#include "ensemble/alphaEnsemble.h"
#include "sequence/EditDistance.h"

namespace horgrid {

namespace {

// A reference wins only when it is strictly nearer than this, so a monomer
// that is 171 or more edits from every reference is reported as entry 0.
constexpr std::uint32_t kStartDistance = 171;

}  // namespace

FamilyMatch NearestFamily(std::string_view sequence) {
    FamilyMatch best;
    best.distance = kStartDistance;
    for (std::size_t k = 0; k < kSupracromReferences.size() && best.distance > 0; ++k) {
        // Only "is it strictly nearer than the best so far?" matters, so the
        // distance need only be exact up to best.distance - 1.
        const std::uint32_t d =
            LevenshteinAtMost(sequence, kSupracromReferences[k].sequence, best.distance - 1);
        if (d < best.distance) {
            best.distance = d;
            best.reference = k;
        }
    }
    best.percent = static_cast<double>(best.distance) * 100.0 / static_cast<double>(sequence.size());
    return best;
}

void WriteFamilyLine(FILE* file, const alpha& monomer, const FamilyMatch& match) {
    const std::string name(kSupracromReferences[match.reference].name);
    std::fprintf(file, "\n%d %d %s(%s%%) ", monomer.position, monomer.length, name.c_str(),
                 Fixed(match.percent, 0).c_str());
}

void WriteFamilyFile(const std::string& ensemblePath) {
    StreamEnsembleToResult(ensemblePath, "_supracromFamily.txt", [](FILE* file, const alpha& monomer) {
        WriteFamilyLine(file, monomer, NearestFamily(monomer.sequence));
    });
}

std::vector<supracromAlpha> alphaEnsemble::FillSupracromAlphaVector() {
    std::vector<supracromAlpha> references;
    references.reserve(kSupracromReferences.size());
    for (const SupracromReference& reference : kSupracromReferences)
        references.emplace_back(std::string(reference.name), std::string(reference.sequence));
    return references;
}

void alphaEnsemble::FindSupracromFamilies(int count) {
    ResultFile out(fileName + "_supracromFamily.txt", {fileName});
    const std::size_t usable = UsableCount(*this, count);
    for (std::size_t i = 0; i < usable; ++i)
        WriteFamilyLine(out.get(), monomers[i], NearestFamily(monomers[i].sequence));
    out.Commit();
}

}  // namespace horgrid
