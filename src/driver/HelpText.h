#pragma once

namespace horgrid {

// Writes the usage text of the command line to standard output.
void HelpText();

}  // namespace horgrid
