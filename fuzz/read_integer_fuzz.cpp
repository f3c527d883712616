// ReadInteger on any bytes, compared with a reference reading built another
// way: the digit run is found first, then read in chunks by std::from_chars
// and combined modulo 2^64.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "picker/read_integer.h"

namespace {

bool IsDigitOf(char c, int base) {
  switch (base) {
    case 2:
      return c == '0' || c == '1';
    case 16:
      return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    default:
      return c >= '0' && c <= '9';
  }
}

// Digits of `base` read modulo 2^64. Chunks short enough that from_chars
// cannot overflow: 18 decimal, 15 hexadecimal or 63 binary digits.
std::uint64_t ReadDigitsModulo(std::string_view digits, int base) {
  const std::size_t chunk = base == 10 ? 18 : base == 16 ? 15 : 63;
  std::uint64_t value = 0;
  while (!digits.empty()) {
    const std::string_view part = digits.substr(0, chunk);
    digits.remove_prefix(part.size());
    std::uint64_t part_value = 0;
    const auto result = std::from_chars(part.data(), part.data() + part.size(), part_value, base);
    FUZZ_CHECK(result.ec == std::errc() && result.ptr == part.data() + part.size(),
               "reference could not read its own digit run");
    std::uint64_t scale = 1;
    for (std::size_t i = 0; i < part.size(); ++i) scale *= static_cast<std::uint64_t>(base);
    value = value * scale + part_value;
  }
  return value;
}

std::int64_t ReferenceReadInteger(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return 0;
  text.remove_prefix(start);
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && (text.front() == '$' || text.front() == '%')) {
    base = text.front() == '$' ? 16 : 2;
    text.remove_prefix(1);
  }
  std::size_t run = 0;
  while (run < text.size() && IsDigitOf(text[run], base)) ++run;
  const std::uint64_t magnitude = ReadDigitsModulo(text.substr(0, run), base);
  return static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::int64_t value = tintra::ReadInteger(text);
  const std::int64_t expected = ReferenceReadInteger(text);
  FUZZ_CHECK(value == expected, "ReadInteger gave %lld, reference %lld",
             static_cast<long long>(value), static_cast<long long>(expected));
  FUZZ_CHECK(tintra::ReadInteger32(text) ==
                 static_cast<std::int32_t>(static_cast<std::uint32_t>(expected)),
             "ReadInteger32 is not the low 32 bits");
  // Reading stops at the first character that is no digit: a character that
  // is a digit of no base changes nothing when appended.
  const std::string extended = std::string(text) + "x";
  FUZZ_CHECK(tintra::ReadInteger(extended) == value, "a trailing \"x\" changed the value");
  return 0;
}
