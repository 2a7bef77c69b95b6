#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace horgrid {

// One monomer record as written on one line of an ensemble or monomers file.
// Columns are separated by any run of whitespace; the layout selector picks the
// columns: 3 = name, length, sequence; 5 = name, direction, position, length,
// sequence; anything else = name, direction, position, consensus difference,
// length, sequence. Parsing follows formatted stream extraction: the first
// field that fails (no token left, or no number where an integer is due) ends
// the line and every later field keeps its start value.
class alpha {
public:
    alpha() = default;
    explicit alpha(std::string_view line);  // six-column layout
    alpha(std::string_view line, int layout);

    // Writes "%s %s %d %s %d %s\n" (name, direction, position,
    // consensusDifference, length, sequence); tag is not written.
    void print(FILE* file) const;

    std::string name;
    std::string direction;
    int position = 0;
    std::string consensusDifference;
    int length = 0;
    std::string sequence;
    int tag = 0;
};

// Views of the sequences of records first ... end - 1, for the batch distance
// engine; the records must outlive the views.
std::vector<std::string_view> SequenceViews(const std::vector<alpha>& records, std::size_t first,
                                            std::size_t end);

}  // namespace horgrid
