#include <gtest/gtest.h>

#include "TestSupport.h"

namespace horgrid::test {
namespace {

RunResult Tools(const std::vector<std::string>& arguments, const TempDir& dir) {
    return RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path());
}

const char kMonomers[] = ">A first type\nACGTACGTAA\n>B\nGGGCCCTTTA\n";

// Two records: A, B reverse-complemented with one mismatch and soft-masked, then A; and an empty one.
const char kSequences[] = ">r1 some read\nACGTACGTAAtaaagggTcc\nACGTACGTAA\n>empty\n\n";

TEST(DecomposeCli, WritesTheThreeFormats) {
    TempDir dir;
    dir.Write("m.fa", kMonomers);
    dir.Write("s.fa", kSequences);
    for (const char* threads : {"1", "3"}) {
        const RunResult run = Tools({"decompose", "-t", threads, "-o", "out", "s.fa", "m.fa"}, dir);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "1\tr1\t30\t3\t28\n2\tempty\t0\t0\t0\n");
        EXPECT_EQ(ReadFile(dir.File("out_decomposition.tsv")),
                  "r1\tA\t0\t9\t100.00\t+\t10\n"
                  "r1\tB'\t10\t19\t90.00\t-\t8\n"
                  "r1\tA\t20\t29\t100.00\t+\t10\n");
        EXPECT_EQ(ReadFile(dir.File("out_decomposition.bed")),
                  "r1\t0\t10\tA\t1000\t+\nr1\t10\t20\tB\t900\t-\nr1\t20\t30\tA\t1000\t+\n");
        EXPECT_EQ(ReadFile(dir.File("out.1.ens")),
                  "A + 0 10 ACGTACGTAA\nB - 10 10 GGACCCTTTA\nA + 20 10 ACGTACGTAA\n");
        EXPECT_EQ(ReadFile(dir.File("out.2.ens")), "");
    }
    // A region through the index, a minimum identity, the default prefix.
    dir.Write("r.fa", ">r1\nACGTACGTAAtaaagggTcc\nACGTACGTAA\n");
    const RunResult run = Tools({"decompose", "-i", "95", "-r", "r1:11-30", "r.fa", "m.fa"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.File("r.fa_decomposition.tsv")), "r1\tA\t20\t29\t100.00\t+\t10\n");
}

TEST(DecomposeCli, BadInputLeavesNoResult) {
    TempDir dir;
    dir.Write("m.fa", kMonomers);
    dir.Write("s.fa", kSequences);
    dir.Write("none.fa", "");
    dir.Write("emptymonomer.fa", ">A\n\n>B\nAC\n");
    dir.Write("twice.fa", ">A\nAC\n>A x\nGG\n");
    dir.Write("primed.fa", ">A\nAC\n>A'\nGG\n");
    dir.Write("r.fa", ">r1\nACGT\n");
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"decompose", "missing.fa", "m.fa"}, 2, "'missing.fa'"},
        {{"decompose", "s.fa", "none.fa"}, 2, "'none.fa': no record"},
        {{"decompose", "s.fa", "emptymonomer.fa"}, 2, "empty monomer 'A'"},
        {{"decompose", "s.fa", "twice.fa"}, 2, "two monomers named 'A'"},
        // The results name a reverse-complemented A "A'".
        {{"decompose", "s.fa", "primed.fa"}, 2, "monomer name 'A'' ends in '"},
        {{"infer", "s.fa", "primed.fa"}, 2, "monomer name 'A'' ends in '"},
        {{"decompose", "-s", "-1,-1,x,1", "s.fa", "m.fa"}, 2, "bad scoring '-1,-1,x,1'"},
        {{"decompose", "-t", "0", "s.fa", "m.fa"}, 2, "bad thread count '0'"},
        {{"decompose", "-i", "101", "s.fa", "m.fa"}, 2, "bad percentage '101'"},
        {{"decompose", "-r", "nothere", "s.fa", "m.fa"}, 2, "cannot index 's.fa'"},
        {{"decompose", "-r", "nothere", "r.fa", "m.fa"}, 2, "region 'nothere' is not in the index of 'r.fa'"},
        {{"decompose", "s.fa"}, 1, "missing MONOMER_SET"},
        {{"decompose", "-x", "s.fa", "m.fa"}, 1, "unknown option"},
    };
    for (const auto& c : cases) {
        const RunResult run = Tools(c.arguments, dir);
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.err.find("horgrid-tools " + c.arguments[0] + ": "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(FileExists(dir.File("s.fa_decomposition.tsv"))) << c.message;
        EXPECT_FALSE(FileExists(dir.File("s.fa.1.ens"))) << c.message;
        EXPECT_FALSE(FileExists(dir.File("r.fa_decomposition.tsv"))) << c.message;
    }
}

}  // namespace
}  // namespace horgrid::test
