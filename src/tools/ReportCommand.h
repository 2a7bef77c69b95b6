#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/ReportPictures.h"
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

// The pictures of array `number` (1-based) of a record whose bases from
// position `offset` on are `bases`. ValueError when a monomer lies past them.
ArrayPictures DrawArrayOfRecord(const ArrayContent& array, std::size_t number, std::string_view bases,
                                std::int64_t offset, const PictureSettings& settings);

// PictureError naming every picture of `pictures` that could not be drawn
// (an empty one, such as the HOR picture of an array without copies, is no fault).
void RefuseMissingPictures(const std::vector<ArrayPictures>& pictures);

}  // namespace horgrid
