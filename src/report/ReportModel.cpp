#include "report/ReportModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

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
void Thin(std::vector<TrackItem>& units, std::size_t maxUnits) {
    if (maxUnits == 0 || units.size() <= maxUnits) return;
    std::vector<TrackItem> kept;
    kept.reserve(maxUnits);
    for (std::size_t i = 0; i < maxUnits; ++i) kept.push_back(std::move(units[i * units.size() / maxUnits]));
    units = std::move(kept);
}

}  // namespace

HeatMapUnits ChooseHeatMapUnits(const ArrayContent& array, std::size_t maxUnits) {
    HeatMapUnits units;
    if (array.copies.empty()) {
        units = {array.families.empty() ? array.monomers : array.families, "monomer"};
    } else {
        std::vector<std::int64_t> lengths;
        for (const TrackItem& copy : array.copies) lengths.push_back(copy.end - copy.start);
        std::nth_element(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(lengths.size() / 2),
                         lengths.end());
        const std::int64_t median = lengths[lengths.size() / 2];
        units.label = "HOR copy";
        for (const TrackItem& copy : array.copies) {
            if (std::llabs(copy.end - copy.start - median) * 10 <= median) units.items.push_back(copy);
        }
    }
    Thin(units.items, maxUnits);
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

}  // namespace horgrid
