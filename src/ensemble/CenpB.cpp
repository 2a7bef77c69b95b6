#include "ensemble/CenpB.h"

#include <cstdio>

#include "common/ResultFile.h"
#include "ensemble/EnsembleReader.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {

namespace {

// The box in its four orientations, in the order they are searched and
// written, each with the label opening its group.
struct Orientation {
    const char* label;
    const char* pattern;
};

constexpr std::array<Orientation, 4> kOrientations = {{
    {" cBdir(", "(.)TTCG(....)A(..)CGGG(.)"},  // direct
    {" cBrcm(", "(.)CCCG(..)T(....)CGAA(.)"},  // reverse complement
    {" cBrev(", "(.)GGGC(..)A(....)GCTT(.)"},  // reverse
    {" cBcom(", "(.)AAGC(....)T(..)GCCC(.)"},  // complement
}};

// The 1-based starts of the matches of `box`; the iterator resumes after each
// match, so matches never overlap.
std::vector<int> MatchStarts(const std::regex& box, std::string_view sequence) {
    std::vector<int> starts;
    const std::cregex_iterator end;
    for (std::cregex_iterator match(sequence.data(), sequence.data() + sequence.size(), box); match != end;
         ++match) {
        starts.push_back(static_cast<int>((*match)[0].first - sequence.data()) + 1);
    }
    return starts;
}

void WriteGroup(FILE* file, const char* label, const std::vector<int>& starts) {
    std::fputs(label, file);
    for (const int start : starts) std::fprintf(file, "%d ", start);
    std::fputs(") ", file);
}

}  // namespace

CenpBFinder::CenpBFinder() {
    for (std::size_t k = 0; k < kOrientations.size(); ++k)
        boxes_[k] = std::regex(kOrientations[k].pattern, std::regex::ECMAScript);
}

CenpBBoxes CenpBFinder::Find(std::string_view sequence) const {
    CenpBBoxes found;
    for (std::size_t k = 0; k < boxes_.size(); ++k) found[k] = MatchStarts(boxes_[k], sequence);
    return found;
}

void WriteCenpBLine(FILE* file, const alpha& monomer, const CenpBBoxes& boxes) {
    std::fprintf(file, "\n%d %d", monomer.position, monomer.length);
    for (std::size_t k = 0; k < kOrientations.size(); ++k) WriteGroup(file, kOrientations[k].label, boxes[k]);
}

void WriteCenpBFile(const std::string& ensemblePath) {
    const CenpBFinder finder;
    StreamEnsembleToResult(ensemblePath, "_cenpB.txt", [&](FILE* file, const alpha& monomer) {
        WriteCenpBLine(file, monomer, finder.Find(monomer.sequence));
    });
}

void alphaEnsemble::FindCenpBboxes(int count) {
    const CenpBFinder finder;
    ResultFile out(fileName + "_cenpB.txt", {fileName});
    const std::size_t usable = UsableCount(*this, count);
    for (std::size_t i = 0; i < usable; ++i)
        WriteCenpBLine(out.get(), monomers[i], finder.Find(monomers[i].sequence));
    out.Commit();
}

void alphaEnsemble::CenpBbox(FILE* file, std::string label, std::string pattern, std::string sequence) {
    WriteGroup(file, label.c_str(), MatchStarts(std::regex(pattern, std::regex::ECMAScript), sequence));
}

}  // namespace horgrid
