// The text engine: finds the colours written in any source text (CSS, 0x,
// constructors, float vectors, the classic notations...), reads them, and
// writes a colour back in the style the token was written in: only its
// numbers (or digits) change, every other byte stays.
//
// Text is bytes. Tokens are ASCII spans of one line; every other byte is
// copied unchanged. Colours are ColorValue (red in the low byte); a token
// without alpha has alpha 255. The classic codec (color_text.h) is the
// classic programs' own and is not changed by this engine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "picker/color_model.h"

namespace tintra {

// In the order the notations are tried at a position.
enum class Notation : int {
  kClassicRgb,   // RGB(255, 128, 0), RGBA(0, 128, 255, 128)
  kPascalHex,    // $0080FF, $800080FF: red in the low byte
  kCssHex,       // #f80, #ff8000, #ff800080
  kHex0x,        // 0xFF8000, 0x80FF8000
  kCssRgb,       // rgb(255, 128, 0), rgb(100% 50% 0 / 0.5)
  kCssHsl,       // hsl(30, 100%, 50%)
  kConstructor,  // Color.FromArgb(255, 255, 128, 0), QColor(255, 128, 0)
  kFloatVector,  // vec3(1.0, 0.5, 0.0), new Color(1f, 0.5f, 0f)
  kNamed,        // orange, rebeccapurple
  kDecimal,      // 33023: the whole input only
};
inline constexpr int kNotationCount = 10;

// How 8 (and 4) hexadecimal digits are ordered. kDefault: css-hex #RRGGBBAA,
// hex-0x 0xAARRGGBB. kArgb: both AARRGGBB. kRgba: both RRGGBBAA.
enum class HexOrder { kDefault, kArgb, kRgba };

struct TokenOptions {
  HexOrder hex_order = HexOrder::kDefault;
};

// What a value of a functional token holds, and so how it is written back.
enum class ValueScale : unsigned char {
  kInteger,     // a byte as a decimal integer (classic-rgb, constructor)
  kByte,        // a number on the 0..255 scale (css-rgb): fewest decimals up to 3
  kUnit,        // a number on the 0..1 scale: fewest decimals up to 3 (css, opacity) or 4 (vectors)
  kPercent,     // a percentage of 255: fewest decimals up to 2
  kHue,         // css-hsl's hue in degrees
  kHslPercent,  // css-hsl's saturation or lightness, with or without its "%"
};

// Up to four numbers (or digit runs) of a token, where they stand in the
// text and how they were written; what writing back needs besides the span.
struct TokenValue {
  std::size_t begin = 0, end = 0;  // byte span of the number in the text
  int decimals = 0;                // digits after the "." (an exponent: at least 1)
  bool percent = false;            // followed by % (css-rgb, css-hsl)
  bool decimal = false;            // written with "." or an exponent
  bool leading_dot = false;        // ".5": written back without its leading zero
  bool trailing_dot = false;       // "1.": keeps its "." when no decimals are needed
  unsigned char channel = 0;       // the byte it holds: 0 red, 1 green, 2 blue, 3 alpha
  ValueScale scale = ValueScale::kInteger;
  unsigned char max_decimals = 0;  // the notation's most decimals (a larger own count wins)
};

struct ColorToken {
  Notation notation = Notation::kDecimal;
  std::size_t begin = 0, end = 0;  // byte span [begin, end) of the token in the text
  ColorValue color = 0;            // alpha 255 when alpha_flag is 0
  int alpha_flag = 0;              // 1 when the token carries an alpha value
  int digit_count = 0;             // hexadecimal forms: the number of digits
  bool upper_case = false;         // hexadecimal forms: the case to write letter digits in
  int value_count = 0;             // functional forms: values in `values`
  TokenValue values[5];            // functional forms, in the order written
};

// Every token of the text, in order, without overlaps: the notations 1 to 8
// anywhere, and a named colour or a decimal number only when it is the whole
// input (blanks and line breaks trimmed). One pass; linear in the text.
std::vector<ColorToken> FindColorTokens(std::string_view text, const TokenOptions& options);

// The token to edit: with `at` (a byte offset), the token whose span, end
// included, holds it (of two, the earlier), else the nearest on its line, else
// none; a named colour also when `at` falls inside it and no other token is on
// its line. Without `at`, the first token.
std::optional<ColorToken> ChooseColorToken(std::string_view text, const TokenOptions& options,
                                           std::optional<std::size_t> at = std::nullopt);

// The token written anew with `color`, in its own style (the token's bytes
// alone). The token's own bytes when the colour is unchanged.
std::string WriteTokenText(std::string_view text, const ColorToken& token, ColorValue color,
                           const TokenOptions& options);

// The whole output: the text with only the token rewritten (WriteTokenText).
// The text itself, byte for byte, when the colour is unchanged.
std::string RewriteColorToken(std::string_view text, const ColorToken& token, ColorValue color,
                              const TokenOptions& options);

// The colour in a target notation's default style, with an alpha value when
// alpha_flag is 1 (any non-zero) or the colour's alpha is not 255; decimal
// writes the 32 bits (alpha byte 0 without alpha), as the classic writer does.
// kConstructor and kNamed are no targets: they give the empty text.
std::string FormatInNotation(ColorValue color, Notation target, int alpha_flag,
                             const TokenOptions& options);

// The whole output with the token replaced by FormatInNotation of `color`,
// keeping the token's alpha flag: converts even an unchanged colour.
std::string ConvertColorToken(std::string_view text, const ColorToken& token, ColorValue color,
                              Notation target, const TokenOptions& options);

// The names used on the command line: css-hex, css-rgb, css-hsl, hex-0x,
// classic-rgb, pascal-hex, float-vector, decimal (and constructor, named,
// which name notations but are no targets).
std::string_view NotationName(Notation notation);
bool IsTargetNotation(Notation notation);
// The target notation of a name (exact, lower case); nothing for others.
std::optional<Notation> ParseTargetNotation(std::string_view name);

// The eight targets in the order of the default-styles table (the format
// chooser's buttons): css-hex, css-rgb, css-hsl, hex-0x, classic-rgb,
// pascal-hex, float-vector, decimal.
inline constexpr Notation kTargetNotations[8] = {
    Notation::kCssHex,     Notation::kCssRgb,    Notation::kCssHsl,      Notation::kHex0x,
    Notation::kClassicRgb, Notation::kPascalHex, Notation::kFloatVector, Notation::kDecimal};

}  // namespace tintra
