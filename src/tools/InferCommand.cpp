#include "tools/InferCommand.h"

#include <iostream>
#include <string>
#include <vector>

#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "decompose/DecompositionFiles.h"
#include "decompose/MonomerSet.h"
#include "infer/InferFiles.h"
#include "infer/InferSummary.h"
#include "infer/Inference.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

std::vector<MonomerType> Templates(const std::string& path) {
    return path.empty() ? DefaultTemplates() : ReadMonomerSet(path);
}

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
    std::size_t bases = 0;
    std::string names;
    for (const std::size_t type : hor.unit) {
        bases += inference.monomers[type].sequence.size();
        names += (names.empty() ? "" : ",") + inference.monomers[type].name;
    }
    std::size_t kinds[3] = {0, 0, 0};
    for (const HorCopy& copy : hor.copies) ++kinds[static_cast<int>(copy.kind)];
    std::cout << "HOR " << UnitName(hor) << " " << names << ": " << hor.unit.size() << " monomers, " << bases
              << " bases, " << hor.copies.size() << " copies (" << kinds[0] << " full, " << kinds[1]
              << " partial, " << kinds[2] << " variant)\n";
}

void Write(const InferOptions& options, const std::vector<SequenceRecord>& records,
           const Inference& inference) {
    std::vector<std::string> names;
    for (const SequenceRecord& record : records) names.push_back(record.name);
    ResultFile monomers(options.prefix + "_monomers.fa");
    monomers.Write(MonomersFasta(inference.monomers));
    ResultFile hors(options.prefix + "_hors.tsv");
    hors.Write(HorCopiesTsv(inference, names));
    ResultFile bed(options.prefix + "_hors.bed");
    bed.Write(HorCopiesBed(inference, names));
    DecompositionWriter decomposition(options.prefix, inference.monomers, options.settings.minIdentity);
    for (std::size_t r = 0; r < records.size(); ++r)
        decomposition.Add(r + 1, records[r], inference.segments[r]);
    monomers.Commit();
    hors.Commit();
    bed.Commit();
    decomposition.Commit();
}

void Run(const InferOptions& options) {
    const InferSettings& settings = options.settings;
    const std::vector<MonomerType> templates = Templates(options.templates);
    if (const std::string error = DecomposeLimitError(templates, settings.scoring); !error.empty()) {
        throw ValueError{"cannot use the templates: " + error};
    }
    std::vector<SequenceRecord> records;
    SequenceReader reader(options.sequences);
    for (SequenceRecord record; reader.Next(record);) records.push_back(std::move(record));
    if (records.empty()) throw ValueError{"no sequence in '" + options.sequences + "'"};
    std::vector<std::string> sequences;
    for (const SequenceRecord& record : records) sequences.push_back(record.sequence);
    std::cout << "closeness " << StreamDefault(settings.closeness) << " %, merge limit "
              << StreamDefault(settings.mergeLimit) << " %, minimum identity "
              << StreamDefault(settings.minIdentity) << " %, minimum count " << settings.minCount
              << ", at most " << settings.maxRounds << " rounds\n";
    const Inference inference = InferMonomers(sequences, templates, settings, PrintRound);
    std::cout << InferSummary(inference, options.templates.empty() ? "the standard class monomers" : options.templates);
    if (inference.monomers.empty()) {
        std::cout << "no satellite found in '" << options.sequences << "': the monomer set is empty\n";
    } else {
        PrintHor(inference);
    }
    Write(options, records, inference);
}

}  // namespace

void InferOptions::Declare(CommandLine& line) {
    line.Summary(
        "monomer set and HOR of an array -> SEQUENCES_monomers.fa, SEQUENCES_hors.tsv/.bed and the "
        "decomposition files");
    line.Description(
        "Infers the monomer set and the HOR of an alpha-satellite array, starting from the monomers of "
        "TEMPLATES (FASTA; default: the twelve built-in family references).");
    line.Operand("SEQUENCES", sequences);
    line.OptionalOperand("TEMPLATES", templates);
    line.Threads(settings.threads);
    line.Prefix(prefix, "SEQUENCES", "result file prefix");
    line.Option("--min-count", "N", "members a group needs to give a monomer", Count(settings.minCount));
    line.Option("--max-rounds", "N", "rounds of decomposition and grouping at most",
                Count(settings.maxRounds));
    line.Option("--closeness", "PCT", "segments closer than PCT % to a group leader join it",
                Percent(settings.closeness));
    line.Option("--merge", "PCT", "monomers closer than PCT % are merged", Percent(settings.mergeLimit));
    line.Option("--min-identity", "PCT", "segments below PCT % identity are not alpha satellite",
                Percent(settings.minIdentity));
    line.Notes(
        "Writes PREFIX_monomers.fa, PREFIX_hors.tsv, PREFIX_hors.bed and the decomposition files "
        "PREFIX_decomposition.tsv, PREFIX_decomposition.bed and PREFIX.N.ens.");
}

void InferOptions::Execute() const {
    Run(*this);
}

}  // namespace horgrid
