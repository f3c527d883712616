#include "colortext/color_tokens.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "colortext/color_text.h"
#include "colortext/css_named_colors.h"
#include "picker/hex_digits.h"
#include "picker/read_integer.h"

namespace tintra {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Byte classes of the scan: one table look-up per byte.
constexpr unsigned char kIdentClass = 1;  // A-Z a-z 0-9 _
constexpr unsigned char kHexClass = 4;

struct ByteClasses {
  unsigned char of[256] = {};
  constexpr ByteClasses() {
    for (int c = '0'; c <= '9'; ++c) of[c] |= kIdentClass | kHexClass;
    for (int c = 'a'; c <= 'z'; ++c) of[c] |= kIdentClass;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] |= kIdentClass;
    for (int c = 'a'; c <= 'f'; ++c) of[c] |= kHexClass;
    for (int c = 'A'; c <= 'F'; ++c) of[c] |= kHexClass;
    of[static_cast<unsigned char>('_')] |= kIdentClass;
  }
};
constexpr ByteClasses kClasses;

// The first two bytes of every token of notations 1..8, as pairs of classes:
// a pair may begin a token when first[a] & second[b] is not 0. Skipping on
// the pair leaves few candidates, so the scan's one branch is well predicted.
// One table: the first byte's classes in the low 16 bits, the second's in
// the high 16, so each byte is looked up once.
struct PairClasses {
  std::uint32_t of[256] = {};
  constexpr void Pair(std::string_view a, std::string_view b, std::uint32_t bit) {
    for (const char c : a) of[static_cast<unsigned char>(c)] |= bit;
    for (const char c : b) of[static_cast<unsigned char>(c)] |= bit << 16;
  }
  constexpr PairClasses() {
    Pair("Rr", "Gg", 1 << 0);                      // RGB(, rgb(
    Pair("Hh", "Ss", 1 << 1);                      // hsl(
    Pair("h", "a", 1 << 2);                        // half3(
    Pair("$#", "0123456789abcdefABCDEF", 1 << 3);  // $0080FF, #f80
    Pair("0", "xX", 1 << 4);                       // 0xFF8000
    Pair("C", "o", 1 << 5);                        // Color(, Color.FromArgb(, Color32(
    Pair("Q", "C", 1 << 6);                        // QColor(
    Pair("v", "e", 1 << 7);                        // vec3(
    Pair("f", "l", 1 << 8);                        // float3(
  }
};
constexpr PairClasses kPairs;

unsigned char ClassOf(char c) {
  return kClasses.of[static_cast<unsigned char>(c)];
}
bool IsIdent(char c) {
  return (ClassOf(c) & kIdentClass) != 0;
}
bool IsHex(char c) {
  return (ClassOf(c) & kHexClass) != 0;
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlankByte(char c) {
  return c == ' ' || c == '\t';
}
bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}
char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool StartsWith(std::string_view text, std::size_t pos, std::string_view word) {
  return text.size() - pos >= word.size() && text.compare(pos, word.size(), word) == 0;
}
bool StartsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view lower) {
  if (text.size() - pos < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    if (LowerAscii(text[pos + i]) != lower[i]) return false;
  }
  return true;
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos, std::size_t end) {
  while (pos < end && IsBlankByte(text[pos])) ++pos;
  return pos;
}

// ---------------------------------------------------------------------------
// Numbers of the functional notations, read with bounded work per digit and
// no copy: the value is kept as its first kMaxDigits significant digits and a
// power of ten, which gives the byte exactly (halves up) for every number of
// up to kMaxDigits significant digits, whatever its length or exponent.

constexpr int kMaxDigits = 64;
constexpr std::int64_t kExponentLimit = 1000000000;

struct Number {
  std::size_t begin = 0, end = 0;
  bool negative = false;
  bool has_dot = false, has_exponent = false;
  bool leading_dot = false, trailing_dot = false;
  std::size_t decimals = 0;          // the own count
  int digit_count = 0;               // significant digits kept in `digits` (0: the value is zero)
  unsigned char digits[kMaxDigits];  // the first digit_count are set
  std::int64_t exponent = 0;         // value = digits (as an integer) x 10^exponent
};

std::int64_t SaturatedAdd(std::int64_t a, std::int64_t b) {
  const std::int64_t sum = a + b;  // both within +-4 * kExponentLimit or a text size
  return std::clamp<std::int64_t>(sum, -4 * kExponentLimit, 4 * kExponentLimit);
}

// A number at `pos` (optional sign, digits with an optional "." and
// fraction, optional exponent), reading no byte at or after `end`.
bool ReadNumber(std::string_view text, std::size_t pos, std::size_t end, Number& n) {
  // Field by field: the digits need no clearing.
  n.begin = n.end = pos;
  n.negative = n.has_dot = n.has_exponent = n.leading_dot = n.trailing_dot = false;
  n.decimals = 0;
  n.digit_count = 0;
  n.exponent = 0;
  if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
    n.negative = text[pos] == '-';
    ++pos;
  }
  bool any_digit = false;
  std::int64_t integer_digits_after_first = 0;  // integer digits past the first significant one
  std::int64_t leading_fraction_zeros = 0;      // fraction zeros before the first significant digit
  bool significant = false;
  auto take = [&](char c, bool in_fraction) {
    any_digit = true;
    if (!significant) {
      if (c == '0') {
        if (in_fraction) ++leading_fraction_zeros;
        return;
      }
      significant = true;
    } else if (!in_fraction) {
      ++integer_digits_after_first;
    }
    // Digits past the kept ones only lower the value by less than one unit
    // of the last kept digit: a byte can differ only for a number that
    // matches a rounding threshold in its first kMaxDigits digits.
    if (n.digit_count < kMaxDigits) n.digits[n.digit_count++] = static_cast<unsigned char>(c - '0');
  };
  while (pos < end && IsDigit(text[pos])) take(text[pos++], false);
  const bool integer_part = any_digit;
  const bool first_in_integer = significant;  // where the power of ten below counts from
  std::int64_t fraction_digits = 0;
  if (pos < end && text[pos] == '.') {
    n.has_dot = true;
    ++pos;
    while (pos < end && IsDigit(text[pos])) {
      take(text[pos++], true);
      ++fraction_digits;
    }
  }
  if (!any_digit) return false;
  n.leading_dot = n.has_dot && !integer_part;
  n.trailing_dot = n.has_dot && fraction_digits == 0;
  n.decimals = static_cast<std::size_t>(fraction_digits);
  if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t e = pos + 1;
    bool exponent_negative = false;
    if (e < end && (text[e] == '+' || text[e] == '-')) {
      exponent_negative = text[e] == '-';
      ++e;
    }
    if (e < end && IsDigit(text[e])) {
      std::int64_t value = 0;
      while (e < end && IsDigit(text[e])) {
        if (value < kExponentLimit) value = value * 10 + (text[e] - '0');
        ++e;
      }
      n.has_exponent = true;
      n.exponent =
          exponent_negative ? -std::min(value, kExponentLimit) : std::min(value, kExponentLimit);
      pos = e;
      if (n.decimals == 0) n.decimals = 1;
    }
  }
  n.end = pos;
  if (n.digit_count > 0) {
    // Value = 0.d1d2... x 10^p, p from where the first significant digit stood.
    const std::int64_t p =
        first_in_integer ? integer_digits_after_first + 1 : -leading_fraction_zeros;
    n.exponent = SaturatedAdd(SaturatedAdd(n.exponent, p), -n.digit_count);
  }
  return true;
}

enum class Scale { kByte, kUnit, kPercent };

// The byte of a number: round(clamp(value x factor, 0, 255)), halves up, with
// the factor 1 (kByte), 255 (kUnit) or 2.55 (kPercent). Exact on the kept digits.
int ByteOfNumber(const Number& n, Scale scale) {
  if (n.digit_count == 0 || n.negative) return 0;
  // The product of the digits and the factor's integer, as decimal digits.
  unsigned char product[kMaxDigits + 4];
  int count = 0;
  const int factor = scale == Scale::kByte ? 1 : 255;
  std::int64_t exponent = n.exponent + (scale == Scale::kPercent ? -2 : 0);
  int carry = 0;
  unsigned char reversed[kMaxDigits + 4];
  for (int i = n.digit_count - 1; i >= 0; --i) {
    const int v = n.digits[i] * factor + carry;
    reversed[count++] = static_cast<unsigned char>(v % 10);
    carry = v / 10;
  }
  while (carry > 0) {
    reversed[count++] = static_cast<unsigned char>(carry % 10);
    carry /= 10;
  }
  for (int i = 0; i < count; ++i) product[i] = reversed[count - 1 - i];
  // product x 10^exponent: its integer part has count + exponent digits.
  const std::int64_t integer_width = count + exponent;
  if (integer_width > 3) return 255;
  if (integer_width < 0) return 0;
  auto digit_at = [&](std::int64_t weight) -> int {  // the digit of 10^weight
    const std::int64_t index = count - 1 + exponent - weight;
    return index >= 0 && index < count ? product[index] : 0;
  };
  int integer = 0;
  for (std::int64_t w = integer_width - 1; w >= 0; --w) integer = integer * 10 + digit_at(w);
  if (integer >= 255) return 255;
  return integer + (digit_at(-1) >= 5 ? 1 : 0);
}

// The value as a double (hue, saturation, lightness), from the first 19
// kept digits; infinite beyond the double's range.
double ValueOfNumber(const Number& n) {
  if (n.digit_count == 0) return 0.0;
  const int used = std::min(n.digit_count, 19);
  std::uint64_t mantissa = 0;
  for (int i = 0; i < used; ++i) mantissa = mantissa * 10 + n.digits[i];
  const std::int64_t exponent = n.exponent + (n.digit_count - used);
  double value = static_cast<double>(mantissa);
  if (exponent > 400) {
    value = HUGE_VAL;
  } else if (exponent < -400) {
    value = 0.0;
  } else if (exponent >= 0) {
    value *= std::pow(10.0, static_cast<double>(exponent));
  } else if (exponent >= -22) {
    value /= std::pow(10.0, static_cast<double>(-exponent));  // exact power: one rounding
  } else {
    value = value / 1e22 / std::pow(10.0, static_cast<double>(-exponent - 22));
  }
  return n.negative ? -value : value;
}

void CopyFlags(const Number& n, TokenValue& v) {
  v.begin = n.begin;
  v.end = n.end;
  v.decimal = n.has_dot || n.has_exponent;
  v.decimals = static_cast<int>(std::min<std::size_t>(n.decimals, 1u << 30));
  v.leading_dot = n.leading_dot;
  v.trailing_dot = n.trailing_dot && !n.has_exponent;
}

// ---------------------------------------------------------------------------
// Writing numbers.

// num / den with `decimals` digits, halves up; den is 1, 51 or 255.
void AppendQuotient(std::string& out, std::uint32_t num, std::uint32_t den, std::size_t decimals,
                    bool leading_dot, bool trailing_dot) {
  std::uint32_t integer = num / den;
  std::uint32_t rest = num % den;
  std::string fraction(decimals, '0');
  for (std::size_t i = 0; i < decimals; ++i) {
    rest *= 10;
    fraction[i] = static_cast<char>('0' + rest / den);
    rest %= den;
  }
  if (2 * rest >= den) {  // round up, carrying through the fraction
    std::size_t i = decimals;
    while (i > 0 && fraction[i - 1] == '9') fraction[--i] = '0';
    if (i > 0) {
      ++fraction[i - 1];
    } else {
      ++integer;
    }
  }
  if (!(leading_dot && integer == 0 && decimals > 0)) out.append(std::to_string(integer));
  if (decimals > 0 || trailing_dot) out.push_back('.');
  out.append(fraction);
}

int ByteOfText(std::string_view text, Scale scale) {
  Number n;
  if (!ReadNumber(text, 0, text.size(), n)) return -1;
  return ByteOfNumber(n, scale);
}

// A byte written as a number of the value's kind: the fewest decimals, at
// least its own count and at most max(own, value.max_decimals), that read back
// to the byte; trailing zeros beyond the own count are not written.
void AppendScaledByte(std::string& out, int byte, Scale scale, const TokenValue& v) {
  std::uint32_t num = static_cast<std::uint32_t>(byte), den = 1;
  if (scale == Scale::kUnit) den = 255;
  if (scale == Scale::kPercent) {
    num = static_cast<std::uint32_t>(byte) * 20;
    den = 51;
  }
  const std::size_t own = static_cast<std::size_t>(v.decimals);
  const std::size_t most = std::max(own, static_cast<std::size_t>(v.max_decimals));
  std::string candidate;
  for (std::size_t d = own; d <= most; ++d) {
    candidate.clear();
    AppendQuotient(candidate, num, den, d, v.leading_dot, v.trailing_dot);
    if (ByteOfText(candidate, scale) == byte) break;
  }
  // None reads back (not reached with the notations' maxima): the closest,
  // without zeros beyond the own count.
  if (const std::size_t dot = candidate.find('.'); dot != std::string::npos) {
    std::size_t keep = candidate.size();
    while (keep > dot + 1 + own && candidate[keep - 1] == '0') --keep;
    candidate.resize(keep);
  }
  out.append(candidate);
}

// A double with exactly `decimals` decimals, halves up (hue, saturation and
// lightness, all within 0..360); digits past the ninth are zeros.
void AppendFixed(std::string& out, double value, std::size_t decimals, bool leading_dot,
                 bool trailing_dot) {
  const std::size_t exact = std::min<std::size_t>(decimals, 9);
  double scale = 1.0;
  for (std::size_t i = 0; i < exact; ++i) scale *= 10.0;
  const auto scaled = static_cast<std::uint64_t>(std::floor(value * scale + 0.5));
  const auto unit = static_cast<std::uint64_t>(scale);
  const std::uint64_t integer = scaled / unit;
  if (!(leading_dot && integer == 0 && decimals > 0)) out.append(std::to_string(integer));
  if (decimals > 0 || trailing_dot) out.push_back('.');
  if (exact > 0) {
    std::string fraction = std::to_string(scaled % unit);
    out.append(exact - fraction.size(), '0');
    out.append(fraction);
  }
  out.append(decimals - exact, '0');
}

// ---------------------------------------------------------------------------
// HSL, as CSS converts it.

int ByteOfUnit(double x) {
  if (!(x > 0.0)) return 0;
  if (x >= 1.0) return 255;
  // A hair above the tie, so that 76.5 computed as 76.49999999999999 rounds up.
  return static_cast<int>(std::floor(x * 255.0 + 0.5 + 1e-9));
}

// hue in degrees (any), saturation and lightness 0..100.
ColorValue HslToRgb(double hue, double saturation, double lightness) {
  if (!std::isfinite(hue)) hue = 0.0;
  hue = std::fmod(hue, 360.0);
  if (hue < 0) hue += 360.0;
  const double s = std::clamp(saturation, 0.0, 100.0) / 100.0;
  const double l = std::clamp(lightness, 0.0, 100.0) / 100.0;
  const double a = s * std::min(l, 1.0 - l);
  auto f = [&](double n) {
    const double k = std::fmod(n + hue / 30.0, 12.0);
    return l - a * std::max(-1.0, std::min({k - 3.0, 9.0 - k, 1.0}));
  };
  return ComposeColor(ByteOfUnit(f(0)), ByteOfUnit(f(8)), ByteOfUnit(f(4)));
}

struct Hsl {
  double hue, saturation, lightness;  // degrees 0..360, percentages
};

Hsl RgbToHsl(ColorValue color) {
  const double r = RedOf(color) / 255.0, g = GreenOf(color) / 255.0, b = BlueOf(color) / 255.0;
  const double max = std::max({r, g, b}), min = std::min({r, g, b});
  const double l = (max + min) / 2.0;
  const double d = max - min;
  if (d == 0.0) return {0.0, 0.0, l * 100.0};
  const double s = d / (1.0 - std::fabs(2.0 * l - 1.0));
  double h;
  if (max == r) {
    h = (g - b) / d + (g < b ? 6.0 : 0.0);
  } else if (max == g) {
    h = (b - r) / d + 2.0;
  } else {
    h = (r - g) / d + 4.0;
  }
  return {h * 60.0, s * 100.0, l * 100.0};
}

// ---------------------------------------------------------------------------
// The scan.

struct Scanner {
  std::string_view text;
  const TokenOptions& options;
  // The first ")", line break or non-ASCII byte at or after `stop_from` is
  // at `stop_at` (text.size() when none): each byte is looked at once however
  // many openings share the stretch.
  std::size_t stop_from = 1, stop_at = 0;

  // The first ")" on the line at or after `pos`; kNone when the line ends
  // first or a non-ASCII byte comes before it (tokens are ASCII only).
  std::size_t CloseAfter(std::size_t pos) {
    if (pos < stop_from || pos > stop_at) {
      stop_from = pos;
      stop_at = pos;
      while (stop_at < text.size() && text[stop_at] != ')' && !IsLineBreak(text[stop_at]) &&
             static_cast<unsigned char>(text[stop_at]) < 0x80) {
        ++stop_at;
      }
    }
    return stop_at < text.size() && text[stop_at] == ')' ? stop_at : kNone;
  }

  bool TryAt(std::size_t pos, ColorToken& t);
  bool ClassicRgb(std::size_t pos, ColorToken& t);
  bool PascalHex(std::size_t pos, ColorToken& t);
  bool CssHex(std::size_t pos, ColorToken& t);
  bool Hex0x(std::size_t pos, ColorToken& t);
  bool CssFunction(std::size_t pos, ColorToken& t);
  bool Constructor(std::size_t pos, ColorToken& t);
  bool FloatVector(std::size_t pos, ColorToken& t);
};

// The count of hexadecimal digits at `pos`, up to `limit`.
std::size_t HexRun(std::string_view text, std::size_t pos, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && pos + n < text.size() && IsHex(text[pos + n])) ++n;
  return n;
}

std::uint32_t HexNumber(std::string_view text, std::size_t pos, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = value * 16u + HexValue(text[pos + i]);
  return value;
}

// Upper case when every letter digit is upper case, lower when every one is
// lower, `fallback` when there are none or both.
bool DigitsUpper(std::string_view text, std::size_t pos, std::size_t count, bool fallback) {
  bool lower = false, upper = false;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[pos + i];
    lower = lower || (c >= 'a' && c <= 'f');
    upper = upper || (c >= 'A' && c <= 'F');
  }
  return lower == upper ? fallback : upper;
}

bool FollowedByIdent(std::string_view text, std::size_t pos) {
  return pos < text.size() && IsIdent(text[pos]);
}

bool Scanner::PascalHex(std::size_t pos, ColorToken& t) {
  const std::size_t n = HexRun(text, pos + 1, 9);
  if (n < 6 || n > 8 || FollowedByIdent(text, pos + 1 + n)) return false;
  t.notation = Notation::kPascalHex;
  t.begin = pos;
  t.end = pos + 1 + n;
  t.digit_count = static_cast<int>(n);
  t.upper_case = DigitsUpper(text, pos + 1, n, true);
  t.color = HexNumber(text, pos + 1, n);
  t.alpha_flag = n == 6 ? 0 : 1;
  if (n == 6) t.color |= kAlphaMask;
  return true;
}

// Channels R, G, B, A from a value of 4 (or 8) digits per channel in the order
// given (ARGB: alpha first).
ColorValue FromOrdered(std::uint32_t value, int bits, bool alpha_first) {
  const std::uint32_t mask = (1u << bits) - 1u;
  const int scale = bits == 4 ? 17 : 1;
  auto channel = [&](int index) {  // 0 is the first written
    return static_cast<int>((value >> (bits * (3 - index))) & mask) * scale;
  };
  if (alpha_first) return ComposeColor(channel(1), channel(2), channel(3), channel(0));
  return ComposeColor(channel(0), channel(1), channel(2), channel(3));
}

bool Scanner::CssHex(std::size_t pos, ColorToken& t) {
  if (pos > 0 && text[pos - 1] == '&') return false;
  const std::size_t n = HexRun(text, pos + 1, 9);
  if ((n != 3 && n != 4 && n != 6 && n != 8) || FollowedByIdent(text, pos + 1 + n)) return false;
  t.notation = Notation::kCssHex;
  t.begin = pos;
  t.end = pos + 1 + n;
  t.digit_count = static_cast<int>(n);
  t.upper_case = DigitsUpper(text, pos + 1, n, false);
  const std::uint32_t value = HexNumber(text, pos + 1, n);
  const bool alpha_first = options.hex_order == HexOrder::kArgb;
  if (n == 3 || n == 6) {
    t.color =
        FromOrdered((value << (n == 3 ? 4 : 8)) | (n == 3 ? 0xFu : 0xFFu), n == 3 ? 4 : 8, false);
    t.alpha_flag = 0;
  } else {
    t.color = FromOrdered(value, n == 4 ? 4 : 8, alpha_first);
    t.alpha_flag = 1;
  }
  return true;
}

bool Scanner::Hex0x(std::size_t pos, ColorToken& t) {
  if (pos + 1 >= text.size() || (text[pos + 1] != 'x' && text[pos + 1] != 'X')) return false;
  const std::size_t n = HexRun(text, pos + 2, 9);
  if (n != 6 && n != 8) return false;
  std::size_t end = pos + 2 + n;
  for (int i = 0; i < 3 && end < text.size(); ++i) {
    const char c = text[end];
    if (c != 'u' && c != 'U' && c != 'l' && c != 'L') break;
    ++end;
  }
  if (FollowedByIdent(text, end)) return false;
  t.notation = Notation::kHex0x;
  t.begin = pos;
  t.end = end;
  t.digit_count = static_cast<int>(n);
  t.upper_case = DigitsUpper(text, pos + 2, n, true);
  const std::uint32_t value = HexNumber(text, pos + 2, n);
  if (n == 6) {
    t.color = FromOrdered((value << 8) | 0xFFu, 8, false);
    t.alpha_flag = 0;
  } else {
    t.color = FromOrdered(value, 8, options.hex_order != HexOrder::kRgba);
    t.alpha_flag = 1;
  }
  return true;
}

// The end of an integer at `pos` that ReadInteger reads whole: sign, then
// "$" and hexadecimal digits, "%" and binary digits, or decimal digits, at
// least one; kNone when there is none. Reads no byte at or after `end`.
std::size_t WholeIntegerEnd(std::string_view text, std::size_t pos, std::size_t end) {
  if (pos < end && (text[pos] == '+' || text[pos] == '-')) ++pos;
  bool (*digit)(char) = [](char c) { return IsDigit(c); };
  if (pos < end && text[pos] == '$') {
    digit = [](char c) { return IsHex(c); };
    ++pos;
  } else if (pos < end && text[pos] == '%') {
    digit = [](char c) { return c == '0' || c == '1'; };
    ++pos;
  }
  const std::size_t digits = pos;
  while (pos < end && digit(text[pos])) ++pos;
  return pos == digits ? kNone : pos;
}

bool Scanner::ClassicRgb(std::size_t pos, ColorToken& t) {
  int count;
  if (StartsWith(text, pos, "RGB(")) {
    count = 3;
  } else if (StartsWith(text, pos, "RGBA(")) {
    count = 4;
  } else {
    return false;
  }
  const std::size_t open = pos + static_cast<std::size_t>(count);
  const std::size_t close = CloseAfter(open + 1);
  if (close == kNone) return false;
  std::uint32_t sum = 0, weight = 1;
  std::size_t field_begin = open + 1;
  for (int k = 0; k < count; ++k) {
    if (field_begin > close) return false;  // fewer fields than channels
    // Read field by field, stopping at the first byte out of place, so that
    // openings sharing a long line do not each read it to its ")".
    const std::size_t b = SkipBlanks(text, field_begin, close);
    const std::size_t e = WholeIntegerEnd(text, b, close);
    if (e == kNone) return false;
    const std::size_t field_end = SkipBlanks(text, e, close);
    if (field_end < close && text[field_end] != ',') return false;
    sum += static_cast<std::uint32_t>(ReadInteger32(text.substr(b, e - b))) * weight;
    weight *= 256u;
    TokenValue& v = t.values[k];
    v = TokenValue{};
    v.begin = b;
    v.end = e;
    v.channel = static_cast<unsigned char>(k);
    v.scale = ValueScale::kInteger;
    field_begin = field_end + 1;
  }
  t.notation = Notation::kClassicRgb;
  t.begin = pos;
  t.end = close + 1;
  t.value_count = count;
  t.alpha_flag = count == 4 ? 1 : 0;
  t.color = count == 4 ? sum : (sum & kRgbMask) | kAlphaMask;
  return true;
}

// One value of css-rgb or css-hsl: a number and its unit.
enum class Unit { kNone, kPercent, kDeg };

bool ReadCssValue(std::string_view text, std::size_t& pos, std::size_t close, bool allow_deg,
                  Number& n, Unit& unit) {
  if (!ReadNumber(text, pos, close, n)) return false;
  pos = n.end;
  unit = Unit::kNone;
  if (pos < close && text[pos] == '%') {
    unit = Unit::kPercent;
    ++pos;
  } else if (allow_deg && close - pos >= 3 && StartsWithIgnoringCase(text, pos, "deg")) {
    unit = Unit::kDeg;
    pos += 3;
  }
  // Anything else (another unit, a letter) is checked by the caller's grammar.
  return true;
}

bool Scanner::CssFunction(std::size_t pos, ColorToken& t) {
  bool hsl;
  std::size_t open;
  if (StartsWithIgnoringCase(text, pos, "rgb(")) {
    hsl = false, open = pos + 3;
  } else if (StartsWithIgnoringCase(text, pos, "rgba(")) {
    hsl = false, open = pos + 4;
  } else if (StartsWithIgnoringCase(text, pos, "hsl(")) {
    hsl = true, open = pos + 3;
  } else if (StartsWithIgnoringCase(text, pos, "hsla(")) {
    hsl = true, open = pos + 4;
  } else {
    return false;
  }
  const std::size_t close = CloseAfter(open + 1);
  if (close == kNone) return false;

  // Three values split by commas (a fourth after a comma), or by blanks (a
  // fourth after a "/").
  Number numbers[4];
  Unit units[4];
  std::size_t p = SkipBlanks(text, open + 1, close);
  if (!ReadCssValue(text, p, close, hsl, numbers[0], units[0])) return false;
  int count = 1;
  bool commas = false;
  for (; count < 4; ++count) {
    const std::size_t q = SkipBlanks(text, p, close);
    if (q == close) break;
    if (count == 1) commas = text[q] == ',';
    if (commas || count == 3) {
      if (text[q] != (commas ? ',' : '/')) return false;
      p = SkipBlanks(text, q + 1, close);
    } else {
      if (q == p) return false;  // no blank after the value: a unit or other text
      p = q;
    }
    if (!ReadCssValue(text, p, close, false, numbers[count], units[count])) return false;
  }
  if (count < 3 || SkipBlanks(text, p, close) != close) return false;

  t.notation = hsl ? Notation::kCssHsl : Notation::kCssRgb;
  t.begin = pos;
  t.end = close + 1;
  t.value_count = count;
  t.alpha_flag = count == 4 ? 1 : 0;
  int alpha = 255;
  if (count == 4) {
    alpha = ByteOfNumber(numbers[3], units[3] == Unit::kPercent ? Scale::kPercent : Scale::kUnit);
  }
  for (int k = 0; k < count; ++k) {
    TokenValue& v = t.values[k];
    v = TokenValue{};
    CopyFlags(numbers[k], v);
    v.percent = units[k] == Unit::kPercent;
    v.channel = static_cast<unsigned char>(k);
    if (k == 3) {
      v.scale = v.percent ? ValueScale::kPercent : ValueScale::kUnit;
      v.max_decimals = v.percent ? 2 : 3;
    } else if (hsl) {
      v.scale = k == 0 ? ValueScale::kHue : ValueScale::kHslPercent;
      if (k == 0 && v.percent) return false;  // a hue is no percentage
    } else {
      v.scale = v.percent ? ValueScale::kPercent : ValueScale::kByte;
      v.max_decimals = v.percent ? 2 : 3;
    }
  }
  if (hsl) {
    const ColorValue rgb =
        HslToRgb(ValueOfNumber(numbers[0]), ValueOfNumber(numbers[1]), ValueOfNumber(numbers[2]));
    t.color = (rgb & kRgbMask) | (static_cast<ColorValue>(alpha) << 24);
  } else {
    int bytes[3];
    for (int k = 0; k < 3; ++k) {
      bytes[k] =
          ByteOfNumber(numbers[k], units[k] == Unit::kPercent ? Scale::kPercent : Scale::kByte);
    }
    t.color = ComposeColor(bytes[0], bytes[1], bytes[2], alpha);
  }
  return true;
}

// An argument list "(a, b, ...)" from `open`: each argument read by `read`
// (which records it and returns false for anything it does not accept),
// blanks allowed around the commas. Returns the count, or -1.
template <class ReadArgument>
int ReadArguments(std::string_view text, std::size_t open, std::size_t close, int most,
                  ReadArgument read) {
  std::size_t p = SkipBlanks(text, open + 1, close);
  int count = 0;
  while (true) {
    if (count == most) return -1;
    if (!read(count, p)) return -1;
    ++count;
    p = SkipBlanks(text, p, close);
    if (p == close) return count;
    if (text[p] != ',') return -1;
    p = SkipBlanks(text, p + 1, close);
  }
}

struct ConstructorName {
  std::string_view name;  // with its "("
  int counts;             // bit n set: n arguments accepted
  bool alpha_first;       // with four arguments: a, r, g, b
  bool opacity;           // the fourth argument is a number 0..1
};

constexpr ConstructorName kConstructors[] = {
    {"Color.FromArgb(", 1 << 3 | 1 << 4, true, false},
    {"Color.fromARGB(", 1 << 4, true, false},
    {"Color.argb(", 1 << 4, true, false},
    {"Color.rgb(", 1 << 3, false, false},
    {"Color.fromRGBO(", 1 << 4, false, true},
    {"QColor(", 1 << 3 | 1 << 4, false, false},
    {"Color(", 1 << 3 | 1 << 4, false, false},
    {"Color32(", 1 << 3 | 1 << 4, false, false},
};

bool Scanner::Constructor(std::size_t pos, ColorToken& t) {
  const ConstructorName* name = nullptr;
  for (const ConstructorName& c : kConstructors) {
    if (StartsWith(text, pos, c.name)) {
      name = &c;
      break;
    }
  }
  if (name == nullptr) return false;
  const std::size_t open = pos + name->name.size() - 1;
  const std::size_t close = CloseAfter(open + 1);
  if (close == kNone) return false;
  int bytes[4] = {};
  Number opacity;
  const int count = ReadArguments(text, open, close, 4, [&](int k, std::size_t& p) {
    TokenValue& v = t.values[k];
    v = TokenValue{};
    if (name->opacity && k == 3) {
      if (!ReadNumber(text, p, close, opacity)) return false;
      CopyFlags(opacity, v);
      v.scale = ValueScale::kUnit;
      v.max_decimals = 3;
      bytes[k] = ByteOfNumber(opacity, Scale::kUnit);
      p = opacity.end;
      return true;
    }
    v.begin = p;
    if (p < close && (text[p] == '+' || text[p] == '-')) ++p;
    const std::size_t digits = p;
    int value = 0;
    while (p < close && IsDigit(text[p])) {
      value = std::min(value * 10 + (text[p] - '0'), 1000);
      ++p;
    }
    if (p == digits) return false;
    v.end = p;
    v.scale = ValueScale::kInteger;
    bytes[k] = text[v.begin] == '-' ? 0 : std::min(value, 255);
    return true;
  });
  if (count < 0 || (name->counts & (1 << count)) == 0) return false;
  const bool alpha_first = count == 4 && name->alpha_first;
  for (int k = 0; k < count; ++k)
    t.values[k].channel = static_cast<unsigned char>(alpha_first ? (k + 3) % 4 : k);
  t.notation = Notation::kConstructor;
  t.begin = pos;
  t.end = close + 1;
  t.value_count = count;
  t.alpha_flag = count == 4 ? 1 : 0;
  int rgba[4] = {0, 0, 0, 255};
  for (int k = 0; k < count; ++k) rgba[t.values[k].channel] = bytes[k];
  t.color = ComposeColor(rgba[0], rgba[1], rgba[2], rgba[3]);
  return true;
}

bool Scanner::FloatVector(std::size_t pos, ColorToken& t) {
  static constexpr struct {
    std::string_view name;
    int counts;
  } kVectors[] = {{"vec3(", 1 << 3},          {"vec4(", 1 << 4},  {"float3(", 1 << 3},
                  {"float4(", 1 << 4},        {"half3(", 1 << 3}, {"half4(", 1 << 4},
                  {"Color(", 1 << 3 | 1 << 4}};
  int counts = 0;
  std::size_t open = 0;
  for (const auto& v : kVectors) {
    if (StartsWith(text, pos, v.name)) {
      counts = v.counts;
      open = pos + v.name.size() - 1;
      break;
    }
  }
  if (counts == 0) return false;
  const std::size_t close = CloseAfter(open + 1);
  if (close == kNone) return false;
  bool any_float = false;
  int bytes[4] = {0, 0, 0, 255};
  const int count = ReadArguments(text, open, close, 4, [&](int k, std::size_t& p) {
    Number n;
    if (!ReadNumber(text, p, close, n)) return false;
    p = n.end;
    bool suffix = false;
    if (p < close && (text[p] == 'f' || text[p] == 'F')) {
      suffix = true;
      ++p;
    }
    any_float = any_float || n.has_dot || n.has_exponent || suffix;
    TokenValue& v = t.values[k];
    v = TokenValue{};
    CopyFlags(n, v);
    v.channel = static_cast<unsigned char>(k);
    v.scale = ValueScale::kUnit;
    v.max_decimals = 4;
    bytes[k] = ByteOfNumber(n, Scale::kUnit);
    return true;
  });
  if (count < 0 || (counts & (1 << count)) == 0 || !any_float) return false;
  t.notation = Notation::kFloatVector;
  t.begin = pos;
  t.end = close + 1;
  t.value_count = count;
  t.alpha_flag = count == 4 ? 1 : 0;
  t.color = ComposeColor(bytes[0], bytes[1], bytes[2], bytes[3]);
  return true;
}

bool Scanner::TryAt(std::size_t pos, ColorToken& t) {
  switch (text[pos]) {
    case 'R':
      return ClassicRgb(pos, t) || CssFunction(pos, t);
    case 'r':
    case 'h':
    case 'H':
      return CssFunction(pos, t) || (text[pos] == 'h' && FloatVector(pos, t));
    case '$':
      return PascalHex(pos, t);
    case '#':
      return CssHex(pos, t);
    case '0':
      return Hex0x(pos, t);
    case 'C':
    case 'Q':
      return Constructor(pos, t) || FloatVector(pos, t);
    default:  // 'v', 'f'
      return FloatVector(pos, t);
  }
}

// Calls found(token) for each token of notations 1..8 in order until it
// returns false.
template <class Found>
void ScanTokens(std::string_view text, const TokenOptions& options, Found found) {
  Scanner scanner{text, options};
  const auto* const data = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  // One token filled by every attempt: clearing its values for each candidate
  // cost more than the whole scan.
  ColorToken token;
  // Whether the pair at `pos` may begin a token, after no identifier character.
  auto candidate = [&](std::size_t pos) {
    return (kPairs.of[data[pos]] & (kPairs.of[data[pos + 1]] >> 16)) != 0 &&
           (pos == 0 || !IsIdent(static_cast<char>(data[pos - 1])));
  };
  std::size_t pos = 0;
  while (size >= 2 && pos < size - 1) {
    // Eight pairs at a time with one branch: most blocks hold no candidate.
    if (size - pos > 8) {
      std::uint32_t any = 0, previous = kPairs.of[data[pos]];
      for (std::size_t k = 1; k <= 8; ++k) {
        const std::uint32_t next = kPairs.of[data[pos + k]];
        any |= previous & (next >> 16);
        previous = next;
      }
      if (any == 0) {
        pos += 8;
        continue;
      }
    }
    const std::size_t block_end = std::min(pos + 8, size - 1);
    while (pos < block_end && !candidate(pos)) ++pos;
    if (pos == block_end) continue;
    token.digit_count = 0;
    token.upper_case = false;
    token.value_count = 0;
    if (scanner.TryAt(pos, token)) {
      for (int k = token.value_count; k < 5; ++k) token.values[k] = TokenValue{};
      if (!found(token)) return;
      pos = token.end;
    } else {
      ++pos;
    }
  }
}

bool IsTrimmed(char c) {
  return IsBlankByte(c) || IsLineBreak(c);
}

std::string_view TrimmedWhole(std::string_view text, std::size_t& begin) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsTrimmed(text[b])) ++b;
  while (e > b && IsTrimmed(text[e - 1])) --e;
  begin = b;
  return text.substr(b, e - b);
}

bool NamedToken(std::string_view text, std::size_t begin, std::size_t end, ColorToken& t) {
  const auto color = FindCssNamedColor(text.substr(begin, end - begin));
  if (!color) return false;
  t = ColorToken{};
  t.notation = Notation::kNamed;
  t.begin = begin;
  t.end = end;
  t.color = *color;
  return true;
}

// A named colour or a decimal number making the whole input, blanks and line
// breaks trimmed.
bool WholeInputToken(std::string_view text, ColorToken& t) {
  std::size_t begin;
  const std::string_view whole = TrimmedWhole(text, begin);
  if (whole.empty()) return false;
  if (NamedToken(text, begin, begin + whole.size(), t)) return true;
  const std::size_t digits = whole[0] == '-' ? 1 : 0;
  if (whole.size() == digits) return false;
  for (std::size_t i = digits; i < whole.size(); ++i) {
    if (!IsDigit(whole[i])) return false;
  }
  t = ColorToken{};
  t.notation = Notation::kDecimal;
  t.begin = begin;
  t.end = begin + whole.size();
  const auto bits = static_cast<ColorValue>(ReadInteger32(whole));
  t.alpha_flag = (bits & kAlphaMask) != 0 ? 1 : 0;
  t.color = t.alpha_flag != 0 ? bits : bits | kAlphaMask;
  return true;
}

// The bounds of the line holding byte `at` (at <= size): [begin, end) of its
// content, the line break excluded. The end of the input lies on the line of
// its last byte.
void LineAround(std::string_view text, std::size_t at, std::size_t& begin, std::size_t& end) {
  std::size_t p = at;
  if (p == text.size() && p > 0) --p;
  // A line break belongs to the line it ends; CR LF is one break.
  if (p < text.size() && text[p] == '\n' && p > 0 && text[p - 1] == '\r') --p;
  begin = p;
  while (begin > 0 && !IsLineBreak(text[begin - 1])) --begin;
  end = p;
  while (end < text.size() && !IsLineBreak(text[end])) ++end;
}

std::size_t Distance(const ColorToken& t, std::size_t at) {
  if (at < t.begin) return t.begin - at;
  if (at > t.end) return at - t.end;
  return 0;
}

// ---------------------------------------------------------------------------
// Writing back.

bool SameColor(const ColorToken& token, ColorValue color) {
  const ColorValue mask = token.alpha_flag != 0 ? 0xFFFFFFFFu : kRgbMask;
  return (token.color & mask) == (color & mask);
}

void AppendHex(std::string& out, std::uint32_t value, int digits, bool upper) {
  std::string hex = HexDigits(value, digits);
  if (!upper) {
    for (char& c : hex) c = LowerAscii(c);
  }
  out.append(hex);
}

// The channels in the order a hexadecimal form writes them: R, G, B, A or
// A, R, G, B.
std::uint32_t Ordered(ColorValue color, bool alpha_first) {
  const std::uint32_t rgb = static_cast<std::uint32_t>(RedOf(color)) << 16 |
                            static_cast<std::uint32_t>(GreenOf(color)) << 8 |
                            static_cast<std::uint32_t>(BlueOf(color));
  const auto alpha = static_cast<std::uint32_t>(AlphaOf(color));
  return alpha_first ? alpha << 24 | rgb : rgb << 8 | alpha;
}

void AppendCssHex(std::string& out, const ColorToken& t, ColorValue color,
                  const TokenOptions& options) {
  out.push_back('#');
  const bool alpha = t.alpha_flag != 0;
  const bool alpha_first = alpha && options.hex_order == HexOrder::kArgb;
  const std::uint32_t value = alpha ? Ordered(color, alpha_first) : Ordered(color, true) & kRgbMask;
  const int full = alpha ? 8 : 6;
  bool can_be_short = t.digit_count == 3 || t.digit_count == 4;
  for (int i = 0; i < full / 2 && can_be_short; ++i) {
    const std::uint32_t byte = (value >> (8 * i)) & 0xFFu;
    can_be_short = byte % 17 == 0;
  }
  if (can_be_short) {
    std::uint32_t short_value = 0;
    for (int i = full / 2 - 1; i >= 0; --i) {
      short_value = short_value << 4 | (((value >> (8 * i)) & 0xFFu) / 17);
    }
    AppendHex(out, short_value, full / 2, t.upper_case);
  } else {
    AppendHex(out, value, full, t.upper_case);
  }
}

// The hue, saturation and lightness written with their own decimals plus e,
// for the smallest e of 0, 1, 2 that reads back to the colour's red, green
// and blue (2 when none does).
void HslTexts(const ColorToken& t, ColorValue color, std::string texts[3]) {
  const Hsl hsl = RgbToHsl(color);
  for (std::size_t e = 0; e <= 2; ++e) {
    // A hue that rounds up to 360 is written 0.
    const double half_unit =
        0.5 /
        std::pow(10.0, static_cast<double>(std::min<std::size_t>(t.values[0].decimals + e, 9)));
    const double values[3] = {hsl.hue >= 360.0 - half_unit ? 0.0 : hsl.hue, hsl.saturation,
                              hsl.lightness};
    double read[3];
    for (int k = 0; k < 3; ++k) {
      const TokenValue& v = t.values[k];
      texts[k].clear();
      AppendFixed(texts[k], values[k], static_cast<std::size_t>(v.decimals) + e, v.leading_dot,
                  v.trailing_dot);
      Number n;
      ReadNumber(texts[k], 0, texts[k].size(), n);
      read[k] = ValueOfNumber(n);
    }
    if (((HslToRgb(read[0], read[1], read[2]) ^ color) & kRgbMask) == 0) return;
  }
}

void AppendFunctional(std::string& out, std::string_view text, const ColorToken& t,
                      ColorValue color) {
  std::string hsl[3];
  if (t.notation == Notation::kCssHsl) HslTexts(t, color, hsl);
  std::size_t pos = t.begin;
  for (int k = 0; k < t.value_count; ++k) {
    const TokenValue& v = t.values[k];
    out.append(text.substr(pos, v.begin - pos));
    const int byte = ChannelOf(color, static_cast<Channel>(v.channel));
    switch (v.scale) {
      case ValueScale::kInteger:
        out.append(std::to_string(byte));
        break;
      case ValueScale::kByte:
        AppendScaledByte(out, byte, Scale::kByte, v);
        break;
      case ValueScale::kUnit:
        AppendScaledByte(out, byte, Scale::kUnit, v);
        break;
      case ValueScale::kPercent:
        AppendScaledByte(out, byte, Scale::kPercent, v);
        break;
      case ValueScale::kHue:
      case ValueScale::kHslPercent:
        out.append(hsl[k]);
        break;
    }
    pos = v.end;
  }
  out.append(text.substr(pos, t.end - pos));
}

void AppendToken(std::string& out, std::string_view text, const ColorToken& t, ColorValue color,
                 const TokenOptions& options) {
  if (SameColor(t, color)) {
    out.append(text.substr(t.begin, t.end - t.begin));
    return;
  }
  switch (t.notation) {
    case Notation::kPascalHex:
      out.push_back(text[t.begin]);
      if (t.alpha_flag != 0) {
        AppendHex(out, color, 8, t.upper_case);
      } else {
        AppendHex(out, color & kRgbMask, 6, t.upper_case);
      }
      break;
    case Notation::kCssHex:
      AppendCssHex(out, t, color, options);
      break;
    case Notation::kHex0x: {
      out.append(text.substr(t.begin, 2));
      if (t.alpha_flag != 0) {
        AppendHex(out, Ordered(color, options.hex_order != HexOrder::kRgba), 8, t.upper_case);
      } else {
        AppendHex(out, Ordered(color, true) & kRgbMask, 6, t.upper_case);
      }
      const std::size_t suffix = t.begin + 2 + static_cast<std::size_t>(t.digit_count);
      out.append(text.substr(suffix, t.end - suffix));
      break;
    }
    case Notation::kNamed:
      out.push_back('#');
      AppendHex(out, Ordered(color, true) & kRgbMask, 6, false);
      break;
    case Notation::kDecimal:
      out.append(FormatColorText(t.alpha_flag != 0 ? color : color & kRgbMask,
                                 ColorTextFormat::kDecimal, t.alpha_flag));
      break;
    case Notation::kClassicRgb:
    case Notation::kCssRgb:
    case Notation::kCssHsl:
    case Notation::kConstructor:
    case Notation::kFloatVector:
      AppendFunctional(out, text, t, color);
      break;
  }
}

std::string Rewrite(std::string_view text, const ColorToken& t, std::string_view replacement) {
  std::string out;
  out.reserve(text.size() - (t.end - t.begin) + replacement.size());
  out.append(text.substr(0, t.begin)).append(replacement).append(text.substr(t.end));
  return out;
}

bool ValidSpan(std::string_view text, const ColorToken& t) {
  return t.begin <= t.end && t.end <= text.size();
}

}  // namespace

std::vector<ColorToken> FindColorTokens(std::string_view text, const TokenOptions& options) {
  // Where the tokens begin first, then each read again straight into a list
  // of the exact size: a growing list of a large text touched several times
  // its final memory, fresh from the system each time, which cost more than
  // the scan; reading a token again costs less than copying it.
  std::vector<std::size_t> starts;
  ScanTokens(text, options, [&](const ColorToken& t) {
    starts.push_back(t.begin);
    return true;
  });
  std::vector<ColorToken> tokens;
  tokens.reserve(starts.size());
  Scanner scanner{text, options};
  for (const std::size_t begin : starts) {
    tokens.emplace_back();
    scanner.TryAt(begin, tokens.back());
  }
  ColorToken whole;
  if (tokens.empty() && WholeInputToken(text, whole)) tokens.push_back(whole);
  return tokens;
}

std::optional<ColorToken> ChooseColorToken(std::string_view text, const TokenOptions& options,
                                           std::optional<std::size_t> at) {
  std::optional<ColorToken> chosen;
  if (!at) {
    ScanTokens(text, options, [&](const ColorToken& t) {
      chosen = t;
      return false;
    });
    ColorToken whole;
    if (!chosen && WholeInputToken(text, whole)) chosen = whole;
    return chosen;
  }
  const std::size_t n = *at;
  if (n > text.size()) return std::nullopt;
  std::size_t line_begin, line_end;
  LineAround(text, n, line_begin, line_end);
  // Tokens end before the line's break, so only those starting on the line count.
  ScanTokens(text, options, [&](const ColorToken& t) {
    if (t.begin > line_end) return false;
    if (t.begin < line_begin) return true;
    if (!chosen || Distance(t, n) < Distance(*chosen, n)) chosen = t;
    return Distance(t, n) > 0 || t.end < n;  // a second one may hold n at its start
  });
  if (chosen) return chosen;
  ColorToken t;
  if (WholeInputToken(text, t)) {
    if (t.begin >= line_begin && t.begin <= line_end) return t;
    return std::nullopt;
  }
  // A named colour, as the whole word around n.
  std::size_t begin = n, end = n;
  while (begin > line_begin && IsIdent(text[begin - 1])) --begin;
  while (end < line_end && IsIdent(text[end])) ++end;
  if (begin < end && NamedToken(text, begin, end, t)) return t;
  return std::nullopt;
}

std::string WriteTokenText(std::string_view text, const ColorToken& token, ColorValue color,
                           const TokenOptions& options) {
  std::string out;
  if (!ValidSpan(text, token)) return out;
  AppendToken(out, text, token, color, options);
  return out;
}

std::string RewriteColorToken(std::string_view text, const ColorToken& token, ColorValue color,
                              const TokenOptions& options) {
  if (!ValidSpan(text, token)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 64);
  out.append(text.substr(0, token.begin));
  AppendToken(out, text, token, color, options);
  out.append(text.substr(token.end));
  return out;
}

std::string FormatInNotation(ColorValue color, Notation target, int alpha_flag,
                             const TokenOptions& options) {
  const bool alpha = alpha_flag != 0 || AlphaOf(color) != 255;
  std::string_view style;
  switch (target) {
    case Notation::kClassicRgb:
      return FormatColorText(color, alpha ? ColorTextFormat::kRgba : ColorTextFormat::kRgb, 0);
    case Notation::kPascalHex:
      return FormatColorText(color, ColorTextFormat::kHex, alpha ? 1 : 0);
    case Notation::kDecimal:
      return FormatColorText(alpha ? color : color & kRgbMask, ColorTextFormat::kDecimal, 1);
    case Notation::kCssHex:
      style = alpha ? "#00000000" : "#000000";
      break;
    case Notation::kHex0x:
      style = alpha ? "0x00000000" : "0x000000";
      break;
    case Notation::kCssRgb:
      style = alpha ? "rgba(0, 0, 0, 0)" : "rgb(0, 0, 0)";
      break;
    case Notation::kCssHsl:
      style = alpha ? "hsla(0, 0%, 0%, 0)" : "hsl(0, 0%, 0%)";
      break;
    case Notation::kFloatVector:
      style = alpha ? "vec4(0.0, 0.0, 0.0, 0.0)" : "vec3(0.0, 0.0, 0.0)";
      break;
    case Notation::kConstructor:
    case Notation::kNamed:
      return {};
  }
  // The default style is a token written in it, black (transparent with
  // alpha), rewritten with the colour.
  std::string out;
  ScanTokens(style, options, [&](const ColorToken& t) {
    AppendToken(out, style, t, color, options);
    return false;
  });
  return out;
}

std::string ConvertColorToken(std::string_view text, const ColorToken& token, ColorValue color,
                              Notation target, const TokenOptions& options) {
  if (!ValidSpan(text, token) || !IsTargetNotation(target)) return std::string(text);
  return Rewrite(text, token, FormatInNotation(color, target, token.alpha_flag, options));
}

std::string_view NotationName(Notation notation) {
  switch (notation) {
    case Notation::kClassicRgb:
      return "classic-rgb";
    case Notation::kPascalHex:
      return "pascal-hex";
    case Notation::kCssHex:
      return "css-hex";
    case Notation::kHex0x:
      return "hex-0x";
    case Notation::kCssRgb:
      return "css-rgb";
    case Notation::kCssHsl:
      return "css-hsl";
    case Notation::kConstructor:
      return "constructor";
    case Notation::kFloatVector:
      return "float-vector";
    case Notation::kNamed:
      return "named";
    case Notation::kDecimal:
      return "decimal";
  }
  return {};
}

bool IsTargetNotation(Notation notation) {
  return std::find(std::begin(kTargetNotations), std::end(kTargetNotations), notation) !=
         std::end(kTargetNotations);
}

std::optional<Notation> ParseTargetNotation(std::string_view name) {
  for (const Notation n : kTargetNotations) {
    if (NotationName(n) == name) return n;
  }
  return std::nullopt;
}

}  // namespace tintra
