#include "report/ReportFile.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <utility>

#include "common/FileError.h"
#include "common/PathNames.h"
#include "common/ResultFile.h"
#include "decompose/Decompose.h"
#include "report/AnnotationReader.h"
#include "seqio/RecordSource.h"

namespace horgrid {
namespace {

// The heat map units cut from the record's bases from `offset` on, each in
// its own orientation and in upper case, and their starts.
void CutUnits(const HeatMapUnits& units, std::string_view bases, std::int64_t offset,
              std::vector<std::string>& sequences, std::vector<int>& positions) {
    for (const TrackItem& monomer : units.items) {
        if (monomer.start < offset || monomer.end - offset > static_cast<std::int64_t>(bases.size())) {
            throw InputError(monomer.record + ":" + std::to_string(monomer.start) + "-" +
                             std::to_string(monomer.end) + " lies past the record's end (" +
                             std::to_string(offset + static_cast<std::int64_t>(bases.size())) +
                             " bases): is SEQUENCES the annotated file?");
        }
        const std::string_view unitBases = bases.substr(static_cast<std::size_t>(monomer.start - offset),
                                                        static_cast<std::size_t>(monomer.end - monomer.start));
        // Upper case, so soft-masked (lower-case) bases compare with the others.
        std::string unit = monomer.strand == '-' ? ReverseComplement(unitBases) : std::string(unitBases);
        for (char& base : unit) base = static_cast<char>(std::toupper(static_cast<unsigned char>(base)));
        sequences.push_back(std::move(unit));
        positions.push_back(static_cast<int>(monomer.start));
    }
}

// An array of the table that runs past the end of its record.
void RefuseArrayPastEnd(const ArrayRow& array, const SourceRecord& source, const std::string& prefix) {
    const std::int64_t end = source.offset + static_cast<std::int64_t>(source.record.sequence.size());
    if (array.end <= end) return;
    throw FileError::FromReason("cannot read", prefix + "_arrays.tsv",
                                "line " + std::to_string(array.line) + ": the array ends at " +
                                    std::to_string(array.end) + ", past the end of record '" +
                                    Printable(source.record.name) + "' (" + std::to_string(end) +
                                    " bases): is SEQUENCES the annotated file?");
}

}  // namespace

namespace {

// PrepareArrayPictures for an array of the record whose bases from `offset` on are `bases`.
ArrayDrawing PrepareArrayOfRecord(const ArrayContent& array, std::size_t number, std::string_view bases,
                                  std::int64_t offset, const PictureSettings& settings) {
    std::vector<std::string> sequences;
    std::vector<int> positions;
    const HeatMapUnits units = ChooseHeatMapUnits(array, settings.heatMapUnits);
    CutUnits(units, bases, offset, sequences, positions);
    const std::vector<std::string_view> views(sequences.begin(), sequences.end());
    return PrepareArrayPictures(array, number, units, views, positions, settings);
}

// Arrays whose pictures are prepared, then drawn together: four arrays' grids
// held at a time, whatever records they lie on.
constexpr std::size_t kArraysDrawnTogether = 4;

// Draws the pictures of `pending` (DrawPrepared), hands each array's to
// drawn(k, pictures) in order and empties it.
void DrawPending(std::vector<ArrayDrawing>& pending, const PictureSettings& settings,
                 const std::function<void(std::size_t k, ArrayPictures& pictures)>& drawn) {
    DrawPrepared(pending, settings);
    for (std::size_t k = 0; k < pending.size(); ++k) drawn(k, pending[k].pictures);
    pending.clear();
}

}  // namespace

ArrayPictures DrawArrayOfRecord(const ArrayContent& array, std::size_t number, std::string_view bases,
                                std::int64_t offset, const PictureSettings& settings) {
    std::vector<ArrayDrawing> drawings;
    drawings.push_back(PrepareArrayOfRecord(array, number, bases, offset, settings));
    DrawPrepared(drawings, settings);
    return std::move(drawings.front().pictures);
}

std::string MissingPictures(const std::vector<ArrayPictures>& pictures) {
    std::string failures;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (const Picture* picture : {&pictures[i].hor, &pictures[i].heatMap}) {
            if (!picture->png.empty() || picture->empty) continue;
            failures += (failures.empty() ? "" : "; ") + std::string("no picture for array ") +
                        std::to_string(i + 1) + ": " + picture->failure;
        }
    }
    return failures;
}

void ReportDraft::Add(const AnnotationTracks& tracks, std::string_view bases, std::int64_t offset) {
    for (ArrayContent& array : SplitByArray(tracks)) {
        pending_.push_back(PrepareArrayOfRecord(array, arrays_.size() + 1, bases, offset, settings_));
        arrays_.push_back(std::move(array));
        pictures_.emplace_back();
        if (pending_.size() == kArraysDrawnTogether) Flush();
    }
}

void ReportDraft::Flush() {
    const std::size_t first = pictures_.size() - pending_.size();
    DrawPending(pending_, settings_,
                [&](std::size_t k, ArrayPictures& pictures) { pictures_[first + k] = std::move(pictures); });
}

std::string ReportDraft::Render(const ReportHeading& heading) {
    Flush();
    return RenderReport(heading, arrays_, pictures_);
}

ReportFileResult ReportFile(const ReportFileSettings& settings,
                            const std::function<void(std::size_t done, std::size_t total)>& drawn) {
    ReportFileResult result;
    result.page = settings.output.empty() ? settings.prefix + "_report.html" : settings.output;
    PictureSettings pictureSettings = settings.pictures;
    pictureSettings.beside = result.page;

    // The page's name is checked (not an input, not a device, FIFO or link)
    // before any work.
    std::vector<std::string> inputs = AnnotationInputs(settings.prefix);
    inputs.push_back(settings.sequences);
    ResultFile page(result.page, inputs);

    const AnnotationTracks annotation = ReadAnnotation(settings.prefix);
    const std::vector<ArrayContent> arrays = SplitByArray(annotation);
    std::map<std::string, std::vector<std::size_t>> byRecord;
    for (std::size_t i = 0; i < arrays.size(); ++i) byRecord[arrays[i].row.record].push_back(i);

    // One record in memory at a time: its arrays are prepared (their heat
    // maps computed) before the next is read, and drawn four at a time.
    std::vector<ArrayPictures> pictures(arrays.size());
    std::vector<ArrayDrawing> pending;
    std::vector<std::size_t> pendingArrays;
    std::size_t done = 0;
    const auto draw = [&] {
        DrawPending(pending, pictureSettings, [&](std::size_t k, ArrayPictures& drawnPictures) {
            pictures[pendingArrays[k]] = std::move(drawnPictures);
            if (drawn) drawn(++done, arrays.size());
        });
        pendingArrays.clear();
    };
    try {
        RecordSource source({settings.sequences, ""});
        SourceRecord record;
        while (!byRecord.empty() && source.Next(record)) {
            const auto found = byRecord.find(record.record.name);
            if (found == byRecord.end()) continue;
            for (const std::size_t i : found->second) {
                RefuseArrayPastEnd(arrays[i].row, record, settings.prefix);
                pending.push_back(
                    PrepareArrayOfRecord(arrays[i], i + 1, record.record.sequence, record.offset, pictureSettings));
                pendingArrays.push_back(i);
                if (pending.size() == kArraysDrawnTogether) draw();
            }
            byRecord.erase(found);
        }
    } catch (...) {
        // The arrays prepared before a refusal are drawn and told, as when
        // each was drawn at once.
        draw();
        throw;
    }
    draw();
    if (!byRecord.empty()) {
        throw InputError("record '" + byRecord.begin()->first + "' of " + settings.prefix +
                         "_arrays.tsv is not in '" + settings.sequences + "'");
    }

    ReportHeading heading;
    heading.title = BaseName(settings.prefix);
    heading.arrayColumns = annotation.arrayColumns;
    heading.cenSat = annotation.cenSat;
    page.Write(RenderReport(heading, arrays, pictures));
    page.Commit();
    result.arrays = arrays.size();
    result.missing = MissingPictures(pictures);
    return result;
}

}  // namespace horgrid
