#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ensemble/CenpB.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid::test {
namespace {

// One 17-base box of each orientation (flank, core, flank).
const std::string kDirectBox = "GTTCGCACTAATCGGGT";
const std::string kReverseComplementBox = "ACCCGATTAGTGCGAAC";
const std::string kReverseBox = "TGGGCTAATCACGCTTG";
const std::string kComplementBox = "CAAGCGTGATTAGCCCA";

using Starts = std::vector<int>;

// The starts CenpBFinder reports for one orientation (0 direct, 1 reverse
// complement, 2 reverse, 3 complement) of `sequence`.
Starts Boxes(const std::string& sequence, std::size_t orientation = 0) {
    return CenpBFinder().Find(sequence)[orientation];
}

std::string Filler(std::size_t n) {
    return std::string(n, 'A');
}

TEST(CenpBFinder, BoxesAtTheVeryStartAndEnd) {
    EXPECT_EQ(Boxes(kDirectBox), Starts{1});
    EXPECT_EQ(Boxes(kDirectBox + Filler(10) + kDirectBox), (Starts{1, 28}));
    EXPECT_EQ(Boxes(Filler(154) + kDirectBox), Starts{155});
    // A core whose flanking base would lie outside the sequence is no box.
    EXPECT_EQ(Boxes(kDirectBox.substr(1)), Starts{});
    EXPECT_EQ(Boxes(kDirectBox.substr(0, 16)), Starts{});
    EXPECT_EQ(Boxes(""), Starts{});
}

TEST(CenpBFinder, MatchesDoNotOverlap) {
    // The second box starts on the first one's last (flanking) base: only the
    // first is reported. One base later both are.
    const std::string sharedFlank = kDirectBox + kDirectBox.substr(1);
    ASSERT_EQ(sharedFlank.substr(16, 17), "TTTCGCACTAATCGGGT");
    EXPECT_EQ(Boxes(sharedFlank), Starts{1});
    EXPECT_EQ(Boxes(kDirectBox + kDirectBox), (Starts{1, 18}));
}

TEST(CenpBFinder, EachStretchMatchesOneOrientation) {
    const std::string boxes[] = {kDirectBox, kReverseComplementBox, kReverseBox, kComplementBox};
    for (std::size_t b = 0; b < 4; ++b) {
        const CenpBBoxes found = CenpBFinder().Find(Filler(3) + boxes[b] + Filler(3));
        for (std::size_t p = 0; p < 4; ++p)
            EXPECT_EQ(found[p], b == p ? Starts{4} : Starts{}) << "box " << b << " orientation " << p;
    }
}

TEST(CenpBFinder, CaseSensitiveAndNMatchesOnlyTheDots) {
    std::string lower = kDirectBox;
    for (char& c : lower) c = static_cast<char>(c | 0x20);
    EXPECT_EQ(Boxes(lower), Starts{});
    EXPECT_EQ(Boxes("NTTCGNNNNANNCGGGN"), Starts{1});
    // N in place of a fixed letter of the core.
    EXPECT_EQ(Boxes("NTTCGNNNNNNNCGGGN"), Starts{});
    EXPECT_EQ(Boxes("NTTNGNNNNANNCGGGN"), Starts{});
    // '.' matches a NUL but not a carriage return.
    EXPECT_EQ(Boxes(std::string(1, '\0') + kDirectBox.substr(1)), Starts{1});
    EXPECT_EQ(Boxes("\rTTCGCACTAATCGGGT"), Starts{});
    EXPECT_EQ(Boxes("GTTCGCA\nTAATCGGGT"), Starts{});
}

TEST(CenpBbox, WritesOneGroupForAnyPattern) {
    FILE* file = std::tmpfile();
    alphaEnsemble ensemble(TempDir().Write("empty.ens", ""));
    ensemble.CenpBbox(file, " cBdir(", "(.)TTCG(....)A(..)CGGG(.)", kDirectBox + kDirectBox);
    ensemble.CenpBbox(file, "[", "A", "");
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_EQ(text, " cBdir(1 18 ) [) ");
}

TEST(FindCenpBboxes, OneLinePerMonomerWithFourGroups) {
    TempDir dir;
    const std::string mixed = kReverseBox + Filler(5) + kDirectBox + kComplementBox + kDirectBox;
    const std::string path = dir.Write("a b.ens", "x + 100 171 " + kDirectBox + Filler(154) +
                                                      "\ny - 271 8 ACGT\nz + 300 67 " + mixed + "\n");
    alphaEnsemble ensemble(path);
    ensemble.FindCenpBboxes(ensemble.monomerCount);
    EXPECT_EQ(ReadFile(path + "_cenpB.txt"),
              "\n100 171 cBdir(1 )  cBrcm()  cBrev()  cBcom() "
              "\n271 8 cBdir()  cBrcm()  cBrev()  cBcom() "
              "\n300 67 cBdir(23 57 )  cBrcm()  cBrev(1 )  cBcom(40 ) ");

    // A count above the ensemble's size covers every monomer; none or a
    // negative count leaves the file empty.
    ensemble.FindCenpBboxes(1);
    EXPECT_EQ(ReadFile(path + "_cenpB.txt"), "\n100 171 cBdir(1 )  cBrcm()  cBrev()  cBcom() ");
    ensemble.FindCenpBboxes(99);
    const std::string all = ReadFile(path + "_cenpB.txt");
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 3);
    ensemble.FindCenpBboxes(-1);
    EXPECT_EQ(ReadFile(path + "_cenpB.txt"), "");
}

}  // namespace
}  // namespace horgrid::test
