// The sequence mode of horgrid-tools dotplot: heat maps of sequence windows
// straight from FASTA/FASTQ.

#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "common/Gnuplot.h"
#include "common/NumberFormat.h"
#include "common/ResultFile.h"
#include "dotplot/WindowIdentity.h"
#include "dotplot/WindowPicture.h"
#include "seqio/SequenceReader.h"
#include "tools/DotPlotCommand.h"

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

WindowSketchOptions SketchOptions(const DotPlotOptions& options) {
    WindowSketchOptions sketch;
    sketch.k = options.k;
    sketch.windows = options.windows;
    sketch.window = options.window;
    sketch.threads = options.threads;
    return sketch;
}

// Draws (and with --table writes) one matrix under `prefix`. Returns the
// reason the picture failed, or "".
std::string Emit(const DotPlotOptions& options, const WindowMatrix& matrix, const std::string& prefix,
                 WindowPlotLook look, bool self, const std::vector<std::string>& inputs) {
    const std::string picture = prefix + "_dotplot.png";
    const std::string table = prefix + "_dotplot.tsv";
    RefuseOverwritingInput(picture, inputs);
    if (options.table) RefuseOverwritingInput(table, inputs);
    look.minIdentity = options.minIdentity >= 0 ? options.minIdentity : AutomaticMinIdentity(matrix, self);
    PlotSettings settings;
    if (const std::string error = ReadPlotSettings(settings); !error.empty()) throw ValueError{error};
    if (options.table) WriteWindowTable(matrix, look.rowsName, look.columnsName, table, inputs);
    const std::string failure = DrawWindowPlot(matrix, look, picture, settings);
    std::cout << look.title << ": " << matrix.columns << " x " << matrix.rows << " windows of " << matrix.window
              << " bp, colours from " << Fixed(look.minIdentity, 0) << " %";
    if (options.table) std::cout << " -> " << table;
    std::cout << "\n";
    if (failure.empty()) {
        std::cout << "-> " << picture << "\n";
        return "";
    }
    return "no picture '" + picture + "': " + failure;
}

// The one record of a comparative plot's file.
SequenceRecord OnlyRecord(const std::string& path) {
    SequenceReader reader(path);
    SequenceRecord record, more;
    if (!reader.Next(record)) throw ValueError{"no record in '" + path + "': nothing to draw"};
    if (reader.Next(more)) {
        throw ValueError{"'" + path + "' holds more than one record: a comparative plot takes one record a file"};
    }
    return record;
}

}  // namespace

bool IsSequenceFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char first[2] = {0, 0};
    if (!in.read(first, 2)) return false;
    return first[0] == '>' || first[0] == '@' || (first[0] == '\x1f' && first[1] == '\x8b');
}

void RunSequenceDotPlot(const DotPlotOptions& options) {
    const WindowSketchOptions sketch = SketchOptions(options);
    std::string failures;
    const auto note = [&](const std::string& failure) {
        if (!failure.empty()) failures += (failures.empty() ? "" : "; ") + failure;
    };
    std::cout.flush();
    if (!options.second.empty()) {
        const SequenceRecord columns = OnlyRecord(options.ensemble);
        const SequenceRecord rows = OnlyRecord(options.second);
        const WindowMatrix matrix = PairWindowMatrix(columns.sequence, rows.sequence, sketch);
        const WindowPlotLook look{columns.name + " vs " + rows.name, columns.name, rows.name, 0};
        note(Emit(options, matrix, options.prefix, look, false, {options.ensemble, options.second}));
    } else {
        SequenceReader reader(options.ensemble);
        std::optional<SequenceRecord> current(SequenceRecord{});
        if (!reader.Next(*current)) throw ValueError{"no record in '" + options.ensemble + "': nothing to draw"};
        SequenceRecord next;
        for (std::size_t number = 1; current; ++number) {
            const bool more = reader.Next(next);
            const bool alone = number == 1 && !more;
            const std::string prefix = alone ? options.prefix : options.prefix + "_" + std::to_string(number);
            const WindowMatrix matrix = SelfWindowMatrix(current->sequence, sketch);
            const WindowPlotLook look{current->name, current->name, current->name, 0};
            note(Emit(options, matrix, prefix, look, true, {options.ensemble}));
            if (more) {
                std::swap(*current, next);
            } else {
                current.reset();
            }
        }
    }
    if (!failures.empty()) throw PictureError{failures};
}

}  // namespace horgrid
