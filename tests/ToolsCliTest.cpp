// End-to-end runs of horgrid-tools: the older analyses, decompose, the usage,
// bad inputs and results that cannot be written (standard output, exit
// status, messages and result files byte for byte).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "HorTestData.h"
#include "TestSupport.h"

namespace horgrid::test {
namespace {

RunResult Tools(const std::vector<std::string>& arguments, const TempDir& dir) {
    return RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path());
}

// Expects a successful run with exactly `out` on standard output and nothing on standard error.
void ExpectRun(const RunResult& run, const std::string& out) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, "");
}

// A monomer set and records for decompose: two records, A, B
// reverse-complemented with one mismatch and soft-masked, then A; and an empty one.
const char kDecomposeMonomers[] = ">A first type\nACGTACGTAA\n>B\nGGGCCCTTTA\n";
const char kSequences[] = ">r1 some read\nACGTACGTAAtaaagggTcc\nACGTACGTAA\n>empty\n\n";

const char kMonomers[] =
    "a1 + 10 4 ACGT\n"
    "a2 + 20 4 ACGA\n"
    "a3 + 30 4 TCGA\n"
    "\n"
    "b1 + 40 3 GGC\n";

// A run of an older analysis: its input files, its standard output and the
// one result file it writes.
struct AnalysisRun {
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> inputs;  // name, content
    std::string out;
    std::string result;
    std::string content;
};

TEST(Tools, OlderAnalysesWriteTheirResultFile) {
    const std::vector<AnalysisRun> runs = {
        // Empty groups have no consensus; b2's extra bases count in its
        // distance, so it exceeds 100 %; an empty consensus divides by zero.
        {{"consensus", "mon.txt"},
         {{"mon.txt", "\n\na1 + 10 4 ACGT\na2 + 20 4 ACGA\na3 + 30 4 TCGA\n\nb1 + 40 3 GGG\nb2 + 7 9 GGGTTTTTT\n\n"
                      "e + 1 0\nf + 2 3 ACG\n"}},
         "Reading File...\nFinding consensuses...\nFinding consensuses...\nFinding consensuses...\n",
         "mon.txt.cons",
         "ma1 4 ACGA\nmb1 3 GGG\nme 0 \n\n\nAnalysis:\n"
         "ma1 -   0  10  -> 25.000000 \nma1 -   0  20  -> 0.000000 \nma1 -   0  30  -> 25.000000 \n\n"
         "mb1 -   0  40  -> 0.000000 \nmb1 -   0  7  -> 200.000000 \n\n"
         "me -   0  1  -> -nan \nme -   0  2  -> inf \n\n"},
        // Long names shift the columns; an empty group gives a block without
        // heads and rows; an empty row divides by zero; the fifth group has no block.
        {{"distmatrix", "mon.txt"},
         {{"mon.txt", "r1 4 ACGT\nr2 3 ACG\n\nlonger_name 2 TT\n\n\ne 0\nf 2 AC\n\nd 1 G\n"}},
         "Reading File...\n"
         "Calculating distance matrix...\nMax = 33.3333"
         "Calculating distance matrix...\nMax = 0"
         "Calculating distance matrix...\nMax = 0"
         "Calculating distance matrix...\nMax = inf",
         "mon.txt_.distMatrix",
         "\n\n           r1     r2\nr1       0.00  25.00\nr2      33.33   0.00"
         "\n\n       longer_name\nlonger_name   0.00\n\n      "
         "\n\n            e      f\ne        -nan    inf\nf      100.00   0.00"},
        // Lines of different layouts; empty groups keep their number.
        {{"hortable", "hors.txt"},
         {{"hors.txt", "h1a 4 ACGT\nh1b + 5 4 ACGA\nh1c 2 AC\n\n\nh2a 4 TTTT\n\n"}},
         "Reading File...\n"
         "H1m1(4) - H1m2(4) -> 25%\nH1m1(4) - H1m3(2) -> 50%\nH1m2(4) - H1m3(2) -> 50%\n\n"
         "\n\n\nmonomer div = 41.6667",
         "hors.txt.hors",
         "H1 10 ACGTACGAAC\nH2 0 \nH3 4 TTTT\nH4 0 \n"},
        {{"merge", "a.txt", "b.txt"},
         {{"a.txt", "a1 + 100 171 AAA\na2 + 300 171 CCC\n"}, {"b.txt", "b1 + 200 171 GGG\nb2 + 300 171 TTT\n"}},
         "a.txt\nb.txt\n",
         "a.txtr",
         "a1 + 100  100 AAA\nb1 + 200  100 GGG\nb2 + 300  100 TTT\na2 + 300  171 CCC\n"},
    };
    for (const AnalysisRun& run : runs) {
        TempDir dir;
        for (const auto& [name, content] : run.inputs) dir.Write(name, content);
        SCOPED_TRACE(run.arguments[0]);
        ExpectRun(Tools(run.arguments, dir), run.out);
        EXPECT_EQ(ReadFile(dir.File(run.result)), run.content);
    }
}

TEST(Tools, GroupReadsTheDotMatrixThatHorgridWrites) {
    TempDir dir;
    // Two kinds of monomer: 0 and 2 are one base apart, 1 and 3 are others.
    dir.Write("e.ens",
              "m0 + 1 10 AAAAAAAAAA\nm1 + 11 10 CCCCCCCCCC\nm2 + 21 10 AAAAAAAAAT\nm3 + 31 10 GGGGGGGGGG\n");
    ASSERT_EQ(RunProgram(HORGRID_BIN, {"-m", "e.ens"}, dir.path()).status, 0);
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt")),
              "\n0.0 100.0 10.0 100.0 \n0 0.0 100.0 100.0 \n0 0 0.0 100.0 \n0 0 0 0.0 ");
    ExpectRun(Tools({"group", "e.ens_dot_matrix.txt"}, dir),
              "Start reading dot-matrix...\nNo of columns: 4\n\n");
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt_horStructure.txt")), "0, 2(2), \n1, \n2, \n3, \n");
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt_horStructure2.txt")), "0 0\n0 2\n1 0\n2 0\n3 0\n");
}

TEST(DecomposeCli, WritesTheThreeFormats) {
    TempDir dir;
    dir.Write("m.fa", kDecomposeMonomers);
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
        EXPECT_EQ(ReadFile(dir.File("out.ens/1.ens")),
                  "A + 0 10 ACGTACGTAA\nB - 10 10 GGACCCTTTA\nA + 20 10 ACGTACGTAA\n");
        EXPECT_EQ(ReadFile(dir.File("out.ens/2.ens")), "");
    }
    // A region through the index, a minimum identity, the default prefix.
    dir.Write("r.fa", ">r1\nACGTACGTAAtaaagggTcc\nACGTACGTAA\n");
    const RunResult run = Tools({"decompose", "-i", "95", "-r", "r1:11-30", "r.fa", "m.fa"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir.File("r.fa_decomposition.tsv")), "r1\tA\t20\t29\t100.00\t+\t10\n");
    // A file without records: empty results, and a warning.
    dir.Write("none.fa", "\n");
    const RunResult none = Tools({"decompose", "none.fa", "m.fa"}, dir);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "horgrid-tools decompose: warning: no records in 'none.fa': the results are empty\n");
    EXPECT_EQ(ReadFile(dir.File("none.fa_decomposition.tsv")), "");
}

TEST(Tools, UsageTextOnHelpNoArgumentAndMisuse) {
    TempDir dir;
    const RunResult help = Tools({"--help"}, dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* command :
         {"consensus ", "distmatrix ", "group ", "hortable ", "merge ", "purify ", "--help"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;

    const RunResult none = Tools({}, dir);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, help.out);
    EXPECT_EQ(none.err, "");

    // A wrong argument count of a subcommand: see CommandLineTest.cpp.
    for (const char* command : {"bogus", "-m"}) {
        const RunResult run = Tools({command, "a"}, dir);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_EQ(run.err, "horgrid-tools: unknown command '" + std::string(command) + "'\n" + help.out)
            << command;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Bad inputs and values: the exit status, a message that begins with the
// command's name and holds `message` (is exactly `message` after the name
// when it ends in a line feed), and no result.
TEST(Tools, BadInputExitsAndWritesNothing) {
    TempDir dir;
    dir.Write("m.fa", kDecomposeMonomers);
    dir.Write("s.fa", kSequences);
    dir.Write("none.fa", "");
    dir.Write("emptymonomer.fa", ">A\n\n>B\nAC\n");
    dir.Write("twice.fa", ">A\nAC\n>A x\nGG\n");
    dir.Write("primed.fa", ">A\nAC\n>A'\nGG\n");
    dir.Write("r.fa", ">r1\nACGT\n");
    const std::string missing = "cannot read 'no.txt': No such file or directory\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"consensus", "no.txt"}, 2, missing},
        {{"distmatrix", "no.txt"}, 2, missing},
        {{"group", "no.txt"}, 2, missing},
        {{"hortable", "no.txt"}, 2, missing},
        {{"merge", "no.txt", "no.txt"}, 2, missing},
        {{"purify", "no.txt"}, 2, missing},
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
        {{"decompose", "-r", "r1:99999999999999999999", "r.fa", "m.fa"},
         2,
         "region 'r1:99999999999999999999' of 'r.fa': the position 99999999999999999999 is too large"},
        {{"decompose", "-r", "r1:3-2", "r.fa", "m.fa"},
         2,
         "region 'r1:3-2' of 'r.fa': it begins after it ends"},
        {{"decompose", "-r", "r1:0-2", "r.fa", "m.fa"}, 2, "region 'r1:0-2' of 'r.fa': positions begin at 1"},
        {{"infer", "twice.fa"}, 2, "cannot read 'twice.fa': record 2 (line 3) is named 'A' like record 1"},
        {{"decompose", "-r", "A", "twice.fa", "m.fa"},
         2,
         "cannot read 'twice.fa': record 2 (line 3) is named 'A'"},
        {{"decompose", "s.fa"}, 1, "missing MONOMER_SET"},
        {{"decompose", "-x", "s.fa", "m.fa"}, 1, "unknown option"},
    };
    const auto before = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> inputs = before();
    for (const auto& c : cases) {
        const RunResult run = Tools(c.arguments, dir);
        const std::string name = "horgrid-tools " + c.arguments[0] + ": ";
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_EQ(run.err.rfind(name, 0), 0u) << run.err;
        if (c.message.ends_with('\n')) {
            EXPECT_EQ(run.err, name + c.message);
        } else {
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        }
        // Nothing beside the inputs but the index a region may build.
        std::vector<std::string> now = before();
        std::erase_if(now, [](const std::string& file) { return file.ends_with(".fai"); });
        EXPECT_EQ(now, inputs) << c.message;
    }
}

// An input that reads but holds nothing, and a result path taken by a directory.
TEST(Tools, ResultsThatCannotBeMadeExitTwo) {
    TempDir dir;
    dir.Write("empty_dot_matrix.txt", "");
    const RunResult empty = Tools({"group", "empty_dot_matrix.txt"}, dir);
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.out, "Start reading dot-matrix...\n");
    EXPECT_EQ(empty.err,
              "horgrid-tools group: cannot read 'empty_dot_matrix.txt': the dot matrix holds no line\n");

    // A result path taken by a directory cannot be created.
    dir.Write("mon.txt", kMonomers);
    std::filesystem::create_directory(dir.File("mon.txt.cons"));
    const RunResult blocked = Tools({"consensus", "mon.txt"}, dir);
    EXPECT_EQ(blocked.status, 2);
    EXPECT_EQ(blocked.err, "horgrid-tools consensus: cannot create 'mon.txt.cons': Is a directory\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

// What goes to standard output is a result too: a full disk or a closed pipe
// is an error (status 2 and a message), in both executables.
TEST(WriteFailure, StandardOutputThatCannotBeWrittenFails) {
    struct Case {
        std::string program;
        std::string name;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {HORGRID_BIN, "horgrid", {"-d", "a.fa", "b.fa"}},
        {HORGRID_BIN, "horgrid", {"-m", "e.ens"}},
        {HORGRID_TOOLS_BIN, "horgrid-tools", {"--help"}},
    };
    for (const Case& c : cases) {
        for (const bool pipe : {false, true}) {
            TempDir dir;
            dir.Write("a.fa", ">a\nACGT\n");
            dir.Write("b.fa", ">b\nACGA\n");
            dir.Write("e.ens", EnsembleText({"ACGT", "ACGA"}));
            RunOptions options;
            options.standardOutput = pipe ? "" : "/dev/full";
            options.closedPipe = pipe;
            const RunResult run = RunProgram(c.program, c.arguments, dir.path(), options);
            EXPECT_EQ(run.status, 2) << c.arguments[0] << " " << pipe;
            EXPECT_EQ(run.err, c.name + ": cannot write standard output: " +
                                   (pipe ? "Broken pipe" : "No space left on device") + "\n");
        }
    }
}

TEST(WriteFailure, ResultThatIsItsOwnInputIsRefused) {
    TempDir dir;
    const std::string first = EnsembleText({"ACGT"});
    const std::string second = EnsembleText({"ACGA"});
    dir.Write("a.ens", first);
    dir.Write("a.ensr", second);  // merge writes the first input's name + "r"
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"merge", "a.ens", "a.ensr"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "horgrid-tools merge: cannot create 'a.ensr': it is the input 'a.ensr'\n");
    EXPECT_EQ(ReadFile(dir.File("a.ensr")), second);
}

}  // namespace
}  // namespace horgrid::test
