#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace horgrid {

// A live segment of an inferred monomer, in HOR reading order.
struct ColumnSegment {
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::size_t type = 0;
    std::size_t before = kNone;  // the segment before it in its run, or kNone
    std::size_t after = kNone;   // ... and after it
    std::string piece;           // forward strand
};

// The inferred monomers revised by HOR column, or an empty list when nothing
// changes. A HOR of known unit fixes the column of every copy: a segment of a
// monomer the unit uses once stands in that monomer's column, one of a
// monomer outside the unit in the column its run's neighbours give it, and
// such a monomer belongs to the column most of its segments take.
//
// Layers: a monomer outside the unit that stands in a unit monomer's column is
// one position with it when the copies it stands in differ from the others
// in the neighbouring columns too (their neighbours separate as in
// SeparateColumns on both sides): the copies are a layer of the array, whose
// every monomer differs. The two then give one monomer, the consensus of both.
//
// Variants: inside a column, bases that a share of its members (at least
// `minCount` and a twentieth of up to 400 members aligned to the consensus)
// carry instead of the consensus base, and that travel together (four in five
// of the carriers of each carry the other), mark a variant of the position;
// its carriers become a monomer of their own when they and the rest separate
// (SeparateColumns) and their copies' neighbours do not (a variant that stands
// in some copies, such as a hybrid of two positions, and no layer).
std::vector<std::string> ReviseByColumn(const std::vector<ColumnSegment>& segments,
                                        const std::vector<std::string>& monomers,
                                        const std::vector<std::size_t>& unit, std::size_t minCount,
                                        std::size_t sample, unsigned threads);

}  // namespace horgrid
