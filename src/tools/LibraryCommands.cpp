#include "tools/LibraryCommands.h"

#include "ensemble/alphaEnsemble.h"
#include "groups/consensus.h"
#include "groups/distanceMatrix.h"
#include "groups/horAnaliser.h"
#include "groups/horTable.h"

namespace horgrid {

namespace {

constexpr char kMonomersFile[] = "MONOMERS is a monomers file: records in groups separated by empty lines.";

}  // namespace

void ConsensusOptions::Declare(CommandLine& line) {
    line.Summary("consensus of every group -> MONOMERS.cons");
    line.Description(
        "Consensus of every group of MONOMERS and each member's distance to it -> MONOMERS.cons");
    line.Notes(kMonomersFile);
    line.Operand("MONOMERS", monomers);
}

void ConsensusOptions::Execute() const {
    consensus{monomers};
}

void DistMatrixOptions::Declare(CommandLine& line) {
    line.Summary("distance matrix of each of the first four groups -> MONOMERS_.distMatrix");
    line.Description("Distance matrix of each of the first four groups of MONOMERS -> MONOMERS_.distMatrix");
    line.Notes(kMonomersFile);
    line.Operand("MONOMERS", monomers);
}

void DistMatrixOptions::Execute() const {
    distanceMatrix{monomers};
}

void GroupOptions::Declare(CommandLine& line) {
    line.Summary("groups of close monomers -> DOT_MATRIX_horStructure.txt and DOT_MATRIX_horStructure2.txt");
    line.Description(
        "Groups of close monomers of DOT_MATRIX (a file written by horgrid -m) -> "
        "DOT_MATRIX_horStructure.txt and DOT_MATRIX_horStructure2.txt");
    line.Operand("DOT_MATRIX", dotMatrix);
}

void GroupOptions::Execute() const {
    horAnaliser{dotMatrix};
}

void HorTableOptions::Declare(CommandLine& line) {
    line.Summary("divergence within HOR copies -> MONOMERS.hors");
    line.Description("Divergence within the HOR copies of MONOMERS (one group per HOR) -> MONOMERS.hors");
    line.Notes(kMonomersFile);
    line.Operand("MONOMERS", monomers);
}

void HorTableOptions::Execute() const {
    horTable{monomers};
}

void MergeOptions::Declare(CommandLine& line) {
    line.Summary("interleave two ensembles by position -> ENSEMBLE1r");
    line.Description("Interleaves the records of two ensembles by position -> ENSEMBLE1r");
    line.Operand("ENSEMBLE1", first);
    line.Operand("ENSEMBLE2", second);
}

void MergeOptions::Execute() const {
    alphaEnsemble(alphaEnsemble(first), alphaEnsemble(second));
}

void PurifyOptions::Declare(CommandLine& line) {
    line.Summary("monomers close to the reference monomer -> ENSEMBLE_purified.txt");
    line.Description("The monomers of ENSEMBLE close to the reference monomer -> ENSEMBLE_purified.txt");
    line.Operand("ENSEMBLE", ensemble);
}

void PurifyOptions::Execute() const {
    alphaEnsemble(ensemble).PurifyAlphaEnsemble();
}

}  // namespace horgrid
