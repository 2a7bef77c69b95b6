#pragma once

namespace horgrid {

// horgrid-tools dotplot [-t N] [--size PX] [--min-identity P] ENSEMBLE:
// writes ENSEMBLE_dotplot.tsv and draws ENSEMBLE_dotplot.png. argv[0] is the
// subcommand's name. Returns the exit status: 0, 1 for a usage error, 3 when
// the picture was not made (the table is written all the same), 2 (with the
// message on standard error) when the input cannot be read or a result
// cannot be written.
int DotPlotMain(int argc, char** argv);

}  // namespace horgrid
