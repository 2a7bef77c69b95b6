#include "ensemble/CenpB.h"

#include <cstdio>
#include <regex>

#include "common/ResultFile.h"
#include "ensemble/EnsembleReader.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid {

namespace {

// The box in its four orientations, in the order they are searched and
// written, each with the label opening its group. In a box, N stands for any
// byte but a line feed or carriage return.
struct Orientation {
    const char* label;
    std::string_view box;
};

constexpr std::array<Orientation, 4> kOrientations = {{
    {" cBdir(", "NTTCGNNNNANNCGGGN"},  // direct
    {" cBrcm(", "NCCCGNNTNNNNCGAAN"},  // reverse complement
    {" cBrev(", "NGGGCNNANNNNGCTTN"},  // reverse
    {" cBcom(", "NAAGCNNNNTNNGCCCN"},  // complement
}};

bool BoxAt(std::string_view box, const char* bases) {
    for (std::size_t k = 0; k < box.size(); ++k) {
        const char base = bases[k];
        if (box[k] == 'N' ? base == '\n' || base == '\r' : base != box[k]) return false;
    }
    return true;
}

// The 1-based starts of the boxes in `sequence`, leftmost first; the search
// resumes after each box, so boxes never overlap.
std::vector<int> BoxStarts(std::string_view box, std::string_view sequence) {
    std::vector<int> starts;
    for (std::size_t i = 0; i + box.size() <= sequence.size();) {
        if (BoxAt(box, sequence.data() + i)) {
            starts.push_back(static_cast<int>(i) + 1);
            i += box.size();
        } else {
            ++i;
        }
    }
    return starts;
}

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

CenpBBoxes CenpBFinder::Find(std::string_view sequence) const {
    CenpBBoxes found;
    for (std::size_t k = 0; k < kOrientations.size(); ++k) found[k] = BoxStarts(kOrientations[k].box, sequence);
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
