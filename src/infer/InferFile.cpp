#include "infer/InferFile.h"

#include <utility>
#include <vector>

#include "common/FileError.h"
#include "common/ResultSet.h"
#include "decompose/DecompositionFiles.h"
#include "decompose/MonomerSet.h"
#include "infer/InferFiles.h"

namespace horgrid {
namespace {

// The result set, declared (and checked against the inputs) before the work.
struct InferResults {
    ResultSet set;
    ResultFile& monomers;
    ResultFile& hors;
    ResultFile& bed;
    DecompositionWriter decomposition;

    explicit InferResults(const InferFileSettings& settings)
        : set(settings.prefix, {settings.input.path, settings.templates}),
          monomers(set.Add(settings.prefix + "_monomers.fa")),
          hors(set.Add(settings.prefix + "_hors.tsv")),
          bed(set.Add(settings.prefix + "_hors.bed")),
          decomposition(set, settings.prefix, settings.settings.minIdentity) {}

    void Write(const std::vector<SourceRecord>& records, const Inference& inference) {
        std::vector<std::string> names;
        for (const SourceRecord& record : records) names.push_back(record.record.name);
        monomers.Write(MonomersFasta(inference.monomers));
        hors.Write(HorCopiesTsv(inference, names));
        bed.Write(HorCopiesBed(inference, names));
        for (std::size_t r = 0; r < records.size(); ++r) {
            decomposition.Add(records[r].number, records[r].record, inference.segments[r], inference.monomers,
                              records[r].offset);
        }
        set.Commit();
    }
};

}  // namespace

Inference InferFile(const InferFileSettings& settings, const InferSinks& sinks) {
    const std::vector<MonomerType> templates =
        settings.templates.empty() ? DefaultTemplates() : ReadMonomerSet(settings.templates);
    if (const std::string error = DecomposeLimitError(templates, settings.settings.scoring); !error.empty()) {
        throw InputError("cannot use the templates: " + error);
    }
    InferResults results(settings);
    std::vector<SourceRecord> records;
    RecordSource source(settings.input);
    for (SourceRecord record; source.Next(record);) records.push_back(std::move(record));
    if (records.empty()) throw InputError("no sequence in '" + settings.input.path + "'");
    std::vector<std::string> sequences;
    for (const SourceRecord& record : records) sequences.push_back(record.record.sequence);
    if (sinks.started) sinks.started();
    const auto noRound = [](const RoundReport&) {};
    Inference inference =
        InferMonomers(sequences, templates, settings.settings, sinks.round ? sinks.round : noRound);
    if (sinks.inferred) sinks.inferred(inference);
    results.Write(records, inference);
    return inference;
}

}  // namespace horgrid
