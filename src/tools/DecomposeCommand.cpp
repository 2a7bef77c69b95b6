#include "tools/DecomposeCommand.h"

#include <iostream>

#include "decompose/DecomposeFile.h"
#include "tools/Messages.h"

namespace horgrid {

void DecomposeOptions::Declare(CommandLine& line) {
    line.Summary(
        "cut FASTA/FASTQ records into monomers -> SEQUENCES_decomposition.tsv/.bed and SEQUENCES.ens/N.ens");
    line.Description(
        "Cuts every record of SEQUENCES (FASTA or FASTQ, plain, gzip or bgzip) into consecutive segments, "
        "each aligned to one monomer type of MONOMER_SET (FASTA; every type is also used "
        "reverse-complemented, named with a trailing '), with the highest total score.");
    line.Operand("SEQUENCES", sequences);
    line.Operand("MONOMER_SET", monomers);
    line.Prefix(
        prefix, "SEQUENCES",
        "result files PREFIX_decomposition.tsv, PREFIX_decomposition.bed and PREFIX.ens/N.ens for record N");
    line.Option("-r,--region", "NAME[:BEGIN-END]",
                "only this region (1-based, inclusive), through the .fai index", Text(region, "region"));
    line.Threads(threads);
    line.Option("-s,--scores", "INS,DEL,MISMATCH,MATCH", "alignment scores", Scores(scoring));
    line.Option("-i,--min-identity", "PCT", "leave out segments of lower identity", Percent(minIdentity));
    line.Notes("Standard output: one line per record: number, name, length, segments, total score.");
}

void DecomposeOptions::Execute() const {
    std::size_t records = 0;
    DecomposeFile(
        {{sequences, region}, monomers, prefix, scoring, minIdentity, threads},
        [&records](const SourceRecord& record, const std::vector<Segment>& segments) {
            ++records;
            std::cout << record.number << '\t' << record.record.name << '\t' << record.record.sequence.size()
                      << '\t' << segments.size() << '\t' << TotalScore(segments) << '\n';
        },
        [](const Progress& progress) { PrintProgress("decompose", progress); });
    if (records == 0) PrintMessage("decompose", NoRecordsWarning(sequences));
}

}  // namespace horgrid
