#include "tools/InferCommand.h"

#include <algorithm>
#include <iostream>
#include <string>

#include "common/NumberFormat.h"
#include "infer/InferFile.h"
#include "infer/InferFiles.h"
#include "infer/InferSummary.h"
#include "tools/Messages.h"

namespace horgrid {
namespace {

void PrintRound(const RoundReport& report) {
    std::cout << (report.round == 0 ? std::string("final") : "round " + std::to_string(report.round)) << ": "
              << report.monomers << " monomers, decomposition score " << report.score << ", mean identity "
              << Fixed(report.identity, 2) << " %" << std::endl;
}

void PrintHor(const Inference& inference) {
    const HorResult& hor = inference.hor;
    if (hor.unit.empty()) {
        std::cout << "no HOR: no monomer-type sequence repeats\n";
        return;
    }
    const auto names = [&](const std::vector<std::size_t>& types) {
        std::string list;
        for (const std::size_t type : types)
            list += (list.empty() ? "" : ",") + inference.monomers[type].name;
        return list;
    };
    std::size_t bases = 0;
    for (const std::size_t type : hor.unit) bases += inference.monomers[type].sequence.size();
    std::size_t kinds[3] = {0, 0, 0};
    for (const HorCopy& copy : hor.copies) ++kinds[static_cast<int>(copy.kind)];
    std::cout << "HOR " << UnitName(hor) << " " << names(hor.unit) << ": " << hor.unit.size() << " monomers, "
              << bases << " bases, " << hor.copies.size() << " copies (" << kinds[0] << " full, " << kinds[1]
              << " partial, " << kinds[2] << " variant)\n";
    for (const VariantArray& array : hor.variantArrays) {
        const HorCopy& first = array.copies.front();
        const HorCopy& last = array.copies.back();
        std::cout << "variant HOR array in record " << first.record + 1 << ", "
                  << std::min(first.start, last.start) << "-" << std::max(first.end, last.end) << " ("
                  << (first.reverse ? '-' : '+') << "): " << array.copies.size() << " copies of the "
                  << array.layout.size() << "-monomer variant " << names(array.layout) << ", lacking "
                  << names(array.lacks) << "; its own array, not copies of the " << UnitName(hor) << "\n";
    }
}

}  // namespace

void InferOptions::Declare(CommandLine& line) {
    line.Summary(
        "monomer set and HOR of an array or centromere region -> SEQUENCES_monomers.fa, SEQUENCES_hors.tsv/.bed and the "
        "decomposition files");
    line.Description(
        "Infers the monomer set and the HOR of a satellite array or centromere region, starting from the "
        "monomers of TEMPLATES (FASTA; default: the 39 built-in alpha-satellite class monomers, standard "
        "phase), or from one period of the sequence when they explain little.");
    line.Operand("SEQUENCES", sequences);
    line.OptionalOperand("TEMPLATES", templates);
    line.Threads(settings.threads);
    line.Prefix(prefix, "SEQUENCES", "result file prefix");
    line.Option("--min-count", "N", "members a group needs to give a monomer", Count(settings.minCount));
    line.Option("--max-rounds", "N", "rounds of decomposition and grouping at most",
                Count(settings.maxRounds));
    line.Option("--closeness", "PCT", "segments closer than PCT % to a group leader join it",
                Percent(settings.closeness));
    line.Option("--merge", "PCT", "monomers closer than PCT % merge unless they separate", Percent(settings.mergeLimit));
    line.Option("--min-identity", "PCT", "segments below PCT % identity are left out of the files",
                Percent(settings.minIdentity));
    line.Notes(
        "Writes PREFIX_monomers.fa, PREFIX_hors.tsv, PREFIX_hors.bed and the decomposition files "
        "PREFIX_decomposition.tsv, PREFIX_decomposition.bed and PREFIX.ens/N.ens.");
}

void InferOptions::Execute() const {
    InferSinks sinks;
    sinks.started = [&] {
        std::cout << "closeness " << StreamDefault(settings.closeness) << " %, merge limit "
                  << StreamDefault(settings.mergeLimit) << " %, minimum identity "
                  << StreamDefault(settings.minIdentity) << " %, minimum count " << settings.minCount
                  << ", at most " << settings.maxRounds << " rounds\n";
    };
    sinks.round = PrintRound;
    sinks.inferred = [&](const Inference& inference) {
        std::cout << InferSummary(inference, templates.empty() ? "the standard class monomers" : templates);
        if (inference.monomers.empty()) {
            std::cout << "no satellite found in '" << sequences << "': the monomer set is empty\n";
            PrintMessage("infer", "no satellite found in '" + sequences + "': the monomer set is empty");
        } else {
            PrintHor(inference);
        }
    };
    InferFile({{sequences, ""}, templates, prefix, settings}, sinks);
}

}  // namespace horgrid
