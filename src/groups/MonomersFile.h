#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ensemble/alpha.h"

namespace horgrid {

// The records of a monomers file, cut into groups by empty lines, in file order.
using AlphaGroups = std::vector<std::vector<alpha>>;

// Layout selector for ReadMonomersFile: pick each line's layout from its blanks.
constexpr int kLayoutPerLine = 0;

// The layout a line selects by itself: its number of blanks (code 32, tabs not
// counted) plus one, so single-blank columns of 3 or 5 fields pick layouts 3 or
// 5 and every other count the six-column layout.
int LayoutFromBlanks(std::string_view line);

// The groups of a monomers text: every non-empty line is one record parsed
// with `layout` (or kLayoutPerLine), every empty line closes the current
// group. The list always ends with the group open at the end of the text, so
// it holds at least one group and may hold groups without records.
AlphaGroups ParseMonomers(std::string_view text, int layout);

// ParseMonomers on the file at `path`, after writing "Reading File...\n" to
// standard output; a missing or unreadable file raises FileError.
AlphaGroups ReadMonomersFile(const std::string& path, int layout);

}  // namespace horgrid
