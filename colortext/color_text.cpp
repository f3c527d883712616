#include "colortext/color_text.h"

#include <cstdint>
#include <limits>

#include "colortext/ansi_case.h"
#include "colortext/decimal_text.h"
#include "picker/blanks.h"
#include "picker/hex_digits.h"
#include "picker/read_integer.h"

namespace tintra {

namespace {

// The decimal separator of FormatFixed10, which always writes ".": the
// second character of its text for 1.5.
constexpr char kDecimalSeparator = '.';

// Field k (1-based) of the text split by one delimiter; empty when missing.
std::string_view Field(std::string_view text, char delimiter, int k) {
  for (int i = 1; i < k; ++i) {
    const std::size_t next = text.find(delimiter);
    if (next == std::string_view::npos) return {};
    text.remove_prefix(next + 1);
  }
  return text.substr(0, text.find(delimiter));
}

bool SameChar(char a, char b, bool ignore_case) {
  return ignore_case ? AnsiLowerChar(a) == AnsiLowerChar(b) : a == b;
}

// Whether `value` filled on the left with "0" to exactly target.size()
// characters (cut to its first target.size() characters when longer) equals
// `target`. Compares in place: the target may be megabytes long.
bool FilledLeftEquals(std::string_view value, std::string_view target, bool ignore_case) {
  const std::size_t n = target.size();
  if (value.size() >= n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!SameChar(value[i], target[i], ignore_case)) return false;
    }
    return true;
  }
  const std::size_t pad = n - value.size();
  for (std::size_t i = 0; i < pad; ++i) {
    if (target[i] != '0') return false;
  }
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (!SameChar(value[i], target[pad + i], ignore_case)) return false;
  }
  return true;
}

// The components of an "RGB(" / "RGBA(" call: the text after the first "("
// up to the next "(" or ")", split by ",", trimmed, each read as an integer
// (low 32 bits), and summed with weights 1, 256, 65536, 16777216 in 32-bit
// wrap-around arithmetic. Components are neither clamped nor masked, so an
// out-of-range one spills into the neighbouring channels.
ColorValue ReadComponents(std::string_view text, int count) {
  const std::string_view inner = Field(Field(text, '(', 2), ')', 1);
  ColorValue color = 0;
  ColorValue weight = 1;
  for (int k = 1; k <= count; ++k) {
    const auto component =
        static_cast<std::uint32_t>(ReadInteger32(TrimSpaces(Field(inner, ',', k))));
    color += component * weight;
    weight *= 256u;
  }
  return color;
}

}  // namespace

bool IsHexColorText(std::string_view text) {
  if (text.empty()) return false;
  // Written back without leading zeros (zero as the empty text), then filled
  // to the text's digit count.
  const auto value = static_cast<std::uint32_t>(ReadInteger32(text));
  std::string digits = HexDigits(value, 8);
  digits.erase(0, digits.find_first_not_of('0'));
  return text[0] == '$' && FilledLeftEquals(digits, text.substr(1), true);
}

bool IsDecimalColorText(std::string_view text) {
  if (text.empty()) return false;
  double value;
  if (AnsiEqualIgnoringCase(text, "+Infinity")) {
    value = std::numeric_limits<double>::infinity();
  } else if (AnsiEqualIgnoringCase(text, "-Infinity")) {
    value = -std::numeric_limits<double>::infinity();
  } else if (AnsiEqualIgnoringCase(text, "NaN")) {
    value = std::numeric_limits<double>::quiet_NaN();
  } else {
    value = ParseDecimalDouble(text);
  }
  std::string written = FormatFixed10(value);
  if (written.find(kDecimalSeparator) != std::string::npos) {
    written.erase(written.find_last_not_of('0') + 1);
    written.erase(written.find_last_not_of(kDecimalSeparator) + 1);
  }
  return FilledLeftEquals(written, text, false);
}

ParsedColor ParseColorText(std::string_view text) {
  if (AnsiUpperText(text.substr(0, 4)) == "RGB(") {
    return {ReadComponents(text, 3), 0, ColorTextFormat::kRgb};
  }
  if (AnsiUpperText(text.substr(0, 5)) == "RGBA(") {
    return {ReadComponents(text, 4), 1, ColorTextFormat::kRgba};
  }
  if (IsHexColorText(text)) {
    // 8 or more characters with the "$": 7 or more digits carry alpha.
    const auto color = static_cast<ColorValue>(ReadInteger32(text));
    return {color, text.size() >= 8 ? 1 : 0, ColorTextFormat::kHex};
  }
  if (IsDecimalColorText(text)) {
    const std::int32_t signed_color = ReadInteger32(text);
    return {static_cast<ColorValue>(signed_color), signed_color >= 16777216 ? 1 : 0,
            ColorTextFormat::kNone};
  }
  return {0xFF000000u, 1, ColorTextFormat::kNone};
}

std::string FormatColorText(ColorValue color, ColorTextFormat format, int alpha_flag) {
  std::string text;
  switch (format) {
    case ColorTextFormat::kRgb:
    case ColorTextFormat::kRgba:
      text.append(format == ColorTextFormat::kRgb ? "RGB(" : "RGBA(");
      text.append(std::to_string(RedOf(color))).append(", ");
      text.append(std::to_string(GreenOf(color))).append(", ");
      text.append(std::to_string(BlueOf(color)));
      if (format == ColorTextFormat::kRgba)
        text.append(", ").append(std::to_string(AlphaOf(color)));
      text.push_back(')');
      break;
    case ColorTextFormat::kHex:
      text.push_back('$');
      text.append(alpha_flag != 0 ? HexDigits(color, 8) : HexDigits(color, 6));
      break;
    case ColorTextFormat::kDecimal:
      text = std::to_string(static_cast<std::int32_t>(color));
      break;
    case ColorTextFormat::kNone:
      break;
  }
  return text;
}

}  // namespace tintra
