#include <algorithm>
#include <array>
#include <cstdio>
#include <regex>

#include "common/ResultFile.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {

namespace {

// The 17-base CENP-B box NTTCGNNNNANNCGGGN in its four orientations, in the
// order they are searched and written, each with the label opening its group.
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

// Writes one group: the label, the 1-based start of every match ("%d "), then
// ") ". The iterator resumes after each match, so matches never overlap.
void WriteBoxGroup(FILE* file, const char* label, const std::regex& box, const std::string& sequence) {
    std::fprintf(file, "%s", label);
    const std::sregex_iterator end;
    for (std::sregex_iterator match(sequence.begin(), sequence.end(), box); match != end; ++match) {
        const auto start = (*match)[0].first - sequence.begin();
        std::fprintf(file, "%d ", static_cast<int>(start) + 1);
    }
    std::fputs(") ", file);
}

}  // namespace

void alphaEnsemble::FindCenpBboxes(int count) {
    // Compiled once per call instead of once per monomer and orientation.
    std::array<std::regex, kOrientations.size()> boxes;
    for (std::size_t k = 0; k < kOrientations.size(); ++k)
        boxes[k] = std::regex(kOrientations[k].pattern, std::regex::ECMAScript);
    count = std::max(0, std::min({count, monomerCount, static_cast<int>(monomers.size())}));

    ResultFile out(fileName + "_cenpB.txt", {fileName});
    for (int i = 0; i < count; ++i) {
        const alpha& monomer = monomers[static_cast<std::size_t>(i)];
        std::fprintf(out.get(), "\n%d %d", monomer.position, monomer.length);
        for (std::size_t k = 0; k < kOrientations.size(); ++k)
            WriteBoxGroup(out.get(), kOrientations[k].label, boxes[k], monomer.sequence);
    }
    out.Commit();
}

void alphaEnsemble::CenpBbox(FILE* file, std::string label, std::string pattern, std::string sequence) {
    WriteBoxGroup(file, label.c_str(), std::regex(pattern, std::regex::ECMAScript), sequence);
}

}  // namespace horgrid
