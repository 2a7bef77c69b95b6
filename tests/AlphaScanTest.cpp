// The alpha-satellite filter on generated assemblies: random sequence with
// arrays built from the shipped family consensus monomers (2-10 % divergence,
// HOR-like and monomeric, both strands), assembly gaps, empty records and
// records without alpha satellite; and on real satellites that are not alpha:
// tests/data/chrY_not_alpha.fa holds 4 kb each of HSat3, two kinds of bSat,
// SST1 and the composite repeats (`ct`) of the CHM13 chrY centromere region
// (CHM13 chrY:9,586,662-11,690,972 as in ../shared/data/chm13_chrY, cut at
// the record-relative positions in each record's name, inside the intervals
// of its T2T cenSat annotation).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "SequenceGenerator.h"
#include "decompose/Decompose.h"
#include "scan/AlphaReferences.h"
#include "scan/AlphaScan.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

const AlphaKmerTable& Table() {
    static const AlphaKmerTable table(
        ReadAlphaReferences({HORGRID_SOURCE_DIR "/data/AS-SF.consensus.fa",
                             HORGRID_SOURCE_DIR "/data/AS-HOR.consensus.fa.gz"}),
        AlphaScanSettings{}.k);
    return table;
}

std::vector<std::string> FamilyMonomers() {
    return ReadAlphaReferences({HORGRID_SOURCE_DIR "/data/AS-SF.consensus.fa"});
}

struct Interval {
    std::int64_t start;
    std::int64_t end;
};

// A generated record and the alpha-satellite intervals in it.
struct Assembly {
    std::string sequence;
    std::vector<Interval> alpha;
};

class Builder {
public:
    explicit Builder(std::uint64_t seed) : random_(seed), monomers_(FamilyMonomers()) {}

    Builder& Random(std::size_t length) {
        assembly_.sequence += reference::RandomSequence(random_, length);
        return *this;
    }
    Builder& Gap(std::size_t length) {
        assembly_.sequence.append(length, 'N');
        return *this;
    }
    // `copies` copies of a HOR of `order` family monomers, each copy mutated
    // by `divergence`; with order 0, distinct monomers (monomeric alpha).
    Builder& Array(std::size_t order, std::size_t copies, double divergence, bool reverse = false) {
        std::vector<std::size_t> hor;
        for (std::size_t m = 0; m < order; ++m) hor.push_back(random_() % monomers_.size());
        std::string array;
        for (std::size_t copy = 0; copy < copies; ++copy) {
            for (std::size_t m = 0; m < std::max<std::size_t>(order, 1); ++m) {
                const std::size_t type = order > 0 ? hor[m] : random_() % monomers_.size();
                array += reference::Mutate(random_, monomers_[type], divergence);
            }
        }
        if (reverse) array = ReverseComplement(array);
        const auto start = static_cast<std::int64_t>(assembly_.sequence.size());
        assembly_.sequence += array;
        assembly_.alpha.push_back({start, static_cast<std::int64_t>(assembly_.sequence.size())});
        return *this;
    }
    Assembly Done() { return assembly_; }

private:
    std::mt19937_64 random_;
    std::vector<std::string> monomers_;
    Assembly assembly_;
};

// Each expected interval matches one stretch, ends within `slack` bases, and
// nothing else is found.
void ExpectStretches(const std::vector<AlphaStretch>& found, const std::vector<Interval>& expected,
                     std::int64_t slack) {
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(found[i].start, expected[i].start, slack) << "stretch " << i;
        EXPECT_NEAR(found[i].end, expected[i].end, slack) << "stretch " << i;
        EXPECT_GE(found[i].density, AlphaScanSettings{}.density);
    }
}

struct Case {
    const char* name;
    Assembly assembly;
    std::vector<Interval> expected;  // empty: the assembly's alpha intervals
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    const auto add = [&](const char* name, Assembly assembly, std::vector<Interval> expected = {}) {
        cases.push_back({name, std::move(assembly), std::move(expected)});
    };
    add("hor_low_divergence", Builder(1).Random(20000).Array(8, 12, 0.02).Random(30000).Done());
    add("monomeric_10_percent", Builder(2).Random(12000).Array(0, 40, 0.10).Random(9000).Done());
    add("reverse_strand", Builder(3).Random(7000).Array(5, 10, 0.05, true).Random(7000).Done());
    // Soft-masked: lower case reads as upper case.
    add("lower_case", cases.back().assembly);
    for (char& c : cases.back().assembly.sequence) c = static_cast<char>(std::tolower(c));
    add("several_with_gaps", Builder(4)
                                 .Random(5000)
                                 .Gap(20000)
                                 .Random(3000)
                                 .Array(4, 8, 0.03)
                                 .Random(15000)
                                 .Gap(100)
                                 .Random(4000)
                                 .Array(0, 25, 0.08, true)
                                 .Random(6000)
                                 .Gap(5000)
                                 .Done());
    add("at_record_ends", Builder(5).Array(6, 6, 0.04).Random(10000).Array(0, 20, 0.06).Done());
    // An array cut by an assembly gap is two stretches, however short the gap.
    {
        Builder builder(6);
        builder.Random(6000).Array(4, 6, 0.03).Gap(10).Array(4, 6, 0.03).Random(6000);
        add("split_by_gap", builder.Done());
    }
    // Arrays 3 kb apart join (the gap is below 5 kb), 8 kb apart do not.
    {
        Assembly joined =
            Builder(7).Random(8000).Array(4, 5, 0.03).Random(3000).Array(0, 15, 0.05).Random(8000).Done();
        const Interval whole{joined.alpha[0].start, joined.alpha[1].end};
        add("joined_across_3kb", joined, {whole});
        add("apart_across_8kb",
            Builder(8).Random(8000).Array(4, 5, 0.03).Random(8000).Array(0, 15, 0.05).Random(8000).Done());
    }
    // Arrays below 2 kb are dropped; sequence without alpha gives nothing.
    {
        Assembly small = Builder(9).Random(10000).Array(0, 8, 0.03).Random(10000).Done();
        add("too_short", small, std::vector<Interval>{});
        cases.back().expected.clear();
        cases.back().assembly.alpha.clear();
    }
    add("no_alpha", Builder(10).Random(200000).Gap(1000).Random(50000).Done());
    add("empty", Builder(11).Done());
    add("only_gap", Builder(12).Gap(30000).Done());
    return cases;
}

TEST(AlphaScan, FindsEveryGeneratedArrayAndNothingElse) {
    for (Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::vector<Interval>& expected = c.expected.empty() ? c.assembly.alpha : c.expected;
        ExpectStretches(FindAlphaStretches(c.assembly.sequence, Table()), expected, 100);
    }
}

// Chunks of any size, stretches taken early or at the end, and a scanner used
// for several records give what one call on each whole record gives.
TEST(AlphaScan, StreamingEqualsWholeRecord) {
    std::mt19937_64 random(42);
    AlphaScanner scanner(Table(), AlphaScanSettings{});
    for (Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string& sequence = c.assembly.sequence;
        const std::vector<AlphaStretch> whole = FindAlphaStretches(sequence, Table());
        std::vector<AlphaStretch> streamed;
        for (std::size_t at = 0; at < sequence.size();) {
            const std::size_t chunk = std::size_t{1} << (random() % 14);
            scanner.Feed(std::string_view(sequence).substr(at, chunk));
            at += chunk;
            for (const AlphaStretch& stretch : scanner.Take()) streamed.push_back(stretch);
        }
        EXPECT_EQ(scanner.Position(), static_cast<std::int64_t>(sequence.size()));
        for (const AlphaStretch& stretch : scanner.Finish()) streamed.push_back(stretch);
        ASSERT_EQ(streamed.size(), whole.size());
        for (std::size_t i = 0; i < whole.size(); ++i) {
            EXPECT_EQ(streamed[i].start, whole[i].start);
            EXPECT_EQ(streamed[i].end, whole[i].end);
            EXPECT_DOUBLE_EQ(streamed[i].density, whole[i].density);
        }
    }
}

TEST(AlphaScan, RealSatellitesThatAreNotAlphaGiveNoCall) {
    SequenceReader reader(HORGRID_SOURCE_DIR "/tests/data/chrY_not_alpha.fa");
    SequenceRecord record;
    int records = 0;
    while (reader.Next(record)) {
        ++records;
        EXPECT_TRUE(FindAlphaStretches(record.sequence, Table()).empty()) << record.name;
        // Every window of it, even alone, stays below the density.
        AlphaScanSettings lenient;
        lenient.minLength = 0;
        EXPECT_TRUE(FindAlphaStretches(record.sequence, Table(), lenient).empty()) << record.name;
    }
    EXPECT_EQ(records, 5);
}

// The stretches against the exact decomposition with the family monomers:
// alpha satellite there is a run of segments of at least 100 bases and 75 %
// identity (joined across less than 5 kb, kept from 2 kb); random sequence
// decomposes into segments of about 60 %.
TEST(AlphaScan, AgreesWithTheExactDecomposition) {
    const Assembly assembly =
        Builder(21).Random(9000).Array(6, 6, 0.03).Random(7000).Array(0, 25, 0.10, true).Random(9000).Done();
    std::vector<MonomerType> types;
    for (const std::string& monomer : FamilyMonomers()) types.push_back({"m", monomer});
    std::vector<Interval> runs;
    for (const Segment& segment : Decompose(assembly.sequence, types, Scoring{})) {
        if (segment.end - segment.start + 1 < 100 || segment.identity < 75) continue;
        if (!runs.empty() && segment.start - runs.back().end < AlphaScanSettings{}.joinGap) {
            runs.back().end = segment.end + 1;
        } else {
            runs.push_back({segment.start, segment.end + 1});
        }
    }
    std::erase_if(runs,
                  [](const Interval& run) { return run.end - run.start < AlphaScanSettings{}.minLength; });
    ASSERT_EQ(runs.size(), 2u);
    ExpectStretches(FindAlphaStretches(assembly.sequence, Table()), runs, 100);
}

// Each k-mer of the references (both strands) and none of the others one
// substitution away, by both look-ups, for k from below the tail's 11 bases
// (no leading bases) to 14 (three).
TEST(AlphaScan, TableHoldsExactlyTheReferenceKmers) {
    std::mt19937_64 random(8);
    const std::vector<std::string> references = {reference::RandomSequence(random, 171),
                                                 reference::RandomSequence(random, 90) + "N" +
                                                     reference::RandomSequence(random, 60)};
    for (const int k : {8, 11, 12, 13, 14}) {
        const AlphaKmerTable table(references, k);
        const std::uint32_t mask = (std::uint32_t{1} << (2 * k)) - 1;
        std::vector<std::uint32_t> held;
        for (const std::string& unit : references) {
            for (const std::string& strand : {unit, ReverseComplement(unit)}) {
                std::uint32_t code = 0;
                int valid = 0;
                for (const char c : strand) {
                    const std::size_t base = std::string("ACGT").find(c);
                    valid = base == std::string::npos ? 0 : valid + 1;
                    code = (code << 2 | static_cast<std::uint32_t>(base & 3)) & mask;
                    if (valid >= k) held.push_back(code);
                }
            }
        }
        std::sort(held.begin(), held.end());
        held.erase(std::unique(held.begin(), held.end()), held.end());
        EXPECT_EQ(table.Size(), held.size()) << k;
        std::size_t differ = 0;
        for (const std::uint32_t code : held) {
            for (int i = 0; i < k; ++i) {
                for (std::uint32_t change = 0; change < 4; ++change) {
                    const std::uint32_t other = code ^ (change << (2 * i));
                    const bool in = std::binary_search(held.begin(), held.end(), other);
                    differ += table.Contains(other) != in || table.WholeContains(other) != in;
                }
            }
        }
        EXPECT_EQ(differ, 0u) << k;
    }
}

TEST(AlphaScan, RejectsBadSettingsAndTables) {
    const auto bad = [](auto change) {
        AlphaScanSettings settings;
        change(settings);
        return !AlphaScanSettingsError(settings).empty();
    };
    EXPECT_TRUE(AlphaScanSettingsError({}).empty());
    EXPECT_TRUE(bad([](AlphaScanSettings& s) { s.k = 7; }));
    EXPECT_TRUE(bad([](AlphaScanSettings& s) { s.k = 15; }));
    EXPECT_TRUE(bad([](AlphaScanSettings& s) { s.window = 63; }));
    EXPECT_TRUE(bad([](AlphaScanSettings& s) { s.density = 0; }));
    EXPECT_TRUE(bad([](AlphaScanSettings& s) { s.assemblyGap = 0; }));
    AlphaScanSettings other;
    other.k = 12;
    EXPECT_THROW(AlphaScanner(Table(), other), std::invalid_argument);
    EXPECT_THROW(AlphaKmerTable({"ACGTNACGT"}, 8), std::invalid_argument);
    // ACGTACGT (its own reverse complement), CGTACGTA and its complement TACGTACG.
    EXPECT_EQ(AlphaKmerTable({"ACGTACGTA"}, 8).Size(), 3u);
}

}  // namespace
}  // namespace horgrid
