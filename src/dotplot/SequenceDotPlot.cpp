#include "dotplot/SequenceDotPlot.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/FileError.h"
#include "common/Gnuplot.h"
#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "dotplot/WindowPicture.h"
#include "seqio/RecordSource.h"

namespace horgrid {

namespace {

// One line per pair of windows that both hold k-mers: 0-based half-open
// windows of the row and the column sequence and the estimated identity.
void WriteWindowTable(const WindowMatrix& matrix, const std::string& rowsName, const std::string& columnsName,
                      const std::string& path, const std::vector<std::string>& inputs) {
    ResultFile file(path, inputs);
    file.Write("#query_name\tquery_start\tquery_end\treference_name\treference_start\treference_end\tidentity\n");
    const auto end = [&](std::size_t window, std::size_t length) {
        return std::to_string(std::min(length, (window + 1) * matrix.window));
    };
    for (std::size_t r = 0; r < matrix.rows; ++r) {
        const std::string rowText = rowsName + '\t' + std::to_string(r * matrix.window) + '\t' +
                                    end(r, matrix.lengthRows) + '\t' + columnsName + '\t';
        for (std::size_t c = 0; c < matrix.columns; ++c) {
            const float value = matrix.at(r, c);
            if (value != value) continue;  // no k-mer in one of the windows
            file.Write(rowText + std::to_string(c * matrix.window) + '\t' + end(c, matrix.lengthColumns) + '\t' +
                       Fixed(value, 2) + '\n');
        }
    }
    file.Commit();
}

// Draws (and with --table writes) one matrix under `prefix`.
DrawnDotPlot Emit(const SequenceDotPlotSettings& settings, const WindowMatrix& matrix, const std::string& prefix,
                  WindowPlotLook look, bool self, const std::vector<std::string>& inputs) {
    DrawnDotPlot drawn{look.title, matrix.columns, matrix.rows, matrix.window, 0, "", prefix + "_dotplot.png", ""};
    const std::string table = prefix + "_dotplot.tsv";
    RefuseOverwritingInput(drawn.picture, inputs);
    if (settings.table) RefuseOverwritingInput(table, inputs);
    look.minIdentity = settings.minIdentity >= 0 ? settings.minIdentity : AutomaticMinIdentity(matrix, self);
    drawn.minIdentity = look.minIdentity;
    PlotSettings plot;
    if (const std::string error = ReadPlotSettings(plot); !error.empty()) throw InputError(error);
    if (settings.table) {
        WriteWindowTable(matrix, look.rowsName, look.columnsName, table, inputs);
        drawn.table = table;
    }
    drawn.failure = DrawWindowPlot(matrix, look, drawn.picture, plot);
    return drawn;
}

// The one record of a comparative plot's file.
SequenceRecord OnlyRecord(const std::string& path) {
    RecordSource source({path, ""});
    SourceRecord record, more;
    if (!source.Next(record)) throw InputError("no record in '" + path + "': nothing to draw");
    if (source.Next(more)) {
        throw InputError("'" + path + "' holds more than one record: a comparative plot takes one record a file");
    }
    return std::move(record.record);
}

}  // namespace

std::string SequenceDotPlotFile(const SequenceDotPlotSettings& settings,
                                const std::function<void(const DrawnDotPlot&)>& drawn) {
    std::string failures;
    const auto hand = [&](const DrawnDotPlot& plot) {
        if (drawn) drawn(plot);
        if (plot.failure.empty()) return;
        failures += (failures.empty() ? "" : "; ") + ("no picture '" + plot.picture + "': " + plot.failure);
    };
    if (!settings.second.empty()) {
        const SequenceRecord columns = OnlyRecord(settings.sequences);
        const SequenceRecord rows = OnlyRecord(settings.second);
        const WindowMatrix matrix = PairWindowMatrix(columns.sequence, rows.sequence, settings.sketch);
        const WindowPlotLook look{columns.name + " vs " + rows.name, columns.name, rows.name, 0};
        hand(Emit(settings, matrix, settings.prefix, look, false, {settings.sequences, settings.second}));
        return failures;
    }
    RecordSource source({settings.sequences, ""});
    std::optional<SourceRecord> current(SourceRecord{});
    if (!source.Next(*current)) throw InputError("no record in '" + settings.sequences + "': nothing to draw");
    SourceRecord next;
    while (current) {
        const bool more = source.Next(next);
        const bool alone = current->number == 1 && !more;
        const std::string prefix =
            alone ? settings.prefix : settings.prefix + "_" + std::to_string(current->number);
        const WindowMatrix matrix = SelfWindowMatrix(current->record.sequence, settings.sketch);
        const std::string& name = current->record.name;
        hand(Emit(settings, matrix, prefix, {name, name, name, 0}, true, {settings.sequences}));
        if (more) {
            std::swap(*current, next);
        } else {
            current.reset();
        }
    }
    return failures;
}

}  // namespace horgrid
