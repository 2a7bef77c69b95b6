#pragma once

// The inner loops of LevenshteinBatch, one per instruction set (one body,
// BatchKernelBody.h, compiled for each). Internal to the
// sequence comparison; LevenshteinBatch.h is the interface.
//
// A group holds eight patterns side by side, one per 64-bit lane. The text is
// the same for all lanes, so the match masks of one text byte for all eight
// patterns are one contiguous row of the table: the Myers/Hyyrö column step
// runs on all lanes with plain vector loads, whatever the patterns' lengths
// (a lane shorter than the group's word count just has empty high words).

#include <cstddef>
#include <cstdint>

namespace horgrid::batch {

inline constexpr std::size_t kLanes = 8;

struct Group {
    // masks[(code * words + w) * kLanes + lane]: bit b set where the lane's
    // pattern holds the byte of that code at position 64 w + b. Code 0 (bytes
    // found in no pattern) is all zero.
    const std::uint64_t* masks = nullptr;
    // valid[w * kLanes + lane]: bit b set where the lane's pattern has a
    // position 64 w + b.
    const std::uint64_t* valid = nullptr;
    std::size_t words = 0;
};

// out[lane] = edit distance of the text (given as codes, `length` of them) and
// the lane's pattern. state: 64-byte aligned room for 2 * words * kLanes words,
// used only by groups of more than kRegisterWords words.
inline constexpr std::size_t kRegisterWords = 4;
using GroupKernel = void (*)(const Group& group, const std::uint16_t* text, std::size_t length,
                             std::uint64_t* state, std::uint32_t* out);

void GroupDistancesPortable(const Group& group, const std::uint16_t* text, std::size_t length,
                            std::uint64_t* state, std::uint32_t* out);
#if defined(__x86_64__)
void GroupDistancesAvx2(const Group& group, const std::uint16_t* text, std::size_t length,
                        std::uint64_t* state, std::uint32_t* out);
void GroupDistancesAvx512(const Group& group, const std::uint16_t* text, std::size_t length,
                          std::uint64_t* state, std::uint32_t* out);
void GroupDistancesAvx512Vbmi2(const Group& group, const std::uint16_t* text, std::size_t length,
                               std::uint64_t* state, std::uint32_t* out);
#endif

// Calls kernel.template operator()<kWords>() with kWords = words for groups of
// 1 ... kRegisterWords words (state in registers), else with kWords = 0.
template <typename Kernel>
void ForWordCount(std::size_t words, Kernel&& kernel) {
    switch (words) {
        case 1:
            return kernel.template operator()<1>();
        case 2:
            return kernel.template operator()<2>();
        case 3:
            return kernel.template operator()<3>();
        case 4:
            return kernel.template operator()<4>();
        default:
            return kernel.template operator()<0>();
    }
}
static_assert(kRegisterWords == 4, "ForWordCount covers word counts 1 ... 4");

}  // namespace horgrid::batch
