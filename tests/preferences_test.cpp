#include "plugin/preferences.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace tintra {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kFrench =
    "Fran\xE7"
    "ais"sv;

struct PreferenceRow {
  const char* name;
  std::string_view file;
  std::string_view expected;  // value of General/Language, default "<none>"
};

TEST(Preferences, ReadLanguageTable) {
  const PreferenceRow rows[] = {
      {"plain", "[General]\r\nLanguage=English\r\n"sv, "English"sv},
      {"ANSI French",
       "[General]\r\nLanguage=Fran\xE7"
       "ais\r\n"sv,
       kFrench},
      {"LF only", "[General]\nLanguage=x\n"sv, "x"sv},
      {"CR only", "[General]\rLanguage=x\r"sv, "x"sv},
      {"no final line end", "[General]\nLanguage=x"sv, "x"sv},
      {"blanks and tabs around key and value", "[General]\n \t Language \t=  \t x y \t \n"sv,
       "x y"sv},
      {"empty value", "[General]\nLanguage=\n"sv, ""sv},
      {"value holds =", "[General]\nLanguage=a=b\n"sv, "a=b"sv},
      {"group case", "[GENERAL]\nLanguage=x\n"sv, "x"sv},
      {"key case", "[General]\nlAnGuAgE=x\n"sv, "x"sv},
      {"blanks in brackets", "[ General\t]\nLanguage=x\n"sv, "x"sv},
      {"indented group", "  \t[General]\nLanguage=x\n"sv, "x"sv},
      {"text after bracket", "[General] ; main\nLanguage=x\n"sv, "x"sv},
      {"comment", "[General]\n;Language=x\n"sv, "<none>"sv},
      {"indented comment", "[General]\n  ; Language=x\nLanguage=y\n"sv, "y"sv},
      {"before any group", "Language=x\n[General]\n"sv, "<none>"sv},
      {"other group", "[Other]\nLanguage=x\n"sv, "<none>"sv},
      {"group ends at next group", "[General]\n[Other]\nLanguage=x\n"sv, "<none>"sv},
      {"group comes again", "[General]\n[Other]\n[general]\nLanguage=x\n"sv, "x"sv},
      {"first key wins", "[General]\nLanguage=a\nLanguage=b\n"sv, "a"sv},
      {"key prefix is no match", "[General]\nLanguages=x\nLang=y\n"sv, "<none>"sv},
      {"group prefix is no match", "[Generals]\nLanguage=x\n"sv, "<none>"sv},
      {"line without =", "[General]\nLanguage\nLanguage=z\n"sv, "z"sv},
      {"unclosed bracket is no group", "[Other]\n[General\nLanguage=x\n"sv, "<none>"sv},
      {"empty file", ""sv, "<none>"sv},
      {"empty lines", "\r\n\r\n[General]\r\n\r\n\r\nLanguage=x"sv, "x"sv},
      {"NUL byte in value", "[General]\nLanguage=a\0b\n"sv, "a\0b"sv},
      {"ANSI-case group", "[G\xC9N\xC9RAL]\nLanguage=x\n[g\xE9n\xE9ral]\n"sv, "<none>"sv},
      // UTF-8 with byte-order mark: decoded and converted to ANSI.
      {"UTF-8 French",
       "\xEF\xBB\xBF[General]\r\nLanguage = Fran\xC3\xA7"
       "ais \r\n"sv,
       kFrench},
      {"UTF-8 euro", "\xEF\xBB\xBF[General]\nLanguage=\xE2\x82\xAC\n"sv, "\x80"sv},
      {"UTF-8 without ANSI form", "\xEF\xBB\xBF[General]\nLanguage=\xE4\xB8\xAD\xC5\x81\n"sv,
       "??"sv},
      {"UTF-8 invalid byte",
       "\xEF\xBB\xBF[General]\nLanguage=Fran\xE7"
       "ais\n"sv,
       "Fran?ais"sv},
      // No byte-order mark: the bytes are ANSI, a UTF-8 "ç" stays two bytes.
      {"UTF-8 without mark",
       "[General]\nLanguage=Fran\xC3\xA7"
       "ais\n"sv,
       "Fran\xC3\xA7"
       "ais"sv},
      // The mark counts only at the very start.
      {"mark later", "\n\xEF\xBB\xBF[General]\nLanguage=x\n"sv, "<none>"sv},
  };
  for (const PreferenceRow& row : rows) {
    EXPECT_EQ(row.expected, ReadPreference(row.file, "General", "Language", "<none>")) << row.name;
  }
}

TEST(Preferences, ReadPreferenceUsesTheGivenConversion) {
  // The conversion sees the repaired UTF-8 after the mark, never the mark.
  static std::string seen;
  const auto spy = [](std::string_view utf8) {
    seen = std::string(utf8);
    return std::string("[General]\nLanguage=converted\n");
  };
  EXPECT_EQ("converted",
            ReadPreference("\xEF\xBB\xBF[x]\xFF"sv, "General", "Language", "<none>", spy));
  EXPECT_EQ("[x]?", seen);
}

TEST(Preferences, RepairUtf8) {
  struct Row {
    const char* name;
    std::string_view bytes;
    std::string_view repaired;
  };
  const Row rows[] = {
      {"ASCII", "abc"sv, "abc"sv},
      {"two bytes", "\xC3\xA7"sv, "\xC3\xA7"sv},
      {"three bytes", "\xE2\x82\xAC"sv, "\xE2\x82\xAC"sv},
      {"four bytes", "\xF0\x9F\x98\x80"sv, "\xF0\x9F\x98\x80"sv},
      {"highest", "\xF4\x8F\xBF\xBF"sv, "\xF4\x8F\xBF\xBF"sv},
      {"lone continuation", "a\x80z"sv, "a?z"sv},
      {"Latin-1 byte",
       "Fran\xE7"
       "ais"sv,
       "Fran?ais"sv},
      {"overlong C0", "\xC0\xAF"sv, "??"sv},
      {"overlong E0", "\xE0\x80\xAF"sv, "???"sv},
      {"surrogate", "\xED\xA0\x80"sv, "???"sv},
      {"above U+10FFFF", "\xF4\x90\x80\x80"sv, "????"sv},
      {"F5 lead", "\xF5\x80"sv, "??"sv},
      {"truncated three", "\xE2\x82z"sv, "?z"sv},
      {"truncated at end", "ab\xE2\x82"sv, "ab?"sv},
      {"truncated four", "\xF0\x9F\x98"sv, "?"sv},
      {"lead then lead", "\xC3\xC3\xA7"sv, "?\xC3\xA7"sv},
      {"FF", "\xFF"sv, "?"sv},
      {"empty", ""sv, ""sv},
  };
  for (const Row& row : rows) EXPECT_EQ(row.repaired, RepairUtf8(row.bytes)) << row.name;
}

TEST(Preferences, Utf8ToWindows1252) {
  struct Row {
    const char* name;
    std::string_view utf8;
    std::string_view ansi;
  };
  const Row rows[] = {
      {"ASCII", "Language"sv, "Language"sv},
      {"c cedilla",
       "Fran\xC3\xA7"
       "ais"sv,
       kFrench},
      {"e acute", "\xC3\xA9"sv, "\xE9"sv},
      {"no-break space", "\xC2\xA0"sv, "\xA0"sv},
      {"y diaeresis", "\xC3\xBF"sv, "\xFF"sv},
      {"euro", "\xE2\x82\xAC"sv, "\x80"sv},
      {"OE", "\xC5\x92"sv, "\x8C"sv},
      {"Y diaeresis", "\xC5\xB8"sv, "\x9F"sv},
      {"right quote", "\xE2\x80\x99"sv, "\x92"sv},
      {"trade mark", "\xE2\x84\xA2"sv, "\x99"sv},
      {"unassigned 0x81", "\xC2\x81"sv, "\x81"sv},
      {"C1 0x80 has no byte", "\xC2\x80"sv, "?"sv},
      {"L stroke", "\xC5\x81"sv, "?"sv},
      {"A macron (no best fit)", "\xC4\x80"sv, "?"sv},
      {"CJK", "\xE4\xB8\xAD"sv, "?"sv},
      {"emoji", "\xF0\x9F\x98\x80"sv, "?"sv},
      {"invalid", "\xFF"sv, "?"sv},
  };
  for (const Row& row : rows) EXPECT_EQ(row.ansi, Utf8ToWindows1252(row.utf8)) << row.name;
}

TEST(Preferences, PreferenceFilePath) {
  struct Row {
    std::string_view module_path;
    std::optional<std::string> file;
  };
  const Row rows[] = {
      // The folder's parent.
      {R"(C:\Editor\Plugins\Tintra-Plugin.exe)"sv, R"(C:\Editor\Tarvo.pref)"},
      // The long-path prefix is dropped.
      {R"(\\?\C:\Editor\Plugins\Tintra-Plugin.exe)"sv, R"(C:\Editor\Tarvo.pref)"},
      // A folder just below the root: the root.
      {R"(C:\Plugins\Tintra-Plugin.exe)"sv, R"(C:\Tarvo.pref)"},
      // "/" ends the file name too.
      {R"(C:\Editor\Plugins/Tintra-Plugin.exe)"sv, R"(C:\Editor\Tarvo.pref)"},
      // Network share.
      {R"(\\server\share\Plugins\Tintra-Plugin.exe)"sv, R"(\\server\share\Tarvo.pref)"},
      // Root of a drive: no parent folder.
      {R"(C:\Tintra-Plugin.exe)"sv, std::nullopt},
      {R"(\\?\C:\Tintra-Plugin.exe)"sv, std::nullopt},
      // No folder at all.
      {"Tintra-Plugin.exe"sv, std::nullopt},
      {""sv, std::nullopt},
      // A folder given with "/" only has no "\" to stop at.
      {"C:/Editor/Plugins/Tintra-Plugin.exe"sv, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.file, PreferenceFilePath(row.module_path)) << row.module_path;
  }
}

TEST(Preferences, IsFrench) {
  struct Row {
    std::string_view value;
    bool french;
  };
  const Row rows[] = {
      {kFrench, true},
      {"fran\xE7"
       "ais"sv,
       false},  // lower-case first letter
      {"FRAN\xC7"
       "AIS"sv,
       false},                // upper case
      {"Francais"sv, false},  // no cedilla
      {"Fran\xC3\xA7"
       "ais"sv,
       false},  // UTF-8 bytes
      {" Fran\xE7"
       "ais"sv,
       false},  // blank (the reader trims; the test does not)
      {"English"sv, false},
      {""sv, false},
  };
  for (const Row& row : rows) EXPECT_EQ(row.french, IsFrench(row.value)) << row.value;
}

// The language rule on the whole file; the reading itself is tested above.
TEST(Preferences, PreferredLanguage) {
  EXPECT_EQ(Language::kFrench, PreferredLanguage("[General]\nLanguage = Fran\xE7"
                                                 "ais \n"sv));
  EXPECT_EQ(Language::kEnglish, PreferredLanguage("[General]\nLanguage=fran\xE7"
                                                  "ais\n"sv));
  EXPECT_EQ(Language::kEnglish, PreferredLanguage("[Editor]\nLanguage=Fran\xE7"
                                                  "ais\n"sv));
  EXPECT_EQ(Language::kEnglish, PreferredLanguage(""sv));
}

}  // namespace
}  // namespace tintra
