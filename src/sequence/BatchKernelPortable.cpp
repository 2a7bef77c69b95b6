#include <algorithm>

#include "sequence/BatchKernels.h"
#include "sequence/MyersCore.h"

namespace horgrid::batch {

namespace {

// Plain 64-bit arithmetic, the engine's scalar step lane by lane; the compiler
// may still vectorise the lane loops with whatever the baseline offers.
struct Lanes {
    struct Vector {
        std::uint64_t lane[kLanes];
    };
    struct Carry {
        std::uint64_t hp[kLanes];
        std::uint64_t hn[kLanes];
    };

    static Vector Load(const std::uint64_t* eight) {
        Vector v;
        std::copy(eight, eight + kLanes, v.lane);
        return v;
    }
    static void Store(std::uint64_t* eight, const Vector& v) { std::copy(v.lane, v.lane + kLanes, eight); }
    static Vector Fill(std::uint64_t word) {
        Vector v;
        std::fill(v.lane, v.lane + kLanes, word);
        return v;
    }
    static Vector And(const Vector& a, const Vector& b) {
        Vector v;
        for (std::size_t l = 0; l < kLanes; ++l) v.lane[l] = a.lane[l] & b.lane[l];
        return v;
    }
    static Carry Start() {
        Carry carry;
        std::fill(carry.hp, carry.hp + kLanes, std::uint64_t{1});
        std::fill(carry.hn, carry.hn + kLanes, std::uint64_t{0});
        return carry;
    }
    static void Step(const Vector& match, Vector& vp, Vector& vn, Carry& carry) {
        for (std::size_t l = 0; l < kLanes; ++l) {
            myers::Step(match.lane[l], vp.lane[l], vn.lane[l], carry.hp[l], carry.hn[l]);
        }
    }
};

}  // namespace

}  // namespace horgrid::batch

#define HORGRID_KERNEL_TARGET
#define HORGRID_KERNEL_NAME GroupDistancesPortable
#include "sequence/BatchKernelBody.h"
