// Writing an integer in hexadecimal, as the "$" notation and the "?h"
// placeholders show it: upper-case digits, a fixed number of them.
#pragma once

#include <cstdint>
#include <string>

namespace tintra {

// The low 4 * `digits` bits of `value` in exactly `digits` digits (1..8),
// leading zeros included: HexDigits(0x1AB, 2) is "AB".
std::string HexDigits(std::uint32_t value, int digits);

}  // namespace tintra
