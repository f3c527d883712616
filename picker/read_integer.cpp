// Reading an integer from text, shared by the dialog's channel fields, the
// colour text codec and the plug-in's command line.
#include "picker/read_integer.h"

#include "picker/blanks.h"

namespace tintra {

std::int64_t ReadInteger(std::string_view text) {
  std::size_t i = 0;
  const std::size_t size = text.size();
  auto at = [&](std::size_t pos) { return static_cast<unsigned char>(text[pos]); };

  while (i < size && IsBlank(text[i])) ++i;

  bool negative = false;
  if (i < size && (at(i) == '-' || at(i) == '+')) {
    negative = at(i) == '-';
    ++i;
  }

  // Unsigned, so that overflow wraps modulo 2^64 as intended.
  std::uint64_t value = 0;
  if (i < size && at(i) == '$') {
    for (++i; i < size; ++i) {
      const unsigned c = at(i);
      unsigned digit = 0;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else {
        break;
      }
      value = value * 16u + digit;
    }
  } else if (i < size && at(i) == '%') {
    for (++i; i < size && (at(i) == '0' || at(i) == '1'); ++i) {
      value = value * 2u + (at(i) - '0');
    }
  } else {
    for (; i < size && at(i) >= '0' && at(i) <= '9'; ++i) {
      value = value * 10u + (at(i) - '0');
    }
  }

  if (negative) value = 0u - value;
  return static_cast<std::int64_t>(value);
}

}  // namespace tintra
