#include "hor/PlotCommand.h"

#include "common/NumberFormat.h"
#include "common/PathNames.h"

namespace horgrid {

namespace {

// printf "%f" of the picture's width and height.
std::string Size(double value) {
    return Fixed(value, 6);
}

// Integers are formed in 64 bits so that no grid size can overflow.
std::string Int(long long value) {
    return std::to_string(value);
}

// The number of rows, -lastRow, negated as an integer (0 rows gives 0, not -0).
double Rows(int lastRow) {
    return static_cast<double>(-static_cast<long long>(lastRow));
}

// "set term ...;" and "set output '<picture>';" with the given size.
std::string Terminal(double width, double height, const std::string& picture) {
    return "set term postscript eps size " + Size(width) + "," + Size(height) +
           " enhanced monochrome 'Helvetica, 16';" + "set output '" + picture + "';";
}

// Title, ranges (one column of margin at each side, one row below) and no key.
std::string Frame(const std::string& title, int columnCount, int lastRow) {
    return "set title  'HOR - " + title + "';" + "set xrange [0:" + Int(columnCount + 1LL) + "];" +
           "set yrange [" + Int(lastRow - 1LL) + ":0];" + "unset key;";
}

// "plot" and one clause per entry, each reading the data file.
template <std::size_t N>
std::string Plot(const std::string& dataFile, const char* const (&clauses)[N]) {
    std::string plot = "plot ";
    for (const char* clause : clauses) plot += "'" + dataFile + "'" + clause;
    return plot;
}

}  // namespace

std::string HorPicturePath(const std::string& title, const std::string& dataFile) {
    return DirectoryPart(dataFile) + title + ".eps";
}

std::string HorGraphPicturePath(const std::string& title) {
    return kGraphDirectory + title + ".eps";
}

std::string HorPlotScript(const std::string& title, const std::string& dataFile, int columnCount, int lastRow,
                          const std::string& output) {
    // Fields 2 ... 8 against field 9 as points, then field 1 as labels.
    static constexpr const char* kClauses[] = {
        " u 2:9 w p ls 2,",  " u 3:9 w p ls 2,", " u 4:9 w p ls 2, ", " u 5:9 w p ls 2,",
        " u 6:9 w p ls 2, ", " u 7:9 w p ls 2,", " u 8:9 w p ls 2, ", " u 2:9:1 w labels offset 0,1;"};
    return Terminal(columnCount * 0.3, Rows(lastRow) * 0.2, output) +
           "set style line 1  lw 1 pt 5 ps 0.8 lc rgb 'black';" +
           "set style line 2  pt 5 ps 0.8 lc rgb 'black';" + Frame(title, columnCount, lastRow) +
           Plot(dataFile, kClauses);
}

std::string HorGraphScript(const std::string& title, const std::string& dataFile, int columnCount,
                           int lastRow, const std::string& output) {
    // Field 2 as a line, fields 3 and 4 as points, all against field 5, then field 1 as labels.
    static constexpr const char* kClauses[] = {" u 2:5 w linespoint ls 1,", " u 3:5 w p ls 2,",
                                               " u 4:5 w p ls 2, ", " u 2:5:1 w labels offset 0,1;"};
    return Terminal(columnCount * 0.25, Rows(lastRow) * 1.5, output) +
           "set style line 1  lw 1 pt 7 ps 1.5 lc rgb 'black';" +
           "set style line 2  pt 7 ps 1.5 lc rgb 'black';" + Frame(title, columnCount, lastRow) +
           "set grid back ls 12;" + Plot(dataFile, kClauses);
}

}  // namespace horgrid
