#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/ResultSet.h"
#include "decompose/Decompose.h"
#include "seqio/SequenceReader.h"

namespace horgrid {

// One line of PREFIX_decomposition.tsv (with its line feed): record, monomer
// (with ' for reverse), start, end (0-based, inclusive), identity (%.2f),
// strand, score.
std::string DecompositionRow(std::string_view record, std::string_view monomer, std::int64_t start,
                             std::int64_t end, double identity, bool reverse, std::int64_t score);

// Writes the files of a decomposition as members of a ResultSet, record by
// record:
//   PREFIX_decomposition.tsv  record, monomer (with ' for reverse), start, end
//                             (0-based, inclusive), identity (%.2f), strand, score
//   PREFIX_decomposition.bed  record, start, end (exclusive), monomer, identity x 10
//                             rounded, strand
//   PREFIX.ens/N.ens          for record N: monomer, strand, start, length, bases
//                             (reverse-complemented for -)
// The folder PREFIX.ens is replaced whole (ResultSet::AddFolder: files in it
// not named N.ens are kept, N.ens of an earlier, larger set are not).
// Segments below the minimum identity are left out. The members are declared
// (and checked against the inputs) on construction; nothing appears under the
// final names before the set's Commit().
class DecompositionWriter {
public:
    DecompositionWriter(ResultSet& results, const std::string& prefix, double minIdentity);

    // The folder of the per-record ensembles, and whether `name` is one of them.
    static std::string EnsembleFolder(const std::string& prefix);
    static bool IsEnsembleName(std::string_view name);

    // `offset` is added to every position (a record fetched from a region);
    // `types` are the monomers the segments refer to.
    void Add(std::size_t index /*1-based record number*/, const SequenceRecord& record,
             const std::vector<Segment>& segments, const std::vector<MonomerType>& types,
             std::int64_t offset = 0);

private:
    ResultSet& results_;
    std::string folder_;
    double minIdentity_;
    ResultFile& table_;
    ResultFile& bed_;
};

}  // namespace horgrid
