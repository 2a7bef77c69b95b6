#pragma once

namespace horgrid {

// One placed monomer of a HOR structure: its 1-based place in the segment (the
// plot label), its type as a grid column (1 ... columnCount, left to right) and
// the HOR copy it belongs to as a row (-1 for the first copy, then -2, -3 ...).
class monomer {
public:
    monomer(int number_, int column_, int row_) : number(number_), column(column_), row(row_) {}

    bool operator==(const monomer&) const = default;

    int number;
    int column;
    int row;
};

}  // namespace horgrid
