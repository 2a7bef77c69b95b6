#pragma once

#include <array>
#include <string_view>

namespace horgrid {

// One reference monomer of a suprachromosomal family as a compile-time constant.
struct SupracromReference {
    std::string_view name;
    std::string_view sequence;
};

// The twelve reference monomers in their fixed order: the order breaks ties
// (the earlier entry wins) and entry 0, "j1", is the default result.
extern const std::array<SupracromReference, 12> kSupracromReferences;

}  // namespace horgrid
