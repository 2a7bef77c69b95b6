#pragma once

#include <string>

#include "infer/Inference.h"

namespace horgrid {

// The lines `infer` prints after its rounds: the route taken ("route:
// templates ..." or "route: de novo ..."), the bases of each region class
// with the number of stretches, and one line per hybrid monomer.
// `templates` names the templates ("the standard class monomers", a path).
std::string InferSummary(const Inference& inference, const std::string& templates);

}  // namespace horgrid
