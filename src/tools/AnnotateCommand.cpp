#include "tools/AnnotateCommand.h"

#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "annotate/Annotate.h"
#include "annotate/AnnotationFiles.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

// The stretches of a record that are annotated, as (start, end) pairs: the
// whole record. A filter that finds the alpha-satellite stretches of long
// records first plugs in here; each stretch is annotated on its own.
std::vector<std::pair<std::size_t, std::size_t>> Stretches(const SequenceRecord& record) {
    return {{0, record.sequence.size()}};
}

// Annotates one record (or region) stretch by stretch and adds it to the result files.
void AnnotateRecord(const SequenceRecord& record, std::int64_t offset, const StandardSets& sets,
                    const AnnotateOptions& options, AnnotationWriter& writer, std::size_t number) {
    std::size_t monomers = 0, arrays = 0, copies = 0;
    for (const auto& [start, end] : Stretches(record)) {
        const std::string_view stretch = std::string_view(record.sequence).substr(start, end - start);
        const Annotation annotation = AnnotateSequence(stretch, sets, AnnotationSettings{}, options.threads);
        writer.Add(record.name, offset + static_cast<std::int64_t>(start), annotation);
        monomers += annotation.monomers.size();
        arrays += annotation.arrays.size();
        copies += annotation.copies.size();
    }
    std::cout << number << '\t' << record.name << '\t' << record.sequence.size() << '\t' << monomers << '\t'
              << arrays << '\t' << copies << '\n';
}

void Run(const AnnotateOptions& options) {
    const StandardSets sets = BuiltInStandardSets();
    std::optional<SequenceReader> reader;
    std::optional<RegionRecord> region;
    if (!options.region.empty()) {
        region = ReadRegion(options.sequences, options.region);
    } else {
        reader.emplace(options.sequences);
    }
    AnnotationWriter writer(options.prefix, sets, {options.sequences});
    std::size_t records = 0;
    std::size_t bases = 0;
    SequenceRecord record;
    while (region ? records == 0 : reader->Next(record)) {
        const SequenceRecord& current = region ? region->record : record;
        AnnotateRecord(current, region ? region->offset : 0, sets, options, writer, ++records);
        bases += current.sequence.size();
        std::cerr << "horgrid-tools annotate: " << records << " records, " << bases << " bases done\n";
    }
    writer.Commit();
}

}  // namespace

void AnnotateOptions::Declare(CommandLine& line) {
    line.Summary("standard alpha-satellite annotation -> SEQUENCES_AS-HOR.bed, _AS-SF.bed, _AS-strand.bed, "
                 "_AS-StV.bed, _arrays.tsv and _decomposition.tsv");
    line.Description(
        "The standard alpha-satellite annotation of every record of SEQUENCES (FASTA or FASTQ, plain, gzip or "
        "bgzip): monomers in the standard phase with their suprachromosomal class and standard HOR monomer "
        "names, the arrays and their HOR copies, from the built-in standard monomer sets.");
    line.Operand("SEQUENCES", sequences);
    line.Prefix(prefix, "SEQUENCES",
                "result files PREFIX_AS-HOR.bed, PREFIX_AS-SF.bed, PREFIX_AS-strand.bed, PREFIX_AS-StV.bed, "
                "PREFIX_arrays.tsv and PREFIX_decomposition.tsv");
    line.Option("-r,--region", "NAME[:BEGIN-END]", "only this region (1-based, inclusive), through the .fai index",
                Text(region, "region"));
    line.Threads(threads);
    line.Notes("Standard output: one line per record: number, name, length, monomers, arrays, HOR copies.");
}

void AnnotateOptions::Execute() const { Run(*this); }

}  // namespace horgrid
