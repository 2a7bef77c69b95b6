// The cenSat track on generated records: arrays built from the built-in
// satellite references (mutated copies of their units, either strand) in
// random sequence, runs of N and alpha-satellite arrays as annotate gives
// them; every row says what the track must hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SequenceGenerator.h"
#include "TestSupport.h"
#include "annotate/AnnotationFiles.h"
#include "annotate/PlacedCenSat.h"
#include "decompose/Decompose.h"
#include "satellite/CenSatTrack.h"
#include "satellite/SatelliteScan.h"

namespace horgrid {
namespace {

const SatelliteTable& Table() {
    static const SatelliteTable table(BuiltInSatelliteReferences(), SatelliteScanSettings{}.k);
    return table;
}

std::string Unit(const std::string& name) {
    if (name.starts_with('=')) return name.substr(1);
    for (const SatelliteReference& reference : BuiltInSatelliteReferences()) {
        if (reference.label == name) return reference.sequence;
    }
    ADD_FAILURE() << "no reference " << name;
    return "N";
}

// One piece of a generated record.
struct Piece {
    enum Kind { Random, Tandem, Gap, Alpha } kind = Random;
    std::int64_t length = 0;
    std::string unit;  // label of the reference whose first unit is repeated (Tandem), or "=BASES
    bool reverse = false;
    ArrayClass alphaClass = ArrayClass::Monomeric;  // Alpha: the annotation's array (random or `unit` bases)
    double divergence = 0;  // Tandem: copies of one variant of the unit this far from it
    // Alpha: the array's HOR, family, identity to the standard monomers and HOR copy length.
    std::string hor = "S1C1H1L";
    std::string family = "SF1";
    double identity = 100;
    std::int64_t unitBases = 0;
    double copyIdentity = 99;  // its HOR copies to each other
    bool joinAlpha = false;    // Alpha: more of the previous piece's array
    double copyDivergence = 0; // each copy this far from the unit (0: 3 % or 8 %, above)
};

struct Expected {
    std::string name;
    std::int64_t start = 0, end = 0;
    char strand = '.';
};

struct Row {
    std::string what;
    std::vector<Piece> pieces;
    std::vector<Expected> track;  // every item, in order
};

Piece Random(std::int64_t length) { return {Piece::Random, length, "", false, ArrayClass::Monomeric}; }
// A tandem array of one variant `divergence` away from the unit: too far for
// the k-mer filter, still repeating at the unit's period.
Piece Diverged(std::int64_t length, const std::string& unit, double divergence) {
    return {Piece::Tandem, length, unit, false, ArrayClass::Monomeric, divergence};
}
Piece Gap(std::int64_t length) { return {Piece::Gap, length, "", false, ArrayClass::Monomeric}; }
Piece Tandem(std::int64_t length, const std::string& unit, bool reverse = false) {
    return {Piece::Tandem, length, unit, reverse, ArrayClass::Monomeric};
}
Piece Alpha(std::int64_t length, ArrayClass kind, const std::string& unit = "") {
    return {Piece::Alpha, length, unit, false, kind};
}

// An array the annotation found monomeric (its monomers beyond every human
// standard name) of `family`, its bases `unit` repeated: a HOR of several
// monomers or one monomer. `divergence` as in Diverged: copies 3 % apart
// (otherwise 8 %).
Piece ApeArray(std::int64_t length, const std::string& unit, double divergence = 0, bool join = false,
               double copyDivergence = 0) {
    Piece piece{Piece::Alpha, length, unit, false, ArrayClass::Monomeric, divergence, "-", "SF5", 0, 0, 0};
    piece.joinAlpha = join;
    piece.copyDivergence = copyDivergence;
    return piece;
}

// "=BASES" of `monomers` random 171-bp monomers.
std::string RandomMonomers(int monomers, unsigned seed) {
    std::mt19937_64 random(seed);
    return "=" + reference::RandomSequence(random, static_cast<std::size_t>(171 * monomers));
}

// A tandem array of AT-rich sequence that holds, every 16 bases, one k-mer of
// the class's first unit with its middle base changed: hits at the density,
// each alone, as the chance hits of a class of long units come.
Piece LoneWords(std::int64_t length, const std::string& label) {
    std::mt19937_64 random(7);
    const std::string unit = Unit(label);
    std::string bases = "=";
    while (bases.size() < 1601) {
        std::string word = unit.substr(random() % (unit.size() - 13), 13);
        word[6] = word[6] == 'A' ? 'C' : 'A';
        bases += word + reference::RandomSequence(random, 3, "AATTCG");
    }
    Piece piece = Tandem(length, bases);
    piece.copyDivergence = 0.002;
    return piece;
}

Piece HorArray(std::int64_t length, ArrayClass kind, const std::string& hor, std::int64_t unitBases,
               double identity = 99, const std::string& family = "SF1", double copyIdentity = 99) {
    return {Piece::Alpha, length, "", false, kind, 0, hor, family, identity, unitBases, copyIdentity};
}

std::string Build(const Row& row, std::mt19937_64& random, std::vector<AlphaArrayCall>& alpha) {
    std::string record;
    for (const Piece& piece : row.pieces) {
        const auto at = static_cast<std::int64_t>(record.size());
        const auto length = static_cast<std::size_t>(piece.length);
        if (piece.kind == Piece::Gap) {
            record += std::string(length, 'N');
        } else if (piece.kind == Piece::Tandem || !piece.unit.empty()) {
            const std::string unit = piece.divergence > 0 ? reference::Mutate(random, Unit(piece.unit), piece.divergence)
                                                          : Unit(piece.unit);
            std::string array;
            const double copies = piece.copyDivergence > 0 ? piece.copyDivergence : piece.divergence > 0 ? 0.03 : 0.08;
            while (array.size() < length) array += reference::Mutate(random, unit, copies);
            array.resize(length);
            record += piece.reverse ? ReverseComplement(array) : array;
        } else {
            record += reference::RandomSequence(random, length);
        }
        if (piece.kind == Piece::Alpha && piece.joinAlpha && !alpha.empty()) {
            alpha.back().end = at + piece.length;
        } else if (piece.kind == Piece::Alpha) {
            alpha.push_back({at, at + piece.length, piece.alphaClass, piece.hor, false, piece.family, piece.identity,
                             piece.unitBases, piece.copyIdentity});
        }
    }
    return record;
}

// The table against the plain rule, code by code (k = 9: all 262,144 codes):
// each k-mer of a tandem unit read as a circle and every k-mer one
// substitution away, of a whole unit only its own, both strands; k-mers of at
// most two different bases left out; a k-mer of two labels in none, of both
// strands of one label with both strand bits.
TEST(CenSatTrack, TableHoldsWhatThePlainRuleGives) {
    constexpr int k = 9;
    std::mt19937_64 random(31);
    const std::string shared = reference::RandomSequence(random, 20);
    const std::vector<std::vector<SatelliteReference>> rows = {
        {{"a", reference::RandomSequence(random, 30), false}, {"b", reference::RandomSequence(random, 50), true}},
        {{"a", reference::RandomSequence(random, 40) + shared, false},
         {"c", shared + reference::RandomSequence(random, 25), false},
         {"a", "ACGTTAACGT", false},  // its own reverse complement, and shorter than two k-mers
         {"d", "ACACACACACACACAC", false},
         {"d", "ACGTNACGGTTCAGNNTTGCA", true},
         {"e", "GATTC", false}},
    };
    constexpr std::uint32_t kTwoLabels = 0xffffffff;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const std::vector<SatelliteReference>& references = rows[row];
        const SatelliteTable table(references, k);
        std::vector<std::string> labels;
        std::vector<std::uint32_t> expected(std::size_t{1} << (2 * k), SatelliteTable::kNoHit);
        const auto enter = [&](std::uint32_t code, std::uint32_t value) {
            std::array<int, 4> count{};
            for (int i = 0; i < k; ++i) ++count[(code >> (2 * i)) & 3];
            if ((count[0] > 0) + (count[1] > 0) + (count[2] > 0) + (count[3] > 0) <= 2) return;
            std::uint32_t& held = expected[code];
            held = held == SatelliteTable::kNoHit ? value
                   : held == kTwoLabels || (held >> 2) != (value >> 2) ? kTwoLabels
                                                                       : held | value;
        };
        for (const SatelliteReference& unit : references) {
            if (std::find(labels.begin(), labels.end(), unit.label) == labels.end()) labels.push_back(unit.label);
            const auto label = static_cast<std::uint32_t>(
                std::find(labels.begin(), labels.end(), unit.label) - labels.begin());
            for (const bool reverse : {false, true}) {
                const std::string bases = reverse ? ReverseComplement(unit.sequence) : unit.sequence;
                const std::size_t n = bases.size();
                for (std::size_t start = 0; start + (unit.whole ? k - 1 : 0) < n; ++start) {
                    std::uint32_t code = 0;
                    bool valid = true;
                    for (int i = 0; i < k; ++i) {
                        const std::size_t at = std::string("ACGT").find(bases[(start + i) % n]);
                        valid = valid && at != std::string::npos;
                        code = code << 2 | static_cast<std::uint32_t>(at & 3);
                    }
                    if (!valid) continue;
                    const std::uint32_t value = label * 4 + (reverse ? 2 : 1);
                    enter(code, value);
                    for (int i = 0; i < k && !unit.whole; ++i) {
                        for (std::uint32_t other = 1; other < 4; ++other) enter(code ^ (other << (2 * i)), value);
                    }
                }
            }
        }
        EXPECT_EQ(table.Labels(), labels) << row;
        std::size_t held = 0, differ = 0;
        for (std::uint32_t code = 0; code < expected.size(); ++code) {
            const std::uint32_t want = expected[code] == kTwoLabels ? SatelliteTable::kNoHit : expected[code];
            held += want != SatelliteTable::kNoHit;
            differ += table.Find(code) != want;
        }
        EXPECT_EQ(differ, 0u) << row;
        EXPECT_GT(held, 1000u) << row;
    }
}

TEST(CenSatTrack, GeneratedRecords) {
    constexpr std::int64_t kSlack = 150;
    const std::vector<Row> rows = {
        {"unique sequence: no call", {Random(300000)}, {}},
        {"a run of N is a GAP",
         {Random(20000), Gap(5000), Random(20000)},
         {{"GAP", 20000, 25000}}},
        {"HSat3-like array, forward",
         {Random(20000), Tandem(30000, "HSat3"), Random(20000)},
         {{"HSat3", 20000, 50000, '+'}}},
        {"HSat2-like units (diverged CATTC-like pentamers, 25 bp) share HSat3's k-mers but are not HSat3",
         {Random(20000), Tandem(30000, "=ATTCCATTCGATTCCATTCGATGAT"), Random(20000)},
         {}},
        {"an HSat3 array's end does not move over the HSat2-like array beside it",
         {Random(20000), Tandem(20000, "HSat3"), Tandem(20000, "=ATTCCATTCGATTCCATTCGATGAT"), Random(20000)},
         {{"HSat3", 20000, 40000, '+'}}},
        {"bSat-like array of the other strand",
         {Random(20000), Tandem(30000, "bSat", true), Random(20000)},
         {{"bSat", 20000, 50000, '-'}}},
        {"a diverged end that still repeats at the unit's period stays in the array",
         {Random(20000), Tandem(24000, "bSat"), Diverged(6000, "bSat", 0.3), Random(20000)},
         {{"bSat", 20000, 50000, '+'}}},
        {"ct between two arrays of one region; far apart, none",
         {Random(20000), Tandem(20000, "HSat1A"), Random(40000), Tandem(20000, "bSat"),
          Random(600000), Tandem(20000, "HSat3"), Random(20000)},
         {{"HSat1A", 20000, 40000, '+'}, {"ct", 40000, 80000}, {"bSat", 80000, 100000, '+'},
          {"HSat3", 700000, 720000, '+'}}},
        {"the largest live HOR array of a region is active; alpha bases are not another class",
         {Random(20000), Alpha(30000, ArrayClass::LiveHor), Random(10000),
          Alpha(60000, ArrayClass::LiveHor), Alpha(10000, ArrayClass::Monomeric, "bSat"),
          Tandem(20000, "cenSat(CER)"), Random(20000)},
         {{"hor(S1C1H1L)", 20000, 50000, '+'}, {"ct", 50000, 60000}, {"active_hor(S1C1H1L)", 60000, 120000, '+'},
          {"mon", 120000, 130000, '+'}, {"cenSat(CER)", 130000, 150000, '+'}}},
        {"short arrays of two HORs in turn are one mixedAlpha (HORs in character order); a long array ends it",
         {Random(20000), HorArray(4000, ArrayClass::LiveHor, "S1C10H1L", 2052),
          HorArray(3000, ArrayClass::DivergedHor, "S1C10H1-B", 2052), Random(2000),
          HorArray(4000, ArrayClass::LiveHor, "S1C10H1L", 2052), HorArray(60000, ArrayClass::LiveHor, "S1C10H1L", 2052),
          Random(20000)},
         {{"mixedAlpha(S1C10H1-B,S1C10H1L)", 20000, 33000, '+'}, {"active_hor(S1C10H1L)", 33000, 93000, '+'}}},
        {"short arrays of one HOR are not mixed",
         {Random(20000), HorArray(4000, ArrayClass::DivergedHor, "S2C2H1", 2052),
          HorArray(3000, ArrayClass::DivergedHor, "S2C2H1", 2052), Random(20000)},
         {{"dhor(S2C2H1)", 20000, 27000, '+'}}},
        {"a live array farther from the standard monomers than one monomer type is of an ape HOR: its family",
         {Random(20000), HorArray(50000, ArrayClass::LiveHor, "S1C1/5/19H1L", 2052, 88, "SF1"), Random(10000),
          HorArray(20000, ArrayClass::LiveHor, "S3C1H2", 0, 97, "SF3"), Random(10000),
          HorArray(20000, ArrayClass::LiveHor, "S4C20H7", 0, 90, "SF4"), Random(20000)},
         {{"active_hor(SF1)", 20000, 70000, '+'}, {"ct", 70000, 80000}, {"hor(S3C1H2)", 80000, 100000, '+'},
          {"ct", 100000, 110000}, {"hor(SF4)", 110000, 130000, '+'}}},
        {"a diverged HOR array of no human HOR (far from the standard, copies closer to each other): dhor(SFn)",
         {Random(20000), HorArray(20000, ArrayClass::DivergedHor, "S2C2H1", 2052, 85, "SF2", 92), Random(20000)},
         {{"dhor(SF2)", 20000, 40000, '+'}}},
        {"ape arrays annotated monomeric: by their own HOR order live, diverged, in part; monomers alone mon "
         "(also monomers each 20 % from the others, whose k-mers recur at every multiple of the monomer alike)",
         {Random(20000), ApeArray(30000, RandomMonomers(4, 1), 0.01), Random(20000),
          ApeArray(30000, RandomMonomers(5, 2)), Random(20000), ApeArray(20000, RandomMonomers(4, 3), 0.01),
          ApeArray(20000, RandomMonomers(1, 4), 0, true), Random(20000), ApeArray(20000, RandomMonomers(1, 5)),
          Random(20000), ApeArray(40000, RandomMonomers(1, 6), 0, false, 0.2), Random(20000)},
         {{"active_hor(SF5)", 20000, 50000, '+'}, {"ct", 50000, 70000}, {"dhor(SF5)", 70000, 100000, '+'},
          {"ct", 100000, 120000}, {"mon/hor(SF5)", 120000, 160000, '+'}, {"ct", 160000, 180000},
          {"mon", 180000, 200000, '+'}, {"ct", 200000, 220000}, {"mon", 220000, 260000, '+'}}},
        {"an ape HOR array the annotation found as many short monomeric arrays is one HOR array",
         [] {
             std::vector<Piece> pieces = {Random(20000)};
             for (int i = 0; i < 10; ++i) {
                 pieces.push_back(ApeArray(800, RandomMonomers(4, 7)));
                 pieces.push_back(Tandem(300, RandomMonomers(4, 7)));
             }
             pieces.push_back(Random(20000));
             return pieces;
         }(),
         {{"dhor(SF5)", 20000, 30700, '+'}}},
        {"a read of a human array: far from the standard monomers, its copies farther from each other: its HOR",
         {Random(20000), HorArray(50000, ArrayClass::LiveHor, "S3CXH1L", 2057, 91, "SF3", 84), Random(20000)},
         {{"active_hor(S3CXH1L)", 20000, 70000, '+'}}},
        {"an array whose SST1 hits come one by one, not in runs as along a copy of the unit: no call",
         {Random(20000), LoneWords(30000, "cenSat(SST1)"), Random(20000)}, {}},
    };
    std::mt19937_64 random(25);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<AlphaArrayCall> alpha;
        const std::string record = Build(row, random, alpha);
        // Transitions of a few bases where the ends of two arrays are set apart do not count.
        std::vector<CenSatItem> track;
        const std::vector<SatelliteCall> calls = FindSatellites(record, Table());
        // The same calls on three threads (the windows classed in parts).
        const auto fields = [](const std::vector<SatelliteCall>& found) {
            std::vector<std::int64_t> out;
            for (const SatelliteCall& c : found) out.insert(out.end(), {c.start, c.end, static_cast<std::int64_t>(c.label), c.reverse});
            return out;
        };
        EXPECT_EQ(fields(FindSatellites(record, Table(), {}, 3)), fields(calls));
        for (CenSatItem& item : BuildCenSatTrack(record, alpha, calls, Table().Labels())) {
            if (item.kind != CenSatKind::Transition || item.end - item.start > kSlack) track.push_back(std::move(item));
        }
        std::string shown;
        for (const CenSatItem& item : track) {
            shown += item.name + " " + std::to_string(item.start) + "-" + std::to_string(item.end) + "; ";
        }
        ASSERT_EQ(track.size(), row.track.size()) << shown;
        for (std::size_t i = 0; i < track.size(); ++i) {
            const Expected& expected = row.track[i];
            EXPECT_EQ(track[i].name, expected.name);
            EXPECT_NEAR(static_cast<double>(track[i].start), static_cast<double>(expected.start), kSlack);
            EXPECT_NEAR(static_cast<double>(track[i].end), static_cast<double>(expected.end), kSlack);
            if (track[i].kind == CenSatKind::Alpha) {
                EXPECT_NE(CenSatColour(track[i].name), CenSatColour("cenSat")) << track[i].name << " has no alpha colour";
            }
            if (expected.strand != '.') {
                EXPECT_EQ(track[i].reverse, expected.strand == '-') << expected.name;
            }
            if (i > 0) {
                EXPECT_GE(track[i].start, track[i - 1].end);
            }
        }
    }
}

// The track's rows carry what its labels are decided on: placed positions,
// the strand of most monomers, the HOR's family, mean identity and copy length.
TEST(CenSatTrack, AlphaArraysFromTheAnnotation) {
    Annotation annotation;
    AnnotatedArray live;
    live.start = 100;
    live.end = 20620;
    live.kind = ArrayClass::LiveHor;
    live.hor = "S4C20H7";
    live.unitBases = 2052;
    live.meanIdentity = 90.5;
    live.copyIdentity = 98.5;
    live.family = "SF4";
    AnnotatedArray mon = live;
    mon.start = 30000;
    mon.end = 31000;
    mon.kind = ArrayClass::Monomeric;
    annotation.arrays = {live, mon};
    for (const auto& [array, reverse] : std::vector<std::pair<std::size_t, bool>>{{0, true}, {0, true}, {0, false},
                                                                                   {1, false}}) {
        AnnotatedMonomer monomer;
        monomer.array = array;
        monomer.reverse = reverse;
        annotation.monomers.push_back(monomer);
    }
    std::vector<AlphaArrayCall> alpha;
    AddAlphaArrays(annotation, 5000, alpha);
    ASSERT_EQ(alpha.size(), 2U);
    EXPECT_EQ(alpha[0].start, 5100);
    EXPECT_EQ(alpha[0].end, 25620);
    EXPECT_TRUE(alpha[0].reverse);
    EXPECT_FALSE(alpha[1].reverse);
    EXPECT_EQ(alpha[0].family, "SF4");
    EXPECT_EQ(alpha[0].unitBases, 2052);
    EXPECT_DOUBLE_EQ(alpha[0].meanIdentity, 90.5);
    EXPECT_DOUBLE_EQ(alpha[0].copyIdentity, 98.5);
    EXPECT_EQ(alpha[1].kind, ArrayClass::Monomeric);
}

// The arrays table holds a record's satellite arrays among its alpha arrays,
// in position order, the next record's after them.
TEST(CenSatTrack, ArraysTableInPositionOrder) {
    test::TempDir dir;
    AnnotationWriter writer(dir.File("out"), {});
    const auto alphaRow = [](const char* record, std::int64_t start) {
        AnnotationTracks placed;
        placed.arrays.push_back({record, start, start + 1000, {record, std::to_string(start), "x", "live HOR"}});
        return placed;
    };
    const auto satellites = [](const char* record, std::int64_t start) {
        PlacedCenSat placed;
        placed.arrays.push_back({record, start, start + 1000, {record, std::to_string(start), "x", "HSat3"}});
        return placed;
    };
    writer.Add(alphaRow("r1", 5000), "r1", 0, Annotation{});
    writer.Add(alphaRow("r1", 9000), "r1", 0, Annotation{});
    writer.AddCenSat(satellites("r1", 7000));
    writer.Add(alphaRow("r2", 100), "r2", 0, Annotation{});
    writer.AddCenSat(satellites("r2", 50));
    writer.Commit();
    std::string starts;
    std::istringstream table(test::ReadFile(dir.File("out_arrays.tsv")));
    for (std::string line; std::getline(table, line);) {
        if (line.starts_with('#')) continue;
        const std::size_t tab = line.find('\t');
        starts += line.substr(0, tab) + ":" + line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1) + " ";
    }
    EXPECT_EQ(starts, "r1:5000 r1:7000 r1:9000 r2:50 r2:100 ");
}

}  // namespace
}  // namespace horgrid
