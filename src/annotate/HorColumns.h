#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace horgrid {

// The columns of a HOR array (pure). `distance` holds, member-major, the
// distance of every member to each of `width` candidate monomers; `previous`
// the member before each in HOR order (kNone at the start of a run). The
// period is the shortest one whose nearest-candidate names agree one period
// apart nearly as often as at the best period; then every run is read as a
// path through the period's columns (Viterbi): a member costs its distance to
// its column's candidate (the one nearest to the column's members as a
// whole), a step to the next column is free and any other step costs
// `breakCost`, and columns and candidates are refined three times. A copy's
// column is thus fixed by its place in the HOR, however close two columns'
// monomers are and however noisy each copy is. A stretch of members may also
// stand outside the period, each for a candidate no column has, at a break
// into it and one back: the whole HOR's copies among a shorter variant's hold
// positions the variant lacks. Returns the column of every member (period + k
// for one outside it standing for candidate k), or an empty vector when the
// names show no period (fewer than two copies' worth of agreements).
std::vector<std::size_t> HorColumns(const std::vector<std::uint32_t>& distance, std::size_t width,
                                    const std::vector<std::size_t>& previous, double breakCost,
                                    std::size_t maxPeriod = 50);

}  // namespace horgrid
