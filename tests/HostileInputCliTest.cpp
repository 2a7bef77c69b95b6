// Damaged, truncated or foreign inputs, inputs named like results, and a
// memory limit: each ends the run with one message naming the file, exit
// status 2 and every file as it was.

#include <gtest/gtest.h>
#include <htslib/bgzf.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "TestSupport.h"

namespace horgrid::test {
namespace {

const char kMonomers[] = ">A\nACGTACGTAA\n>B\nGGGCCCTTTA\n";

// Every file under `dir` with its content ("<folder>" for a folder, "<fifo>"
// for a FIFO, "<link to X>" for a symbolic link).
std::map<std::string, std::string> Snapshot(const TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        std::string& content = files[entry.path().string()];
        if (entry.is_symlink()) {
            content = "<link to " + std::filesystem::read_symlink(entry.path()).string() + ">";
        } else if (entry.is_fifo()) {
            content = "<fifo>";
        } else {
            content = entry.is_directory() ? "<folder>" : ReadFile(entry.path().string());
        }
    }
    return files;
}

// Writes `text` bgzip-compressed to `path`.
void WriteBgzip(const std::string& path, const std::string& text, int level = 6) {
    const char mode[] = {'w', static_cast<char>('0' + level), '\0'};
    BGZF* file = bgzf_open(path.c_str(), mode);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(bgzf_write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ASSERT_EQ(bgzf_close(file), 0);
}

// Many records of varied bases, some 200 kb.
std::string Records() {
    std::string text;
    unsigned state = 7;
    for (int record = 0; record < 40; ++record) {
        text += ">r" + std::to_string(record) + "\n";
        for (int line = 0; line < 80; ++line) {
            for (int base = 0; base < 60; ++base) {
                state = state * 1103515245 + 12345;
                text += "ACGT"[(state >> 16) & 3];
            }
            text += '\n';
        }
    }
    return text;
}

TEST(HostileInputCli, EveryFaultEndsTheRunAndChangesNothing) {
    TempDir dir;
    dir.Write("m.fa", kMonomers);
    const std::string records = Records();
    dir.Write("s.fa", records);
    // A plain gzip file cut in half.
    dir.Write("g.fa", records);
    ASSERT_EQ(RunProgram("/bin/gzip", {"g.fa"}, dir.path()).status, 0);
    const std::string gzip = ReadFile(dir.File("g.fa.gz"));
    dir.Write("trunc.fa.gz", gzip.substr(0, gzip.size() / 2));
    // A bgzip file cut in half, and one without its end-of-file block.
    WriteBgzip(dir.File("b.fa.gz"), records);
    const std::string bgzip = ReadFile(dir.File("b.fa.gz"));
    dir.Write("half.fa.gz", bgzip.substr(0, bgzip.size() / 2));
    dir.Write("noeof.fa.gz", bgzip.substr(0, bgzip.size() - 28));
    std::string random(5000, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919 + 13) % 251);
    dir.Write("random.bin", random);
    dir.Write("noplus.fq", "@r1\nACGTACGTAA\n@r2\nACGTACGTAA\n+\nIIIIIIIIII\n");
    dir.Write("blocked.fa", ">r1\nACGTACGTAA\n");
    std::filesystem::create_directory(dir.File("blocked.fa.fai"));
    // Inputs where the results go, and a directory at a result.
    dir.Write("p_decomposition.tsv", kMonomers);
    dir.Write("q_decomposition.tsv", ">r\nACGTACGTAA\n");
    std::filesystem::create_directory(dir.File("e.ens"));
    dir.Write("e.ens/1.ens", ">r\nACGTACGTAA\n");
    dir.Write("i_monomers.fa", kMonomers);
    dir.Write("d.ens", "m0 + 1 4 ACGT\nm1 + 5 4 ACGA\n");
    std::filesystem::create_hard_link(dir.File("d.ens"), dir.File("d.ens_dotplot.tsv"));
    dir.Write("t_decomposition.tsv", "old");
    std::filesystem::create_directory(dir.File("t_decomposition.bed"));
    // Result names taken by a FIFO or a symbolic link (to a file or nowhere).
    ASSERT_EQ(::mkfifo(dir.File("f_decomposition.bed").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.File("m.fa.cons").c_str(), 0600), 0);
    std::filesystem::create_symlink("elsewhere", dir.File("d2.ens_dot_matrix.txt"));
    dir.Write("d2.ens", "m0 + 1 4 ACGT\nm1 + 5 4 ACGA\n");
    dir.Write("g_dot_matrix.txt", "\n0.0 10.0 \n0 0.0 ");
    std::filesystem::create_symlink("m.fa", dir.File("g_dot_matrix.txt_horStructure2.txt"));
    std::filesystem::create_symlink("elsewhere", dir.File("a_AS-StV.bed"));
    std::filesystem::create_symlink("elsewhere", dir.File("o.horgrid-lock"));
    dir.Write("same.fa", ">same\nACGTACGTAA\n>x\nACGT\n>same\nACGTACGTAA\n");

    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"decompose", "-o", "o", "trunc.fa.gz", "m.fa"}, "cannot read 'trunc.fa.gz': damaged or truncated"},
        {{"decompose", "-o", "o", "s.fa", "trunc.fa.gz"}, "cannot read 'trunc.fa.gz': damaged or truncated"},
        {{"infer", "-o", "o", "trunc.fa.gz"}, "cannot read 'trunc.fa.gz': damaged or truncated"},
        {{"infer", "-o", "o", "s.fa", "half.fa.gz"}, "cannot read 'half.fa.gz': truncated bgzip file"},
        {{"decompose", "-o", "o", "half.fa.gz", "m.fa"}, "cannot read 'half.fa.gz': truncated bgzip file"},
        {{"decompose", "-o", "o", "noeof.fa.gz", "m.fa"}, "cannot read 'noeof.fa.gz': truncated bgzip file"},
        {{"decompose", "-o", "o", "random.bin", "m.fa"}, "cannot read 'random.bin': not FASTA or FASTQ"},
        {{"decompose", "-o", "o", "noplus.fq", "m.fa"}, "FASTQ record 'r1' (line 1) has no '+' line"},
        {{"decompose", "-o", "o", "-r", "r1", "/dev/zero", "m.fa"},
         "cannot index '/dev/zero': not a regular file"},
        {{"decompose", "-o", "o", "-r", "r1", "random.bin", "m.fa"},
         "cannot index 'random.bin': not FASTA or FASTQ"},
        {{"decompose", "-o", "o", "-r", "r1", "blocked.fa", "m.fa"},
         "cannot write index 'blocked.fa.fai': Is a directory"},
        {{"decompose", "-o", "p", "s.fa", "p_decomposition.tsv"}, "it is the input 'p_decomposition.tsv'"},
        {{"decompose", "-o", "q", "q_decomposition.tsv", "m.fa"}, "it is the input 'q_decomposition.tsv'"},
        {{"decompose", "-o", "e", "e.ens/1.ens", "m.fa"},
         "cannot replace 'e.ens': it holds the input 'e.ens/1.ens'"},
        {{"infer", "-o", "i", "s.fa", "i_monomers.fa"}, "it is the input 'i_monomers.fa'"},
        {{"decompose", "-o", "t", "s.fa", "m.fa"}, "cannot replace 't_decomposition.bed': Is a directory"},
        {{"dotplot", "d.ens"}, "it is the input 'd.ens'"},
        {{"decompose", "-o", "f", "s.fa", "m.fa"},
         "cannot replace 'f_decomposition.bed': it is not a regular file"},
        {{"consensus", "m.fa"}, "cannot create 'm.fa.cons': it is not a regular file"},
        {{"horgrid", "-m", "d2.ens"}, "cannot create 'd2.ens_dot_matrix.txt': it is a symbolic link"},
        {{"group", "g_dot_matrix.txt"}, "'g_dot_matrix.txt_horStructure2.txt': it is a symbolic link"},
        {{"annotate", "-o", "a", "s.fa"}, "cannot replace 'a_AS-StV.bed': it is a symbolic link"},
        {{"decompose", "-o", "o", "s.fa", "m.fa"}, "cannot create 'o.horgrid-lock': it is a symbolic link"},
        {{"decompose", "-o", "x", "same.fa", "m.fa"}, "record 3 (line 5) is named 'same' like record 1"},
    };
    const std::map<std::string, std::string> before = Snapshot(dir);
    for (const auto& c : cases) {
        // A row that begins with "horgrid" runs horgrid, every other horgrid-tools.
        const bool horgrid = c.arguments.front() == "horgrid";
        std::vector<std::string> arguments = {"20", horgrid ? HORGRID_BIN : HORGRID_TOOLS_BIN};
        arguments.insert(arguments.end(), c.arguments.begin() + (horgrid ? 1 : 0), c.arguments.end());
        const RunResult run = RunProgram("/usr/bin/timeout", arguments, dir.path());
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err.substr(0, 500);
        EXPECT_LT(run.err.size(), 300u) << c.message;  // one line, no flood from htslib
        EXPECT_TRUE(Snapshot(dir) == before) << c.message;
    }
}

TEST(HostileInputCli, OutOfMemoryEndsTheRunCleanly) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves its shadow memory beyond any small ulimit -v";
#endif
    TempDir dir;
    dir.Write("m.fa", kMonomers);
    WriteBgzip(dir.File("bomb.fa.gz"), ">bomb\n" + std::string(60'000'000, 'A') + "\n", 1);
    const std::map<std::string, std::string> before = Snapshot(dir);
    const RunResult run = RunProgram(
        "/bin/sh", {"-c", std::string("ulimit -v 100000; exec ") + HORGRID_TOOLS_BIN + " decompose -t 1 bomb.fa.gz m.fa"},
        dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "horgrid-tools decompose: out of memory\n");
    EXPECT_TRUE(Snapshot(dir) == before);
}

TEST(HostileInputCli, StaleIndexIsRebuilt) {
    TempDir dir;
    dir.Write("m.fa", kMonomers);
    dir.Write("r.fa", ">r1\nACGTACGTAA\n");
    const std::vector<std::string> arguments = {"decompose", "-r", "r1", "r.fa", "m.fa"};
    EXPECT_EQ(RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path()).out, "1\tr1\t10\t1\t10\n");
    dir.Write("r.fa", ">r1\nACGTACGTAAACGTACGTAA\n");
    // The index predates the new file.
    const struct timespec past[2] = {{1, 0}, {1, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.File("r.fa.fai").c_str(), past, 0), 0);
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, arguments, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\tr1\t20\t2\t20\n");

    // A stream's name stands for another file in every run: no index beside it.
    for (const std::string stream : {"/dev/stdin", "/dev/fd/0", "/proc/self/fd/0"}) {
        const RunResult piped = RunProgram(
            "/bin/sh",
            {"-c", std::string(HORGRID_TOOLS_BIN) + " decompose -o p -r r1 " + stream + " m.fa < r.fa"},
            dir.path());
        EXPECT_EQ(piped.status, 2) << stream;
        EXPECT_EQ(piped.err,
                  "horgrid-tools decompose: cannot index '" + stream +
                      "': it names an open stream, not a file (a region needs the file's own name)\n");
        EXPECT_FALSE(FileExists(stream + ".fai")) << stream;
    }
}

TEST(HostileInputCli, ResultSetsLeaveNoStaleMemberAndGroupChecksBothResults) {
    TempDir dir;
    dir.Write("m.fa", kMonomers);
    dir.Write("three.fa", ">a\nACGTACGTAA\n>b\nACGTACGTAA\n>c\nACGTACGTAA\n");
    dir.Write("one.fa", ">a\nGGGCCCTTTA\n");
    for (const char* sequences : {"three.fa", "one.fa"}) {
        const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"decompose", "-o", "x", sequences, "m.fa"}, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
    }
    std::vector<std::string> ensembles;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("x.ens")))
        ensembles.push_back(entry.path().filename());
    EXPECT_EQ(ensembles, std::vector<std::string>{"1.ens"});
    EXPECT_EQ(ReadFile(dir.File("x.ens/1.ens")), "B + 0 10 GGGCCCTTTA\n");

    // group: the second result blocked by a directory, the first stays.
    dir.Write("e.ens", "m0 + 1 10 AAAAAAAAAA\nm1 + 11 10 CCCCCCCCCC\n");
    ASSERT_EQ(RunProgram(HORGRID_BIN, {"-m", "e.ens"}, dir.path()).status, 0);
    dir.Write("e.ens_dot_matrix.txt_horStructure.txt", "old");
    std::filesystem::create_directory(dir.File("e.ens_dot_matrix.txt_horStructure2.txt"));
    const RunResult run = RunProgram(HORGRID_TOOLS_BIN, {"group", "e.ens_dot_matrix.txt"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("e.ens_dot_matrix.txt_horStructure2.txt"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(dir.File("e.ens_dot_matrix.txt_horStructure.txt")), "old");
}

}  // namespace
}  // namespace horgrid::test
