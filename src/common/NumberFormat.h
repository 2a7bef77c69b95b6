#pragma once

#include <string>

namespace horgrid {

// The number formats of the result files and reports, kept in one place so the
// byte-exact output is defined once.

// The standard output stream's default floating-point notation: general
// notation with at most six significant digits and no trailing zeros
// (0.25, 12.3457, 4e-06, 100, inf).
std::string StreamDefault(double value);

// printf "%.<decimals>f": fixed point with the given number of decimals.
std::string Fixed(double value, int decimals);

// printf "%3.1f", the dot-matrix cell format (without its trailing blank).
std::string Fixed1Width3(double value);

// printf "%6.2f", the distance-matrix cell format (without its leading blank).
std::string Fixed2Width6(double value);

}  // namespace horgrid
