#include "infer/StandardMonomers.h"

#include "infer/StandardMonomersText.h"

namespace horgrid {

std::vector<MonomerType> ParseFastaText(std::string_view text) {
    std::vector<MonomerType> records;
    while (!text.empty()) {
        const std::size_t stop = text.find('\n');
        std::string_view line = text.substr(0, stop);
        text = stop == std::string_view::npos ? std::string_view() : text.substr(stop + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.front() == '>') {
            line.remove_prefix(1);
            records.push_back({std::string(line.substr(0, line.find_first_of(" \t"))), {}});
        } else if (!records.empty()) {
            records.back().sequence += line;
        }
    }
    std::erase_if(records, [](const MonomerType& record) { return record.sequence.empty(); });
    return records;
}

std::vector<MonomerType> StandardClassMonomers() {
    return ParseFastaText(kStandardClassFasta);
}

}  // namespace horgrid
