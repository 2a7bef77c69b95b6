#pragma once

#include <ostream>

namespace horgrid {

// The usage text of horgrid-tools: one line per subcommand.
void ToolsUsage(std::ostream& out);

// The usage text of horgrid-tools decompose with its options.
void DecomposeUsage(std::ostream& out);

// The usage text of horgrid-tools annotate with its options.
void AnnotateUsage(std::ostream& out);

// The usage text of horgrid-tools infer with its options.
void InferUsage(std::ostream& out);

}  // namespace horgrid
