#include "annotate/AnnotateFile.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "annotate/AnnotationFiles.h"
#include "annotate/PlacedAnnotation.h"
#include "annotate/PlacedCenSat.h"
#include "common/FileError.h"
#include "common/Gnuplot.h"
#include "common/Parallel.h"
#include "common/PathNames.h"
#include "report/ReportFile.h"
#include "satellite/CenSatTrack.h"
#include "satellite/SatelliteScan.h"

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

using Stretch = std::pair<std::size_t, std::size_t>;

// The stretches of a record that are annotated, as (start, end) pairs.
std::vector<Stretch> Stretches(std::string_view sequence, const AlphaKmerTable& table) {
    const std::int64_t length = static_cast<std::int64_t>(sequence.size());
    if (sequence.size() < kScanFrom) return {{0, sequence.size()}};
    std::vector<Stretch> stretches;
    for (const AlphaStretch& found : FindAlphaStretches(sequence, table)) {
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

// The report's picture settings, or none without a report.
std::optional<PictureSettings> ReportSettings(const AnnotateFileSettings& settings) {
    if (!settings.report) return std::nullopt;
    PictureSettings pictures;
    if (const std::string error = ReadPlotSettings(pictures.plot); !error.empty()) throw InputError(error);
    pictures.threads = settings.threads;
    pictures.beside = settings.prefix + "_report.html";
    return pictures;
}

// Appends the items of `more` to those of `tracks`.
void Append(AnnotationTracks& tracks, AnnotationTracks&& more) {
    const auto append = [](auto& to, auto& from) { to.insert(to.end(), from.begin(), from.end()); };
    append(tracks.arrays, more.arrays);
    append(tracks.monomers, more.monomers);
    append(tracks.families, more.families);
    append(tracks.strands, more.strands);
    append(tracks.copies, more.copies);
}

}  // namespace

AlphaKmerTable ScanTable(const StandardSets& sets) {
    std::vector<std::string> references;
    for (const MonomerType& type : sets.families) references.push_back(type.sequence);
    for (const MonomerType& type : sets.horMonomers) references.push_back(type.sequence);
    return AlphaKmerTable(references, AlphaScanSettings{}.k);
}

void AnnotateRecord(std::string_view sequence, const StandardSets& sets, const AlphaKmerTable& table,
                    unsigned threads, const StretchSink& sink, const std::function<void(std::size_t end)>& done) {
    const std::vector<Stretch> stretches = Stretches(sequence, table);
    const auto bases = [&](std::size_t i) {
        return sequence.substr(stretches[i].first, stretches[i].second - stretches[i].first);
    };
    // Stretches too short to be cut into windows for the threads run side by
    // side, a thread each; the others use every thread in turn.
    std::vector<std::size_t> shortOnes;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        if (stretches[i].second - stretches[i].first <= kOneWindow) shortOnes.push_back(i);
    }
    const bool sideBySide = threads > 1 && shortOnes.size() > 1;
    std::vector<Annotation> ready(stretches.size());
    if (sideBySide) {
        ParallelFor(shortOnes.size(), threads, [&](std::size_t k, unsigned) {
            ready[shortOnes[k]] = AnnotateSequence(bases(shortOnes[k]), sets, AnnotationSettings{}, 1);
        });
    }
    std::size_t shown = 0;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const auto [start, end] = stretches[i];
        const Annotation annotation = sideBySide && end - start <= kOneWindow
                                          ? std::move(ready[i])
                                          : AnnotateSequence(bases(i), sets, AnnotationSettings{}, threads);
        sink(static_cast<std::int64_t>(start), annotation);
        if (done && end - shown >= kProgressBases && end < sequence.size()) {
            shown = end;
            done(end);
        }
    }
}

AnnotateFileResult AnnotateFile(const AnnotateFileSettings& settings,
                                const std::function<void(const AnnotatedRecord&)>& record,
                                const std::function<void(const Progress&)>& progress) {
    const StandardSets sets = BuiltInStandardSets();
    const AlphaKmerTable table = ScanTable(sets);
    const SatelliteTable satellites(BuiltInSatelliteReferences(), SatelliteScanSettings{}.k);
    RecordSource source(settings.input);
    std::optional<ReportDraft> draft;
    if (std::optional<PictureSettings> pictures = ReportSettings(settings)) draft.emplace(std::move(*pictures));
    AnnotationWriter writer(settings.prefix, {settings.input.path}, draft.has_value());
    Progress done;
    std::vector<TrackItem> cenSat;  // for the report
    for (SourceRecord current; source.Next(current);) {
        const SequenceRecord& bases = current.record;
        AnnotatedRecord counts{current};
        AnnotationTracks tracks;
        std::vector<AlphaArrayCall> alpha;
        const auto stretch = [&](std::int64_t start, const Annotation& annotation) {
            const std::int64_t offset = current.offset + start;
            AnnotationTracks placed = PlaceAnnotation(bases.name, offset, annotation, sets);
            writer.Add(placed, bases.name, offset, annotation);
            AddAlphaArrays(annotation, start, alpha);
            if (draft) Append(tracks, std::move(placed));
            counts.monomers += annotation.monomers.size();
            counts.arrays += annotation.arrays.size();
            counts.copies += annotation.copies.size();
        };
        const auto within = [&](std::size_t end) {
            if (progress) progress({done.records, done.bases, current.number, end, bases.sequence.size()});
        };
        AnnotateRecord(bases.sequence, sets, table, settings.threads, stretch, within);
        const std::vector<SatelliteCall> calls = FindSatellites(bases.sequence, satellites, {}, settings.threads);
        const PlacedCenSat placed =
            PlaceCenSat(bases.name, current.offset, BuildCenSatTrack(bases.sequence, alpha, calls, satellites.Labels()));
        writer.AddCenSat(placed);
        if (draft) cenSat.insert(cenSat.end(), placed.track.begin(), placed.track.end());
        // The record is still in memory: its arrays are drawn now.
        if (draft) draft->Add(tracks, bases.sequence, current.offset);
        if (record) record(counts);
        ++done.records;
        done.bases += bases.sequence.size();
        if (progress) progress(done);
    }
    AnnotateFileResult result{done.records, ""};
    if (draft) {
        ReportHeading heading;
        heading.title = BaseName(settings.prefix);
        heading.arrayColumns = ArraysColumns();
        heading.cenSat = std::move(cenSat);
        writer.WriteReport(draft->Render(heading));
        result.missing = draft->Missing();
    }
    writer.Commit();
    return result;
}

}  // namespace horgrid
