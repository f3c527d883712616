#include "colortext/format_chooser.h"

#include <gtest/gtest.h>

#include <string>

namespace tintra {
namespace {

TEST(FormatChooserLayout, ButtonsPerAlphaFlag) {
  struct Case {
    int alpha_flag;
    int client_height;
    int button_count;
    ChooserButton buttons[4];
  };
  const Case cases[] = {
      // Without alpha: RGB, HEX, decimal; no RGBA button.
      {0, 80, 3, {{1, 4, 4, 192, 24}, {3, 4, 28, 192, 24}, {4, 4, 52, 192, 24}}},
      // With alpha: RGB, RGBA, HEX, decimal.
      {1,
       104,
       4,
       {{1, 4, 4, 192, 24}, {2, 4, 28, 192, 24}, {3, 4, 52, 192, 24}, {4, 4, 76, 192, 24}}},
      // Any non-zero flag counts as 1.
      {2,
       104,
       4,
       {{1, 4, 4, 192, 24}, {2, 4, 28, 192, 24}, {3, 4, 52, 192, 24}, {4, 4, 76, 192, 24}}},
      {-1,
       104,
       4,
       {{1, 4, 4, 192, 24}, {2, 4, 28, 192, 24}, {3, 4, 52, 192, 24}, {4, 4, 76, 192, 24}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("alpha flag " + std::to_string(c.alpha_flag));
    const ChooserLayout layout = LayoutFormatChooser(c.alpha_flag);
    EXPECT_EQ(layout.client_width, 200);
    EXPECT_EQ(layout.client_height, c.client_height);
    ASSERT_EQ(layout.button_count, c.button_count);
    for (int i = 0; i < c.button_count; ++i) {
      const ChooserButton& got = layout.buttons[i];
      const ChooserButton& want = c.buttons[i];
      EXPECT_EQ(got.id, want.id) << "button " << i;
      EXPECT_EQ(got.x, want.x) << "button " << i;
      EXPECT_EQ(got.y, want.y) << "button " << i;
      EXPECT_EQ(got.width, want.width) << "button " << i;
      EXPECT_EQ(got.height, want.height) << "button " << i;
    }
    // The last button ends 4 pixels above the client's bottom edge.
    const ChooserButton& last = layout.buttons[layout.button_count - 1];
    EXPECT_EQ(last.y + last.height + 4, layout.client_height);
  }
}

TEST(FormatChooserTexts, ButtonTextByFormatCode) {
  struct Case {
    const FormatChooserTexts* texts;
    int id;
    const char* expected;  // nullptr: no button
  };
  const Case cases[] = {
      {&kEnglishChooserTexts, 1, "Copy color in RGB"},
      {&kEnglishChooserTexts, 2, "Copy color in RGBA"},
      {&kEnglishChooserTexts, 3, "Copy color in HEX"},
      {&kEnglishChooserTexts, 4, "Copy color in decimal"},
      {&kFrenchChooserTexts, 1, "Copier la couleur au format RGB"},
      {&kFrenchChooserTexts, 2, "Copier la couleur au format RGBA"},
      {&kFrenchChooserTexts, 3, "Copier la couleur au format HEX"},
      // ANSI "é" is the single byte 0xE9.
      {&kFrenchChooserTexts, 4,
       "Copier la couleur au format d\xE9"
       "cimal"},
      {&kFrenchChooserTexts, 0, nullptr},  // format 0 has no button
      {&kFrenchChooserTexts, 5, nullptr},
      {&kEnglishChooserTexts, -1, nullptr},
  };
  for (const Case& c : cases) {
    const char* got = ChooserButtonText(*c.texts, c.id);
    if (c.expected == nullptr) {
      EXPECT_EQ(got, nullptr) << "id " << c.id;
    } else {
      ASSERT_NE(got, nullptr) << "id " << c.id;
      EXPECT_EQ(std::string(got), c.expected) << "id " << c.id;
    }
  }
  EXPECT_EQ(std::string(kEnglishChooserTexts.title), "Format selection");
  EXPECT_EQ(std::string(kFrenchChooserTexts.title), "Choix du format");
  EXPECT_EQ(std::string(kFrenchChooserTexts.decimal).size(), 35u);  // é is one byte
}

TEST(FormatChooserPlacement, CentredAndLimitedToScreen) {
  struct Case {
    int width, height, screen_width, screen_height;
    WindowPlacement expected;
  };
  const Case cases[] = {
      {206, 109, 1280, 1024, {537, 457, 206, 109}},  // (1280-206)/2, (1024-109)/2
      {207, 110, 1280, 1024, {536, 457, 207, 110}},  // odd remainders truncate
      {2000, 109, 1280, 1024, {0, 457, 1280, 109}},  // wider than the screen
      {206, 5000, 1280, 1024, {537, 0, 206, 1024}},  // taller than the screen
      {1280, 1024, 1280, 1024, {0, 0, 1280, 1024}},  // exactly the screen
      {0, 0, 800, 600, {400, 300, 0, 0}},            // empty window
  };
  for (const Case& c : cases) {
    const WindowPlacement got = CenterOnScreen(c.width, c.height, c.screen_width, c.screen_height);
    EXPECT_EQ(got.left, c.expected.left) << c.width << "x" << c.height;
    EXPECT_EQ(got.top, c.expected.top) << c.width << "x" << c.height;
    EXPECT_EQ(got.width, c.expected.width) << c.width << "x" << c.height;
    EXPECT_EQ(got.height, c.expected.height) << c.width << "x" << c.height;
  }
}

}  // namespace
}  // namespace tintra
