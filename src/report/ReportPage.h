#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/ReportModel.h"

namespace horgrid {

// A PNG picture as bytes, or why there is none: nothing to draw (`empty`,
// e.g. an array without HOR copies), or drawing failed.
struct Picture {
    std::string png;
    std::string failure;
    bool empty = false;
};

// The pictures of one array.
struct ArrayPictures {
    Picture hor;      // HOR structure: copies x unit monomers
    Picture heatMap;  // identity of every monomer pair
};

// What the page shows besides the arrays.
struct ReportHeading {
    std::string title;                      // e.g. the prefix's base name
    std::vector<std::string> arrayColumns;  // the arrays table's header
    std::size_t maxTrackBlocks = 1000;      // shapes per track and array (ReduceTrack)
    std::vector<TrackItem> cenSat;          // the cenSat track of every record (sorted by record, start)
};

// One self-contained HTML page: the arrays table (each row linking to its
// array), the cenSat track of each record with a legend of its classes
// (the label up to '('), then per array its tracks (the cenSat items over it,
// AS-HOR, AS-StV, AS-SF, AS-strand), each
// drawn as SVG rectangles in the track's colours with its legend, its HOR
// structure and identity heat map as PNG data URIs (or the reason a picture
// is missing), the StV variants with their copy counts and the list of
// copies, numbered along the array as in both pictures. It loads nothing from
// elsewhere. `pictures` holds one entry per array.
std::string RenderReport(const ReportHeading& heading, const std::vector<ArrayContent>& arrays,
                         const std::vector<ArrayPictures>& pictures);

// A track's legend: a swatch and its label per entry, in order.
std::string Legend(const std::vector<LegendEntry>& entries);

// One track of an array: an SVG strip whose x axis is the array's bases, the
// items as rectangles in their colours (at most maxBlocks, ReduceTrack), and
// its legend below it; "" when there are no items.
std::string TrackStrip(const std::string& label, const std::vector<TrackItem>& items, const ArrayRow& row,
                       std::size_t maxBlocks, const std::vector<LegendEntry>& legend);

// Standard base64 (RFC 4648, with '=' padding).
std::string Base64(std::string_view bytes);

// The text with &, <, >, " and ' written as character references.
std::string EscapeHtml(std::string_view text);

}  // namespace horgrid
