#include "tools/AnnotateCommand.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "annotate/Annotate.h"
#include "annotate/AnnotationFiles.h"
#include "common/Gnuplot.h"
#include "common/Parallel.h"
#include "common/PathNames.h"
#include "report/AnnotationReader.h"
#include "report/ReportPage.h"
#include "scan/AlphaScan.h"
#include "seqio/SequenceReader.h"
#include "tools/ReportCommand.h"

namespace horgrid {
namespace {

// Records from this length on are first scanned for their alpha-satellite
// stretches (scan/AlphaScan.h), and only those are annotated; shorter ones
// are annotated whole (the scan's windows need a kilobase or more).
constexpr std::size_t kScanFrom = 1000000;
// Bases added on either side of a scanned stretch, so that its first and last
// monomers are whole.
constexpr std::int64_t kStretchMargin = 200;
// Stretches up to this length are decomposed as one window (DecomposeInWindows
// cuts longer ones into 100 kb windows for the threads).
constexpr std::size_t kOneWindow = 200000;
// A long record's progress is shown every this many bases.
constexpr std::size_t kProgressBases = 10000000;

// The report page as it grows: the arrays of the records done and their pictures.
struct ReportDraft {
    PictureSettings settings;
    std::vector<ArrayContent> arrays;
    std::vector<ArrayPictures> pictures;
};

// The stretches of a record that are annotated, as (start, end) pairs.
std::vector<std::pair<std::size_t, std::size_t>> Stretches(const SequenceRecord& record, const AlphaKmerTable& table) {
    const std::int64_t length = static_cast<std::int64_t>(record.sequence.size());
    if (record.sequence.size() < kScanFrom) return {{0, record.sequence.size()}};
    std::vector<std::pair<std::size_t, std::size_t>> stretches;
    for (const AlphaStretch& found : FindAlphaStretches(record.sequence, table)) {
        const std::int64_t start = std::max<std::int64_t>(0, found.start - kStretchMargin);
        const std::int64_t end = std::min(length, found.end + kStretchMargin);
        if (!stretches.empty() && static_cast<std::int64_t>(stretches.back().second) >= start) {
            stretches.back().second = static_cast<std::size_t>(end);
        } else {
            stretches.emplace_back(static_cast<std::size_t>(start), static_cast<std::size_t>(end));
        }
    }
    return stretches;
}

// Annotates one record (or region) stretch by stretch and adds it to the
// result files and, with a report, its arrays and their pictures to `draft`.
void AnnotateRecord(const SequenceRecord& record, std::int64_t offset, const StandardSets& sets,
                    const AlphaKmerTable& table, const AnnotateOptions& options, AnnotationWriter& writer,
                    std::size_t number, ReportDraft* draft) {
    std::size_t monomers = 0, arrays = 0, copies = 0;
    std::size_t shown = 0;
    const auto stretches = Stretches(record, table);
    const auto bases = [&](std::size_t i) {
        return std::string_view(record.sequence).substr(stretches[i].first, stretches[i].second - stretches[i].first);
    };
    // Stretches too short to be cut into windows for the threads run side by
    // side, a thread each; the others use every thread in turn. The
    // annotation does not depend on the thread count.
    std::vector<std::size_t> shortOnes;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        if (stretches[i].second - stretches[i].first <= kOneWindow) shortOnes.push_back(i);
    }
    std::vector<Annotation> done(stretches.size());
    if (options.threads > 1 && shortOnes.size() > 1) {
        ParallelFor(shortOnes.size(), options.threads, [&](std::size_t k, unsigned) {
            done[shortOnes[k]] = AnnotateSequence(bases(shortOnes[k]), sets, AnnotationSettings{}, 1);
        });
    }
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const auto [start, end] = stretches[i];
        const bool ready = options.threads > 1 && shortOnes.size() > 1 && end - start <= kOneWindow;
        const Annotation annotation =
            ready ? std::move(done[i]) : AnnotateSequence(bases(i), sets, AnnotationSettings{}, options.threads);
        writer.Add(record.name, offset + static_cast<std::int64_t>(start), annotation);
        monomers += annotation.monomers.size();
        arrays += annotation.arrays.size();
        copies += annotation.copies.size();
        if (end - shown >= kProgressBases && end < record.sequence.size()) {
            shown = end;
            std::cerr << "horgrid-tools annotate: record " << number << ", " << end << " of "
                      << record.sequence.size() << " bases done\n";
        }
    }
    if (draft) {
        // The record is still in memory: its arrays are drawn now.
        for (ArrayContent& array : SplitByArray(writer.TakeTracks())) {
            draft->pictures.push_back(DrawArrayOfRecord(array, draft->arrays.size() + 1, record.sequence, offset,
                                                        draft->settings));
            draft->arrays.push_back(std::move(array));
        }
    }
    std::cout << number << '\t' << record.name << '\t' << record.sequence.size() << '\t' << monomers << '\t'
              << arrays << '\t' << copies << '\n';
}

// The filter's k-mer table: the family and standard HOR consensus monomers.
AlphaKmerTable ScanTable(const StandardSets& sets) {
    std::vector<std::string> references;
    for (const MonomerType& type : sets.families) references.push_back(type.sequence);
    for (const MonomerType& type : sets.horMonomers) references.push_back(type.sequence);
    return AlphaKmerTable(references, AlphaScanSettings{}.k);
}

void Run(const AnnotateOptions& options) {
    const StandardSets sets = BuiltInStandardSets();
    const AlphaKmerTable table = ScanTable(sets);
    std::optional<SequenceReader> reader;
    std::optional<RegionRecord> region;
    if (!options.region.empty()) {
        region = ReadRegion(options.sequences, options.region);
    } else {
        reader.emplace(options.sequences);
    }
    std::optional<ReportDraft> draft;
    if (!options.noReport) {
        draft.emplace();
        if (const std::string error = ReadPlotSettings(draft->settings.plot); !error.empty()) {
            throw ValueError{error};
        }
        draft->settings.threads = options.threads;
        draft->settings.beside = options.prefix + "_report.html";
    }
    AnnotationWriter writer(options.prefix, sets, {options.sequences}, draft.has_value());
    std::size_t records = 0;
    std::size_t bases = 0;
    SequenceRecord record;
    while (region ? records == 0 : reader->Next(record)) {
        const SequenceRecord& current = region ? region->record : record;
        AnnotateRecord(current, region ? region->offset : 0, sets, table, options, writer, ++records,
                       draft ? &*draft : nullptr);
        bases += current.sequence.size();
        std::cerr << "horgrid-tools annotate: " << records << " records, " << bases << " bases done\n";
    }
    if (draft) {
        ReportHeading heading;
        heading.title = BaseName(options.prefix);
        for (const std::string_view column : SplitTabs(ArraysHeader())) heading.arrayColumns.emplace_back(column);
        writer.WriteReport(RenderReport(heading, draft->arrays, draft->pictures));
    }
    writer.Commit();
    if (draft) RefuseMissingPictures(draft->pictures);
}

}  // namespace

void AnnotateOptions::Declare(CommandLine& line) {
    line.Summary("standard alpha-satellite annotation -> SEQUENCES_AS-HOR.bed, _AS-SF.bed, _AS-strand.bed, "
                 "_AS-StV.bed, _arrays.tsv, _decomposition.tsv and _report.html");
    line.Description(
        "The standard alpha-satellite annotation of every record of SEQUENCES (FASTA or FASTQ, plain, gzip or "
        "bgzip): monomers in the standard phase with their suprachromosomal class and standard HOR monomer "
        "names, the arrays and their HOR copies, from the built-in standard monomer sets.");
    line.Operand("SEQUENCES", sequences);
    line.Prefix(prefix, "SEQUENCES",
                "result files PREFIX_AS-HOR.bed, PREFIX_AS-SF.bed, PREFIX_AS-strand.bed, PREFIX_AS-StV.bed, "
                "PREFIX_arrays.tsv, PREFIX_decomposition.tsv and PREFIX_report.html");
    line.Option("-r,--region", "NAME[:BEGIN-END]", "only this region (1-based, inclusive), through the .fai index",
                Text(region, "region"));
    line.Threads(threads);
    line.Flag("--no-report", "no PREFIX_report.html (e.g. when records are annotated apart and merged)", noReport);
    line.Notes("Standard output: one line per record: number, name, length, monomers, arrays, HOR copies.");
}

void AnnotateOptions::Execute() const { Run(*this); }

}  // namespace horgrid
