#pragma once

namespace horgrid {

// horgrid-tools infer [options] SEQUENCES [TEMPLATES]: argv[0] is "infer".
// Returns the exit status: 0 on success (also when no alpha satellite is
// found, and for --help), 1 for a usage error, 2 when an input cannot be read
// or a result cannot be written (then no result file is written).
int InferCommand(int argc, char** argv);

}  // namespace horgrid
