#pragma once

#include <string>
#include <utility>

namespace horgrid {

// One reference monomer of a suprachromosomal family: a two-letter label and
// its 171-base sequence.
class supracromAlpha {
public:
    supracromAlpha(std::string name_, std::string sequence_)
        : name(std::move(name_)), sequence(std::move(sequence_)) {}

    std::string name;
    std::string sequence;
};

}  // namespace horgrid
