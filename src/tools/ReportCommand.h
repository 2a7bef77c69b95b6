#pragma once

namespace horgrid {

// horgrid-tools report [options] PREFIX SEQUENCES: reads the annotation
// files of PREFIX and writes PREFIX_report.html. argv[0] is the subcommand's
// name. Returns the exit status: 0; 1 for a usage error; 2 when an input
// cannot be read or the page cannot be written; 3 when the page is written
// but a picture could not be drawn.
int ReportCommand(int argc, char** argv);

}  // namespace horgrid
