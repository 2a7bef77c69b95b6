#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ReferenceLevenshtein.h"
#include "SequenceGenerator.h"
#include "TestSupport.h"
#include "ensemble/alphaEnsemble.h"

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

// The dot-matrix file as the plain algorithm writes it, one pair at a time.
std::string PlainDotMatrix(const alphaEnsemble& ensemble, int rowBegin, int rowEnd, int columnBegin,
                           int columnEnd) {
    const int size = static_cast<int>(ensemble.monomers.size());
    rowBegin = std::clamp(rowBegin, 0, size);
    rowEnd = std::clamp(rowEnd, 0, size);
    columnBegin = std::clamp(columnBegin, 0, size);
    columnEnd = std::clamp(columnEnd, 0, size);
    std::string file;
    for (int i = rowBegin; i < rowEnd; ++i) {
        file += '\n';
        const std::string& row = ensemble.monomers[static_cast<std::size_t>(i)].sequence;
        for (int j = columnBegin; j < columnEnd; ++j) {
            if (j < i) {
                file += "0 ";
            } else {
                const std::string& column = ensemble.monomers[static_cast<std::size_t>(j)].sequence;
                file += PlainCell(PlainLevenshtein(row, column), std::strlen(row.c_str()));
            }
        }
    }
    return file;
}

// An ensemble built in memory: any bytes, empty sequences and embedded NULs.
alphaEnsemble MakeEnsemble(const TempDir& dir, const std::vector<std::string>& sequences) {
    alphaEnsemble ensemble(dir.Write("set.ens", ""));
    for (const std::string& sequence : sequences) {
        alpha record;
        record.sequence = sequence;
        ensemble.monomers.push_back(record);
    }
    ensemble.monomerCount = static_cast<int>(sequences.size());
    return ensemble;
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

TEST(DotMatrix, SameBytesAsThePlainAlgorithmOnRandomEnsembles) {
    std::mt19937_64 random(31);
    for (const std::size_t size : {0, 1, 2, 9, 41}) {
        TempDir dir;
        alphaEnsemble ensemble = MakeEnsemble(dir, RandomEnsemble(random, size));
        const int n = static_cast<int>(size);
        ::testing::internal::CaptureStdout();
        ensemble.FindDotMatrix(0, n, 0, n);
        const std::string progress = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(ReadFile(dir.File("set.ens_dot_matrix.txt")), PlainDotMatrix(ensemble, 0, n, 0, n)) << size;
        std::string expected;
        for (int i = 0; i < n; ++i) {
            expected += '\n';
            expected += std::to_string(i);
            expected += '/';
            expected += std::to_string(n);
        }
        EXPECT_EQ(progress, expected);
    }
}

TEST(DotMatrix, SubRangesAndClampedRanges) {
    std::mt19937_64 random(32);
    TempDir dir;
    alphaEnsemble ensemble = MakeEnsemble(dir, RandomEnsemble(random, 30));
    const std::vector<std::vector<int>> ranges = {{0, 30, 0, 30},  {5, 20, 0, 30}, {10, 30, 3, 17},
                                                  {0, 10, 20, 30}, {25, 30, 0, 9}, {-4, 50, 7, 100},
                                                  {3, 3, 0, 30},   {0, 30, 12, 5}, {20, 10, 0, 30}};
    for (const std::vector<int>& r : ranges) {
        ::testing::internal::CaptureStdout();
        ensemble.FindDotMatrix(r[0], r[1], r[2], r[3]);
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(ReadFile(dir.File("set.ens_dot_matrix.txt")),
                  PlainDotMatrix(ensemble, r[0], r[1], r[2], r[3]))
            << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    }
}

}  // namespace
}  // namespace horgrid::test
