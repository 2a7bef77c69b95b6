#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "infer/Inference.h"

namespace horgrid {

// The names and hybrids of an inferred monomer set (pure).

// "M1", "M2", ... for index 0, 1, ...
std::string MonomerName(std::size_t index);

// Halves of a monomer like two different monomers: first half within 3 % of
// one, second half of another, and each half at least 5 % from the other one,
// among the first `inferred` monomers of `set`.
std::vector<HybridMonomer> FindHybrids(const std::vector<MonomerType>& set, std::size_t inferred);

// Renames the inferred monomers M1, M2, ...: the HOR unit in unit order, then
// the others by falling segment count (`counts`, per monomer); the templates
// keep their names, and those that type no segment of the final
// decomposition are dropped. Segments, HOR and hybrids follow the new order.
void NameInHorOrder(Inference& result, const std::vector<std::size_t>& counts);

}  // namespace horgrid
