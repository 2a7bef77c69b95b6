#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "SequenceGenerator.h"
#include "infer/HorCopies.h"
#include "infer/LeaderClusters.h"
#include "infer/MedoidConsensus.h"
#include "infer/StretchMonomers.h"

namespace horgrid {
namespace {

// Monomers of 10 bases laid head to tail from a type string: a letter per
// monomer ('a' = type 0), upper case on the reverse strand, '|' a gap of 100
// bases.
std::vector<TypedMonomer> Lay(const std::string& types) {
    std::vector<TypedMonomer> monomers;
    std::int64_t position = 0;
    for (const char c : types) {
        if (c == '|') {
            position += 100;
            continue;
        }
        const bool reverse = std::isupper(static_cast<unsigned char>(c));
        const std::size_t type = static_cast<std::size_t>(std::tolower(static_cast<unsigned char>(c)) - 'a');
        monomers.push_back({0, position, position + 9, type, reverse});
        position += 10;
    }
    return monomers;
}

std::string Letters(const std::vector<std::size_t>& types) {
    std::string text;
    for (const std::size_t type : types) text += static_cast<char>('a' + type);
    return text;
}

TEST(InferHor, UnitAndCopies) {
    struct Case {
        std::string types;
        std::string unit;            // as turned to the first run's first copy
        std::string copies;          // each copy's types, then its kind (f/p/v), space-separated
        std::string arrays = "";     // the copies of variant HORs' own arrays, one array after another
        bool canonical = false;      // HorSearch::canonical
        std::string sharing = "";    // the window where two positions may share a type
        char unitTypes = 0;          // HorSearch::unitTypes as a letter (0: every type)
        std::size_t fewSharing = 0;  // HorSearch::fewSharingCopies
    };
    const std::vector<Case> cases = {
        {"abcabcabc", "abc", "abc.f abc.f abc.f"},
        {"cabcabcab", "cab", "cab.f cab.f cab.f"},
        {"aaaa", "a", "a.f a.f a.f a.f"},
        // A copy without its first, last or a middle monomer; a foreign monomer.
        {"abcdabcdbcdabcdabcdabdabcdabcdabcabcdabcxdabcdabcd", "abcd",
         "abcd.f abcd.f bcd.p abcd.f abcd.f abd.p abcd.f abcd.f abc.p abcd.f abcxd.v abcd.f abcd.f"},
        // The reverse strand read backwards; a gap ends a run.
        {"abcabc|CBACBACBA", "abc", "abc.f abc.f abc.f abc.f abc.f"},
        {"abab|abab", "ab", "ab.f ab.f ab.f ab.f"},
        {"abcd", "", ""},
        // A lone monomer is no HOR copy; the unit is the one whose copies cover
        // the most monomers (12 of three cdef copies against 8 of four ab ones).
        {"abcabcabc|a", "abc", "abc.f abc.f abc.f"},
        {"cdefcdefcdef|abababab", "cdef", "cdef.f cdef.f cdef.f"},
        // Two layouts of one HOR side by side (as in CHM13 chr13: the 11-monomer
        // copies and 7-monomer ones lacking four positions): the unit is the one
        // whose full copies cover the most, 4 x 11 against 5 x 7 (turned to the
        // first rotation the run shows).
        {"abcdefkabcdefghijkabcdefkabcdefghijkabcdefghijkabcdefkabcdefkabcdefghijkabcdefk", "kabcdefghij",
         "abcdef.p kabcdefghij.f kabcdef.p kabcdefghij.f kabcdefghij.f kabcdef.p kabcdef.p kabcdefghij.f "
         "kabcdef.p"},
        // A short copy beside most full ones (CHM13 chr15: 1-4 then 1-11; two
        // lone full copies elsewhere): the 15-monomer window uses four types
        // twice and covers 105 monomers, the 11-monomer unit 99; a unit that
        // repeats types needs a tenth more.
        {"abcdabcdefghijkabcdabcdefghijkabcdabcdefghijkabcdabcdefghijkabcdabcdefghijkabcdabcdefghijk"
         "abcdabcdefghijk|abcdefghijk|abcdefghijk",
         "abcdefghijk",
         "abcd.p abcdefghijk.f abcd.p abcdefghijk.f abcd.p abcdefghijk.f abcd.p abcdefghijk.f abcd.p "
         "abcdefghijk.f abcd.p abcdefghijk.f abcd.p abcdefghijk.f abcdefghijk.f abcdefghijk.f"},
        // A 7-monomer HOR, a 4-monomer variant abjg (j standing for f) after
        // some of its copies, as in CHM13 chr9: the 8-monomer window of a
        // whole copy and the variant's j covers over a quarter as much, and
        // the unit derives from it, but none of its full copies follows
        // another, so it is no whole HOR. After a whole copy the variant's
        // copy begins with j; the 11-monomer window of a copy and a variant
        // holds every type, but only copies of the unit.
        {"cdefgabjgabcdefgabcdefgabjgabcdefgabcdefgabjgabcdefgabcdefgabcde"
         "fgabjgabjgabjgabjgabjgabcdefgabcdefgabjgabcdefgabcdefgabcdefgabj"
         "gabcdefgabcdefgabjg",
         "cdefgab",
         "cdefgab.f jgab.v cdefgab.f cdefgab.f jgab.v cdefgab.f cdefgab.f jgab.v cdefgab.f cdefgab.f "
         "cdefgab.f "
         "jgabj.v gabj.v gabj.v gabj.v gab.p cdefgab.f cdefgab.f jgab.v cdefgab.f cdefgab.f cdefgab.f jgab.v "
         "cdefgab.f cdefgab.f",
         "", true},
        // The 4-monomer unit abcd beside an 8-monomer HOR abchegaf that
        // holds a twice (as CHM13 chr5's 1 2/4 5 2/6 beside 1 2 3 4 5 6/4 5
        // 2/6, d standing for h e g): the unit derives from the window abcheg,
        // whose full copies cover over a quarter as much, but only one of them
        // follows another (against 14 of the unit's), so it is no whole HOR.
        {"abcdabcdabcdabchegafabcdabcdabcdabchegafabcdabcdab"
         "chegafabcdabcdabchegabchegafabcdabcdabcdabchegafab"
         "cdabcdabcdabcdabchegafabcdabcdabchegafabcdabcdabcd",
         "abcd",
         "abcd.f abcd.f abcd.f abcheg.v abcd.f abcd.f abcd.f abcheg.v abcd.f abcd.f abcheg.v abcd.f abcd.f "
         "abcheg.v abcheg.v abcd.f abcd.f abcd.f abcheg.v abcd.f abcd.f abcd.f abcd.f abcheg.v abcd.f abcd.f "
         "abcheg.v abcd.f abcd.f abcd.f",
         "", true, "abchegafabcd"},
        // The same 6-monomer HOR in under a third of the copies, the rest a
        // variant abxf lacking c-e with a junction monomer x (chr18-like arrays
        // whose 12-mer stands among 8-monomer copies 1 2 3/7 8-12): its full
        // copies stand side by side as often as copies laid out at random
        // would, so it is the HOR, however few its pairs beside the variant's.
        {"abxfabxfabcdefabxfabxfabxfabcdefabcdefabxfabxfabxfabxfabcdefabxfabxfabcdefabxfabxfabxfabxfabxfabcde"
         "fabcdefabxfabxfabxfabxf",
         "fabcde",
         "abx.v fabx.v fabcde.f fabx.v fabx.v fabx.v fabcde.f fabcde.f fabx.v fabx.v fabx.v fabx.v fabcde.f "
         "fabx.v "
         "fabx.v fabcde.f fabx.v fabx.v fabx.v fabx.v fabx.v fabcde.f fabcde.f fabx.v fabx.v fabx.v fabx.v",
         "", true},
        // A variant HOR's own array (as CHM13 chr17's 14-monomer S3C17H1-B
        // before the live 16-mer, lacking 1-3): its copies, at the end of a
        // run, one array across gaps (a run between its pieces goes with
        // them), are not copies of the unit.
        {"bcdxbcdxbcdx|bcdx|bcdxbcdxabcdabcdabcdabcdabcdabcdabcdabcd", "abcd",
         "abcd.f abcd.f abcd.f abcd.f abcd.f abcd.f abcd.f abcd.f",
         "bcdx.v bcdx.v bcdx.v bcdx.v bcdx.v bcdx.v"},
        // Too few of them for an array; and a run of them that ends the array
        // of a variant that stands among whole copies throughout (CHM13
        // chr18's 1 2 3/7 8 ... 12): copies of the unit.
        {"bcdxbcdxbcdxbcdxabcdabcdabcdabcdabcdabcdabcdabcd", "abcd",
         "bcdx.v bcdx.v bcdx.v bcdx.v abcd.f abcd.f abcd.f abcd.f abcd.f abcd.f abcd.f abcd.f"},
        {"abcdabcdabcdbcdxabcdbcdxabcdabcdabcdabcdbcdxabcdabcdbcdx"
         "abcdabcdabcdabcdabcdbcdxabcdabcdbcdxbcdxbcdxbcdxbcdx",
         "abcd",
         "abcd.f abcd.f abcd.f bcdx.v abcd.f bcdx.v abcd.f abcd.f abcd.f abcd.f bcdx.v abcd.f abcd.f bcdx.v "
         "abcd.f abcd.f abcd.f abcd.f abcd.f bcdx.v abcd.f abcd.f bcdx.v bcdx.v bcdx.v bcdx.v bcdx.v",
         "", false, "abcdbcdx"},
        // Seven copies of an 11-mer whose ninth position (e, as the fifth is)
        // a template z types in every other copy (12 kb of CHM13 cen21): z
        // makes no unit and stands for the position it is in, but is no
        // evidence of a copy (az after a gap is none).
        {"abcdefghediabcdefghzdiabcdefghediabcdefghzdiabcdefghediabcdefghzdiabcdefghedi|az", "abcdefghedi",
         "abcdefghedi.f abcdefghzdi.f abcdefghedi.f abcdefghzdi.f abcdefghedi.f abcdefghzdi.f abcdefghedi.f",
         "", true, "", 'z'},
        // 11-, 11- and 9-monomer copies over and over, the 11-mer using d
        // and g twice (its 9 and 7 merged with 4 and 11 in 12 kb of cen21):
        // the 31-monomer window is a layout of the 11-mer's copies.
        {"abcdefghdigabcdefghdigabcdefghgabcdefghdigabcdefghdigabcdefghgabcdefghdig", "abcdefghdig",
         "abcdefghdig.f abcdefghdig.f abcdefghg.p abcdefghdig.f abcdefghdig.f abcdefghg.p abcdefghdig.f", "",
         true},
        // 6 kb of cen21: two whole 11-monomer copies whose 8-11 share a, c, d
        // and g with 1, 3, 4 and 7, and a copy of the variant lacking 8-11.
        // The 11-monomer window reads as copies of the variant's 7-mer, yet
        // in so few copies it is kept as the window to split.
        {"efgabcdefgacdgabcdefgacdgabcdefgacd", "efgabcd",
         "efgabcd.f efgacd.p gabcd.p efgacd.p gabcd.p efgacd.p", "", true, "gabcdefgacd", 0, 5},
    };
    const auto list = [](const std::vector<HorCopy>& of, std::string& text) {
        for (const HorCopy& copy : of) {
            if (!text.empty()) text += ' ';
            text += Letters(copy.types);
            text += '.';
            text += "fpv"[static_cast<int>(copy.kind)];
        }
    };
    HorSearch search;
    search.variantArrays = true;
    for (const Case& c : cases) {
        search.canonical = c.canonical;
        search.fewSharingCopies = c.fewSharing;
        search.unitTypes =
            c.unitTypes == 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(c.unitTypes - 'a');
        const HorResult hor = FindHor(Lay(c.types), search);
        EXPECT_EQ(Letters(hor.unit), c.unit) << c.types;
        std::string copies, arrays;
        list(hor.copies, copies);
        for (const VariantArray& array : hor.variantArrays) list(array.copies, arrays);
        EXPECT_EQ(copies, c.copies) << c.types;
        EXPECT_EQ(arrays, c.arrays) << c.types;
        EXPECT_EQ(Letters(hor.sharingUnit), c.sharing) << c.types;
    }
    // Positions, lacks and adds of one copy; the reverse strand keeps its positions.
    const HorResult hor = FindHor(Lay("abcabcabc|CXA"));
    ASSERT_EQ(hor.copies.size(), 4u);
    EXPECT_EQ(hor.copies[1].start, 30);
    EXPECT_EQ(hor.copies[1].end, 59);
    EXPECT_EQ(Letters(hor.copies[3].lacks), "b");
    EXPECT_TRUE(hor.copies[3].reverse);
    EXPECT_EQ(Letters(hor.copies[3].types), "axc");
    EXPECT_EQ(Letters(hor.copies[3].adds), "x");
}

TEST(InferConsensus, IndelsInMembersDoNotShiftColumns) {
    std::mt19937_64 random(5);
    const std::string truth = reference::RandomSequence(random, 60);
    // Every member carries one private insertion or deletion and a substitution.
    std::vector<std::string> members;
    for (std::size_t k = 0; k < 7; ++k) {
        std::string member = truth;
        member[(k * 17 + 3) % member.size()] = member[(k * 17 + 3) % member.size()] == 'A' ? 'C' : 'A';
        if (k % 2 == 0) {
            member.insert(5 + k * 7, 1, 'G');
        } else {
            member.erase(5 + k * 7, 1);
        }
        members.push_back(member);
    }
    const std::vector<std::string_view> views(members.begin(), members.end());
    EXPECT_EQ(MedoidConsensus().Consensus(views, views[GroupMedoid(views)]), truth);
    // An insertion most members share is kept.
    std::vector<std::string> inserted(5, truth.substr(0, 30) + "TT" + truth.substr(30));
    inserted.push_back(truth);
    const std::vector<std::string_view> insertedViews(inserted.begin(), inserted.end());
    EXPECT_EQ(MedoidConsensus().Consensus(insertedViews, insertedViews.back()), inserted.front());
}

TEST(InferClusters, LeadersAndNearestMembers) {
    // Two families 40 % apart; members 1 edit from their family; exact
    // repeats (7, 8) join their first copy's group.
    const std::vector<std::string> sequences = {"AAAAAAAAAA", "CCCCAAAAAA", "AAAAAAAAAT",
                                                "CCCCAAAAAT", "AAAAAAAAGA", "CCCCAAAAGA",
                                                "GGGGGGGGGG", "CCCCAAAAAT", "GGGGGGGGGG"};
    const std::vector<std::string_view> views(sequences.begin(), sequences.end());
    const auto groups = LeaderClusters(views, {0, 1, 2, 3, 4, 5, 6, 7, 8}, 15, 2);
    const std::vector<std::vector<std::size_t>> expected = {{0, 2, 4}, {1, 3, 5, 7}, {6, 8}};
    EXPECT_EQ(groups, expected);
    // Leaders from a sample of three (0, 2, 4): the members of the other
    // families lie beyond every leader and join no group.
    const std::vector<std::vector<std::size_t>> sampled = {{0, 2, 4}};
    EXPECT_EQ(LeaderClusters(views, {0, 1, 2, 3, 4, 5, 6}, 15, 2, 3), sampled);
}

// A group that is an earlier monomer cut a few bases out of phase (its tail
// and the next copy's head, or the monomer and the next copy's head) is a
// shift of it; a variant, an unrelated monomer and a family 20 % off are not.
TEST(InferClusters, ShiftedCopiesOfAMonomer) {
    std::mt19937_64 random(5);
    const std::string monomer = reference::RandomSequence(random, 178);
    const std::string twice = monomer + monomer;
    const std::vector<std::pair<std::string, bool>> cases = {
        {reference::Mutate(random, twice.substr(17, 178), 0.02), true},
        {twice.substr(0, 195), true},
        {reference::Mutate(random, monomer, 0.03), false},
        {reference::Mutate(random, monomer, 0.20), false},
        {reference::RandomSequence(random, 178), false},
    };
    for (const auto& [group, shifted] : cases) {
        const std::vector<std::size_t> found = infer::ShiftedGroups({monomer, group}, 8);
        EXPECT_EQ(found, shifted ? std::vector<std::size_t>{1} : std::vector<std::size_t>{}) << group;
    }
}

}  // namespace
}  // namespace horgrid
