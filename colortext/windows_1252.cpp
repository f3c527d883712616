#include "colortext/windows_1252.h"

#include <array>
#include <cstdint>

namespace tintra {

namespace {

constexpr char32_t kInvalidCharacter = 0xFFFFFFFF;

// Reads one UTF-8 character at `pos` (pos < bytes.size()) and advances past
// it. An invalid sequence gives kInvalidCharacter and advances past its
// maximal invalid part: the lead byte and the continuation bytes that were
// still acceptable, at least one byte.
char32_t DecodeUtf8Character(std::string_view bytes, std::size_t& pos) {
  const auto byte_at = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  const std::uint8_t lead = byte_at(pos++);
  if (lead < 0x80) return lead;
  int continuation_count;
  std::uint8_t second_low = 0x80;  // accepted range of the second byte
  std::uint8_t second_high = 0xBF;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuation_count = 1;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuation_count = 2;
    value = lead & 0x0Fu;
    if (lead == 0xE0) second_low = 0xA0;   // no overlong forms
    if (lead == 0xED) second_high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuation_count = 3;
    value = lead & 0x07u;
    if (lead == 0xF0) second_low = 0x90;   // no overlong forms
    if (lead == 0xF4) second_high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kInvalidCharacter;  // stray continuation byte, C0, C1, F5..FF
  }
  for (int i = 0; i < continuation_count; ++i) {
    if (pos >= bytes.size()) return kInvalidCharacter;
    const std::uint8_t b = byte_at(pos);
    const std::uint8_t low = i == 0 ? second_low : 0x80;
    const std::uint8_t high = i == 0 ? second_high : 0xBF;
    if (b < low || b > high) return kInvalidCharacter;  // that byte starts the next character
    value = (value << 6) | (b & 0x3Fu);
    ++pos;
  }
  return value;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Characters of the bytes 0x80..0x9F; the five undefined bytes stand for
// the C1 control characters of the same value. 0xA0..0xFF are Latin-1.
constexpr std::array<char32_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t Cp1252Character(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighBlock[byte - 0x80];
  return byte;
}

// The byte of a character, or '?' when Windows-1252 has none.
char Cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
    if (kHighBlock[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char b : bytes) AppendUtf8(out, Cp1252Character(static_cast<unsigned char>(b)));
  return out;
}

std::string RepairUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const char32_t c = DecodeUtf8Character(bytes, pos);
    if (c == kInvalidCharacter) {
      out += '?';
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t c = DecodeUtf8Character(utf8, pos);
    out += c == kInvalidCharacter ? '?' : Cp1252Byte(c);
  }
  return out;
}

}  // namespace tintra
