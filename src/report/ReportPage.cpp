#include "report/ReportPage.h"

#include <algorithm>
#include <cstdio>

#include "common/NumberFormat.h"

namespace horgrid {

namespace {

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;font-size:0.85em;margin:0.5em 0}"
    "th,td{border:1px solid #bbb;padding:2px 6px;text-align:left}"
    "th{background:#eee}"
    ".wide{overflow-x:auto}"
    "section.array{border-top:2px solid #888;margin-top:1.5em;padding-top:0.5em}"
    ".track{display:flex;align-items:center;margin:2px 0}"
    ".track span{width:6em;font-size:0.8em}"
    ".track svg{flex:1;height:18px;background:#f4f4f4}"
    ".axis{display:flex;justify-content:space-between;margin-left:6em;font-size:0.75em;color:#555}"
    ".pictures{display:flex;flex-wrap:wrap;gap:1em;align-items:flex-start;margin:0.8em 0}"
    ".pictures figure{margin:0}"
    ".pictures p.missing{width:360px}"
    ".pictures img.hor{width:360px}"
    ".pictures img.heatmap{width:560px}"
    ".pictures figcaption{font-size:0.75em;color:#555;max-width:360px}"
    ".missing{color:#a00;font-style:italic}"
    ".legend{margin:0 0 4px 6em;font-size:0.75em;color:#333}"
    ".legend .key{display:inline-block;margin-right:1.2em;white-space:nowrap}"
    ".swatch{display:inline-block;width:1em;height:1em;vertical-align:middle;border:1px solid #888}";

std::string Hex(const Rgb& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

std::string Swatch(const Rgb& colour) {
    return "<span class=\"swatch\" style=\"background:" + Hex(colour) + "\"></span>";
}

std::string Kilobases(std::int64_t bases) {
    return Fixed(static_cast<double>(bases) / 1000.0, 1) + " kb";
}

}  // namespace

std::string Legend(const std::vector<LegendEntry>& entries) {
    if (entries.empty()) return "";
    std::string html = "<div class=\"legend\">";
    for (const LegendEntry& entry : entries)
        html += "<span class=\"key\">" + Swatch(entry.colour) + " " + EscapeHtml(entry.label) + "</span>";
    return html + "</div>\n";
}

std::string TrackStrip(const std::string& label, const std::vector<TrackItem>& items, const ArrayRow& row,
                       std::size_t maxBlocks, const std::vector<LegendEntry>& legend) {
    if (items.empty()) return "";
    const std::int64_t length = row.end - row.start;
    const std::string name = EscapeHtml(label);
    std::string html = "<div class=\"track\"><span>" + name + "</span>";
    html += "<svg class=\"track\" viewBox=\"0 0 " + std::to_string(length) +
            " 10\" preserveAspectRatio=\"none\" shape-rendering=\"crispEdges\" role=\"img\" aria-label=\"" +
            name + " track\">";
    for (const TrackBlock& block : ReduceTrack(items, row.start, row.end, maxBlocks)) {
        html += "<rect x=\"" + std::to_string(block.from) + "\" y=\"0\" width=\"" +
                std::to_string(block.to - block.from) + "\" height=\"10\" fill=\"" + Hex(block.colour) +
                "\">" + (block.label.empty() ? "" : "<title>" + EscapeHtml(block.label) + "</title>") +
                "</rect>";
    }
    return html + "</svg></div>\n" + Legend(legend);
}

namespace {

std::string ClassOf(const TrackItem& item) { return item.name.substr(0, item.name.find('(')); }

// The cenSat track of each record, along the record's span of items.
std::string CenSatSection(const ReportHeading& heading) {
    if (heading.cenSat.empty()) return "";
    std::string html = "<h2>Satellite arrays (cenSat track)</h2>\n";
    for (std::size_t first = 0; first < heading.cenSat.size();) {
        std::size_t last = first;
        ArrayRow span{heading.cenSat[first].record, heading.cenSat[first].start, heading.cenSat[first].end, {}};
        while (last < heading.cenSat.size() && heading.cenSat[last].record == span.record) {
            span.end = std::max(span.end, heading.cenSat[last].end);
            ++last;
        }
        const std::vector<TrackItem> items(heading.cenSat.begin() + static_cast<std::ptrdiff_t>(first),
                                           heading.cenSat.begin() + static_cast<std::ptrdiff_t>(last));
        html += "<p>" + EscapeHtml(span.record) + "</p>\n" +
                TrackStrip("cenSat", items, span, heading.maxTrackBlocks, TrackLegend(items, ClassOf));
        html += "<div class=\"axis\"><span>" + std::to_string(span.start) + "</span><span>" +
                std::to_string(span.end) + "</span></div>\n";
        first = last;
    }
    return html;
}

// The items of `track` on the record of `row` that overlap it.
std::vector<TrackItem> Over(const std::vector<TrackItem>& track, const ArrayRow& row) {
    std::vector<TrackItem> found;
    for (const TrackItem& item : track) {
        if (item.record == row.record && item.start < row.end && row.start < item.end) found.push_back(item);
    }
    return found;
}

// The picture as an <img> of class `kind` with its caption, or why it is missing.
std::string Image(const Picture& picture, const char* kind, const std::string& what, const std::string& alt,
                  const std::string& caption) {
    if (picture.png.empty()) {
        return "<figure><p class=\"missing\">no " + what + " picture: " + EscapeHtml(picture.failure) +
               "</p></figure>";
    }
    return "<figure><img class=\"" + std::string(kind) + "\" alt=\"" + EscapeHtml(alt) +
           "\" src=\"data:image/png;base64," + Base64(picture.png) + "\"><figcaption>" + EscapeHtml(caption) +
           "</figcaption></figure>";
}

// Every alpha-satellite monomer is in AS-SF; AS-HOR may leave some out.
std::size_t MonomerCount(const ArrayContent& array) {
    return std::max(array.families.size(), array.monomers.size());
}

std::string ArrayName(const ArrayRow& row) {
    return row.record + ":" + std::to_string(row.start + 1) + "-" + std::to_string(row.end);
}

std::string Copies(const std::vector<TrackItem>& copies) {
    if (copies.empty()) return "<p>No HOR copies.</p>\n";
    std::string html = "<table class=\"variants\"><tr><th>StV</th><th>copies</th></tr>";
    for (const VariantCount& variant : CountVariants(copies)) {
        html += "<tr><td>" + Swatch(variant.colour) + " " + EscapeHtml(variant.name) + "</td><td>" +
                std::to_string(variant.copies) + "</td></tr>";
    }
    html += "</table>\n<details><summary>all " + std::to_string(copies.size()) +
            " HOR copies</summary><table class=\"copies\"><tr><th>copy</th><th>start</th><th>end</th>"
            "<th>strand</th><th>StV</th></tr>";
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const TrackItem& copy = copies[i];
        html += "<tr><td>" + std::to_string(i + 1) + "</td><td>" + std::to_string(copy.start) + "</td><td>" +
                std::to_string(copy.end) +
                "</td><td>" + copy.strand + "</td><td>" + Swatch(copy.colour) + " " + EscapeHtml(copy.name) +
                "</td></tr>";
    }
    return html + "</table></details>\n";
}

}  // namespace

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned value = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) text += kDigits[(value >> shift) & 63];
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        text += kDigits[(value >> 18) & 63];
        text += kDigits[(value >> 12) & 63];
        text += rest == 2 ? kDigits[(value >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::string EscapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string RenderReport(const ReportHeading& heading, const std::vector<ArrayContent>& arrays,
                         const std::vector<ArrayPictures>& pictures) {
    std::size_t monomers = 0;
    std::int64_t bases = 0;
    for (const ArrayContent& array : arrays) {
        monomers += MonomerCount(array);
        bases += array.row.end - array.row.start;
    }
    const std::string title = EscapeHtml(heading.title);
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">";
    html += "<title>" + title + " alpha-satellite arrays</title><style>" + kStyle + "</style></head><body>\n";
    html += "<h1>" + title + ": alpha-satellite arrays</h1>\n";
    html += "<p>" + std::to_string(arrays.size()) + (arrays.size() == 1 ? " array, " : " arrays, ") +
            Kilobases(bases) + ", " + std::to_string(monomers) +
            " monomers. Positions are 0-based, ends exclusive (BED).</p>\n";

    html += "<div class=\"wide\"><table class=\"arrays\"><tr><th>array</th>";
    // Column names may break after their underscores.
    for (const std::string& column : heading.arrayColumns) {
        std::string name;
        for (const char c : EscapeHtml(column)) name += c == '_' ? std::string("_<wbr>") : std::string(1, c);
        html += "<th>" + name + "</th>";
    }
    html += "</tr>\n";
    for (std::size_t i = 0; i < arrays.size(); ++i) {
        html +=
            "<tr><td><a href=\"#array-" + std::to_string(i + 1) + "\">" + std::to_string(i + 1) + "</a></td>";
        for (const std::string& field : arrays[i].row.fields) html += "<td>" + EscapeHtml(field) + "</td>";
        html += "</tr>\n";
    }
    html += "</table></div>\n";
    html += CenSatSection(heading);

    for (std::size_t i = 0; i < arrays.size(); ++i) {
        const ArrayContent& array = arrays[i];
        const std::string number = std::to_string(i + 1);
        const std::string name = EscapeHtml(ArrayName(array.row));
        html += "<section class=\"array\" id=\"array-" + number + "\">\n<h2>Array " + number + ": " + name +
                " (" + Kilobases(array.row.end - array.row.start) + ", " +
                std::to_string(MonomerCount(array)) + " monomers)</h2>\n";
        const std::size_t blocks = heading.maxTrackBlocks;
        const std::vector<TrackItem> cenSat = Over(heading.cenSat, array.row);
        html += TrackStrip("cenSat", cenSat, array.row, blocks, TrackLegend(cenSat));
        html += TrackStrip("AS-HOR", array.monomers, array.row, blocks, TrackLegend(array.monomers));
        html += TrackStrip("AS-StV", array.copies, array.row, blocks, VariantLegend(array.copies));
        html += TrackStrip("AS-SF", array.families, array.row, blocks, TrackLegend(array.families));
        html += TrackStrip("strand", array.strands, array.row, blocks, StrandLegend(array.strands));
        html += "<div class=\"axis\"><span>" + std::to_string(array.row.start) + "</span><span>" +
                std::to_string(array.row.end) + "</span></div>\n";
        html += "<div class=\"pictures\">";
        const ArrayPictures none;
        const ArrayPictures& shown = i < pictures.size() ? pictures[i] : none;
        const std::string copies = std::to_string(array.copies.size());
        html += Image(shown.hor, "hor", "HOR structure", "HOR structure of " + ArrayName(array.row),
                      "HOR copies 1 to " + copies + " along the array, each cell in its copy's AS-StV colour");
        html += Image(shown.heatMap, "heatmap", "heat map", "identity heat map of " + ArrayName(array.row),
                      array.copies.empty() ? "monomers along the array"
                                           : "the HOR copies of about the unit's length, by their number (1 to " +
                                                 copies + ") as in the HOR structure");
        html += "</div>\n<h3>HOR copies and structural variants</h3>\n";
        if (!array.copies.empty()) {
            html += "<p>HOR copies are numbered along the array, from its start, in both pictures and in the "
                    "list below; the heat map compares the copies of about the unit's length.</p>\n";
        }
        html += Copies(array.copies);
        html += "</section>\n";
    }
    return html + "</body></html>\n";
}

}  // namespace horgrid
