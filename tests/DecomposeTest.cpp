#include <gtest/gtest.h>

#include <iomanip>
#include <random>
#include <sstream>

#include "ReferenceDecompose.h"
#include "SequenceGenerator.h"
#include "decompose/DecomposeEngine.h"
#include "decompose/KeptDecomposition.h"
#include "decompose/ScoringText.h"
#include "decompose/SegmentIdentity.h"

namespace horgrid::reference {
namespace {

std::string Describe(const std::vector<Segment>& segments) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(6);
    for (const Segment& s : segments) {
        text << s.start << '-' << s.end << ':' << s.type << (s.reverse ? "'" : "") << '=' << s.score << '/'
             << s.identity << ' ';
    }
    return text.str();
}

void ExpectSameAsReference(std::string_view sequence, const std::vector<MonomerType>& types,
                           const Scoring& scoring, const std::string& context, const std::vector<TypeRun>& runs = {}) {
    const std::string expected = Describe(ReferenceDecompose(sequence, types, scoring, runs));
    for (const DecomposeKernel kernel : SupportedDecomposeKernels()) {
        EXPECT_EQ(Describe(DecomposeWithKernel(sequence, types, scoring, kernel, {}, runs)), expected)
            << DecomposeKernelName(kernel) << " " << context;
    }
    // The record in pieces on threads: runs that never fall into step (no
    // overlap), that may (a short one) and that mostly do.
    for (const RecordThreads threads : {RecordThreads{2, 1, 0}, RecordThreads{3, 1, 12}, RecordThreads{3, 1, 60}}) {
        EXPECT_EQ(
            Describe(DecomposeWithKernel(sequence, types, scoring, SupportedDecomposeKernels().back(), threads, runs)),
            expected)
            << threads.threads << " threads, overlap " << threads.overlap << " " << context;
    }
}

// Runs of random non-empty sets of the oriented monomers over a record,
// `pieces` of them.
std::vector<TypeRun> RandomRuns(std::mt19937_64& random, std::size_t length, std::size_t oriented,
                                std::size_t pieces) {
    std::vector<TypeRun> runs;
    for (std::size_t k = 1; k <= pieces; ++k) {
        TypeRun run{k == pieces ? length : length * k / pieces + random() % 7, {}};
        for (std::uint32_t m = 0; m < oriented; ++m) {
            if (random() % 2) run.oriented.push_back(m);
        }
        if (run.oriented.empty()) run.oriented.push_back(static_cast<std::uint32_t>(random() % oriented));
        if (!runs.empty()) run.end = std::max(run.end, runs.back().end);
        runs.push_back(std::move(run));
    }
    return runs;
}

// Random cases: independent or near-identical monomers of unequal lengths
// (some longer than a vector, some shorter), records from their copies in
// both orientations with N, lower case and junk between them, and varied
// scores, among them positive gap scores and zero.
TEST(Decompose, EveryKernelMatchesThePlainDp) {
    std::mt19937_64 random(11);
    const std::vector<Scoring> scorings = {{-1, -1, -1, 1}, {-2, -3, -1, 2}, {-1, -1, -2, 0},
                                           {0, -1, -1, 1},  {-3, 0, -1, 4},  {1, -2, -1, 3},
                                           {-1, 2, -3, 1},  {-5, -4, -2, 7}};
    for (int round = 0; round < 120; ++round) {
        const bool nearIdentical = round % 2 == 1;
        const std::string root = RandomSequence(random, 3 + random() % 20);
        std::vector<MonomerType> types;
        for (std::size_t t = 0, count = 1 + random() % 4; t < count; ++t) {
            const std::string sequence = nearIdentical ? Mutate(random, root, 0.2) + "A"
                                                       : RandomSequence(random, 1 + random() % 21, "ACGTN");
            types.push_back({std::string(1, static_cast<char>('a' + t)), sequence});
        }
        std::string record;
        for (std::size_t piece = 0, pieces = random() % 7; piece < pieces; ++piece) {
            const std::string& source = types[random() % types.size()].sequence;
            std::string copy = Mutate(random, random() % 2 ? source : ReverseComplement(source), 0.15);
            if (random() % 3 == 0) copy += RandomSequence(random, random() % 5, "ACGTNacgtn-");
            for (char& c : copy) {
                if (random() % 5 == 0) c = static_cast<char>(c | 0x20);
            }
            record += copy;
        }
        const Scoring& scoring = scorings[round % scorings.size()];
        SCOPED_TRACE(round);
        ExpectSameAsReference(record, types, scoring, record);
        // Some types allowed only over parts of the record.
        if (round % 3 == 0)
            ExpectSameAsReference(record, types, scoring, record,
                                  RandomRuns(random, record.size(), 2 * types.size(), 1 + random() % 6));
    }
}

// Copies of a monomer with a run of deletions that enters a vector lane from
// the one below it just before an aligned base; records past the 32-bit keys' reach: longer than their
// start window (the window moves), with an N run a segment swallows by free
// insertions (its start falls out of the window: the 64-bit keys take over),
// and a monomer whose score range is too wide for them.
TEST(Decompose, LongRecordsAndWideScores) {
    std::mt19937_64 random(29);
    const std::vector<MonomerType> small = {{"a", RandomSequence(random, 12)},
                                            {"b", RandomSequence(random, 14)}};
    const std::vector<MonomerType> wide = {{"w", RandomSequence(random, 1500)}};
    std::string longRecord;
    while (longRecord.size() < 70000) longRecord += Mutate(random, small[random() % 2].sequence, 0.1);
    const std::string nRun = longRecord.substr(0, 100) + std::string(70000, 'N') + longRecord.substr(0, 100);
    // A 50-base monomer whose A run (deleted in the copies) ends before the C at
    // position 28, the first cell of a lane for 8 and 16 lanes (whose last
    // vectors do not hold the monomer's last position).
    const std::string before = RandomSequence(random, 17) + "G";
    const std::string after = "C" + RandomSequence(random, 21);
    const std::vector<MonomerType> one = {{"o", before + std::string(10, 'A') + after}};
    const std::string gaps = before + after + before + after + before + after;
    const std::string wideRecord =
        Mutate(random, wide[0].sequence, 0.1) + Mutate(random, wide[0].sequence, 0.1);
    // An array of HOR copies of four monomer-sized types, 3 % apart.
    std::vector<MonomerType> hor;
    for (const char* name : {"h1", "h2", "h3", "h4"}) hor.push_back({name, RandomSequence(random, 171)});
    std::string array;
    while (array.size() < 20000) array += Mutate(random, hor[array.size() / 171 % 4].sequence, 0.03);
    const struct {
        const std::string& record;
        const std::vector<MonomerType>& types;
        Scoring scoring;
    } cases[] = {{gaps, one, Scoring{}},
                 {longRecord, small, Scoring{}},
                 {nRun, small, {0, -1, -1, 1}},
                 {wideRecord, wide, {-1, -20, -1, 1}},
                 {array, hor, Scoring{}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record.size());
        ExpectSameAsReference(c.record, c.types, c.scoring, "");
    }
    // Types allowed over parts of long records: starts that move their window
    // while some monomers' cells lie unused, and pieces on threads that fall
    // into step or not.
    ExpectSameAsReference(longRecord, small, Scoring{}, "runs", RandomRuns(random, longRecord.size(), 4, 40));
    ExpectSameAsReference(array, hor, Scoring{}, "runs", RandomRuns(random, array.size(), 8, 30));
}

// A decomposition taken over from one with another set (DecomposeAgain) is
// the new set's own, whichever types changed; where a change takes no segment,
// or only the first one, it is taken over. (A type shorter than the others
// scores above them on the partial last segment of most positions' best
// decomposition, so the changes here are longer.)
TEST(Decompose, AgainWithChangedTypes) {
    std::mt19937_64 random(41);
    std::vector<MonomerType> hor;
    for (const char* name : {"h1", "h2", "h3", "h4"}) hor.push_back({name, RandomSequence(random, 171)});
    std::string array = RandomSequence(random, 200);  // a start no type fits
    while (array.size() < 12000) array += Mutate(random, hor[array.size() / 171 % 4].sequence, 0.03);
    const auto with = [&](std::size_t at, std::string sequence) {
        std::vector<MonomerType> types = hor;
        if (at == types.size()) {
            types.push_back({"n", std::move(sequence)});
        } else {
            types[at].sequence = std::move(sequence);
        }
        return types;
    };
    const std::string unrelated = RandomSequence(random, 190);
    std::vector<MonomerType> unused = hor;  // a first type that takes no segment
    unused.insert(unused.begin(), {"x", unrelated});
    std::vector<MonomerType> twin = hor;  // in its place, a twin of a later type
    twin.insert(twin.begin(), hor[1]);
    // A record long enough for kept rows (every 16 kb) with three unrelated
    // pieces that only the types made of them fit: the first one past the
    // first kept row and again just before the second, the second one past
    // the second kept row, the third past the fourth.
    std::mt19937_64 other(43);
    std::string longArray = array;
    while (longArray.size() < 70000)
        longArray += Mutate(other, hor[longArray.size() / 171 % 4].sequence, 0.03);
    const std::string r1 = RandomSequence(other, 195), r2 = RandomSequence(other, 195),
                      r3 = RandomSequence(other, 195);
    const std::string pieced = longArray.substr(0, 20000) + r1 + longArray.substr(20000, 12368) + r1 +
                               longArray.substr(32368, 12242) + r2 + longArray.substr(44610, 21805) + r3 +
                               longArray.substr(66415);
    std::vector<MonomerType> pieces = hor;
    pieces.push_back({"p", r1});
    pieces.push_back({"q", r2});
    const struct {
        std::vector<MonomerType> types;
        Scoring scoring;
        bool takenOver;
        const std::vector<MonomerType>* before = nullptr;  // the kept set: hor
        std::size_t startAgain = 0;         // where the array's first 200 bases come once more (0: nowhere)
        const std::string* base = nullptr;  // the record (array)
    } cases[] = {
        {hor, Scoring{}, true},
        {with(4, unrelated), Scoring{}, true},
        {with(4, unrelated), {-8, -8, -8, 1}, true},       // 64-bit keys
        {with(4, array.substr(0, 200)), Scoring{}, true},  // takes the first segment only
        {with(1, Mutate(random, hor[1].sequence, 0.02)), Scoring{}, false},
        {with(4, Mutate(random, hor[2].sequence, 0.01)), Scoring{}, false},
        {{hor[0], hor[1], hor[2]}, Scoring{}, false},  // a type taken away
        {with(4, hor[1].sequence), Scoring{}, true},   // ties go to the earlier type
        {twin, Scoring{}, false, &unused},
        // One base shorter: ties a copy whose first base differs, with a later start.
        {with(4, hor[3].sequence.substr(1)), Scoring{}, false},
        // Takes the start (repaired) and the start's bases again where the
        // repair ends, so that the repair is not yet in step with the kept run.
        {with(4, array.substr(0, 200)), Scoring{}, false, nullptr, 1692},
        {pieces, Scoring{}, true, nullptr, 0, &pieced},
        // As the row before last, just before the first kept row.
        {with(4, array.substr(0, 200)), Scoring{}, false, nullptr, 16030, &longArray},
        // As the tie above, past the first kept row.
        {with(4, hor[0].sequence.substr(1)), Scoring{}, false, nullptr, 0, &longArray},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.types.back().sequence.substr(0, 12) + " " + std::to_string(c.scoring.deletion));
        const std::string& base = c.base ? *c.base : array;
        const std::string record = c.startAgain == 0 ? base
                                                     : base.substr(0, c.startAgain) + array.substr(0, 200) +
                                                           base.substr(c.startAgain);
        const std::string expected = Describe(Decompose(record, c.types, c.scoring));
        const KeptDecomposition kept = DecomposeKeeping(record, c.before ? *c.before : hor, c.scoring);
        const std::optional<KeptDecomposition> again = DecomposeAgain(record, c.types, c.scoring, kept);
        if (c.takenOver) {
            ASSERT_TRUE(again.has_value());
        }
        if (!again) continue;
        EXPECT_EQ(Describe(again->segments), expected);
        // Its trace is the new set's: a further change is taken over from it.
        std::vector<MonomerType> further = c.types;
        further.push_back({"u", c.base == &pieced ? r3 : RandomSequence(random, 195)});
        const std::optional<KeptDecomposition> next = DecomposeAgain(record, further, c.scoring, *again);
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(Describe(next->segments), Describe(Decompose(record, further, c.scoring)));
    }
}

TEST(Decompose, SmallCasesAndTheTieRule) {
    const std::vector<MonomerType> twins = {{"x", "ACG"}, {"y", "ACG"}};
    struct Case {
        std::string sequence;
        std::vector<MonomerType> types;
        std::string expected;
    } cases[] = {
        {"", twins, ""},
        {"A", twins, "0-0:0=-1/33.333333 "},
        // Equal types: the first one, forward before reverse (CGT is its own reverse complement).
        {"ACGACG", twins, "0-2:0=3/100.000000 3-5:0=3/100.000000 "},
        {"CGT", {{"p", "CGT"}}, "0-2:0=3/100.000000 "},
        {"TTT", {{"a", "AAA"}}, "0-2:0'=3/100.000000 "},
        // N and lower case: lower case matches, N matches nothing, not even N.
        {"acNg", {{"a", "ACNG"}}, "0-3:0=2/75.000000 "},
        // Two optimal cuts of "ACAC" against "AC" and "ACA": the later start of the last segment wins.
        {"ACAAC", {{"s", "AC"}, {"t", "ACA"}}, "0-2:1=3/100.000000 3-4:0=2/100.000000 "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Describe(Decompose(c.sequence, c.types, Scoring{})), c.expected) << c.sequence;
        ExpectSameAsReference(c.sequence, c.types, Scoring{}, c.sequence);
    }
}

TEST(Decompose, IdentityOfTheFewestColumns) {
    std::mt19937_64 random(5);
    LevenshteinEngine engine;
    for (int round = 0; round < 300; ++round) {
        const std::string a = RandomSequence(random, 1 + random() % 40, "ACGTn");
        const std::string b =
            round % 2 ? Mutate(random, a, 0.3) + "G" : RandomSequence(random, 1 + random() % 40);
        EXPECT_DOUBLE_EQ(SegmentIdentity(a, b, engine), ReferenceIdentity(a, b)) << a << " " << b;
    }
}

TEST(Decompose, ScoringText) {
    const std::pair<const char*, bool> cases[] = {
        {"-1,-1,-1,1", true},   {"+2,-3,0,1000000", true},
        {"-1,-1,-1", false},    {"-1,-1,-1,1,", false},
        {"-1,,-1,1", false},    {"a,-1,-1,1", false},
        {"-1,-1,-1,1 ", false}, {"1000001,0,0,0", false},
        {"--1,0,0,0", false},   {"", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(ParseScoring(text).has_value(), valid) << text;
    const Scoring scoring = *ParseScoring("+2,-3,0,7");
    EXPECT_EQ(std::vector<int>({scoring.insertion, scoring.deletion, scoring.mismatch, scoring.match}),
              std::vector<int>({2, -3, 0, 7}));
}

TEST(Decompose, Limits) {
    EXPECT_NE(DecomposeLimitError({}, Scoring{}), "");
    EXPECT_NE(DecomposeLimitError({{"e", ""}}, Scoring{}), "");
    EXPECT_NE(DecomposeLimitError({{"m", std::string(200, 'A')}}, Scoring{1000000, 0, 0, 0}), "");
    EXPECT_EQ(DecomposeLimitError({{"m", std::string(200, 'A')}}, Scoring{1000, -1000, 0, 1}), "");
    EXPECT_THROW(Decompose("ACGT", {{"e", ""}}, Scoring{}), std::invalid_argument);
}

}  // namespace
}  // namespace horgrid::reference
