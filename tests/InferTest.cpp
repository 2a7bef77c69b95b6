#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "InferTestArray.h"
#include "TestSupport.h"
#include "infer/Inference.h"
#include "decompose/MonomerSet.h"

namespace horgrid::test {
namespace {

// The nearest true type of a sequence and how far it lies, in percent.
std::pair<std::size_t, double> Nearest(const std::vector<std::string>& types, const std::string& sequence) {
    std::pair<std::size_t, double> best{0, 1e9};
    for (std::size_t k = 0; k < types.size(); ++k) {
        const double apart = PercentApart(types[k], sequence);
        if (apart < best.second) best = {k, apart};
    }
    return best;
}

// Every true type has an inferred monomer within 3 % and vice versa, the unit
// is the true HOR up to rotation and the copy count is right within one (a
// copy of a dimer that lacks a monomer is no HOR copy: 5 % of them).
void ExpectRecovered(const TestArray& array, const Inference& inference, const std::string& label) {
    std::vector<std::string> inferred;
    for (std::size_t k = 0; k < inference.inferred; ++k) inferred.push_back(inference.monomers[k].sequence);
    for (const std::string& type : array.types) {
        EXPECT_LT(Nearest(inferred, type).second, 3) << label << ": a true type is missing";
    }
    for (const std::string& monomer : inferred) {
        EXPECT_LT(Nearest(array.types, monomer).second, 3) << label << ": a monomer is not a true type";
    }
    std::vector<std::size_t> unit;
    for (const std::size_t type : inference.hor.unit) {
        unit.push_back(Nearest(array.types, inference.monomers[type].sequence).first);
    }
    ASSERT_EQ(unit.size(), array.types.size()) << label;
    std::rotate(unit.begin(), std::find(unit.begin(), unit.end(), 0), unit.end());
    for (std::size_t k = 0; k < unit.size(); ++k) EXPECT_EQ(unit[k], k) << label;
    const double lost = array.types.size() == 2 ? 0.1 * static_cast<double>(array.copies) : 0;
    EXPECT_LE(static_cast<double>(inference.hor.copies.size()), static_cast<double>(array.copies) + 1)
        << label;
    EXPECT_GE(static_cast<double>(inference.hor.copies.size()), static_cast<double>(array.copies) - 1 - lost)
        << label;
}

Inference Infer(const std::string& sequence, const std::vector<MonomerType>& templates) {
    InferSettings settings;
    settings.threads = 2;
    return InferMonomers({sequence}, templates, settings, [](const RoundReport&) {});
}

TEST(Infer, GeneratedArrays) {
    struct Case {
        std::uint64_t seed;
        std::size_t types;
        std::size_t copies;
        bool familyReferences;  // start from the built-in references, else from the types' ancestor
        double readErrors = 0;  // the array as a read with ONT-like errors at this rate: one live array
    };
    const std::vector<Case> cases = {{1, 2, 300, false},      {2, 5, 60, false},  {4, 16, 30, false},
                                     {5, 7, 40, true},        {6, 12, 30, true},  {7, 11, 50, false, 0.08}};
    const std::vector<MonomerType> references = FamilyReferenceTemplates();
    for (const Case& c : cases) {
        std::mt19937_64 random(c.seed);
        const std::string ancestor = c.familyReferences ? references[c.seed % references.size()].sequence
                                                        : reference::RandomSequence(random, 171);
        TestArrayShape shape;
        shape.types = c.types;
        shape.copies = c.copies;
        if (c.readErrors > 0) shape.nRuns = shape.lowerRuns = 0;
        TestArray array = MakeTestArray(c.seed, ancestor, shape);
        if (c.readErrors > 0) {
            std::vector<std::size_t> at;
            array.sequence = reference::OntRead(random, array.sequence, c.readErrors, at);
        }
        const Inference inference = Infer(
            array.sequence, c.familyReferences ? references : std::vector<MonomerType>{{"a", ancestor}});
        ExpectRecovered(array, inference, "seed " + std::to_string(c.seed));
        if (c.readErrors > 0) {
            std::size_t live = 0;
            for (const ArrayStretch& stretch : inference.regions) live += stretch.kind == RegionClass::LiveHor;
            EXPECT_EQ(live, 1u) << "seed " << c.seed << ": the read is one live array";
        }
    }
}

TEST(Infer, Dxz1FromOneMonomer) {
    std::vector<std::string> types;
    for (const MonomerType& type : ReadMonomerSet(HORGRID_SOURCE_DIR "/examples/dxz1_monomers.fa")) {
        types.push_back(type.sequence);
    }
    ASSERT_EQ(types.size(), 12u);
    std::mt19937_64 random(3);
    TestArrayShape shape;
    shape.copies = 30;
    const TestArray array = LayOutTestArray(random, types, shape);
    const Inference inference = Infer(array.sequence, {{"A", types[0]}});
    EXPECT_EQ(inference.inferred, 12u);
    ExpectRecovered(array, inference, "DXZ1");
}

TEST(Infer, NoAlphaSatelliteGivesAnEmptySet) {
    std::mt19937_64 random(9);
    const Inference inference = Infer(reference::RandomSequence(random, 5000), FamilyReferenceTemplates());
    EXPECT_TRUE(inference.monomers.empty());
    EXPECT_TRUE(inference.hor.copies.empty());
    ASSERT_EQ(inference.segments.size(), 1u);
    EXPECT_TRUE(inference.segments[0].empty());
}

// FASTA text of one record, 60 bases a line.
std::string Fasta(const std::string& name, const std::string& sequence) {
    std::string text = ">" + name + "\n";
    for (std::size_t at = 0; at < sequence.size(); at += 60) text += sequence.substr(at, 60) + "\n";
    return text;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(InferCli, WritesEveryResultFile) {
    TempDir dir;
    std::mt19937_64 random(4);
    const std::string ancestor = reference::RandomSequence(random, 171);
    TestArrayShape shape;
    shape.types = 4;
    shape.copies = 30;
    const TestArray array = MakeTestArray(4, ancestor, shape);
    dir.Write("array.fa", Fasta("chrT", array.sequence));
    dir.Write("start.fa", Fasta("start", ancestor));
    const RunResult run =
        RunProgram(HORGRID_TOOLS_BIN, {"infer", "-t", "2", "-o", "out", "array.fa", "start.fa"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("closeness 10 %, merge limit 8 %"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("round 1: 1 monomers, decomposition score "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("HOR 4mer M1,M2,M3,M4: 4 monomers, "), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(dir.File("out_monomers.fa")).substr(0, 4), ">M1\n");
    const std::string hors = ReadFile(dir.File("out_hors.tsv"));
    EXPECT_EQ(hors.substr(0, hors.find('\n')),
              "#record\tstart\tend\tstrand\tunit\tmonomers\tkind\tlacks\tadds");
    EXPECT_NE(hors.find("\t4mer\tM1,M2,M3,M4\tfull\t-\t-\n"), std::string::npos);
    EXPECT_NEAR(static_cast<double>(Lines(hors)), 31.0, 1.0);
    EXPECT_EQ(Lines(ReadFile(dir.File("out_hors.bed"))), Lines(hors) - 1);
    for (const char* file : {"out_decomposition.tsv", "out_decomposition.bed", "out.ens/1.ens"}) {
        EXPECT_TRUE(FileExists(dir.File(file))) << file;
    }
}

TEST(InferCli, BadInputWritesNothing) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"missing.fa"}, 2, "missing.fa"},
        {{"array.fa", "empty.fa"}, 2, "empty.fa"},
        {{"array.fa", "missing.fa"}, 2, "missing.fa"},
        {{"nothing.fa"}, 2, "no sequence in 'nothing.fa'"},
        {{"-t", "0", "array.fa"}, 2, "bad thread count '0'"},
        {{"--closeness", "101", "array.fa"}, 2, "bad percentage '101'"},
        {{"--min-count", "x", "array.fa"}, 2, "bad count 'x'"},
        {{"--bogus", "array.fa"}, 1, "unknown option '--bogus'"},
        {{"array.fa", "start.fa", "third.fa"}, 1, "unexpected argument 'third.fa'"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.Write("array.fa", ">a\nACGTACGT\n");
        dir.Write("empty.fa", "");
        dir.Write("nothing.fa", "");
        std::vector<std::string> arguments = {"infer"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const RunResult run = RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path());
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
        EXPECT_EQ(files, 3u) << c.message << ": a result file was written";
    }
}

TEST(InferCli, NoAlphaSatellite) {
    TempDir dir;
    std::mt19937_64 random(2);
    dir.Write("random.fa", Fasta("r", reference::RandomSequence(random, 3000)));
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"infer", "random.fa"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(
        run.out.find(
            "route: de novo: the templates (the standard class monomers) explain 0.0 % of the "
            "bases; no tandem period found\nno satellite found in 'random.fa': the monomer set is empty"),
        std::string::npos)
        << run.out;
    EXPECT_EQ(ReadFile(dir.File("random.fa_monomers.fa")), "");
    EXPECT_EQ(run.err, "horgrid-tools infer: no satellite found in 'random.fa': the monomer set is empty\n");
}

}  // namespace
}  // namespace horgrid::test
