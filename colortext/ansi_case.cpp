#include "colortext/ansi_case.h"

namespace tintra {

namespace {

unsigned char UpperByte(unsigned char b) {
  if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<unsigned char>(b - 32);
  switch (b) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
      return static_cast<unsigned char>(b - 16);
    case 0xFF:
      return 0x9F;
    default:
      return b;
  }
}

unsigned char LowerByte(unsigned char b) {
  if (b >= 'A' && b <= 'Z') return static_cast<unsigned char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<unsigned char>(b + 32);
  switch (b) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
      return static_cast<unsigned char>(b + 16);
    case 0x9F:
      return 0xFF;
    default:
      return b;
  }
}

}  // namespace

char AnsiUpperChar(char c) {
  return static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
}

char AnsiLowerChar(char c) {
  return static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
}

std::string AnsiUpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AnsiUpperChar(c);
  return out;
}

bool AnsiEqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AnsiLowerChar(a[i]) != AnsiLowerChar(b[i])) return false;
  }
  return true;
}

}  // namespace tintra
