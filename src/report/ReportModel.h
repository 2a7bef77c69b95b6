#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// The annotation of one assembly as the report sees it: the arrays table and
// the BED tracks of `annotate`, as values. Positions are 0-based, ends
// exclusive, as in BED.

struct Rgb {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    bool operator==(const Rgb&) const = default;
};

// "R,G,B", each a decimal number without leading zeros.
std::string ColourText(const Rgb& colour);

// One line of a BED9 track: a monomer (AS-HOR, AS-SF, AS-strand) or a HOR
// copy (AS-StV, its name in the StV notation).
struct TrackItem {
    std::string record;
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::string name;
    char strand = '.';
    Rgb colour;
    long score = 0;  // the BED score as annotate writes it (0 when read back from a file)
};

// One line of the arrays table: its place and every column as written.
struct ArrayRow {
    std::string record;
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::vector<std::string> fields;
    std::size_t line = 0;  // in the arrays table it was read from (0: not read from one)
};

struct AnnotationTracks {
    std::vector<std::string> arrayColumns;  // the table's header
    std::vector<ArrayRow> arrays;
    std::vector<TrackItem> monomers;  // AS-HOR
    std::vector<TrackItem> families;  // AS-SF
    std::vector<TrackItem> strands;   // AS-strand
    std::vector<TrackItem> copies;    // AS-StV
    std::vector<TrackItem> cenSat;    // the cenSat track of every record
};

// Everything of one array: the items of each track that overlap it, in
// track order.
struct ArrayContent {
    ArrayRow row;
    std::vector<TrackItem> monomers;
    std::vector<TrackItem> families;
    std::vector<TrackItem> strands;
    std::vector<TrackItem> copies;
};

// The items of every track that overlap each array (same record, at least
// one base in common), one ArrayContent per array in table order. An item
// that overlaps two arrays goes to both. Cost: sorting each track once, then
// a binary search per array.
std::vector<ArrayContent> SplitByArray(const AnnotationTracks& annotation);

// The HOR structure of an array as a picture grid: one row per HOR copy (1
// for the first copy along the array), one column per unit monomer (the
// number after the last '.' of a standard monomer name: S2C13/21H1L.4 is
// column 4), one cell per monomer of a copy, in the colour of its copy (its
// StV), so copies of one structural variant look alike.
struct HorCell {
    int column = 0;
    int row = 0;
    Rgb colour;
};
struct HorLayout {
    int columns = 0;
    int rows = 0;
    std::vector<HorCell> cells;
};

// The unit position in a monomer name ("S1C1/5/19H1L.12" -> 12; a hybrid
// "S2C8H1L.4/7" takes its first number, 4), 0 when the name does not end in
// '.' and a whole number (or two joined by '/').
int UnitPosition(std::string_view name);

// Lays out the copies: a monomer belongs to the copy that holds its middle
// base. Monomers without a unit position are left out; a copy without any
// monomer keeps its (empty) row.
HorLayout LayOutHorCopies(const std::vector<TrackItem>& copies, const std::vector<TrackItem>& monomers);

// A track drawn along an array of `length` bases: blocks with their first
// and last base (relative to the array's start) and colour.
struct TrackBlock {
    std::int64_t from = 0;
    std::int64_t to = 0;  // exclusive
    Rgb colour;
    std::string label;
};

// The blocks that draw `items` (sorted by start) along [start, end): each
// item as it is when there are at most `maxBlocks`; else the array is cut
// into `maxBlocks` equal bins, each taking the item that holds the bin's
// middle base (none: left empty), and neighbouring bins of one colour
// merge (their label is kept when all share it, else empty). So a page never
// holds more than maxBlocks shapes per track, and a one-colour stretch is
// one shape.
std::vector<TrackBlock> ReduceTrack(const std::vector<TrackItem>& items, std::int64_t start, std::int64_t end,
                                    std::size_t maxBlocks);

// What the identity heat map of an array compares: its HOR copies when it has
// any, those within 10 % of the median copy length (copy against copy shows
// the layers of an array at any size; partial copies would only show their
// length), else its monomers (AS-SF, which holds every alpha-satellite
// monomer, or AS-HOR when AS-SF has none). More than `maxUnits` (0: no
// limit) are thinned to maxUnits spread evenly along the array (unit
// floor(i * n / maxUnits) for i = 0 ... maxUnits - 1), which bounds the
// pairs to compare. `label` names them; `numbers` holds each unit's number
// along the array (1-based among all its copies, or all its monomers), the
// numbering every picture and table of the array uses.
struct HeatMapUnits {
    std::vector<TrackItem> items;
    std::vector<int> numbers;
    const char* label = "monomer";
};
HeatMapUnits ChooseHeatMapUnits(const ArrayContent& array, std::size_t maxUnits = 0);

// The bottom of a heat map's colour scale: the 5th percentile of the pixel
// values, rounded down to a whole percent, from 0 to 99 (so a few partial
// copies or outliers do not flatten the rest of the picture).
double ColourFloor(const std::vector<double>& pixels);

// HOR copies grouped by StV name: the name, the colour of its first copy and
// the number of copies, most frequent first (ties by name).
struct VariantCount {
    std::string name;
    Rgb colour;
    std::size_t copies = 0;
};
std::vector<VariantCount> CountVariants(const std::vector<TrackItem>& copies);

// One key of a track's legend: what a colour stands for.
struct LegendEntry {
    std::string label;
    Rgb colour;
};

// The legend of a track: one entry per colour of `items`, the most used
// colour first (ties: first seen). The entry is labelled with labelOf() of
// its items when they agree; else with the HOR they share (the text before
// their names' last '.'), else with up to 4 of their labels, most used first,
// and how many more there are.
std::vector<LegendEntry> TrackLegend(const std::vector<TrackItem>& items,
                                     const std::function<std::string(const TrackItem&)>& labelOf);
std::vector<LegendEntry> TrackLegend(const std::vector<TrackItem>& items);  // labelled by name

// The strand track's legend: forward (+) and reverse (-) in their colours.
std::vector<LegendEntry> StrandLegend(const std::vector<TrackItem>& strands);

// The legend of HOR copies: every variant with a colour of its own, most
// copies first; the variants that share a colour (the grey of the rest) as
// one entry "N other variants".
std::vector<LegendEntry> VariantLegend(const std::vector<TrackItem>& copies);

}  // namespace horgrid
