#include "plugin/plugin.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string_view>

#include "frontend/front_end_run.h"

namespace tintra {
namespace {

using namespace std::string_view_literals;

TEST(PluginStart, EditorWindowFromTheCommandLine) {
  struct Row {
    const char* name;
    std::string_view command_line;
    std::optional<std::int32_t> editor;
  };
  const Row rows[] = {
      {"decimal handle", R"(C:\p\Tintra-Plugin.exe Tarvo 65670 x)"sv, 65670},
      {"hexadecimal handle", R"("C:\Program Files\p.exe" Tarvo $1A2B 0)"sv, 0x1A2B},
      {"handle missing: reads 0", "p.exe Tarvo"sv, 0},
      {"low 32 bits", "p.exe Tarvo 4294967297 x"sv, 1},
      {"negative, not validated", "p.exe Tarvo -1"sv, -1},
      {"lower case refused", "p.exe tarvo 1 2"sv, std::nullopt},
      {"longer word refused", "p.exe Tarvo2 1 2"sv, std::nullopt},
      {"program only", "p.exe"sv, std::nullopt},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.editor, EditorWindowArgument(row.command_line)) << row.name;
}

// The editor's text as the picker and the chooser are given it.
TEST(PluginStart, EditorTextToPickerInput) {
  struct Row {
    std::string_view text;
    Language language;
    ColorValue color;
    int alpha_flag;
    ColorTextFormat format;
  };
  const Row rows[] = {
      {"rgb(255,0,0)"sv, Language::kEnglish, 0x0000FF, 0, ColorTextFormat::kRgb},
      {" RGB(1,2,3)"sv, Language::kEnglish, 0xFF000000, 1, ColorTextFormat::kNone},  // no trim
      {"$80FF8000"sv, Language::kFrench, 0x80FF8000, 1, ColorTextFormat::kHex},
      {""sv, Language::kFrench, 0xFF000000, 1, ColorTextFormat::kNone},  // no answer
  };
  for (const Row& row : rows) {
    const FrontEndRun run = StartFrontEndRun(row.text, row.language);
    EXPECT_EQ(row.color, run.color) << row.text;
    EXPECT_EQ(row.alpha_flag, run.alpha_flag) << row.text;
    EXPECT_EQ(row.format, run.format) << row.text;
    EXPECT_EQ(LanguageDescriptor(row.language, row.alpha_flag), run.descriptor) << row.text;
    EXPECT_EQ(row.language, run.language) << row.text;
  }
}

TEST(PluginStart, TextsOfEachLanguage) {
  EXPECT_EQ("Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)",
            LanguageDescriptor(Language::kEnglish, 0));
  EXPECT_EQ("Color\nHexadecimal\tRGB\n$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)",
            LanguageDescriptor(Language::kEnglish, 1));
  EXPECT_EQ(
      "S\xE9lection de couleur\nHexad\xE9"
      "cimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)",
      LanguageDescriptor(Language::kFrench, 0));
  EXPECT_EQ(
      "S\xE9lection de couleur\nHexad\xE9"
      "cimal\tRGB\n$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)",
      LanguageDescriptor(Language::kFrench, 1));
  EXPECT_EQ(&kEnglishChooserTexts, &LanguageChooserTexts(Language::kEnglish));
  EXPECT_EQ(&kFrenchChooserTexts, &LanguageChooserTexts(Language::kFrench));
}

int g_passes_run = 0;

// Both programs end through RunPass: exit code 0, also when the pass throws.
TEST(FrontEndEnd, ExitCodeZeroInEveryCase) {
  g_passes_run = 0;
  EXPECT_EQ(0, RunPass([] { ++g_passes_run; }));
  EXPECT_EQ(0, RunPass([] {
              ++g_passes_run;
              throw std::bad_alloc();
            }));
  EXPECT_EQ(0, RunPass([] { throw 42; }));
  EXPECT_EQ(2, g_passes_run);
}

}  // namespace
}  // namespace tintra
