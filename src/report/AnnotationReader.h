#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/ReportModel.h"

namespace horgrid {

// The tab-separated columns of a line.
std::vector<std::string_view> SplitTabs(std::string_view line);

// Reads "R,G,B" (each 0-255) into `colour`; false when it is not that.
bool ParseColour(std::string_view text, Rgb& colour);

// Reads a BED track of at least six columns (record, start, end, name,
// score, strand; the ninth, itemRgb "R,G,B", gives the colour, grey when
// absent). "track", "browser", "#" and empty lines are skipped. A line with
// fewer columns, a start or end that is not a whole number, an end before
// its start or a colour that is not three numbers 0-255 raises FileError
// naming the file and line.
std::vector<TrackItem> ReadBedTrack(const std::string& path);

// Reads an arrays table: a header line (a leading '#' dropped), then one
// line per array whose first three columns are record, start and end
// (0-based, end exclusive). Errors as for ReadBedTrack.
void ReadArraysTable(const std::string& path, AnnotationTracks& annotation);

// The annotation written under PREFIX: PREFIX_arrays.tsv and
// PREFIX_AS-HOR.bed must exist; PREFIX_AS-SF.bed, PREFIX_AS-strand.bed,
// PREFIX_AS-StV.bed and PREFIX_cenSat.bed are read when they exist. Rows of
// the arrays table whose class is not an alpha-satellite one (the other
// satellite arrays of the cenSat track) are left out. Raises FileError.
AnnotationTracks ReadAnnotation(const std::string& prefix);

// The files ReadAnnotation reads for PREFIX (those that exist).
std::vector<std::string> AnnotationInputs(const std::string& prefix);

}  // namespace horgrid
