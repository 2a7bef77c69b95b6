#include <algorithm>
#include <bit>

#include "sequence/BatchKernels.h"

namespace horgrid::batch {

// Plain 64-bit arithmetic, lane by lane; the compiler may still vectorise the
// lane loops with whatever the baseline instruction set offers.
void GroupDistancesPortable(const Group& group, const std::uint16_t* text, std::size_t length,
                            std::uint64_t* state, std::uint32_t* out) {
    const std::size_t words = group.words;
    std::uint64_t local[2 * kRegisterWords * kLanes];
    std::uint64_t* vp = words <= kRegisterWords ? local : state;
    std::uint64_t* vn = vp + words * kLanes;
    std::fill(vp, vp + words * kLanes, ~std::uint64_t{0});
    std::fill(vn, vn + words * kLanes, std::uint64_t{0});

    for (std::size_t j = 0; j < length; ++j) {
        const std::uint64_t* eq = group.masks + text[j] * words * kLanes;
        std::uint64_t hp[kLanes];
        std::uint64_t hn[kLanes];
        std::fill(hp, hp + kLanes, std::uint64_t{1});  // the first row grows by one per column
        std::fill(hn, hn + kLanes, std::uint64_t{0});
        for (std::size_t w = 0; w < words; ++w) {
            std::uint64_t* pvWord = vp + w * kLanes;
            std::uint64_t* mvWord = vn + w * kLanes;
            const std::uint64_t* eqWord = eq + w * kLanes;
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                const std::uint64_t match = eqWord[lane];
                const std::uint64_t pv = pvWord[lane];
                const std::uint64_t mv = mvWord[lane];
                const std::uint64_t xv = match | mv;
                const std::uint64_t xm = match | hn[lane];
                const std::uint64_t xh = (((xm & pv) + pv) ^ pv) | xm;
                std::uint64_t ph = mv | ~(xh | pv);
                std::uint64_t mh = pv & xh;
                const std::uint64_t hpOut = ph >> 63;
                const std::uint64_t hnOut = mh >> 63;
                ph = (ph << 1) | hp[lane];
                mh = (mh << 1) | hn[lane];
                pvWord[lane] = mh | ~(xv | ph);
                mvWord[lane] = ph & xv;
                hp[lane] = hpOut;
                hn[lane] = hnOut;
            }
        }
    }

    // D[m][n] = D[0][n] + the vertical deltas of the last column down to row m.
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        std::int64_t score = static_cast<std::int64_t>(length);
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint64_t valid = group.valid[w * kLanes + lane];
            score += std::popcount(vp[w * kLanes + lane] & valid);
            score -= std::popcount(vn[w * kLanes + lane] & valid);
        }
        out[lane] = static_cast<std::uint32_t>(score);
    }
}

}  // namespace horgrid::batch
