#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "annotate/Annotate.h"
#include "scan/AlphaScan.h"
#include "seqio/RecordSource.h"

namespace horgrid {

// The filter's k-mer table (scan/AlphaScan.h): the family and standard HOR
// consensus monomers of `sets`.
AlphaKmerTable ScanTable(const StandardSets& sets);

// Called with each annotated stretch of a record, in sequence order: its
// first base in the record and its annotation (positions within the stretch).
using StretchSink = std::function<void(std::int64_t start, const Annotation& annotation)>;

// The annotation of one record, stretch by stretch (no files, no printing).
// Records of a megabase or more are first scanned for their alpha-satellite
// stretches (FindAlphaStretches with `table`, 200 bases added on either side,
// stretches that then touch joined) and only those are annotated; shorter
// records are one stretch. Stretches up to 200 kb run side by side, a thread
// each; longer ones use every thread in turn (AnnotateSequence). The
// annotation does not depend on `threads`. `done(end)` (optional) is called
// every 10 Mb or so of a long record with the end of the last stretch handed
// on. Memory: the annotations of one record's short stretches.
void AnnotateRecord(std::string_view sequence, const StandardSets& sets, const AlphaKmerTable& table,
                    unsigned threads, const StretchSink& sink,
                    const std::function<void(std::size_t end)>& done = {});

// What `annotate` computes and where it writes it.
struct AnnotateFileSettings {
    RecordInput input;   // the records (a file or one region of it)
    std::string prefix;  // the result files' prefix
    unsigned threads = 1;
    bool report = true;  // PREFIX_report.html too
};

// One annotated record as the pipeline hands it on.
struct AnnotatedRecord {
    const SourceRecord& source;
    std::size_t monomers = 0;
    std::size_t arrays = 0;
    std::size_t copies = 0;
};

struct AnnotateFileResult {
    std::size_t records = 0;
    std::string missing;  // pictures of the report not drawn (MissingPictures); "" when all are
};

// The annotation pipeline: streams the records (one in memory at a time),
// annotates each with the built-in standard sets (AnnotateRecord), writes
// PREFIX_AS-HOR.bed, _AS-SF.bed, _AS-strand.bed, _AS-StV.bed, _arrays.tsv,
// _decomposition.tsv, the record's cenSat track (satellite/CenSatTrack.h:
// the alpha-satellite arrays and the other satellites of FindSatellites)
// _cenSat.bed and _cenSat-strand.bed (AnnotationWriter) and, with `report`, _report.html (the
// arrays of each record drawn while its bases are at hand) as one result set,
// whole or not at all. `record` (optional) is called after each record,
// `progress` within long records and after each. Raises FileError for a
// sequence file that cannot be read or a result that cannot be written,
// InputError when the plot settings (HORGRID_GNUPLOT) are unusable with
// `report`. A picture that cannot be drawn is no failure: the page says why
// and `missing` lists it.
AnnotateFileResult AnnotateFile(const AnnotateFileSettings& settings,
                                const std::function<void(const AnnotatedRecord&)>& record = {},
                                const std::function<void(const Progress&)>& progress = {});

}  // namespace horgrid
