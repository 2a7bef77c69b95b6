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

DecompositionWriter::DecompositionWriter(std::string prefix, const std::vector<MonomerType>& types,
                                         double minIdentity)
    : prefix_(std::move(prefix)),
      minIdentity_(minIdentity),
      table_(prefix_ + "_decomposition.tsv"),
      bed_(prefix_ + "_decomposition.bed") {
    for (const MonomerType& type : types) names_.push_back(type.name);
}

void DecompositionWriter::Add(std::size_t index, const SequenceRecord& record,
                              const std::vector<Segment>& segments, std::int64_t offset) {
    auto ensemble = std::make_unique<ResultFile>(prefix_ + "." + std::to_string(index) + ".ens");
    std::string table;
    std::string bed;
    std::string lines;
    for (const Segment& segment : segments) {
        if (segment.identity < minIdentity_) continue;
        const std::string& name = names_.at(segment.type);
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
    ensemble->Finish();
    ensembles_.push_back(std::move(ensemble));
}

void DecompositionWriter::Commit() {
    table_.Commit();
    bed_.Commit();
    for (const std::unique_ptr<ResultFile>& ensemble : ensembles_) ensemble->Commit();
}

}  // namespace horgrid
