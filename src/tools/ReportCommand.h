#pragma once

#include <cstddef>
#include <string>

#include "tools/CommandLine.h"

namespace horgrid {

// horgrid-tools report [options] PREFIX SEQUENCES: reads the annotation
// files of PREFIX (those `annotate` writes) and writes PREFIX_report.html;
// PictureError when the page is written but a picture could not be drawn.
struct ReportOptions {
    unsigned threads = 1;
    std::size_t side = 300;
    std::size_t units = 600;
    std::string output;  // default PREFIX_report.html
    std::string prefix;
    std::string sequences;

    void Declare(CommandLine& line);
    void Execute() const;
};

}  // namespace horgrid
