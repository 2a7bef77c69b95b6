#pragma once

namespace horgrid {

// horgrid-tools annotate [options] SEQUENCES: the standard alpha-satellite
// annotation (AS-HOR, AS-SF, AS-strand, AS-StV tracks, arrays, decomposition).
// Returns the exit status.
int RunAnnotate(int argc, char** argv);

}  // namespace horgrid
