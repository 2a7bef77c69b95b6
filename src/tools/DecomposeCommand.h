#pragma once

namespace horgrid {

// horgrid-tools decompose [options] SEQUENCES MONOMERS. argv[0] is
// "decompose"; the options are parsed here (GNU style). Returns the exit
// status: 0, 1 for usage errors, 2 for unreadable input, bad values or
// unwritable results (nothing is left behind then).
int RunDecompose(int argc, char** argv);

}  // namespace horgrid
