#include "tools/ToolsUsage.h"

namespace horgrid {

void ToolsUsage(std::ostream& out) {
    out << "Usage: horgrid-tools COMMAND FILE...\n"
           "\n"
           "  consensus MONOMERS         consensus of every group -> MONOMERS.cons\n"
           "  decompose [options] SEQUENCES MONOMER_SET\n"
           "                             cut FASTA/FASTQ records into monomers ->\n"
           "                             SEQUENCES_decomposition.tsv/.bed and SEQUENCES.N.ens\n"
           "                             (decompose --help for the options)\n"
           "  distmatrix MONOMERS        distance matrix of each of the first four groups ->\n"
           "                             MONOMERS_.distMatrix\n"
           "  dotplot [-t N] [--size PX] [--min-identity P] ENSEMBLE\n"
           "                             identity heat map of every pair of monomers ->\n"
           "                             ENSEMBLE_dotplot.tsv and ENSEMBLE_dotplot.png\n"
           "                             (dotplot --help for the options)\n"
           "  group DOT_MATRIX           groups of close monomers -> DOT_MATRIX_horStructure.txt and\n"
           "                             DOT_MATRIX_horStructure2.txt\n"
           "  hortable MONOMERS          divergence within HOR copies -> MONOMERS.hors\n"
           "  infer [options] SEQUENCES [TEMPLATES]\n"
           "                             monomer set and HOR of an array -> SEQUENCES_monomers.fa,\n"
           "                             SEQUENCES_hors.tsv/.bed and the decomposition files\n"
           "                             (infer --help for the options)\n"
           "  merge ENSEMBLE1 ENSEMBLE2  interleave two ensembles by position -> ENSEMBLE1r\n"
           "  purify ENSEMBLE            monomers close to the reference monomer -> ENSEMBLE_purified.txt\n"
           "  --help                     this text\n"
           "\n"
           "MONOMERS is a monomers file (records in groups separated by empty lines), DOT_MATRIX a file\n"
           "written by horgrid -m, ENSEMBLE an ensemble file.\n";
}

void DecomposeUsage(std::ostream& out) {
    out << "Usage: horgrid-tools decompose [options] SEQUENCES MONOMER_SET\n"
           "\n"
           "Cuts every record of SEQUENCES (FASTA or FASTQ, plain, gzip or bgzip) into consecutive\n"
           "segments, each aligned to one monomer type of MONOMER_SET (FASTA; every type is also used\n"
           "reverse-complemented, named with a trailing '), with the highest total score.\n"
           "\n"
           "  -o PREFIX           result files PREFIX_decomposition.tsv, PREFIX_decomposition.bed and\n"
           "                      PREFIX.N.ens for record N (default: the SEQUENCES path)\n"
           "  -r NAME[:BEGIN-END] only this region (1-based, inclusive), through the .fai index\n"
           "  -t N                threads (default: all cores); the output is the same for every N\n"
           "  -s INS,DEL,MISMATCH,MATCH\n"
           "                      alignment scores (default -1,-1,-1,1)\n"
           "  -i MIN_IDENTITY     leave out segments of lower identity (default 0)\n"
           "  --help              this text\n"
           "\n"
           "Standard output: one line per record: number, name, length, segments, total score.\n";
}

void InferUsage(std::ostream& out) {
    out << "Usage: horgrid-tools infer [OPTION]... SEQUENCES [TEMPLATES]\n"
           "Infers the monomer set and the HOR of a satellite array or centromere region, starting\n"
           "from the monomers of TEMPLATES (FASTA; default: the 39 built-in alpha-satellite class\n"
           "monomers, standard phase), or from one period of the sequence when they explain little.\n"
           "\n"
           "  -t, --threads N       threads (default: every core)\n"
           "  -o, --prefix PREFIX   result file prefix (default: the SEQUENCES path)\n"
           "      --min-count N     members a group needs to give a monomer (default 3)\n"
           "      --max-rounds N    rounds of decomposition and grouping at most (default 10)\n"
           "      --closeness PCT   segments closer than PCT % to a group leader join it (default 10)\n"
           "      --merge PCT       monomers closer than PCT % merge unless they separate (default 8)\n"
           "      --min-identity PCT  segments below PCT % identity are left out of the files (default 60)\n"
           "  -h, --help            this text\n"
           "\n"
           "Writes PREFIX_monomers.fa, PREFIX_hors.tsv, PREFIX_hors.bed and the decomposition files\n"
           "PREFIX_decomposition.tsv, PREFIX_decomposition.bed and PREFIX.N.ens.\n";
}

}  // namespace horgrid
