#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "decompose/Decompose.h"

namespace horgrid {

// A stretch of one record, [begin, end) in bases.
struct RecordWindow {
    std::size_t record = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Appends the bins of one record (`hits` per bin of `bin` bases) whose count
// with the bins either side reaches minHits, widened by one bin and joined.
void AppendDenseBins(std::size_t record, std::size_t length, const std::vector<std::size_t>& hits,
                     std::size_t bin, std::size_t minHits, std::vector<RecordWindow>& windows);

struct TemplateHitSettings {
    std::size_t k = 12;        // k-mer length
    std::size_t bin = 500;     // bases per bin
    std::size_t minHits = 20;  // template k-mers in a bin and its two neighbours
};

// The stretches worth decomposing with `templates`: bins whose k-mers (with
// the bins either side) include at least minHits k-mers of the templates on
// either strand, joined and widened by one bin. A monomer 15-25 % from a
// template still shares ten or more 12-mers with it; random sequence shares
// one or two per 1,500 bases. Pure; in record and position order.
std::vector<RecordWindow> TemplateWindows(const std::vector<std::string>& sequences,
                                          const std::vector<MonomerType>& templates,
                                          const TemplateHitSettings& settings = {});

}  // namespace horgrid
