// `annotate`: the core on a real piece of the CHM13 chromosome 21 array
// (tests/data/cen21_piece.fa, made by tests/data/make_cen21_piece.py: six HOR
// copies, one without its monomer 9, then two copies reverse-complemented)
// against the HMM annotation of the same bases; the command's six files
// against stored ones (HORGRID_UPDATE_EXPECTED=1 rewrites them); bad input;
// the naming helpers and the assignment.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "InferTestArray.h"
#include "SequenceGenerator.h"
#include "TestSupport.h"
#include "annotate/Annotate.h"
#include "annotate/AnnotationFiles.h"
#include "annotate/LikelyFamilies.h"
#include "annotate/PlacedAnnotation.h"
#include "annotate/StandardNames.h"
#include "seqio/SequenceReader.h"

namespace horgrid::test {
namespace {

const std::string kSource = HORGRID_SOURCE_DIR;
const std::string kPiece = kSource + "/tests/data/cen21_piece.fa";
const std::string kExpected = kSource + "/tests/expected/annotate_cen21_piece/";
const std::vector<std::string> kResults = {"piece_AS-HOR.bed",    "piece_AS-SF.bed",        "piece_AS-strand.bed",
                                           "piece_AS-StV.bed",    "piece_arrays.tsv",       "piece_decomposition.tsv",
                                           "piece_cenSat.bed",    "piece_cenSat-strand.bed"};

std::string PieceSequence() {
    SequenceReader reader(kPiece);
    SequenceRecord record;
    EXPECT_TRUE(reader.Next(record));
    return record.sequence;
}

// Every monomer of the HMM annotation has one monomer of the annotation on
// the same bases (within 3 at either end) with the same name and strand: on
// the whole piece and on four of its copies alone (few copies of each position
// to tell positions 7 and 11 apart, the first lacking monomer 9).
TEST(Annotate, NamesThePieceAsTheHmmAnnotation) {
    const StandardSets sets = BuiltInStandardSets();
    const std::string piece = PieceSequence();
    const std::vector<std::pair<std::size_t, std::size_t>> parts = {{0, piece.size()}, {1870, 9175}};
    for (const auto& [begin, length] : parts) {
        SCOPED_TRACE(begin);
        const Annotation annotation =
            AnnotateSequence(std::string_view(piece).substr(begin, length - begin), sets, AnnotationSettings{}, 2);
        std::ifstream table(kSource + "/tests/data/cen21_piece.hmm.tsv");
        std::size_t rows = 0;
        std::int64_t start = 0, end = 0;
        std::string name, strand;
        while (table >> start >> end >> name >> strand) {
            if (start < static_cast<std::int64_t>(begin) || end > static_cast<std::int64_t>(length)) continue;
            start -= static_cast<std::int64_t>(begin);
            end -= static_cast<std::int64_t>(begin);
            ++rows;
            SCOPED_TRACE(std::to_string(start) + " " + name);
            const auto found = std::find_if(annotation.monomers.begin(), annotation.monomers.end(),
                                            [&](const auto& m) {
                                                return std::abs(m.start - start) <= 3 && std::abs(m.end - end) <= 3;
                                            });
            ASSERT_NE(found, annotation.monomers.end());
            EXPECT_EQ(found->name, name);
            EXPECT_EQ(found->reverse, strand == "-");
        }
        EXPECT_EQ(annotation.monomers.size(), rows);
        ASSERT_EQ(annotation.arrays.size(), 1u);
        EXPECT_EQ(annotation.arrays[0].kind, ArrayClass::LiveHor);
        EXPECT_EQ(annotation.arrays[0].hor, "S2C13/21H1L");
        EXPECT_EQ(annotation.arrays[0].unitMonomers, 11u);
        EXPECT_EQ(annotation.arrays[0].family, "SF2");
        const std::size_t lacking = begin == 0 ? 1 : 0;  // the copy without monomer 9
        ASSERT_GE(annotation.copies.size(), 4u);
        EXPECT_EQ(annotation.copies[lacking].variant, "S2C13/21H1L.1-8_10-11");
        EXPECT_EQ(annotation.copies[lacking].kind, CopyKind::Partial);
        EXPECT_EQ(annotation.copies[lacking + 1].variant, "S2C13/21H1L.1-11");
        if (begin == 0) {
            EXPECT_EQ(rows, 87u);
            EXPECT_EQ(annotation.arrays[0].full, 7u);
            ASSERT_EQ(annotation.copies.size(), 8u);
            EXPECT_TRUE(!annotation.copies[7].reverse && annotation.copies[0].reverse);
        }
    }
}

TEST(Annotate, StoredFilesOfThePiece) {
    const bool update = std::getenv("HORGRID_UPDATE_EXPECTED") != nullptr;
    std::string first;
    for (const char* threads : {"2", "1"}) {
        SCOPED_TRACE(threads);
        TempDir dir;
        std::filesystem::copy_file(kPiece, dir.File("cen21_piece.fa"));
        const RunResult run =
            RunProgram(HORGRID_TOOLS_BIN, {"annotate", "-t", threads, "-o", "piece", "cen21_piece.fa"}, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "horgrid-tools annotate: 1 records, 14785 bases done\n");
        std::vector<std::pair<std::string, std::string>> outputs = {{"stdout", run.out}};
        for (const std::string& result : kResults) outputs.emplace_back(result, ReadFile(dir.File(result)));
        for (const auto& [file, content] : outputs) {
            if (update) {
                std::filesystem::create_directories(kExpected);
                std::ofstream(kExpected + file, std::ios::binary) << content;
            } else {
                EXPECT_TRUE(ReadFile(kExpected + file) == content) << file << " differs from " << kExpected;
            }
        }
    }
}

// The classing decomposition with only the likely classes allowed is the one
// with every class everywhere: on the piece, the DXZ1 array, both of them
// (one reverse-complemented) between random bases, and an array with a few
// random bases at either end (every class is allowed at the ends of the alpha
// satellite and of the record); it allows under a third of the
// oriented classes on the arrays, and random sequence alone gives no runs.
TEST(Annotate, LikelyFamiliesKeepTheClassingDecomposition) {
    const StandardSets sets = BuiltInStandardSets();
    const LikelyFamilies likely(sets.families);
    std::mt19937_64 random(3);
    SequenceReader reader(kSource + "/tests/data/dxz1_array.fa");
    SequenceRecord dxz1;
    ASSERT_TRUE(reader.Next(dxz1));
    const std::string piece = PieceSequence();
    const std::string mixed = reference::RandomSequence(random, 3000) + dxz1.sequence.substr(0, 6000) +
                              reference::RandomSequence(random, 2000) + ReverseComplement(piece.substr(0, 5000)) +
                              reference::RandomSequence(random, 60);
    // A few bases beyond the last monomer, too few for a block without alpha satellite.
    const std::string tails = reference::RandomSequence(random, 60) + dxz1.sequence.substr(0, 3000) +
                              reference::RandomSequence(random, 60);
    const auto fields = [](const std::vector<Segment>& segments) {
        std::vector<std::int64_t> out;
        for (const Segment& s : segments)
            out.insert(out.end(), {s.start, s.end, static_cast<std::int64_t>(s.type), s.reverse, s.score});
        return out;
    };
    for (const std::string* record : {&piece, static_cast<const std::string*>(&dxz1.sequence), &mixed, &tails}) {
        SCOPED_TRACE(record->size());
        const std::vector<TypeRun> runs = likely.Runs(*record);
        ASSERT_FALSE(runs.empty());
        double allowed = 0;
        for (std::size_t r = 0, from = 0; r < runs.size(); from = runs[r++].end)
            allowed += static_cast<double>(runs[r].end - from) * static_cast<double>(runs[r].oriented.size());
        if (record != &mixed && record != &tails) {
            EXPECT_LT(allowed / static_cast<double>(record->size()), 2.0 * static_cast<double>(sets.families.size()) / 3);
        }
        EXPECT_EQ(fields(Decompose(*record, sets.families, Scoring{}, 1, runs)),
                  fields(Decompose(*record, sets.families, Scoring{})));
    }
    EXPECT_TRUE(likely.Runs(reference::RandomSequence(random, 5000)).empty());
}

TEST(Annotate, BadInputLeavesNoResult) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
        std::string sequences = ">r\nACGTACGTAC\n";
    };
    const std::vector<Case> cases = {
        {{"annotate", "missing.fa"}, 2, "horgrid-tools annotate: cannot read 'missing.fa'"},
        {{"annotate", "piece.fa"},
         2,
         "record 2 (line 3) is named 'r' like record 1",
         ">r\nACGT\n>r x\nACGT\n"},
        {{"annotate", "piece.fa"}, 2, "record 2 (line 3) has no name", ">r\nACGT\n>\nACGT\n"},
        {{"annotate", "-r", "r:10-1", "piece.fa"},
         2,
         "region 'r:10-1' of 'piece.fa': it begins after it ends"},
        {{"annotate", "-r", "r:abc", "piece.fa"}, 2, "'abc' after the record 'r' is no BEGIN-END"},
        {{"annotate", "-r", "r:1-5:3", "piece.fa"}, 2, "'1-5:3' after the record 'r' is no BEGIN-END"},
        {{"annotate", "-r", "r:11-20", "piece.fa"},
         2,
         "it begins after the end of the record 'r' (10 bases)"},
        {{"annotate", "-r", "e", "piece.fa"}, 2, "the record 'e' is empty", ">e\n>r\nACGTACGTAC\n"},
        {{"annotate", "-r", "r:18446744073709551617-5", "piece.fa"},
         2,
         "the position 18446744073709551617 is too large"},
        {{"annotate", "-r", "r:1-18446744073709551616", "piece.fa"},
         2,
         "the position 18446744073709551616 is too large"},
        {{"annotate", "-o", "od/", "piece.fa"}, 2, "prefix 'od/' for -o/--prefix ends in '/'"},
        {{"annotate", "piece.fa"}, 0, "horgrid-tools annotate: warning: no records in 'piece.fa'", ""},
        {{"annotate", "-o", "q\"uo\nte\\", "piece.fa"}, 0, ""},  // track names of one valid line
        {{"annotate", "-r", "nothere:1-10", "piece.fa"}, 2, "nothere"},
        {{"annotate", "-t", "0", "piece.fa"}, 2, "bad thread count '0'"},
        {{"annotate", "-x", "piece.fa"}, 1, "unknown option '-x'"},
        {{"annotate"}, 1, "missing SEQUENCES"},
        {{"annotate", "-o", "piece.fa", "piece.fa"}, 0, ""},  // results beside, input kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[c.arguments.size() > 2 ? c.arguments.size() - 2 : 0] + " " + c.message);
        TempDir dir;
        const std::string input = dir.Write("piece.fa", c.sequences);
        const RunResult run = RunProgram(HORGRID_TOOLS_BIN, c.arguments, dir.path());
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            files += entry.is_regular_file() && entry.path().extension() != ".fai";
            if (entry.path().extension() != ".bed") continue;
            // The track line: name="..." description="..." itemRgb="On", one line.
            const std::string track = ReadFile(entry.path().string());
            const std::string first = track.substr(0, track.find('\n'));
            EXPECT_EQ(std::count(first.begin(), first.end(), '"'), 6) << first;
            EXPECT_EQ(first.find('\\'), std::string::npos) << first;
            EXPECT_NE(first.find("itemRgb=\"On\""), std::string::npos) << first;
        }
        EXPECT_EQ(files, c.status == 0 ? 2u + kResults.size() : 1u);  // with the report
        EXPECT_EQ(ReadFile(input), c.sequences);
    }
}

TEST(Annotate, NamesColoursAndVariants) {
    EXPECT_EQ(HorOfName("S2C13/21H1L.7/8"), "S2C13/21H1L");
    EXPECT_EQ(MonomerOfName("S2C13/21H1L.7/8"), "7/8");
    EXPECT_EQ(HorOfName("W3"), "");
    EXPECT_TRUE(IsLiveHor("S4CYH1L"));
    EXPECT_FALSE(IsLiveHor("S3C11H3d"));
    EXPECT_EQ(LiveHorOf("S2C13/21H1-B"), "S2C13/21H1L");
    EXPECT_EQ(LiveHorOf("S3C11H3d"), "S3C11H3L");
    EXPECT_EQ(LiveHorOf("S4CYH1L"), "S4CYH1L");
    EXPECT_EQ(LiveHorOf("W3"), "");
    const std::vector<std::pair<std::string, std::string>> families = {
        {"S2C8H1L.4", "SF2"}, {"S4/6C13/14/21H1.2", "SF4/6"}, {"S01C12H3d.1", "SF1"}, {"S01/1C3H1L.5", "SF1/1"},
        {"J4", "SF1"},        {"FD", "SF2"},                  {"W5", "SF3"},         {"R1", "SF5"},
        {"Ka", "-"}};
    for (const auto& [name, family] : families) EXPECT_EQ(SuprachromosomalFamily(name), family) << name;

    const std::vector<ColorRule> rules = ParseColorTable("W\t0,255,255\nS2C13/21H1L.\t1,2,3\nS2C13/\t9,9,9\n"
                                                         "S2C13/21H1L.7\t4,5,6\r\n\n");
    const std::vector<std::pair<std::string, std::string>> colours = {
        {"W5", "0,255,255"}, {"S2C13/21H1L.4", "1,2,3"}, {"S2C13/21H1L.7", "4,5,6"}, {"S2C13/21H1-B.1", "9,9,9"},
        {"D1", "128,128,128"}};
    for (const auto& [name, rgb] : colours) EXPECT_EQ(ColorOf(rules, name), rgb) << name;
    EXPECT_EQ(ColorOf(BuiltInStandardSets().colors, "S4CYH1L.13"), "171,7,7");

    const std::vector<std::pair<std::vector<std::string>, std::string>> variants = {
        {{"1", "2", "3", "4", "5", "6", "8", "9", "10", "11"}, "S1C1/5/19H1L.1-6_8-11"},
        {{"1", "2", "3", "5"}, "S1C1/5/19H1L.1-3_5"},
        {{"13", "14", "13", "32/34", "35", "36"}, "S1C1/5/19H1L.13-14_13_32/34_35-36"},
        {{"7"}, "S1C1/5/19H1L.7"},
        {{"2", "1", "D5#1", "3"}, "S1C1/5/19H1L.2_1_D5#1_3"}};
    for (const auto& [monomers, name] : variants) EXPECT_EQ(StructuralVariantName("S1C1/5/19H1L", monomers), name);

    // Variant colours: the most frequent takes the HOR's, the next 16 each
    // their own (none the HOR's, here the list's first), the rest one grey.
    // Variant k has 30 - k copies.
    StandardSets builtIn = BuiltInStandardSets();
    StandardSets orange = builtIn;
    orange.colors = ParseColorTable("X.\t230,159,0\n");
    for (const auto& [hor, table] : std::vector<std::pair<std::string, const StandardSets*>>{
             {"S2C13/21H1L", &builtIn}, {"X", &orange}}) {
        Annotation many;
        many.arrays.push_back({});
        many.arrays[0].hor = hor;
        for (int k = 0; k < 20; ++k) {
            for (int copy = 0; copy < 30 - k; ++copy) many.copies.push_back({0, 1, false, std::to_string(k)});
        }
        std::map<std::string, std::string> colourOf;
        for (const TrackItem& copy : PlaceAnnotation("r", 0, many, *table).copies)
            colourOf[copy.name] = ColourText(copy.colour);
        EXPECT_EQ(colourOf.at("0"), ColorOf(table->colors, hor + "."));
        std::set<std::string> own;
        for (int k = 0; k < 17; ++k) own.insert(colourOf.at(std::to_string(k)));
        EXPECT_EQ(own.size(), 17u) << hor;
        for (int k = 17; k < 20; ++k) EXPECT_EQ(colourOf.at(std::to_string(k)), "190,190,190");
    }
}

// A short copy before most full ones, as in CHM13 chr15 (S2C15H1L: monomers
// 1-4, then 1-11), whose monomers 3 and 4 lie 5 % from the full copies' and so
// are positions of their own with the same names, and two lone full copies:
// read on the positions, the 15-monomer unit's full copies cover 135
// monomers, read on the names the 11-monomer unit's 132. A unit that repeats
// names needs a tenth more, so the unit is the 11-monomer HOR.
TEST(Annotate, ShortCopiesOfOneHorAreNoLongerUnit) {
    const StandardSets sets = BuiltInStandardSets();
    std::map<std::string, std::string> standard;
    for (const MonomerType& type : sets.horMonomers) {
        if (HorOfName(type.name) == "S2C15H1L") standard.emplace(type.name, type.sequence);
    }
    std::mt19937_64 random(15);
    const auto position = [&](int k) { return standard.at("S2C15H1L." + std::to_string(k)); };
    std::map<int, std::string> shortCopy;
    for (int k = 1; k <= 4; ++k) {
        if (k <= 2) {
            shortCopy[k] = position(k);
            continue;
        }
        do {
            shortCopy[k] = reference::Mutate(random, position(k), 0.05);
        } while (std::abs(PercentApart(position(k), shortCopy[k]) - 5) > 1);
    }
    std::string sequence = reference::RandomSequence(random, 300);
    const auto add = [&](const std::string& monomer) { sequence += reference::Mutate(random, monomer, 0.01); };
    for (int pair = 0; pair < 10; ++pair) {
        for (int k = 1; k <= 4; ++k) add(shortCopy[k]);
        for (int k = 1; k <= 11; ++k) add(position(k));
    }
    for (int lone = 0; lone < 2; ++lone) {
        sequence += reference::RandomSequence(random, 120);
        for (int k = 1; k <= 11; ++k) add(position(k));
    }
    sequence += reference::RandomSequence(random, 300);
    const Annotation annotation = AnnotateSequence(sequence, sets, AnnotationSettings(), 2);
    ASSERT_EQ(annotation.arrays.size(), 1u);
    EXPECT_EQ(annotation.arrays[0].hor, "S2C15H1L");
    EXPECT_EQ(annotation.arrays[0].unitMonomers, 11u);
}

TEST(Annotate, BuiltInSetsAndAssignment) {
    const StandardSets sets = BuiltInStandardSets();
    EXPECT_EQ(sets.families.size(), 39u);
    EXPECT_EQ(sets.horMonomers.size(), 1211u);
    EXPECT_EQ(sets.horMonomers.front().name.find('.') != std::string::npos, true);
    for (const MonomerType& type : sets.horMonomers) ASSERT_EQ(type.sequence.find_first_not_of("ACGT"), std::string::npos);

    // Greedy (each row its cheapest free column) would give row 0 column 0
    // and row 1 column 1 (total 1 + 3); the least total is 2 + 1.
    EXPECT_EQ(AssignRows({{1, 2, 9}, {1, 3, 9}}), (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(AssignRows({{5, 1}, {1, 5}}), (std::vector<std::size_t>{1, 0}));
    EXPECT_TRUE(AssignRows({}).empty());
}

}  // namespace
}  // namespace horgrid::test

namespace horgrid::test {
namespace {

// Monomers of 171 bases one after the other, by (count, name, identity)
// blocks; `gapAfter` inserts that many bases after the block; with a
// `period`, `name` is a HOR and the monomers run through its 1..period.
struct Block {
    std::size_t count;
    std::string name;
    double identity;
    std::int64_t gapAfter = 0;
    std::size_t period = 0;
};

std::vector<AnnotatedMonomer> Monomers(const std::vector<Block>& blocks) {
    std::vector<AnnotatedMonomer> monomers;
    std::int64_t at = 0;
    for (const Block& block : blocks) {
        for (std::size_t k = 0; k < block.count; ++k, at += 171) {
            AnnotatedMonomer m;
            m.start = at;
            m.end = at + 171;
            m.name = block.period == 0 ? block.name : block.name + "." + std::to_string(k % block.period + 1);
            m.horName = m.name.find('.') != std::string::npos;
            m.identity = block.identity;
            if (m.horName) {
                m.nearest = m.name;
                m.nearestIdentity = block.identity;
            }
            if (m.horName &&
                block.identity < 100 - AnnotationSettings{}.nameLimit) {  // beyond the name limit
                m.name = "D1";
                m.horName = false;
                m.identity = 0;
            }
            monomers.push_back(m);
        }
        at += block.gapAfter;
    }
    return monomers;
}

TEST(Annotate, ArrayStretchesFromNames) {
    struct Case {
        std::string what;
        std::vector<Block> blocks;
        std::vector<std::tuple<std::size_t, std::size_t, ArrayClass, std::string>> expected;
    };
    const std::string live = "S2C13/21H1L.3";
    const std::vector<Case> cases = {
        {"a short run inside joins",
         {{30, live, 98}, {5, "D1", 0}, {30, live, 98}},
         {{0, 65, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"a short run at an edge stays",
         {{18, "S4CYH1L.13", 89}, {40, "S4CYH1L.2", 98}},
         {{0, 18, ArrayClass::DivergedHor, "S4CYH1L"}, {18, 58, ArrayClass::LiveHor, "S4CYH1L"}}},
        {"mixed flank votes not live first",
         {{6, "Ga", 0}, {6, "S4CYH1L.13", 89}, {6, "S5C1H5d.1", 88}, {40, "S4CYH1L.2", 98}},
         {{0, 18, ArrayClass::Monomeric, ""}, {18, 58, ArrayClass::LiveHor, "S4CYH1L"}}},
        {"a short diverged run beside monomeric alpha only is monomeric",
         {{30, "D1", 0}, {14, "S5C1H5d.1", 88}, {4, "S5C1H5d.2", 88, 1001}, {4, "S5C1H5d.3", 88}},
         {{0, 48, ArrayClass::Monomeric, ""}, {48, 52, ArrayClass::Monomeric, ""}}},
        {"a diverged run of an array's length stays",
         {{30, "D1", 0}, {20, "S5C1H5d.1", 88}},
         {{0, 30, ArrayClass::Monomeric, ""}, {30, 50, ArrayClass::DivergedHor, "S5C1H5d"}}},
        {"a close variant HOR counts for its live HOR",
         {{4, "S2C13/21H1-B.10", 97}, {30, live, 98}},
         {{0, 34, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"a variant HOR's run in HOR order is its own array",
         {{40, "S2C13/21H1-B", 98, 0, 11}, {40, "S2C13/21H1L", 98, 0, 11}},
         {{0, 40, ArrayClass::LiveHor, "S2C13/21H1-B"}, {40, 80, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"a short variant run at the end of its live array joins it",
         {{40, "S2C13/21H1L", 98, 0, 11}, {8, "S2C13/21H1-B", 98, 0, 11}},
         {{0, 48, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"a read's monomers out of HOR order as far as those in order stay live",
         {{40, "S2C13/21H1L", 89, 0, 11}, {24, live, 88}, {40, "S2C13/21H1L", 89, 0, 11}},
         {{0, 104, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"a noisier read's monomers beyond the name limit out of HOR order stay live",
         {{40, "S2C13/21H1L", 86, 0, 11}, {24, live, 84}, {40, "S2C13/21H1L", 86, 0, 11}},
         {{0, 104, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"an assembly's monomers out of HOR order far beyond those in order are diverged",
         {{40, "S2C13/21H1L", 98, 0, 11}, {24, live, 88}, {40, "S2C13/21H1L", 98, 0, 11}},
         {{0, 40, ArrayClass::LiveHor, "S2C13/21H1L"},
          {40, 64, ArrayClass::DivergedHor, "S2C13/21H1L"},
          {64, 104, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"an assembly's monomers out of HOR order within liveLimit stay live",
         {{40, "S2C13/21H1L", 98, 0, 11}, {24, live, 93}, {40, "S2C13/21H1L", 98, 0, 11}},
         {{0, 104, ArrayClass::LiveHor, "S2C13/21H1L"}}},
        {"a gap over 1 kb ends an array",
         {{25, live, 98, 1001}, {25, live, 98}},
         {{0, 25, ArrayClass::LiveHor, "S2C13/21H1L"}, {25, 50, ArrayClass::LiveHor, "S2C13/21H1L"}}},
    };
    const std::set<std::string> liveHors = {"S2C13/21H1L", "S4CYH1L"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<NamedStretch> found = FindArrayStretches(Monomers(c.blocks), AnnotationSettings{}, liveHors);
        ASSERT_EQ(found.size(), c.expected.size());
        for (std::size_t k = 0; k < found.size(); ++k) {
            const auto& [first, last, kind, hor] = c.expected[k];
            EXPECT_EQ(found[k].first, first);
            EXPECT_EQ(found[k].last, last);
            EXPECT_EQ(found[k].kind, kind);
            EXPECT_EQ(found[k].hor, hor);
        }
    }
}

}  // namespace
}  // namespace horgrid::test

namespace horgrid::test {
namespace {

// Arrays that are noisier than an assembly or hold a hybrid, each against the
// names it must get: an ONT-like read of the piece (8 % errors, mostly
// homopolymer indels) is one live array named as the HMM annotation of the
// clean bases; the piece with every 37th base changed (2.7 % substitutions on
// every monomer) still reads as copies of the 11-monomer HOR; a 12-monomer
// HOR whose position 3 is the hybrid 3/7 in a third of the copies (3, 7 and 3/7
// lie 1-3 bases apart) names the hybrid's copies 3/7; where every copy
// of position 9 has every 7th base changed, its copies keep the name 9;
// substitutions shared by every other copy open no positions of their own;
// copies of 7 or 3/7 in the place of 3 are named by their sequence; in a
// read whose HOR column of 3 holds 3, 1/3 or 1 (or 3 or 6), each copy keeps its own name;
// and a short array of two layouts with random substitutions has copies.
TEST(Annotate, NoisyAndHybridArraysAsTheirHor) {
    const StandardSets sets = BuiltInStandardSets();
    const std::string piece = PieceSequence();
    std::map<std::string, std::string> byName;  // the S2C18H1L and S2C8H1L monomers by name
    for (const MonomerType& type : sets.horMonomers) {
        const std::string_view hor = HorOfName(type.name);
        if (hor == "S2C18H1L" || hor == "S2C8H1L" || hor == "S2C13/21H1L" || hor == "S2C9H1L")
            byName.emplace(type.name, type.sequence);
    }
    struct Truth {
        std::int64_t start, end;
        std::string name;
    };
    struct Case {
        std::string what;
        std::string sequence;
        std::vector<Truth> truth;
        std::size_t minCopies;
        double minShare = 98;  // per cent named as the truth
    };
    std::vector<Case> cases;
    // An ONT-like read (8 %) of `source`, its monomers where `planted` lies.
    const auto onRead = [](std::string what, std::mt19937_64& random, const std::string& source,
                           const std::vector<Truth>& planted) {
        std::vector<std::size_t> at;
        Case read{std::move(what), reference::OntRead(random, source, 0.08, at), {}, 20};
        for (const Truth& t : planted) {
            read.truth.push_back(
                {static_cast<std::int64_t>(at[t.start]), static_cast<std::int64_t>(at[t.end]), t.name});
        }
        return read;
    };
    {
        std::mt19937_64 random(22);
        std::vector<std::size_t> at;
        Case read{"an ONT-like read is one live array", reference::OntRead(random, piece, 0.08, at), {}, 4};
        std::ifstream table(kSource + "/tests/data/cen21_piece.hmm.tsv");
        std::int64_t start = 0, end = 0;
        std::string name, strand;
        while (table >> start >> end >> name >> strand)
            read.truth.push_back({static_cast<std::int64_t>(at[start]), static_cast<std::int64_t>(at[end]), name});
        cases.push_back(read);
        Case substituted{"2.7 % substitutions still give copies", piece, read.truth, 4};
        table.clear();
        table.seekg(0);
        substituted.truth.clear();
        while (table >> start >> end >> name >> strand) substituted.truth.push_back({start, end, name});
        for (std::size_t k = 36; k < piece.size(); k += 37)
            substituted.sequence[k] = "CGTA"[std::string_view("ACGT").find(piece[k])];
        cases.push_back(substituted);
        Case far{"a position 14 % from its standard monomer keeps its name", piece, substituted.truth, 4};
        for (const Truth& t : far.truth) {
            if (t.name != "S2C13/21H1L.9") continue;
            for (auto k = static_cast<std::size_t>(t.start) + 3; k < static_cast<std::size_t>(t.end); k += 7)
                far.sequence[k] = "CGTA"[std::string_view("ACGT").find(piece[k])];
        }
        cases.push_back(far);
    }
    {
        std::mt19937_64 random(18);
        Case hybrid{"a hybrid position is named as the hybrid", reference::RandomSequence(random, 300), {}, 20};
        for (int copy = 0; copy < 30; ++copy) {
            const bool hybridCopy = random() % 3 == 0;
            for (int k = 1; k <= 12; ++k) {
                const std::string name = "S2C18H1L." + std::string(k == 3 && hybridCopy ? "3/7" : std::to_string(k));
                const auto start = static_cast<std::int64_t>(hybrid.sequence.size());
                hybrid.sequence += byName.at(name);
                hybrid.truth.push_back({start, static_cast<std::int64_t>(hybrid.sequence.size()), name});
            }
        }
        hybrid.sequence += reference::RandomSequence(random, 300);
        cases.push_back(hybrid);
    }
    {
        // 11-monomer copies with every 20th base changed, the even copies from
        // their first base, the odd ones from their 11th: copies two apart
        // share their substitutions and group apart from the others by sequence.
        std::mt19937_64 random(8);
        Case alternate{"substitutions shared by every other copy", reference::RandomSequence(random, 300), {}, 20};
        for (std::size_t copy = 0; copy < 30; ++copy) {
            std::string bases;
            for (int k = 1; k <= 11; ++k) {
                const std::string name = "S2C8H1L." + std::to_string(k);
                const auto start = static_cast<std::int64_t>(alternate.sequence.size() + bases.size());
                bases += byName.at(name);
                alternate.truth.push_back({start, start + static_cast<std::int64_t>(byName.at(name).size()), name});
            }
            for (std::size_t k = copy % 2 * 10; k < bases.size(); k += 20)
                bases[k] = "CGTA"[std::string_view("ACGT").find(bases[k])];
            alternate.sequence += bases;
        }
        alternate.sequence += reference::RandomSequence(random, 300);
        cases.push_back(alternate);
    }
    {
        // As in the real array of chromosome 18: the place of 3 holds 3, the
        // hybrid 3/7 or 7 itself (3 and 7 lie one base apart); the HMM names
        // each copy by its sequence, a hybrid copy one base nearer 7 (as near
        // to 7 as to 3/7) still 3/7.
        std::mt19937_64 random(20);
        Case mixed{"copies of 7 and 3/7 in the place of 3 by their sequence", reference::RandomSequence(random, 300),
                   {}, 20, 100};
        for (int copy = 0; copy < 30; ++copy) {
            for (int k = 1; k <= 12; ++k) {
                const std::uint64_t roll = random() % 20;  // 3, 7, 3/7, 3/7 one base nearer 7
                const int kind = k != 3 || roll < 12 ? 0 : roll < 15 ? 1 : roll < 18 ? 2 : 3;
                const std::string name =
                    "S2C18H1L." + std::string(kind == 1 ? "7" : kind >= 2 ? "3/7" : std::to_string(k));
                std::string bases = byName.at(name);
                if (kind == 3) bases[5] = byName.at("S2C18H1L.7")[5];
                const auto start = static_cast<std::int64_t>(mixed.sequence.size());
                mixed.sequence += bases;
                mixed.truth.push_back({start, static_cast<std::int64_t>(mixed.sequence.size()), name});
            }
        }
        mixed.sequence += reference::RandomSequence(random, 300);
        cases.push_back(mixed);
    }
    {
        // An ONT-like read (8 %) of a 4-monomer HOR whose place of 3 holds 3,
        // the hybrid 1/3 (its profile 7 bases from 3) or 1: the HOR column of 3
        // mixes the three, yet each copy keeps the name of what it is.
        std::mt19937_64 random(2);
        std::map<std::string, std::vector<std::string>> profiles;
        for (const MonomerType& type : sets.horProfiles) {
            if (HorOfName(type.name) == "S2C2H1L") profiles[type.name].push_back(type.sequence);
        }
        std::string source = reference::RandomSequence(random, 300);
        std::vector<Truth> planted;
        for (int copy = 0; copy < 40; ++copy) {
            for (int k = 1; k <= 4; ++k) {
                const std::uint64_t roll = random() % 10;  // 3, 1/3 or 1 in the place of 3
                const std::string name =
                    "S2C2H1L." + std::string(k != 3 || roll < 5 ? std::to_string(k) : roll < 8 ? "1/3" : "1");
                const auto start = static_cast<std::int64_t>(source.size());
                source += profiles.at(name)[name.ends_with("1/3") ? 1 : 0];
                planted.push_back({start, static_cast<std::int64_t>(source.size()), name});
            }
        }
        source += reference::RandomSequence(random, 300);
        cases.push_back(onRead("a read's column mixing 3, 1/3 and 1 by its copies", random, source, planted));
    }
    {
        // An ONT-like read (8 %) of cen21's HOR where most copies are the
        // variant 1-7 and one in three the whole 1-11 (as on CHM13 chr13):
        // the period is the variant's, and the whole copies' 8-11 (11 lies
        // three bases from 7) stand outside its columns under their own names.
        std::mt19937_64 random(4);
        std::string source = reference::RandomSequence(random, 300);
        std::vector<Truth> planted;
        for (int copy = 0; copy < 45; ++copy) {
            const int last = random() % 3 == 0 ? 11 : 7;
            for (int k = 1; k <= last; ++k) {
                const std::string name = "S2C13/21H1L." + std::to_string(k);
                const auto start = static_cast<std::int64_t>(source.size());
                source += byName.at(name);
                planted.push_back({start, static_cast<std::int64_t>(source.size()), name});
            }
        }
        source += reference::RandomSequence(random, 300);
        cases.push_back(onRead("whole copies among a variant's in a read", random, source, planted));
    }
    {
        // As on CHM13 chr9: a read of the 7-monomer HOR and its variant
        // 1 2 x 7, whose x is 3 in some copies and 6 in others: one column
        // of the variant's period holds both, and each copy keeps its name.
        std::mt19937_64 random(9);
        std::string source = reference::RandomSequence(random, 300);
        std::vector<Truth> planted;
        for (int copy = 0; copy < 60; ++copy) {
            const std::uint64_t roll = random() % 3;  // the whole HOR, 1 2 3 7 or 1 2 6 7
            for (int k = 1; k <= 7; ++k) {
                if (roll > 0 && k > 2 && k < 7 && k != (roll == 1 ? 3 : 6)) continue;
                const std::string name = "S2C9H1L." + std::to_string(k);
                const auto start = static_cast<std::int64_t>(source.size());
                source += byName.at(name);
                planted.push_back({start, static_cast<std::int64_t>(source.size()), name});
            }
        }
        source += reference::RandomSequence(random, 300);
        cases.push_back(
            onRead("a read's column holding 3 in some copies and 6 in others", random, source, planted));
    }
    {
        // 12 kb of cen21's 11-monomer copies and 9-monomer ones lacking 9 and
        // 8 in turn (one copy with 5 6 twice), on the reverse strand, 5 %
        // random substitutions on every monomer: too noisy for positions of
        // their own and too short for a period of columns (3.5 turns of 20),
        // the names alone still give copies.
        std::mt19937_64 random(23);
        Case layouts{"9- and 11-monomer copies with 5 % substitutions", reference::RandomSequence(random, 300), {}, 4};
        std::uniform_real_distribution<double> roll(0.0, 1.0);
        for (int copy = 0; copy < 7; ++copy) {
            for (const int k : {1, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2}) {
                if (copy % 2 == 0 && (k == 9 || k == 8)) continue;
                if (copy == 5 && k == 5) {
                    for (const int j : {5, 6}) {
                        const std::string name = "S2C13/21H1L." + std::to_string(j);
                        const auto start = static_cast<std::int64_t>(layouts.sequence.size());
                        layouts.sequence += byName.at(name);
                        layouts.truth.push_back({start, static_cast<std::int64_t>(layouts.sequence.size()), name});
                    }
                }
                const std::string name = "S2C13/21H1L." + std::to_string(k);
                std::string bases = byName.at(name);
                for (char& c : bases) {
                    if (roll(random) < 0.05) c = "CGTA"[std::string_view("ACGT").find(c)];
                }
                const auto start = static_cast<std::int64_t>(layouts.sequence.size());
                layouts.sequence += bases;
                layouts.truth.push_back({start, static_cast<std::int64_t>(layouts.sequence.size()), name});
            }
        }
        layouts.sequence += reference::RandomSequence(random, 300);
        layouts.sequence = ReverseComplement(layouts.sequence);
        const auto length = static_cast<std::int64_t>(layouts.sequence.size());
        for (Truth& t : layouts.truth) t = {length - t.end, length - t.start, t.name};
        cases.push_back(layouts);
    }
    {
        // Position 13 of every copy a monomer of another family's HOR: beyond
        // every S2C18H1L monomer, it is named after its class.
        std::mt19937_64 random(19);
        std::string foreign;
        for (const MonomerType& type : sets.horMonomers) {
            if (type.name == "S1C1/5/19H1L.3") foreign = type.sequence;
        }
        Case classNamed{"a position beyond every standard monomer", reference::RandomSequence(random, 300), {}, 20};
        for (int copy = 0; copy < 30; ++copy) {
            for (int k = 1; k <= 13; ++k) {
                const auto start = static_cast<std::int64_t>(classNamed.sequence.size());
                classNamed.sequence += k == 13 ? reference::Mutate(random, foreign, 0.01)
                                               : byName.at("S2C18H1L." + std::to_string(k));
                if (k < 13)
                    classNamed.truth.push_back({start, static_cast<std::int64_t>(classNamed.sequence.size()),
                                                "S2C18H1L." + std::to_string(k)});
            }
        }
        classNamed.sequence += reference::RandomSequence(random, 300);
        cases.push_back(classNamed);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Annotation annotation = AnnotateSequence(c.sequence, sets, AnnotationSettings{}, 2);
        ASSERT_EQ(annotation.arrays.size(), 1u);
        EXPECT_EQ(annotation.arrays[0].kind, ArrayClass::LiveHor);
        EXPECT_GE(annotation.copies.size(), c.minCopies) << annotation.arrays[0].unitMonomers;
        std::size_t same = 0;
        for (const Truth& t : c.truth) {
            for (const AnnotatedMonomer& m : annotation.monomers) {
                if (2 * (std::min(m.end, t.end) - std::max(m.start, t.start)) >= t.end - t.start) {
                    same += m.name == t.name;
                    break;
                }
            }
        }
        EXPECT_GE(100.0 * static_cast<double>(same), c.minShare * static_cast<double>(c.truth.size()))
            << same << " of " << c.truth.size();
        // Every '-' of an StV name joins a run of position numbers.
        const auto number = [](std::string_view text) {
            return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        for (const AnnotatedCopy& copy : annotation.copies) {
            std::string_view parts = MonomerOfName(copy.variant);
            while (!parts.empty()) {
                const std::string_view part = parts.substr(0, parts.find('_'));
                parts.remove_prefix(std::min(parts.size(), part.size() + 1));
                const std::size_t dash = part.find('-');
                if (dash == std::string_view::npos) continue;
                EXPECT_TRUE(number(part.substr(0, dash)) && number(part.substr(dash + 1))) << copy.variant;
            }
        }
    }
}

}  // namespace
}  // namespace horgrid::test
