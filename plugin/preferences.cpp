#include "plugin/preferences.h"

#include <cstdint>

#include "colortext/ansi_case.h"
#include "picker/blanks.h"

namespace tintra {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
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

// Windows-1252 bytes 0x80..0x9F that stand for characters outside Latin-1.
struct Cp1252Extra {
  char32_t character;
  std::uint8_t byte;
};
constexpr Cp1252Extra kCp1252Extras[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

char Cp1252Byte(char32_t c) {
  // The five unassigned bytes map to the control characters of the same value.
  const bool c1_identity = c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || c1_identity) return static_cast<char>(c);
  for (const Cp1252Extra& extra : kCp1252Extras) {
    if (extra.character == c) return static_cast<char>(extra.byte);
  }
  return '?';
}

}  // namespace

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

std::string ReadPreference(std::string_view file, std::string_view group, std::string_view key,
                           std::string_view default_value, Utf8ToAnsiFunction to_ansi) {
  std::string converted;
  if (file.starts_with(kUtf8ByteOrderMark)) {
    converted = to_ansi(RepairUtf8(file.substr(kUtf8ByteOrderMark.size())));
    file = converted;
  }
  bool in_group = false;  // lines before the first group belong to none
  std::size_t line_start = 0;
  while (line_start < file.size()) {
    std::size_t line_end = file.find_first_of("\r\n", line_start);
    if (line_end == std::string_view::npos) line_end = file.size();
    std::string_view line = file.substr(line_start, line_end - line_start);
    line_start = line_end + 1;

    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;  // not a group line
      in_group = AnsiEqualIgnoringCase(TrimBlanks(line.substr(1, close - 1)), group);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!in_group || equals == std::string_view::npos) continue;
    if (AnsiEqualIgnoringCase(TrimBlanks(line.substr(0, equals)), key)) {
      return std::string(TrimBlanks(line.substr(equals + 1)));
    }
  }
  return std::string(default_value);
}

std::optional<std::string> PreferenceFilePath(std::string_view module_path) {
  if (module_path.starts_with("\\\\?\\")) module_path.remove_prefix(4);
  const std::size_t last_separator = module_path.find_last_of("\\/");
  if (last_separator == std::string_view::npos) return std::nullopt;
  std::string folder(module_path.substr(0, last_separator + 1));
  // Drop the folder's own "\" and name; what is left is the parent with its "\".
  do {
    folder.pop_back();
  } while (!folder.empty() && folder.back() != '\\');
  if (folder.empty()) return std::nullopt;  // root of a drive: no parent
  return folder + "Tarvo.pref";
}

bool IsFrench(std::string_view language_value) {
  return language_value ==
         "Fran\xE7"
         "ais";
}

Language PreferredLanguage(std::string_view file, Utf8ToAnsiFunction to_ansi) {
  return IsFrench(ReadPreference(file, "General", "Language", "", to_ansi)) ? Language::kFrench
                                                                            : Language::kEnglish;
}

}  // namespace tintra
