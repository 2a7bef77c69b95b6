#pragma once

#include <string>
#include <vector>

#include "infer/Inference.h"

namespace horgrid {

// The texts of the inference's own result files (the decomposition files are
// DecompositionWriter's).

// PREFIX_monomers.fa: one record per monomer, ">M1", the sequence on one line.
std::string MonomersFasta(const std::vector<MonomerType>& monomers);

// The unit's name: its length in monomers and "mer" ("12mer"), "-" without a HOR.
std::string UnitName(const HorResult& hor);

// PREFIX_hors.tsv: a header line, then one line per HOR copy:
// record, start, end (0-based, inclusive, as in PREFIX_decomposition.tsv), strand (+/-), unit name, the
// copy's monomer types in HOR order (comma-separated), full/partial/variant,
// the unit monomers it lacks and the monomers it adds (comma-separated, "-"
// for none).
std::string HorCopiesTsv(const Inference& inference, const std::vector<std::string>& recordNames);

// PREFIX_hors.bed: record, start (0-based), end (exclusive), kind
// (full/partial/variant), monomer count, strand.
std::string HorCopiesBed(const Inference& inference, const std::vector<std::string>& recordNames);

}  // namespace horgrid
