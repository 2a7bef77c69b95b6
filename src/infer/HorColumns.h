#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
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

// The bases of `piece` aligned to each base of `consensus` (unit-cost global
// alignment; '-' where the piece lacks it).
std::string AlignedBases(std::string_view piece, std::string_view consensus);

// Whether the copies of a monomer at the junction of a HOR variant hold the
// part of the position across the junction (`donor`) on the side the junction
// lies (`fromLeft`: the left part, else the right), as a hybrid of that
// position and its own does. Every piece is aligned to `own`, the consensus of
// the other copies of its position (`rest`; AlignedBases), the donor and the
// other positions (`family`) too. A site where donor and own differ is carried
// when most of the monomer's copies (`variant`) have the donor's base there.
// Left out are sites where a fifth of the rest have it too (the position's
// own copies vary there, CHM13 chr10's 2), sites where own's base is no other
// position's (a change of own's line of descent, whose copies have drifted
// from the variant's: the variant keeps the old base, which the donor may
// share), sites where the donor's base is no other position's and the
// variant lacks it (a change of the donor's line since they parted), and the
// first and last 10 bases (segments of one position start and end a few
// bases apart). Ordered from the junction's end, the carried sites must
// gather there: for some cut, the chance that as many of them or more lie
// before it if they lay anywhere among the sites (hypergeometric) is at most
// 0.02. Carried then; untold when donor and own differ nowhere in the half on
// the junction's side, or when the carried sites are the ones nearest the
// junction's end but the sites are too few (seven or fewer) for any of their
// orders to pass the test (no base can tell: the place decides; S2C18H1L's 3
// and 7 differ at one base, which 3/7 carries); absent otherwise. A HOR
// variant of its own line of descent differs from the HOR at every monomer, the one beside its junction too, at sites spread over the
// monomer; a hybrid whose crossover lies close to its end keeps only one or
// two bases of the donor, next to the junction, which all its copies carry.
enum class DonorPart { kAbsent, kCarried, kUntold };
DonorPart CarriesDonor(const std::vector<std::string>& variant, const std::vector<std::string>& rest,
                       std::string_view own, std::string_view donor, const std::vector<std::string>& family,
                       bool fromLeft);

// The inferred monomers revised by HOR column, or an empty list when nothing
// changes. A HOR of known unit fixes the column of every copy: a segment of a
// monomer the unit uses once stands in that monomer's column, one of a
// monomer outside the unit in the column its run's neighbours give it (none
// when its run holds more monomers between two placed ones than the unit has
// columns there: a copy of a longer HOR, whose positions are not the unit's),
// and such a monomer belongs to the column most of its segments take.
//
// Layers: a monomer outside the unit that stands in a unit monomer's column is
// one position with it when the copies it stands in differ from the others
// in the neighbouring columns too (their neighbours separate as in
// SeparateColumns on both sides): the copies are a layer of the array, whose
// every monomer differs. The two then give one monomer, the consensus of both.
//
// One position per column: a monomer outside the unit that stands in a unit
// monomer's column (at a junction, the column its neighbour after it gives
// when it lies nearer that one than the column its neighbour before it
// gives), within `mergeLimit` of it and nearer it than any other
// column lies, is that position too however its copies separate, unless it
// mixes two columns: in place, a mosaic of the column and one other (as
// below); at the junction of a HOR variant (as below), a hybrid of the column
// and the column across (CarriesDonor not absent). It joins as a layer does.
//
// Variants: inside a column, bases that a share of its members (at least
// `minCount` and a twentieth of up to 400 members aligned to the consensus)
// carry instead of the consensus base, and that travel together (four in five
// of the carriers of each carry the other), mark a variant of the position;
// its carriers become a monomer of their own when they are a mosaic of the
// column and one other (four in five of the bases that mark it, and at least
// three, are the other column's on one side of some cut) and they
// and the rest separate (SeparateColumns), or when they hold a fifth as many
// copies as the rest and stand at the junction of a HOR variant (four in five
// of them with one neighbour in place and the other another column's, four in
// five of the rest in place): one base tells such a junction monomer (3/7 of
// S2C18H1L) from its position, and its copies' places tell it from a layer,
// so long as it is a hybrid of its column and the column across the junction
// (CarriesDonor not absent): the position beside the junction of a HOR
// variant of its own lineage (13 in S3C17H1L's 1..13 16) stays whole.
// A monomer that stands at a junction never joins the column as a layer.
// (`mergeLimit`: monomers closer than this merge unless their copies separate.)
std::vector<std::string> ReviseByColumn(const std::vector<ColumnSegment>& segments,
                                        const std::vector<std::string>& monomers,
                                        const std::vector<std::size_t>& unit, std::size_t minCount,
                                        std::size_t sample, unsigned threads, float mergeLimit);

}  // namespace horgrid
