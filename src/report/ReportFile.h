#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/ReportModel.h"
#include "report/ReportPage.h"
#include "report/ReportPictures.h"

namespace horgrid {

// The pictures of array `number` (1-based) of a record whose bases from
// position `offset` on are `bases`: the heat map's units are cut from them,
// each in its own orientation and in upper case. Raises InputError when a
// unit lies outside them (the sequences are not the annotated ones). Cost:
// DrawArrayPictures (the heat map's pairs, on settings.threads).
ArrayPictures DrawArrayOfRecord(const ArrayContent& array, std::size_t number, std::string_view bases,
                                std::int64_t offset, const PictureSettings& settings);

// Every picture of `pictures` that could not be drawn, "no picture for array
// N: REASON" joined by "; " ("" when all were drawn; an empty one, such as the
// HOR picture of an array without copies, is no fault).
std::string MissingPictures(const std::vector<ArrayPictures>& pictures);

// The report page as it grows, record by record: the arrays of each record
// are prepared (their heat maps computed) while the record's bases are at
// hand, so only one record is ever in memory, and numbered in the order they
// come; their pictures are drawn four arrays at a time, whatever records
// they lie on, so that one run of gnuplot draws up to eight pictures.
class ReportDraft {
public:
    explicit ReportDraft(PictureSettings settings) : settings_(std::move(settings)) {}

    // Prepares and keeps the arrays of `tracks`, all on the record whose
    // bases from `offset` on are `bases`, and draws every four. Raises as
    // DrawArrayOfRecord.
    void Add(const AnnotationTracks& tracks, std::string_view bases, std::int64_t offset);
    // Draws the arrays not yet drawn, then the page (RenderReport) of every
    // array added.
    std::string Render(const ReportHeading& heading);
    // MissingPictures of every array added and drawn (after Render).
    std::string Missing() const { return MissingPictures(pictures_); }

private:
    void Flush();

    PictureSettings settings_;
    std::vector<ArrayContent> arrays_;
    std::vector<ArrayPictures> pictures_;
    std::vector<ArrayDrawing> pending_;  // the last arrays added, not yet drawn
};

// What `report` draws: the annotation written under `prefix` by annotate
// (ReadAnnotation), the annotated sequences, the page to write.
struct ReportFileSettings {
    std::string prefix;
    std::string sequences;
    std::string output;  // "" gives PREFIX_report.html
    PictureSettings pictures;  // `beside` is set to the page
};

struct ReportFileResult {
    std::string page;          // where it was written
    std::size_t arrays = 0;
    std::string missing;       // MissingPictures ("" when every picture was drawn)
};

// The report pipeline: reads the annotation, streams the sequences (one
// record in memory at a time) and draws the arrays of each record they hold,
// then writes the page as a result file (whole or not at all). `drawn(done,
// total)` is called after each array. Raises FileError for an annotation or
// sequence file that cannot be read or a page that cannot be written, and
// InputError when a record of the arrays table is not among the sequences or
// an array lies past its record. A picture that cannot be drawn is no
// failure: the page says why and `missing` lists it.
ReportFileResult ReportFile(const ReportFileSettings& settings,
                            const std::function<void(std::size_t done, std::size_t total)>& drawn = {});

}  // namespace horgrid
