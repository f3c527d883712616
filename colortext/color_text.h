// The colour text codec: reads a colour written as source-code text ("RGB("
// or "RGBA(" call, "$" hexadecimal number, plain decimal number) and writes a
// colour back in one of those notations.
#pragma once

#include <string>
#include <string_view>

#include "picker/color_model.h"

namespace tintra {

enum class ColorTextFormat : int {
  kNone = 0,     // no notation recognised: the user is asked
  kRgb = 1,      // "RGB(" red ", " green ", " blue ")"
  kRgba = 2,     // "RGBA(" red ", " green ", " blue ", " alpha ")"
  kHex = 3,      // "$" and 8 (alpha flag 1) or 6 upper-case hexadecimal digits
  kDecimal = 4,  // the 32 bits as a signed decimal number; written only
};

struct ParsedColor {
  ColorValue color;
  int alpha_flag;  // 0 or 1: the notation carries an alpha channel
  ColorTextFormat format;
};

// Never fails: unrecognised text gives opaque black (0xFF000000), alpha flag
// 1, format kNone. Decimal text gives its colour with format kNone too.
ParsedColor ParseColorText(std::string_view text);

// Formats kRgb..kDecimal; any other format gives the empty text.
std::string FormatColorText(ColorValue color, ColorTextFormat format, int alpha_flag);

// True when the text is "$" and hexadecimal digits (any case, possibly none)
// whose value is below 2^32.
bool IsHexColorText(std::string_view text);

// True when the text, read as a number and written back with ten decimals
// less trailing zeros, left-filled with "0" or cut to the text's length,
// gives the text itself.
bool IsDecimalColorText(std::string_view text);

}  // namespace tintra
