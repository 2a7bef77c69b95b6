#include "tools/AnnotateCommand.h"

#include <iostream>

#include "annotate/AnnotateFile.h"
#include "tools/Messages.h"

namespace horgrid {

void AnnotateOptions::Declare(CommandLine& line) {
    line.Summary("standard alpha-satellite annotation -> SEQUENCES_AS-HOR.bed, _AS-SF.bed, _AS-strand.bed, "
                 "_AS-StV.bed, _arrays.tsv, _decomposition.tsv, _cenSat.bed, _cenSat-strand.bed and _report.html");
    line.Description(
        "The standard alpha-satellite annotation of every record of SEQUENCES (FASTA or FASTQ, plain, gzip or "
        "bgzip): monomers in the standard phase with their suprachromosomal class and standard HOR monomer "
        "names, the arrays and their HOR copies, from the built-in standard monomer sets; and the cenSat track: "
        "every satellite array (alpha satellite by its arrays, HSat1A, HSat3, bSat, gSat, the cenSat families and "
        "rDNA from built-in reference units), the transition regions between them and the runs of N.");
    line.Operand("SEQUENCES", sequences);
    line.Prefix(prefix, "SEQUENCES",
                "result files PREFIX_AS-HOR.bed, PREFIX_AS-SF.bed, PREFIX_AS-strand.bed, PREFIX_AS-StV.bed, "
                "PREFIX_arrays.tsv, PREFIX_decomposition.tsv, PREFIX_cenSat.bed, PREFIX_cenSat-strand.bed and "
                "PREFIX_report.html");
    line.Option("-r,--region", "NAME[:BEGIN-END]", "only this region (1-based, inclusive), through the .fai index",
                Text(region, "region"));
    line.Threads(threads);
    line.Flag("--no-report", "no PREFIX_report.html (e.g. when records are annotated apart and merged)", noReport);
    line.Notes("Standard output: one line per record: number, name, length, monomers, arrays, HOR copies.");
}

void AnnotateOptions::Execute() const {
    std::size_t records = 0;
    const AnnotateFileResult result = AnnotateFile(
        {{sequences, region}, prefix, threads, !noReport},
        [&records](const AnnotatedRecord& done) {
            ++records;
            const SequenceRecord& record = done.source.record;
            std::cout << done.source.number << '\t' << record.name << '\t' << record.sequence.size() << '\t'
                      << done.monomers << '\t' << done.arrays << '\t' << done.copies << '\n';
        },
        [](const Progress& progress) { PrintProgress("annotate", progress); });
    if (records == 0) PrintMessage("annotate", NoRecordsWarning(sequences));
    if (!result.missing.empty()) throw PictureError{result.missing};
}

}  // namespace horgrid
