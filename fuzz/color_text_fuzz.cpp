// The colour text codec on any bytes. The whole input is the text; its first
// 4 bytes also give a colour and its first 8 bytes a double, so that every
// colour and every double (infinities, NaNs, subnormals) gets written too.
//
// Checked: the parse result is one the rules allow; what is written in
// formats 1..3 reads back to the same colour (24 bits where the notation has
// no alpha), alpha flag and format, and writes back to the same text; format
// 4 reads back through the strict decimal test; the hexadecimal test agrees
// with its plain description; ParseDecimalDouble agrees with the C library
// on the syntax both share; FormatFixed10 writes exactly ten decimals.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "colortext/color_text.h"
#include "colortext/decimal_text.h"
#include "fuzz/fuzz_input.h"
#include "picker/read_integer.h"

namespace {

using tintra::ColorTextFormat;
using tintra::ColorValue;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

// "$" and any number of hexadecimal digits whose value is below 2^32.
bool ReferenceIsHex(std::string_view text) {
  if (text.empty() || text[0] != '$') return false;
  std::string_view digits = text.substr(1);
  for (char c : digits) {
    if (!IsHexDigit(c)) return false;
  }
  const std::size_t significant = digits.find_first_not_of('0');
  return significant == std::string_view::npos || digits.size() - significant <= 8;
}

// The colour bits a notation keeps.
ColorValue KeptBits(ColorTextFormat format, int alpha_flag) {
  if (format == ColorTextFormat::kRgb) return 0x00FFFFFFu;
  if (format == ColorTextFormat::kHex && alpha_flag == 0) return 0x00FFFFFFu;
  return 0xFFFFFFFFu;
}

void CheckRoundTrip(ColorValue color, ColorTextFormat format, int alpha_flag) {
  const std::string text = tintra::FormatColorText(color, format, alpha_flag);
  const tintra::ParsedColor back = tintra::ParseColorText(text);
  const ColorValue kept = KeptBits(format, alpha_flag);
  FUZZ_CHECK(back.format == format, "\"%s\" read back as format %d, written as %d", text.c_str(),
             static_cast<int>(back.format), static_cast<int>(format));
  FUZZ_CHECK(back.alpha_flag == alpha_flag, "\"%s\" read back with alpha flag %d", text.c_str(),
             back.alpha_flag);
  FUZZ_CHECK((back.color & kept) == (color & kept), "\"%s\" read back as %08X from %08X",
             text.c_str(), back.color, color);
  FUZZ_CHECK(tintra::FormatColorText(back.color, format, alpha_flag) == text,
             "\"%s\" written again differs", text.c_str());
}

// Format 4 is never recognised by itself: it passes the strict decimal test
// and comes back with format 0 and the same 32 bits.
void CheckDecimalRoundTrip(ColorValue color) {
  const std::string text = tintra::FormatColorText(color, ColorTextFormat::kDecimal, 1);
  FUZZ_CHECK(tintra::IsDecimalColorText(text), "\"%s\" fails the decimal test", text.c_str());
  const tintra::ParsedColor back = tintra::ParseColorText(text);
  FUZZ_CHECK(back.format == ColorTextFormat::kNone && back.color == color,
             "\"%s\" read back as %08X format %d", text.c_str(), back.color,
             static_cast<int>(back.format));
  const int expected_alpha = static_cast<std::int32_t>(color) >= 16777216 ? 1 : 0;
  FUZZ_CHECK(back.alpha_flag == expected_alpha, "\"%s\" alpha flag %d", text.c_str(),
             back.alpha_flag);
}

// Whether the fixed-notation text `a` is larger in magnitude than `b`.
bool MagnitudeAbove(std::string_view a, std::string_view b) {
  if (!a.empty() && a.front() == '-') a.remove_prefix(1);
  if (!b.empty() && b.front() == '-') b.remove_prefix(1);
  return a.size() != b.size() ? a.size() > b.size() : a > b;
}

// Optional "-", an integer part without leading zeros, ".", ten digits; or
// one of the three words.
void CheckFixed10(double value) {
  const std::string text = tintra::FormatFixed10(value);
  if (std::isnan(value)) {
    FUZZ_CHECK(text == "NaN", "NaN written \"%s\"", text.c_str());
    return;
  }
  if (std::isinf(value)) {
    FUZZ_CHECK(text == (value > 0 ? "+Infinity" : "-Infinity"), "infinity written \"%s\"",
               text.c_str());
    return;
  }
  std::string_view rest = text;
  if (!rest.empty() && rest.front() == '-') rest.remove_prefix(1);
  const std::size_t dot = rest.find('.');
  FUZZ_CHECK(dot != std::string_view::npos && dot >= 1 && rest.size() - dot - 1 == 10,
             "%.17g written \"%s\": not ten decimals", value, text.c_str());
  FUZZ_CHECK(dot == 1 || rest.front() != '0', "%.17g written \"%s\": leading zero", value,
             text.c_str());
  for (std::size_t i = 0; i < rest.size(); ++i) {
    FUZZ_CHECK(i == dot || (rest[i] >= '0' && rest[i] <= '9'), "%.17g written \"%s\"", value,
               text.c_str());
  }
  FUZZ_CHECK(value != 0.0 || text == "0.0000000000", "zero written \"%s\"", text.c_str());

  // Below 10^7 at most 17 significant digits are written, so the Microsoft
  // rule and the exact rounding of the C library agree except on an exact
  // tie at the eleventh decimal, which the Microsoft runtime rounds up.
  if (value != 0.0 && std::fabs(value) < 1e7) {
    char exact[32];
    std::snprintf(exact, sizeof exact, "%.10f", value);
    if (text != exact) {
      char expansion[1200];
      std::snprintf(expansion, sizeof expansion, "%.1100f", std::fabs(value));
      const std::string_view decimals = std::strchr(expansion, '.') + 11;
      const bool tie =
          decimals.front() == '5' && decimals.find_first_not_of('0', 1) == std::string_view::npos;
      FUZZ_CHECK(tie, "%.17g written \"%s\", C library \"%s\"", value, text.c_str(), exact);
      FUZZ_CHECK(MagnitudeAbove(text, exact), "tie of %.17g not rounded up: \"%s\"", value,
                 text.c_str());
    }
  }
}

// The C library reads the same syntax (C locale) except hexadecimal floats,
// "inf"/"nan" words and the "d"/"D" exponent; compare where it cannot differ.
void CheckDecimalDouble(std::string_view text) {
  const double value = tintra::ParseDecimalDouble(text);
  FUZZ_CHECK(!std::isnan(value), "ParseDecimalDouble gave NaN");
  const std::string copy(text);
  if (copy.size() != std::strlen(copy.c_str())) return;  // NUL inside: C sees less
  std::size_t i = copy.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) return;
  if (copy[i] == '+' || copy[i] == '-') ++i;
  if (i + 1 < copy.size() && copy[i] == '0' && (copy[i + 1] == 'x' || copy[i + 1] == 'X')) return;
  if (i < copy.size() && !(copy[i] >= '0' && copy[i] <= '9') && copy[i] != '.') return;
  std::size_t end = i;
  while (end < copy.size() && copy[end] >= '0' && copy[end] <= '9') ++end;
  if (end < copy.size() && copy[end] == '.') {
    ++end;
    while (end < copy.size() && copy[end] >= '0' && copy[end] <= '9') ++end;
  }
  if (end < copy.size() && (copy[end] == 'd' || copy[end] == 'D')) return;
  errno = 0;
  const double expected = std::strtod(copy.c_str(), nullptr);
  FUZZ_CHECK(std::memcmp(&value, &expected, sizeof value) == 0 ||
                 (value == 0.0 && expected == 0.0 && std::signbit(value) == std::signbit(expected)),
             "ParseDecimalDouble %a, strtod %a", value, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const tintra::ParsedColor parsed = tintra::ParseColorText(text);
  FUZZ_CHECK(parsed.alpha_flag == 0 || parsed.alpha_flag == 1, "alpha flag %d", parsed.alpha_flag);
  const bool is_hex = tintra::IsHexColorText(text);
  FUZZ_CHECK(is_hex == ReferenceIsHex(text), "IsHexColorText %d disagrees", is_hex);
  switch (parsed.format) {
    case ColorTextFormat::kRgb:
      FUZZ_CHECK(StartsWithIgnoringAsciiCase(text, "RGB(") && parsed.alpha_flag == 0,
                 "format 1 without \"RGB(\"");
      break;
    case ColorTextFormat::kRgba:
      FUZZ_CHECK(StartsWithIgnoringAsciiCase(text, "RGBA(") && parsed.alpha_flag == 1,
                 "format 2 without \"RGBA(\"");
      break;
    case ColorTextFormat::kHex:
      FUZZ_CHECK(is_hex && parsed.color == static_cast<ColorValue>(tintra::ReadInteger32(text)),
                 "format 3 for a text that is no hexadecimal colour");
      FUZZ_CHECK(parsed.alpha_flag == (text.size() >= 8 ? 1 : 0), "hex alpha flag %d",
                 parsed.alpha_flag);
      break;
    case ColorTextFormat::kNone:
      FUZZ_CHECK(!StartsWithIgnoringAsciiCase(text, "RGB(") && !is_hex, "format 0 for RGB/hex");
      if (tintra::IsDecimalColorText(text)) {
        FUZZ_CHECK(parsed.color == static_cast<ColorValue>(tintra::ReadInteger32(text)),
                   "decimal colour %08X", parsed.color);
      } else {
        FUZZ_CHECK(parsed.color == 0xFF000000u && parsed.alpha_flag == 1,
                   "unrecognised text gave %08X alpha %d", parsed.color, parsed.alpha_flag);
      }
      break;
    default:
      FUZZ_CHECK(false, "parse gave format %d", static_cast<int>(parsed.format));
  }
  if (parsed.format != ColorTextFormat::kNone) {
    CheckRoundTrip(parsed.color, parsed.format, parsed.alpha_flag);
  }
  CheckDecimalRoundTrip(parsed.color);

  tintra::fuzz::Reader reader{data, size};
  const ColorValue raw_color = tintra::fuzz::TakeU32(reader);
  CheckRoundTrip(raw_color, ColorTextFormat::kRgb, 0);
  CheckRoundTrip(raw_color, ColorTextFormat::kRgba, 1);
  CheckRoundTrip(raw_color, ColorTextFormat::kHex, 0);
  CheckRoundTrip(raw_color, ColorTextFormat::kHex, 1);
  CheckDecimalRoundTrip(raw_color);
  FUZZ_CHECK(
      tintra::FormatColorText(raw_color, static_cast<ColorTextFormat>(size % 3 == 0 ? 5 : -1), 1)
          .empty(),
      "a format outside 1..4 wrote text");

  double raw_double = 0;
  std::memcpy(&raw_double, data, size < sizeof raw_double ? size : sizeof raw_double);
  CheckFixed10(raw_double);
  CheckFixed10(tintra::ParseDecimalDouble(text));
  CheckDecimalDouble(text);
  return 0;
}
