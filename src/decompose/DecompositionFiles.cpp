#include "decompose/DecompositionFiles.h"

#include <cmath>

#include "common/NumberFormat.h"

namespace horgrid {
namespace {

constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

}  // namespace

std::string DecompositionRow(std::string_view record, std::string_view monomer, std::int64_t start,
                             std::int64_t end, double identity, bool reverse, std::int64_t score) {
    return std::string(record) + '\t' + std::string(monomer) + (reverse ? "'" : "") + '\t' +
           std::to_string(start) + '\t' + std::to_string(end) + '\t' + Fixed(identity, 2) + '\t' +
           (reverse ? '-' : '+') + '\t' + std::to_string(score) + '\n';
}

DecompositionWriter::DecompositionWriter(ResultSet& results, const std::string& prefix, double minIdentity)
    : results_(results),
      folder_(EnsembleFolder(prefix)),
      minIdentity_(minIdentity),
      table_(results.Add(prefix + "_decomposition.tsv")),
      bed_(results.Add(prefix + "_decomposition.bed")) {
    results.AddFolder(folder_, IsEnsembleName);
}

std::string DecompositionWriter::EnsembleFolder(const std::string& prefix) {
    return prefix + ".ens";
}

bool DecompositionWriter::IsEnsembleName(std::string_view name) {
    constexpr std::string_view kSuffix = ".ens";
    if (!name.ends_with(kSuffix) || name.size() == kSuffix.size()) return false;
    name.remove_suffix(kSuffix.size());
    return name.find_first_not_of("0123456789") == std::string_view::npos;
}

void DecompositionWriter::Add(std::size_t index, const SequenceRecord& record,
                              const std::vector<Segment>& segments, const std::vector<MonomerType>& types,
                              std::int64_t offset) {
    std::unique_ptr<ResultFile> ensemble = results_.AddToFolder(folder_, std::to_string(index) + ".ens");
    std::string table;
    std::string bed;
    std::string lines;
    for (const Segment& segment : segments) {
        if (segment.identity < minIdentity_) continue;
        const std::string& name = types.at(segment.type).name;
        const std::string start = std::to_string(segment.start + offset);
        const char strand = segment.reverse ? '-' : '+';
        table += DecompositionRow(record.name, name, segment.start + offset, segment.end + offset,
                                  segment.identity, segment.reverse, segment.score);
        bed += record.name + '\t' + start + '\t' + std::to_string(segment.end + offset + 1) + '\t' + name +
               '\t' + std::to_string(std::lround(segment.identity * 10)) + '\t' + strand + '\n';
        const std::string_view bases(record.sequence.data() + segment.start,
                                     static_cast<std::size_t>(segment.end - segment.start + 1));
        lines += name + ' ' + strand + ' ' + start + ' ' + std::to_string(bases.size()) + ' ' +
                 (segment.reverse ? ReverseComplement(bases) : std::string(bases)) + '\n';
        // Out in pieces: a whole chromosome's lines would double its size in memory.
        if (lines.size() >= kFlushBytes) {
            table_.Write(table);
            bed_.Write(bed);
            ensemble->Write(lines);
            table.clear();
            bed.clear();
            lines.clear();
        }
    }
    table_.Write(table);
    bed_.Write(bed);
    ensemble->Write(lines);
    ensemble->Commit();  // into the staged folder
}

}  // namespace horgrid
