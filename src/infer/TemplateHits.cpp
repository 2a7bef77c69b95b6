#include "infer/TemplateHits.h"

#include <algorithm>
#include <cstdint>

#include "sequence/Kmers.h"

namespace horgrid {

void AppendDenseBins(std::size_t record, std::size_t length, const std::vector<std::size_t>& hits,
                     std::size_t bin, std::size_t minHits, std::vector<RecordWindow>& windows) {
    const std::size_t bins = hits.size();
    std::vector<bool> wanted(bins, false);
    for (std::size_t b = 0; b < bins; ++b) {
        const std::size_t around = hits[b] + (b > 0 ? hits[b - 1] : 0) + (b + 1 < bins ? hits[b + 1] : 0);
        if (around < minHits) continue;
        for (std::size_t w = b > 0 ? b - 1 : 0; w <= std::min(b + 1, bins - 1); ++w) wanted[w] = true;
    }
    for (std::size_t b = 0; b < bins; ++b) {
        if (!wanted[b]) continue;
        const std::size_t begin = b * bin;
        const std::size_t end = std::min(length, (b + 1) * bin);
        if (!windows.empty() && windows.back().record == record && windows.back().end == begin) {
            windows.back().end = end;
        } else {
            windows.push_back({record, begin, end});
        }
    }
}

std::vector<RecordWindow> TemplateWindows(const std::vector<std::string>& sequences,
                                          const std::vector<MonomerType>& templates,
                                          const TemplateHitSettings& settings) {
    std::vector<bool> known(std::size_t{1} << (2 * settings.k), false);
    for (const MonomerType& type : templates) {
        ForEachKmer(type.sequence, settings.k, [&](std::size_t, std::uint64_t code) { known[code] = true; });
        ForEachKmer(ReverseComplement(type.sequence), settings.k,
                    [&](std::size_t, std::uint64_t code) { known[code] = true; });
    }
    std::vector<RecordWindow> windows;
    for (std::size_t r = 0; r < sequences.size(); ++r) {
        const std::size_t bins = (sequences[r].size() + settings.bin - 1) / settings.bin;
        std::vector<std::size_t> hits(bins, 0);
        ForEachKmer(sequences[r], settings.k,
                    [&](std::size_t i, std::uint64_t code) { hits[i / settings.bin] += known[code]; });
        AppendDenseBins(r, sequences[r].size(), hits, settings.bin, settings.minHits, windows);
    }
    return windows;
}

}  // namespace horgrid
