#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "TestSupport.h"
#include "ensemble/DotMatrix.h"

namespace horgrid::test {
namespace {

using reference::Mutate;
using reference::PlainLevenshtein;
using reference::RandomSequence;

// "%3.1f " of distance * 100 / length in single precision, evaluated at run
// time as the plain loop does (so 0 / 0 gives the processor's default NaN).
std::string PlainCell(std::uint32_t distance, std::size_t length) {
    const float value = static_cast<float>(static_cast<int>(distance)) * 100.0f / static_cast<float>(length);
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f ", static_cast<double>(value));
    return text;
}

std::vector<std::string> RandomEnsemble(std::mt19937_64& random, std::size_t size) {
    const std::string type1 = RandomSequence(random, 171);
    const std::string type2 = RandomSequence(random, 168);
    std::vector<std::string> sequences;
    for (std::size_t k = 0; k < size; ++k) {
        switch (random() % 8) {
            case 0:
                sequences.emplace_back();  // empty: inf and nan cells
                break;
            case 1:
                sequences.push_back(RandomSequence(random, random() % 260, ""));
                break;
            case 2:
                sequences.push_back(std::string("AC\0GT", 5) +
                                    RandomSequence(random, 60));  // length stops at NUL
                break;
            default:
                sequences.push_back(
                    Mutate(random, k % 2 ? type1 : type2, 0.01 * static_cast<double>(random() % 40)));
        }
    }
    return sequences;
}

// The rows the core hands out, each as "<index>:<zero cells>:<divisor>:" and
// its distances, against the plain loop over every cell.
TEST(DotMatrixRows, EveryCellOnAndRightOfTheDiagonalIsThePlainDistance) {
    std::mt19937_64 random(32);
    const std::vector<std::string> sequences = RandomEnsemble(random, 30);
    const std::vector<std::string_view> views(sequences.begin(), sequences.end());
    const int n = 30;
    const std::vector<std::vector<int>> ranges = {{0, 30, 0, 30},  {5, 20, 0, 30}, {10, 30, 3, 17},
                                                  {0, 10, 20, 30}, {25, 30, 0, 9}, {-4, 50, 7, 100},
                                                  {3, 3, 0, 30},   {0, 30, 12, 5}, {20, 10, 0, 30}};
    for (const std::vector<int>& r : ranges) {
        std::string got;
        ForEachDotMatrixRow(views, r[0], r[1], r[2], r[3], [&](const DotMatrixRow& row) {
            got += std::to_string(row.index) + ":" + std::to_string(row.zeroCells) + ":" +
                   std::to_string(row.divisor) + ":";
            for (const std::uint32_t d : row.distances) got.append(" ").append(std::to_string(d));
            got += "\n";
        });
        std::string expected;
        const int columnBegin = std::clamp(r[2], 0, n);
        const int columnEnd = std::clamp(r[3], 0, n);
        for (int i = std::clamp(r[0], 0, n); i < std::clamp(r[1], 0, n); ++i) {
            const std::string& row = sequences[static_cast<std::size_t>(i)];
            std::string cells;
            int zeros = 0;
            for (int j = columnBegin; j < columnEnd; ++j) {
                if (j < i) {
                    ++zeros;
                } else {
                    cells.append(" ").append(
                        std::to_string(PlainLevenshtein(row, sequences[static_cast<std::size_t>(j)])));
                }
            }
            expected += std::to_string(i) + ":" + std::to_string(zeros) + ":" +
                        std::to_string(std::strlen(row.c_str())) + ":" + cells + "\n";
        }
        ASSERT_EQ(got, expected) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    }
}

// -m writes each cell as "%3.1f " of the single-precision percentage, "0 "
// left of the diagonal, and a progress line per row.
TEST(DotMatrix, CommandLineWritesThePlainCells) {
    std::mt19937_64 random(31);
    std::vector<std::string> sequences = RandomEnsemble(random, 41);
    // Any byte but the whitespace that ends a field of the line.
    for (std::string& sequence : sequences)
        std::replace_if(
            sequence.begin(), sequence.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); },
            '~');
    TempDir dir;
    std::string text;
    for (const std::string& sequence : sequences) text += "m + 1 1 " + sequence + "\n";
    dir.Write("set.ens", text);
    const RunResult run = RunProgram(HORGRID_BIN, {"-m", "set.ens"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;

    std::string file;
    std::string progress;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        file += '\n';
        progress.append("\n").append(std::to_string(i)).append("/41");
        for (std::size_t j = 0; j < sequences.size(); ++j) {
            const std::size_t length = std::strlen(sequences[i].c_str());
            file += j < i ? "0 " : PlainCell(PlainLevenshtein(sequences[i], sequences[j]), length);
        }
    }
    EXPECT_EQ(ReadFile(dir.File("set.ens_dot_matrix.txt")), file);
    EXPECT_EQ(MaskElapsed(run.out), progress + "\n\nelapsed time: Ts\n");
}

}  // namespace
}  // namespace horgrid::test
