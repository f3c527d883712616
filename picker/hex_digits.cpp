#include "picker/hex_digits.h"

namespace tintra {

std::string HexDigits(std::uint32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kHex[value & 0xFu];
    value >>= 4;
  }
  return out;
}

}  // namespace tintra
