#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/Parallel.h"

namespace horgrid::test {
namespace {

TEST(Parallel, InOrderConsumesEveryIndexInOrderAndPassesErrorsOn) {
    for (const unsigned threads : {1u, 2u, 7u}) {
        for (const std::size_t count : {0u, 1u, 37u, 1000u}) {
            std::vector<std::size_t> consumed;
            ParallelInOrder<std::string>(
                count, threads, 16,
                [](std::size_t index, unsigned, std::string& slot) { slot = std::to_string(index); },
                [&](std::size_t index, std::string& slot) {
                    EXPECT_EQ(slot, std::to_string(index));
                    consumed.push_back(index);
                });
            ASSERT_EQ(consumed.size(), count);
            for (std::size_t k = 0; k < count; ++k) EXPECT_EQ(consumed[k], k);
        }
        const auto failAt = [](std::size_t index) {
            if (index == 40) throw std::runtime_error("stop");
        };
        EXPECT_THROW(ParallelInOrder<int>(
                         100, threads, 16, [&](std::size_t index, unsigned, int&) { failAt(index); },
                         [](std::size_t, int&) {}),
                     std::runtime_error);
        EXPECT_THROW(ParallelInOrder<int>(
                         100, threads, 16, [](std::size_t, unsigned, int&) {},
                         [&](std::size_t index, int&) { failAt(index); }),
                     std::runtime_error);
    }
}

}  // namespace
}  // namespace horgrid::test
