#include "report/ReportModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <tuple>

namespace horgrid {

std::string ColourText(const Rgb& colour) {
    return std::to_string(colour.red) + ',' + std::to_string(colour.green) + ',' + std::to_string(colour.blue);
}

namespace {

// The items of one track grouped by record, each group sorted by start, with
// the longest item of the group (the reach of a search to the left).
struct RecordIndex {
    std::vector<const TrackItem*> items;
    std::int64_t longest = 0;
};

std::map<std::string, RecordIndex, std::less<>> IndexByRecord(const std::vector<TrackItem>& track) {
    std::map<std::string, RecordIndex, std::less<>> index;
    for (const TrackItem& item : track) {
        RecordIndex& group = index[item.record];
        group.items.push_back(&item);
        group.longest = std::max(group.longest, item.end - item.start);
    }
    for (auto& [record, group] : index) {
        std::stable_sort(group.items.begin(), group.items.end(),
                         [](const TrackItem* a, const TrackItem* b) { return a->start < b->start; });
    }
    return index;
}

// The items of `index` overlapping the row, in start order.
std::vector<TrackItem> Overlapping(const std::map<std::string, RecordIndex, std::less<>>& index,
                                   const ArrayRow& row) {
    std::vector<TrackItem> found;
    const auto group = index.find(row.record);
    if (group == index.end()) return found;
    const std::vector<const TrackItem*>& items = group->second.items;
    const std::int64_t from = row.start - group->second.longest;
    auto it = std::lower_bound(items.begin(), items.end(), from,
                               [](const TrackItem* item, std::int64_t value) { return item->start < value; });
    for (; it != items.end() && (*it)->start < row.end; ++it) {
        if ((*it)->end > row.start && (*it)->end > (*it)->start) found.push_back(**it);
    }
    return found;
}

}  // namespace

std::vector<ArrayContent> SplitByArray(const AnnotationTracks& annotation) {
    const auto monomers = IndexByRecord(annotation.monomers);
    const auto families = IndexByRecord(annotation.families);
    const auto strands = IndexByRecord(annotation.strands);
    const auto copies = IndexByRecord(annotation.copies);
    std::vector<ArrayContent> contents;
    contents.reserve(annotation.arrays.size());
    for (const ArrayRow& row : annotation.arrays) {
        contents.push_back({row, Overlapping(monomers, row), Overlapping(families, row),
                            Overlapping(strands, row), Overlapping(copies, row)});
    }
    return contents;
}

int UnitPosition(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return 0;
    int value = 0;
    const char* first = name.data() + dot + 1;
    const char* last = name.data() + name.size();
    const auto [stop, error] = std::from_chars(first, last, value);
    if (error != std::errc() || (stop != last && *stop != '/') || value < 1) return 0;
    return value;
}

HorLayout LayOutHorCopies(const std::vector<TrackItem>& copies, const std::vector<TrackItem>& monomers) {
    HorLayout layout;
    layout.rows = static_cast<int>(copies.size());
    // Copies along the array; each monomer goes to the copy holding its middle.
    std::vector<std::size_t> order(copies.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return copies[a].start < copies[b].start; });
    for (const TrackItem& monomer : monomers) {
        const int column = UnitPosition(monomer.name);
        if (column == 0) continue;
        const std::int64_t middle = monomer.start + (monomer.end - monomer.start) / 2;
        // The last copy starting at or before the middle.
        auto it =
            std::upper_bound(order.begin(), order.end(), middle,
                             [&](std::int64_t value, std::size_t i) { return value < copies[i].start; });
        if (it == order.begin()) continue;
        const std::size_t copy = *(it - 1);
        if (middle >= copies[copy].end || copies[copy].record != monomer.record) continue;
        const int row = static_cast<int>(it - order.begin());
        layout.cells.push_back({column, row, copies[copy].colour});
        layout.columns = std::max(layout.columns, column);
    }
    return layout;
}

std::vector<TrackBlock> ReduceTrack(const std::vector<TrackItem>& items, std::int64_t start, std::int64_t end,
                                    std::size_t maxBlocks) {
    std::vector<TrackBlock> blocks;
    if (end <= start || maxBlocks == 0) return blocks;
    const auto clip = [&](const TrackItem& item) {
        return TrackBlock{std::max(item.start, start) - start, std::min(item.end, end) - start, item.colour,
                          item.name};
    };
    if (items.size() <= maxBlocks) {
        for (const TrackItem& item : items) blocks.push_back(clip(item));
        return blocks;
    }
    const std::int64_t length = end - start;
    const auto bins = static_cast<std::int64_t>(maxBlocks);
    for (std::int64_t bin = 0; bin < bins; ++bin) {
        const std::int64_t from = length * bin / bins;
        const std::int64_t to = length * (bin + 1) / bins;
        if (to <= from) continue;
        const std::int64_t middle = start + from + (to - from) / 2;
        // The last item starting at or before the middle base.
        auto it =
            std::upper_bound(items.begin(), items.end(), middle,
                             [](std::int64_t value, const TrackItem& item) { return value < item.start; });
        if (it == items.begin() || (it - 1)->end <= middle) continue;
        const TrackItem& item = *(it - 1);
        if (!blocks.empty() && blocks.back().to == from && blocks.back().colour == item.colour) {
            blocks.back().to = to;
            if (blocks.back().label != item.name) blocks.back().label.clear();
        } else {
            blocks.push_back({from, to, item.colour, item.name});
        }
    }
    return blocks;
}

namespace {

// At most maxUnits of the units, spread evenly (0: all of them).
void Thin(HeatMapUnits& units, std::size_t maxUnits) {
    const std::size_t n = units.items.size();
    if (maxUnits == 0 || n <= maxUnits) return;
    HeatMapUnits kept;
    kept.label = units.label;
    for (std::size_t i = 0; i < maxUnits; ++i) {
        kept.items.push_back(std::move(units.items[i * n / maxUnits]));
        kept.numbers.push_back(units.numbers[i * n / maxUnits]);
    }
    units = std::move(kept);
}

}  // namespace

HeatMapUnits ChooseHeatMapUnits(const ArrayContent& array, std::size_t maxUnits) {
    HeatMapUnits units;
    if (array.copies.empty()) {
        units.items = array.families.empty() ? array.monomers : array.families;
        for (std::size_t i = 0; i < units.items.size(); ++i) units.numbers.push_back(static_cast<int>(i + 1));
    } else {
        std::vector<std::int64_t> lengths;
        for (const TrackItem& copy : array.copies) lengths.push_back(copy.end - copy.start);
        std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2),
                         lengths.end());
        const std::int64_t median = lengths[lengths.size() / 2];
        units.label = "HOR copy";
        for (std::size_t i = 0; i < array.copies.size(); ++i) {
            const TrackItem& copy = array.copies[i];
            if (std::llabs(copy.end - copy.start - median) * 10 > median) continue;
            units.items.push_back(copy);
            units.numbers.push_back(static_cast<int>(i + 1));
        }
    }
    Thin(units, maxUnits);
    return units;
}

double ColourFloor(const std::vector<double>& pixels) {
    if (pixels.empty()) return 0;
    std::vector<double> sorted = pixels;
    const std::size_t rank = sorted.size() / 20;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(rank), sorted.end());
    return std::clamp(std::floor(sorted[rank]), 0.0, 99.0);
}

std::vector<VariantCount> CountVariants(const std::vector<TrackItem>& copies) {
    std::map<std::string, VariantCount> byName;
    for (const TrackItem& copy : copies) {
        VariantCount& count = byName[copy.name];
        if (count.copies == 0) count = {copy.name, copy.colour, 0};
        ++count.copies;
    }
    std::vector<VariantCount> counts;
    for (auto& [name, count] : byName) counts.push_back(count);
    std::stable_sort(counts.begin(), counts.end(),
                     [](const VariantCount& a, const VariantCount& b) { return a.copies > b.copies; });
    return counts;
}

namespace {

// A label for the items of one colour (TrackLegend).
std::string GroupLabel(const std::vector<std::pair<std::string, std::size_t>>& labels) {
    if (labels.size() == 1) return labels[0].first;
    const auto horOf = [](const std::string& label) {
        const std::size_t dot = label.rfind('.');
        return dot == std::string::npos ? std::string() : label.substr(0, dot);
    };
    const std::string hor = horOf(labels[0].first);
    if (!hor.empty() && std::all_of(labels.begin(), labels.end(), [&](const auto& l) { return horOf(l.first) == hor; }))
        return hor;
    std::string text;
    for (std::size_t i = 0; i < labels.size() && i < 4; ++i) text += (i > 0 ? ", " : "") + labels[i].first;
    if (labels.size() > 4) text += " and " + std::to_string(labels.size() - 4) + " more";
    return text;
}

}  // namespace

std::vector<LegendEntry> TrackLegend(const std::vector<TrackItem>& items,
                                     const std::function<std::string(const TrackItem&)>& labelOf) {
    struct Group {
        Rgb colour;
        std::size_t items = 0;
        std::vector<std::pair<std::string, std::size_t>> labels;  // label, items (first seen first)
    };
    std::vector<Group> groups;
    for (const TrackItem& item : items) {
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.colour == item.colour; });
        if (group == groups.end()) group = groups.insert(groups.end(), Group{item.colour, 0, {}});
        ++group->items;
        const std::string label = labelOf(item);
        auto seen = std::find_if(group->labels.begin(), group->labels.end(),
                                 [&](const auto& l) { return l.first == label; });
        if (seen == group->labels.end()) seen = group->labels.insert(group->labels.end(), {label, 0});
        ++seen->second;
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) { return a.items > b.items; });
    std::vector<LegendEntry> legend;
    for (Group& group : groups) {
        std::stable_sort(group.labels.begin(), group.labels.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        legend.push_back({GroupLabel(group.labels), group.colour});
    }
    return legend;
}

std::vector<LegendEntry> TrackLegend(const std::vector<TrackItem>& items) {
    return TrackLegend(items, [](const TrackItem& item) { return item.name; });
}

std::vector<LegendEntry> StrandLegend(const std::vector<TrackItem>& strands) {
    return TrackLegend(strands, [](const TrackItem& item) {
        return std::string(item.strand == '-' ? "reverse (-)" : item.strand == '+' ? "forward (+)" : "no strand");
    });
}

std::vector<LegendEntry> VariantLegend(const std::vector<TrackItem>& copies) {
    const std::vector<VariantCount> variants = CountVariants(copies);
    std::map<std::tuple<int, int, int>, std::size_t> sharing;  // colour -> variants
    for (const VariantCount& variant : variants)
        ++sharing[{variant.colour.red, variant.colour.green, variant.colour.blue}];
    std::vector<LegendEntry> legend;
    std::vector<LegendEntry> rest;
    for (const VariantCount& variant : variants) {
        const std::size_t shared = sharing[{variant.colour.red, variant.colour.green, variant.colour.blue}];
        if (shared == 1) {
            legend.push_back({variant.name, variant.colour});
        } else if (std::none_of(rest.begin(), rest.end(), [&](const LegendEntry& e) { return e.colour == variant.colour; })) {
            rest.push_back({std::to_string(shared) + " other variants", variant.colour});
        }
    }
    legend.insert(legend.end(), rest.begin(), rest.end());
    return legend;
}

}  // namespace horgrid
