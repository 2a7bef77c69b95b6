#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "ensemble/alpha.h"

namespace horgrid {

// The suprachromosomal family of one monomer sequence: the index into
// kSupracromReferences of the nearest reference (the earlier one on ties),
// its edit distance and that distance as a percentage of the sequence's own
// length, in double precision (inf for an empty sequence). Only a reference
// strictly nearer than 171 edits is chosen; when none is, the result is entry
// 0 ("j1") with distance 171, whatever the true distance to it.
struct FamilyMatch {
    std::size_t reference = 0;
    std::uint32_t distance = 0;
    double percent = 0.0;
};

FamilyMatch NearestFamily(std::string_view sequence);

// Writes one line of the family file: "\n<position> <length>" and
// " <name>(<percent as %.0f>%) ".
void WriteFamilyLine(FILE* file, const alpha& monomer, const FamilyMatch& match);

// The whole -s analysis of an ensemble file, one record at a time: writes
// ensemblePath + "_supracromFamily.txt" with one line per record.
void WriteFamilyFile(const std::string& ensemblePath);

}  // namespace horgrid
