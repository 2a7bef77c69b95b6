#include "tools/AnnotateCommand.h"

#include <iostream>
#include <optional>
#include <string>

#include "annotate/Annotate.h"
#include "annotate/AnnotationFiles.h"
#include "seqio/SequenceReader.h"

namespace horgrid {
namespace {

// Annotates one record (or region) and adds it to the result files.
void AnnotateRecord(const SequenceRecord& record, std::int64_t offset, const StandardSets& sets,
                    const AnnotateOptions& options, AnnotationWriter& writer, std::size_t number) {
    const Annotation annotation = AnnotateSequence(record.sequence, sets, AnnotationSettings{}, options.threads);
    writer.Add(record.name, offset, annotation);
    std::cout << number << '\t' << record.name << '\t' << record.sequence.size() << '\t'
              << annotation.monomers.size() << '\t' << annotation.arrays.size() << '\t' << annotation.copies.size()
              << '\n';
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
    if (region) {
        AnnotateRecord(region->record, region->offset, sets, options, writer, ++records);
        bases += region->record.sequence.size();
    } else {
        SequenceRecord record;
        while (reader->Next(record)) {
            AnnotateRecord(record, 0, sets, options, writer, ++records);
            bases += record.sequence.size();
            std::cerr << "annotate: " << records << " records, " << bases << " bases done\n";
        }
    }
    writer.Commit();
}

}  // namespace

void AnnotateOptions::Declare(CommandLine& line) {
    line.Summary(
        "standard alpha-satellite annotation -> SEQUENCES_AS-HOR.bed, _AS-SF.bed, _AS-strand.bed, _AS-StV.bed, "
        "_arrays.tsv and _decomposition.tsv");
    line.Description(
        "The standard alpha-satellite annotation of every record of SEQUENCES (FASTA or FASTQ, plain, gzip or "
        "bgzip): monomers in the standard phase with their suprachromosomal class and standard HOR monomer names, "
        "the arrays and their HOR copies, with the built-in standard monomer sets.");
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
