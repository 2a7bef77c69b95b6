#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace horgrid {

// One decomposed monomer as the HOR search sees it: where it lies and which
// type it was given.
struct TypedMonomer {
    std::size_t record = 0;  // 0-based record number
    std::int64_t start = 0;  // 0-based first base
    std::int64_t end = 0;    // 0-based last base, inclusive
    std::size_t type = 0;
    bool reverse = false;
};

enum class CopyKind { Full, Partial, Variant };

// One tandem copy of the HOR unit. `types` are in HOR order (a copy on the
// reverse strand is read backwards, so both strands fold onto one unit).
struct HorCopy {
    std::size_t record = 0;
    std::int64_t start = 0;  // 0-based first base of the first monomer
    std::int64_t end = 0;    // 0-based last base of the last monomer, inclusive
    bool reverse = false;
    std::vector<std::size_t> types;
    std::vector<std::size_t> lacks;  // unit types (in unit order) the copy does not have
    std::vector<std::size_t> adds;   // types of the copy that are not in the unit
    CopyKind kind = CopyKind::Full;
};

struct HorSearch {
    std::size_t maxUnit = 50;  // longest unit tried, in monomers
    std::int64_t maxGap = 50;  // bases between two monomers of one run
    std::size_t minUnitMonomers =
        2;  // a copy with fewer unit monomers (or fewer than the unit has) is dropped
    // When the unit holds this type, it is turned to start with it (instead
    // of where the first run first shows it), e.g. at the standard monomer 1.
    std::optional<std::size_t> startType;
    // The unit is the longest HOR variant that the best-covering one derives
    // from by losing one stretch of positions (FindHor), when that variant's
    // full copies cover at least a quarter as much.
    bool canonical = false;
    // A stretch of copies at an end of a run that is a variant HOR's own
    // array (VariantArrays) is left out of the copies.
    bool variantArrays = false;
    // Only types below this one make the unit; the others (monomers that
    // typed templates left) stand in the runs as monomers outside it.
    std::size_t unitTypes = static_cast<std::size_t>(-1);
    // The sharing window is kept even when it reads as copies of the unit (a
    // whole one and one that lacks positions) when the runs hold fewer than
    // this many windows' worth of monomers: among a few HOR copies, one
    // variant copy makes the variant's positions a unit that the whole
    // copies read as copies of.
    std::size_t fewSharingCopies = 0;
};

// An array of a HOR variant beside the live one: copies at one end of a run,
// none of them whole, that all lack `lacks`, most of them the `layout`.
struct VariantArray {
    std::vector<std::size_t> layout;  // its most frequent copy's types, in HOR order
    std::vector<std::size_t> lacks;   // unit types every copy of the variant lacks
    std::vector<std::size_t> adds;    // types of the layout that are not in the unit
    std::vector<HorCopy> copies;
};

// An array holds at least this many monomers: a shorter stretch of a HOR
// variant beside (or inside) its live array is part of that array.
constexpr std::size_t kMinArrayMonomers = 20;

struct HorResult {
    std::vector<std::size_t> unit;  // empty when no type sequence repeats
    std::vector<HorCopy> copies;
    // The best-covering window that holds every frequent type and one type
    // more than once, when it is not the unit nor copies of it (a whole one
    // and variants): two HOR positions that still share a type make the unit
    // shorter than the HOR, and this window is where the shared type's
    // columns can be told apart.
    std::vector<std::size_t> sharingUnit;
    // The copies of variant HORs' own arrays (HorSearch::variantArrays), not in `copies`.
    std::vector<VariantArray> variantArrays;
};

// The HOR of a monomer-type string. Monomers are cut into runs (same record,
// same strand, at most maxGap bases apart); runs on the reverse strand are
// read backwards. Tandem agreements of a period count the monomers whose type
// equals the type one period later, over every run; each period with at least
// an eighth of the best count proposes its most frequent type window, its
// most frequent window of distinct types and its most frequent window holding
// every frequent type, and the unit is the window whose full copies cover the
// most monomers (the shorter on ties; it needs two full copies, one beside
// another copy in its run, and two full copies side by side somewhere; a unit
// that uses a type twice is the unit of distinct types whose whole and
// variant copies it holds, else it must cover a tenth more than the best one
// of distinct types), turned to start where the first run first shows it (or
// at startType). Each run is then read as copies: a monomer continues the
// current copy when its type comes later in the unit than the copy's last
// one, else it starts a new copy; types outside the unit are added to the
// current copy, but after a copy that holds every position they lead the
// next one when it lacks its first positions. Copies with fewer than
// minUnitMonomers unit monomers are not HOR copies. With variantArrays, a
// variant HOR's own array at an end of a run leaves the copies: the copies
// from that end up to the first whole one whose most frequent layout (two
// neighbours of it at least) lacks some unit types, up to the last copy that
// lacks them too, when they hold at least kMinArrayMonomers monomers and more
// copies that lack those types than the copies outside such end stretches do
// (a variant whose copies stand among whole ones throughout the array is part
// of it, however long a run of them ends the array). Such stretches that
// follow each other across gaps are one array, and so are the first copies of
// a run after one of them that lack those types.
HorResult FindHor(std::vector<TypedMonomer> monomers, const HorSearch& search = {});

}  // namespace horgrid
