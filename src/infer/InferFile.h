#pragma once

#include <functional>
#include <string>

#include "infer/Inference.h"
#include "seqio/RecordSource.h"

namespace horgrid {

// What `infer` computes and where it writes it.
struct InferFileSettings {
    RecordInput input;      // the records of the array or region (every one is read)
    std::string templates;  // the template monomers (FASTA); "" for DefaultTemplates()
    std::string prefix;     // the result files' prefix
    InferSettings settings;
};

// What the inference pipeline tells its caller, each on the calling thread:
// `started` once the records are read and the work begins, `round` after
// every round (InferMonomers), `inferred` with the result before the files
// are written.
struct InferSinks {
    std::function<void()> started;
    std::function<void(const RoundReport&)> round;
    std::function<void(const Inference&)> inferred;
};

// The inference pipeline: reads the templates and every record into memory,
// infers the monomer set and HOR of the records together (InferMonomers, on
// settings.threads threads) and writes PREFIX_monomers.fa, PREFIX_hors.tsv,
// PREFIX_hors.bed and the decomposition files (PREFIX_decomposition.tsv/.bed,
// PREFIX.ens/N.ens) as one result set, whole or not at all; the set is
// declared, and checked against the inputs, before the work. Cost: that of
// InferMonomers; memory: the records and their decompositions. Raises
// FileError for a file that cannot be read or a result that cannot be
// written, InputError when the templates do not go with the scoring or the
// input holds no record.
Inference InferFile(const InferFileSettings& settings, const InferSinks& sinks = {});

}  // namespace horgrid
