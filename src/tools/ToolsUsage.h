#pragma once

#include <ostream>

namespace horgrid {

// The usage text of horgrid-tools: one line per subcommand.
void ToolsUsage(std::ostream& out);

}  // namespace horgrid
