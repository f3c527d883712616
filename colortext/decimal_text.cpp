#include "colortext/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace tintra {

namespace {

// A correctly rounded double never depends on more than 767 significant
// digits plus whether anything nonzero follows them.
constexpr std::size_t kMaxSignificantDigits = 800;

// A written exponent is saturated here: far beyond any shift that the
// digits of a text held in memory can make, so the sum cannot overflow.
constexpr std::int64_t kExponentCap = 1000000000000000000;  // 10^18

// Beyond this decimal exponent (of the leading digit) every value is 0 or
// infinite; clamping keeps the normalised text short.
constexpr std::int64_t kPointClamp = 100000;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAtofSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

double ParseDecimalDouble(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsAtofSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  // Significant digits (leading zeros dropped) and the value's decimal
  // exponent: value = 0.<digits> x 10^point.
  std::string digits;
  bool sticky = false;  // a nonzero digit beyond kMaxSignificantDigits
  std::int64_t point = 0;
  bool any_digit = false;
  auto take = [&](char c, bool before_point) {
    any_digit = true;
    if (digits.empty() && c == '0') {
      if (!before_point) --point;
      return;
    }
    if (before_point) ++point;
    if (digits.size() < kMaxSignificantDigits) {
      digits.push_back(c);
    } else if (c != '0') {
      sticky = true;
    }
  };
  while (i < n && IsDigit(text[i])) take(text[i++], true);
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) take(text[i++], false);
  }
  if (!any_digit) return 0.0;

  if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    bool exp_negative = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) {
      exp_negative = text[j] == '-';
      ++j;
    }
    std::int64_t exponent = 0;
    while (j < n && IsDigit(text[j])) {
      exponent =
          exponent <= (kExponentCap - 9) / 10 ? exponent * 10 + (text[j] - '0') : kExponentCap;
      ++j;
    }
    point += exp_negative ? -exponent : exponent;
  }

  double magnitude = 0.0;
  if (!digits.empty()) {
    if (sticky) digits.push_back('1');
    point = std::clamp(point, -kPointClamp, kPointClamp);
    std::string normal = "0." + digits + "e" + std::to_string(point);
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
      magnitude = point > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc()) {
      magnitude = 0.0;
    }
  }
  return negative ? -magnitude : magnitude;
}

// The Microsoft runtime writes at most 17 significant digits: the exact
// decimal expansion of the double is cut after min(17 significant digits,
// 10 decimals), rounded half up at that place, and every digit position
// beyond it is written as "0". So 123456789012345683968.0 is written
// "123456789012345680000.0000000000", and 1234567.1 (exactly
// 1234567.10000000009313...) is written "1234567.1000000001".
std::string FormatFixed10(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
  if (value == 0.0) return "0.0000000000";

  const bool negative = value < 0;
  // Exact expansion: 309 integer digits at most, and 1074 decimals suffice
  // for the smallest subnormal.
  char buffer[1500];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::fixed, 1100);
  std::string_view exact(buffer, static_cast<std::size_t>(result.ptr - buffer));

  // All digits in one run, with the integer part's length.
  const std::size_t dot = exact.find('.');
  std::string run(exact.substr(0, dot));
  const std::size_t int_len = run.size();
  if (dot != std::string_view::npos) run.append(exact.substr(dot + 1));

  std::size_t first = 0;  // first significant digit
  while (first < run.size() && run[first] == '0') ++first;
  const std::size_t cut = std::min(first + 17, int_len + 10);

  // Keep run[0, cut), rounding half up on the next digit.
  std::string kept = run.substr(0, std::min(cut, run.size()));
  kept.resize(int_len + 10, '0');
  std::size_t int_digits = int_len;
  if (cut < run.size() && run[cut] >= '5') {
    std::size_t k = cut;
    bool carry = true;
    while (carry && k > 0) {
      --k;
      if (kept[k] == '9') {
        kept[k] = '0';
      } else {
        ++kept[k];
        carry = false;
      }
    }
    if (carry) {
      kept.insert(kept.begin(), '1');
      ++int_digits;
    }
  }

  // Positions past the cut are zero already (resize), so only the integer
  // part's leading zeros remain to drop.
  std::size_t lead = 0;
  while (lead + 1 < int_digits && kept[lead] == '0') ++lead;
  std::string out = negative ? "-" : "";
  out.append(kept, lead, int_digits - lead);
  out.push_back('.');
  out.append(kept, int_digits, 10);
  return out;
}

}  // namespace tintra
