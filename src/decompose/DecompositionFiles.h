#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ResultFile.h"
#include "decompose/Decompose.h"
#include "seqio/SequenceReader.h"

namespace horgrid {

// One line of PREFIX_decomposition.tsv (with its line feed): record, monomer
// (with ' for reverse), start, end (0-based, inclusive), identity (%.2f),
// strand, score.
std::string DecompositionRow(std::string_view record, std::string_view monomer, std::int64_t start,
                             std::int64_t end, double identity, bool reverse, std::int64_t score);

// Writes the files of a decomposition through ResultFile, record by record:
//   PREFIX_decomposition.tsv  record, monomer (with ' for reverse), start, end
//                             (0-based, inclusive), identity (%.2f), strand, score
//   PREFIX_decomposition.bed  record, start, end (exclusive), monomer, identity x 10
//                             rounded, strand
//   PREFIX.N.ens              for record N: monomer, strand, start, length, bases
//                             (reverse-complemented for -)
// Segments below the minimum identity are left out. Nothing appears under the
// final names before Commit(); without it nothing is left behind.
class DecompositionWriter {
public:
    DecompositionWriter(std::string prefix, const std::vector<MonomerType>& types, double minIdentity);

    // `offset` is added to every position (a record fetched from a region).
    void Add(std::size_t index /*1-based record number*/, const SequenceRecord& record,
             const std::vector<Segment>& segments, std::int64_t offset = 0);
    void Commit();  // moves every file into place

private:
    std::string prefix_;
    std::vector<std::string> names_;
    double minIdentity_;
    ResultFile table_;
    ResultFile bed_;
    std::vector<std::unique_ptr<ResultFile>> ensembles_;
};

}  // namespace horgrid
