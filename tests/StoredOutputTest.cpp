// Every horgrid option and every horgrid-tools command on the shipped example
// (examples/dxz1.ens) and on tests/data/two_segments.ens (two segments,
// reverse-strand records, CENP-B boxes in all four orientations, every family
// reference, records on both sides of each fixed limit; built by
// tests/data/make_two_segments.py); decompose and infer on
// tests/data/dxz1_array.fa (`examples/make_array.py --fasta
// examples/dxz1_monomers.fa 8 0.02`). Standard output (elapsed time masked),
// the progress on standard error where a command writes one, and every result
// file are compared byte for byte with tests/expected/<case>/. Each case is a
// test of its own (StoredOutput/Examples.Run/<case>).
//
// HORGRID_UPDATE_EXPECTED=1 writes the expected files instead (review the diff).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"

namespace horgrid::test {
namespace {

struct Case {
    std::string name;
    std::string program;
    std::vector<std::string> arguments;
    // Repository paths copied into the run's directory under their file names.
    std::vector<std::string> inputs;
    std::vector<std::string> results;
    // -h's status and standard error depend on the installed gnuplot.
    bool plots = false;
    // Standard error (progress) is stored and compared too.
    bool progress = false;
    // Set for the run (NAME=VALUE), and the exit status then expected.
    std::vector<std::string> environment = {};
    int status = 0;
};

const std::string kCli = HORGRID_BIN;
const std::string kTools = HORGRID_TOOLS_BIN;
const std::string kDxz1 = "examples/dxz1.ens";
const std::string kTwo = "tests/data/two_segments.ens";
const std::string kExpected = "tests/expected/";
const std::string kArray = "tests/data/dxz1_array.fa";
const std::string kMonomerSet = "examples/dxz1_monomers.fa";

const std::vector<Case> kCases = {
    {"m_dxz1", kCli, {"-m", "dxz1.ens"}, {kDxz1}, {"dxz1.ens_dot_matrix.txt"}},
    {"b_dxz1", kCli, {"-b", "dxz1.ens"}, {kDxz1}, {"dxz1.ens_cenpB.txt"}},
    {"s_dxz1", kCli, {"-s", "dxz1.ens"}, {kDxz1}, {"dxz1.ens_supracromFamily.txt"}},
    {"h_dxz1", kCli, {"-h", "dxz1.ens"}, {kDxz1}, {"dxz1.ens.hor1"}, true},
    {"d_fa", kCli, {"-d", "dxz1_A.fa", "long.fa"}, {"tests/data/dxz1_A.fa", "tests/data/long.fa"}, {}},
    {"m_two", kCli, {"-m", "two_segments.ens"}, {kTwo}, {"two_segments.ens_dot_matrix.txt"}},
    {"b_two", kCli, {"-b", "two_segments.ens"}, {kTwo}, {"two_segments.ens_cenpB.txt"}},
    {"s_two", kCli, {"-s", "two_segments.ens"}, {kTwo}, {"two_segments.ens_supracromFamily.txt"}},
    {"h_two",
     kCli,
     {"-h", "two_segments.ens"},
     {kTwo},
     {"two_segments.ens.hor1", "two_segments.ens.hor2"},
     true},
    {"consensus_dxz1", kTools, {"consensus", "dxz1.mon"}, {"tests/data/dxz1.mon"}, {"dxz1.mon.cons"}},
    {"consensus_two",
     kTools,
     {"consensus", "two_segments.mon"},
     {"tests/data/two_segments.mon"},
     {"two_segments.mon.cons"}},
    {"distmatrix_dxz1",
     kTools,
     {"distmatrix", "dxz1.mon3"},
     {"tests/data/dxz1.mon3"},
     {"dxz1.mon3_.distMatrix"}},
    {"distmatrix_two",
     kTools,
     {"distmatrix", "two_segments.mon3"},
     {"tests/data/two_segments.mon3"},
     {"two_segments.mon3_.distMatrix"}},
    {"group_dxz1",
     kTools,
     {"group", "dxz1.ens_dot_matrix.txt"},
     {kExpected + "m_dxz1/dxz1.ens_dot_matrix.txt"},
     {"dxz1.ens_dot_matrix.txt_horStructure.txt", "dxz1.ens_dot_matrix.txt_horStructure2.txt"}},
    {"group_two",
     kTools,
     {"group", "two_segments.ens_dot_matrix.txt"},
     {kExpected + "m_two/two_segments.ens_dot_matrix.txt"},
     {"two_segments.ens_dot_matrix.txt_horStructure.txt",
      "two_segments.ens_dot_matrix.txt_horStructure2.txt"}},
    {"hortable_dxz1", kTools, {"hortable", "dxz1.mon3"}, {"tests/data/dxz1.mon3"}, {"dxz1.mon3.hors"}},
    {"hortable_two",
     kTools,
     {"hortable", "two_segments.mon"},
     {"tests/data/two_segments.mon"},
     {"two_segments.mon.hors"}},
    {"merge_both", kTools, {"merge", "dxz1.ens", "two_segments.ens"}, {kDxz1, kTwo}, {"dxz1.ensr"}},
    {"merge_two", kTools, {"merge", "two_segments.ens", "two_segments.ens"}, {kTwo}, {"two_segments.ensr"}},
    {"purify_dxz1", kTools, {"purify", "dxz1.ens"}, {kDxz1}, {"dxz1.ens_purified.txt"}},
    {"purify_two", kTools, {"purify", "two_segments.ens"}, {kTwo}, {"two_segments.ens_purified.txt"}},
    {"decompose_array",
     kTools,
     {"decompose", "-t", "2", "dxz1_array.fa", "dxz1_monomers.fa"},
     {kArray, kMonomerSet},
     {"dxz1_array.fa_decomposition.tsv", "dxz1_array.fa_decomposition.bed", "dxz1_array.fa.1.ens"},
     false,
     true},
    {"infer_array",
     kTools,
     {"infer", "-t", "2", "-o", "inferred", "dxz1_array.fa"},
     {kArray},
     {"inferred_monomers.fa", "inferred_hors.tsv", "inferred_hors.bed", "inferred_decomposition.tsv",
      "inferred_decomposition.bed", "inferred.1.ens"}},
    // The table; no gnuplot, so the picture is left out (status 3) and the
    // output does not depend on the installed one.
    {"dotplot_dxz1",
     kTools,
     {"dotplot", "-t", "2", "--size", "40", "dxz1.ens"},
     {kDxz1},
     {"dxz1.ens_dotplot.tsv"},
     false,
     false,
     {"HORGRID_GNUPLOT=/nonexistent/gnuplot"},
     3},
};

std::string Source(const std::string& path) {
    return std::string(HORGRID_SOURCE_DIR) + "/" + path;
}

void Store(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class StoredOutput : public testing::TestWithParam<Case> {};

TEST_P(StoredOutput, Run) {
    const Case& c = GetParam();
    const bool update = std::getenv("HORGRID_UPDATE_EXPECTED") != nullptr;
    TempDir dir;
    for (const std::string& input : c.inputs)
        std::filesystem::copy_file(Source(input), dir.File(std::filesystem::path(input).filename().string()));
    std::vector<std::string> arguments = c.environment;
    if (!arguments.empty()) arguments.push_back(c.program);
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const RunResult run =
        RunProgram(c.environment.empty() ? c.program : "/usr/bin/env", arguments, dir.path());
    if (!c.plots) {
        EXPECT_EQ(run.status, c.status);
        if (!c.progress && c.status == 0) {
            EXPECT_EQ(run.err, "");
        }
    }
    const std::string expected = Source(kExpected + c.name + "/");
    std::vector<std::pair<std::string, std::string>> outputs = {{"stdout", MaskElapsed(run.out)}};
    if (c.progress) outputs.emplace_back("stderr", run.err);
    for (const std::string& result : c.results) {
        EXPECT_TRUE(FileExists(dir.File(result))) << result;
        outputs.emplace_back(result, ReadFile(dir.File(result)));
    }
    for (const auto& [file, content] : outputs) {
        if (update) {
            Store(expected + file, content);
        } else {
            EXPECT_TRUE(ReadFile(expected + file) == content) << file << " differs from " << expected;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, StoredOutput, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace horgrid::test
