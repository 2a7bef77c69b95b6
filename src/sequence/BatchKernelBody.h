// The group kernel of LevenshteinBatch, one body for every instruction set:
// each BatchKernel*.cpp compiles it once for its own target. Before including,
// define HORGRID_KERNEL_TARGET (the function attribute, empty for none) and
// HORGRID_KERNEL_NAME (the entry point), and in horgrid::batch a type Lanes
// with the vector operations on a group's eight 64-bit lanes:
//
//     using Vector = ...;                       // eight lanes
//     static Vector Load(const std::uint64_t* eight);
//     static void Store(std::uint64_t* eight, Vector v);
//     static Vector Fill(std::uint64_t word);   // in every lane
//     static Vector And(Vector a, Vector b);
//     struct Carry;                              // the horizontal delta down a column
//     static Carry Start();                      // the first row grows by one per column
//     static void Step(Vector match, Vector& vp, Vector& vn, Carry& carry);
//
// No include guard: it is meant to be compiled once per target.

#include <bit>

#include "sequence/BatchKernels.h"

namespace horgrid::batch {

namespace {

// kWords > 0: a group of exactly that many words, state in registers;
// kWords == 0: any word count, state in the caller's buffer.
template <std::size_t kWords>
HORGRID_KERNEL_TARGET void Run(const Group& group, const std::uint16_t* text, std::size_t length,
                               std::uint64_t* state, std::uint32_t* out) {
    using Vector = Lanes::Vector;
    static_assert(sizeof(Vector) == kLanes * sizeof(std::uint64_t));
    const std::size_t words = kWords != 0 ? kWords : group.words;
    Vector localP[kWords != 0 ? kWords : 1];
    Vector localN[kWords != 0 ? kWords : 1];
    Vector* vp = kWords != 0 ? localP : reinterpret_cast<Vector*>(state);
    Vector* vn = kWords != 0 ? localN : reinterpret_cast<Vector*>(state) + words;
    for (std::size_t w = 0; w < words; ++w) {
        vp[w] = Lanes::Fill(~std::uint64_t{0});
        vn[w] = Lanes::Fill(0);
    }
    const std::size_t stride = words * kLanes;
    for (std::size_t j = 0; j < length; ++j) {
        const std::uint64_t* eq = group.masks + text[j] * stride;
        typename Lanes::Carry carry = Lanes::Start();
        for (std::size_t w = 0; w < words; ++w)
            Lanes::Step(Lanes::Load(eq + w * kLanes), vp[w], vn[w], carry);
    }
    // D[m][n] = D[0][n] + the vertical deltas of the last column down to row m.
    std::int64_t score[kLanes];
    for (std::size_t lane = 0; lane < kLanes; ++lane) score[lane] = static_cast<std::int64_t>(length);
    for (std::size_t w = 0; w < words; ++w) {
        const Vector valid = Lanes::Load(group.valid + w * kLanes);
        alignas(64) std::uint64_t plus[kLanes];
        alignas(64) std::uint64_t minus[kLanes];
        Lanes::Store(plus, Lanes::And(vp[w], valid));
        Lanes::Store(minus, Lanes::And(vn[w], valid));
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            score[lane] += std::popcount(plus[lane]) - std::popcount(minus[lane]);
        }
    }
    for (std::size_t lane = 0; lane < kLanes; ++lane) out[lane] = static_cast<std::uint32_t>(score[lane]);
}

}  // namespace

HORGRID_KERNEL_TARGET void HORGRID_KERNEL_NAME(const Group& group, const std::uint16_t* text,
                                               std::size_t length, std::uint64_t* state, std::uint32_t* out) {
    ForWordCount(group.words, [&]<std::size_t kWords>() { Run<kWords>(group, text, length, state, out); });
}

}  // namespace horgrid::batch
