#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "TestSupport.h"
#include "ensemble/alphaEnsemble.h"

namespace horgrid::test {
namespace {

const std::string kDirect = "(.)TTCG(....)A(..)CGGG(.)";
const std::string kReverseComplement = "(.)CCCG(..)T(....)CGAA(.)";
const std::string kReverse = "(.)GGGC(..)A(....)GCTT(.)";
const std::string kComplement = "(.)AAGC(....)T(..)GCCC(.)";

// One 17-base box of each orientation (flank, core, flank).
const std::string kDirectBox = "GTTCGCACTAATCGGGT";
const std::string kReverseComplementBox = "ACCCGATTAGTGCGAAC";
const std::string kReverseBox = "TGGGCTAATCACGCTTG";
const std::string kComplementBox = "CAAGCGTGATTAGCCCA";

// What CenpBbox writes for one orientation of `sequence`.
std::string Group(const std::string& pattern, const std::string& sequence) {
    alphaEnsemble ensemble(TempDir().Write("empty.ens", ""));
    FILE* file = std::tmpfile();
    ensemble.CenpBbox(file, "(", pattern, sequence);
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    const std::size_t got = std::fread(text.data(), 1, text.size(), file);
    std::fclose(file);
    return text.substr(0, got);
}

std::string Filler(std::size_t n) {
    return std::string(n, 'A');
}

TEST(CenpBbox, BoxesAtTheVeryStartAndEnd) {
    EXPECT_EQ(Group(kDirect, kDirectBox), "(1 ) ");
    EXPECT_EQ(Group(kDirect, kDirectBox + Filler(10) + kDirectBox), "(1 28 ) ");
    EXPECT_EQ(Group(kDirect, Filler(154) + kDirectBox), "(155 ) ");
    // A core whose flanking base would lie outside the sequence is no box.
    EXPECT_EQ(Group(kDirect, kDirectBox.substr(1)), "() ");
    EXPECT_EQ(Group(kDirect, kDirectBox.substr(0, 16)), "() ");
    EXPECT_EQ(Group(kDirect, ""), "() ");
}

TEST(CenpBbox, MatchesDoNotOverlap) {
    // The second box starts on the first one's last (flanking) base: only the
    // first is reported. One base later both are.
    const std::string sharedFlank = kDirectBox + kDirectBox.substr(1);
    ASSERT_EQ(sharedFlank.substr(16, 17), "TTTCGCACTAATCGGGT");
    EXPECT_EQ(Group(kDirect, sharedFlank), "(1 ) ");
    EXPECT_EQ(Group(kDirect, kDirectBox + kDirectBox), "(1 18 ) ");
}

TEST(CenpBbox, EachStretchMatchesOneOrientation) {
    const std::string boxes[] = {kDirectBox, kReverseComplementBox, kReverseBox, kComplementBox};
    const std::string patterns[] = {kDirect, kReverseComplement, kReverse, kComplement};
    for (int b = 0; b < 4; ++b)
        for (int p = 0; p < 4; ++p)
            EXPECT_EQ(Group(patterns[p], Filler(3) + boxes[b] + Filler(3)), b == p ? "(4 ) " : "() ")
                << "box " << b << " pattern " << p;
}

TEST(CenpBbox, CaseSensitiveAndNMatchesOnlyTheDots) {
    std::string lower = kDirectBox;
    for (char& c : lower) c = static_cast<char>(c | 0x20);
    EXPECT_EQ(Group(kDirect, lower), "() ");
    EXPECT_EQ(Group(kDirect, "NTTCGNNNNANNCGGGN"), "(1 ) ");
    // N in place of a fixed letter of the core.
    EXPECT_EQ(Group(kDirect, "NTTCGNNNNNNNCGGGN"), "() ");
    EXPECT_EQ(Group(kDirect, "NTTNGNNNNANNCGGGN"), "() ");
    // '.' does not match a carriage return.
    EXPECT_EQ(Group(kDirect, "\rTTCGCACTAATCGGGT"), "() ");
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
