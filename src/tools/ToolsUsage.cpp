#include "tools/ToolsUsage.h"

namespace horgrid {

void ToolsUsage(std::ostream& out) {
    out << "Usage: horgrid-tools COMMAND FILE...\n"
           "\n"
           "  consensus MONOMERS         consensus of every group -> MONOMERS.cons\n"
           "  distmatrix MONOMERS        distance matrix of each of the first four groups ->\n"
           "                             MONOMERS_.distMatrix\n"
           "  dotplot [-t N] [--size PX] [--min-identity P] ENSEMBLE\n"
           "                             identity heat map of every pair of monomers ->\n"
           "                             ENSEMBLE_dotplot.tsv and ENSEMBLE_dotplot.png\n"
           "                             (dotplot --help for the options)\n"
           "  group DOT_MATRIX           groups of close monomers -> DOT_MATRIX_horStructure.txt and\n"
           "                             DOT_MATRIX_horStructure2.txt\n"
           "  hortable MONOMERS          divergence within HOR copies -> MONOMERS.hors\n"
           "  merge ENSEMBLE1 ENSEMBLE2  interleave two ensembles by position -> ENSEMBLE1r\n"
           "  purify ENSEMBLE            monomers close to the reference monomer -> ENSEMBLE_purified.txt\n"
           "  --help                     this text\n"
           "\n"
           "MONOMERS is a monomers file (records in groups separated by empty lines), DOT_MATRIX a file\n"
           "written by horgrid -m, ENSEMBLE an ensemble file.\n";
}

}  // namespace horgrid
