#include "tools/InferCommand.h"

#include <iostream>
#include <string>
#include <vector>

#include "common/NumberFormat.h"
#include "common/ResultSet.h"
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

// The result set, declared (and checked against the inputs) before the work.
struct InferResults {
    ResultSet set;
    ResultFile& monomers;
    ResultFile& hors;
    ResultFile& bed;
    DecompositionWriter decomposition;

    explicit InferResults(const InferOptions& options)
        : set(options.prefix, {options.sequences, options.templates}),
          monomers(set.Add(options.prefix + "_monomers.fa")),
          hors(set.Add(options.prefix + "_hors.tsv")),
          bed(set.Add(options.prefix + "_hors.bed")),
          decomposition(set, options.prefix, options.settings.minIdentity) {}
};

void Write(InferResults& results, const std::vector<SequenceRecord>& records, const Inference& inference) {
    std::vector<std::string> names;
    for (const SequenceRecord& record : records) names.push_back(record.name);
    results.monomers.Write(MonomersFasta(inference.monomers));
    results.hors.Write(HorCopiesTsv(inference, names));
    results.bed.Write(HorCopiesBed(inference, names));
    for (std::size_t r = 0; r < records.size(); ++r)
        results.decomposition.Add(r + 1, records[r], inference.segments[r], inference.monomers);
    results.set.Commit();
}

void Run(const InferOptions& options) {
    const InferSettings& settings = options.settings;
    const std::vector<MonomerType> templates = Templates(options.templates);
    if (const std::string error = DecomposeLimitError(templates, settings.scoring); !error.empty()) {
        throw ValueError{"cannot use the templates: " + error};
    }
    InferResults results(options);
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
    Write(results, records, inference);
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
    Run(*this);
}

}  // namespace horgrid
