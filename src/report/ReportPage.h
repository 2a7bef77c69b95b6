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
};

// One self-contained HTML page: the arrays table (each row linking to its
// array), then per array its tracks (AS-HOR, AS-SF, AS-strand) drawn as SVG
// rectangles in the tracks' colours, its HOR structure and identity heat map
// as PNG data URIs (or the reason a picture is missing), the StV variants
// with their copy counts and the list of copies. It loads nothing from
// elsewhere. `pictures` holds one entry per array.
std::string RenderReport(const ReportHeading& heading, const std::vector<ArrayContent>& arrays,
                         const std::vector<ArrayPictures>& pictures);

// Standard base64 (RFC 4648, with '=' padding).
std::string Base64(std::string_view bytes);

// The text with &, <, >, " and ' written as character references.
std::string EscapeHtml(std::string_view text);

}  // namespace horgrid
