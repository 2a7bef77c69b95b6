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

}  // namespace
}  // namespace horgrid::test
