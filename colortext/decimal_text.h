// The two number conversions behind the strict decimal colour test, written
// here so that the Linux and Windows builds give the same results bit for
// bit, whatever the C runtime or the locale.
#pragma once

#include <string>
#include <string_view>

namespace tintra {

// Text to double with the syntax of the Microsoft runtime's atof: leading
// white space (space, \t \n \v \f \r) skipped, an optional sign, digits, an
// optional "." and more digits, an optional exponent ("e", "E", "d" or "D",
// optional sign, digits). Reading stops at the first other character; no
// digits give 0. The value is correctly rounded; too large gives +/-infinity,
// too small gives 0.
double ParseDecimalDouble(std::string_view text);

// The double in fixed notation with exactly ten decimals, as the Microsoft
// runtime's "%.10f" writes it: "-" for negative values (negative zero is
// written as zero), "+Infinity", "-Infinity" and "NaN" for the special values.
std::string FormatFixed10(double value);

}  // namespace tintra
