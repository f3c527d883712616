#include "colortext/format_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picker/dialog_layout.h"

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

TEST(ListChooserLayout, ButtonsFitTheirLabelsAndTheTitle) {
  struct Row {
    const char* name;
    std::vector<int> label_widths;  // physical pixels at dpi
    int title_width;
    int dpi;
    int client_width;
    int client_height;
    int button_height;  // of the first button; the others follow its edges
  } rows[] = {
      // Short labels: the classic chooser's width, margins and rows.
      {"short labels at 96", {40, 90, 60}, 0, 96, 200, 80, 24},
      // A label wider than 192 - 2 x 10: the window grows around it.
      {"wide label at 96", {40, 250, 60}, 0, 96, 4 + 10 + 250 + 10 + 4, 80, 24},
      // The eight notations at 200 %: margins, padding and rows doubled.
      {"eight labels at 192",
       {120, 300, 330, 150, 300, 140, 380, 100},
       0,
       192,
       8 + 20 + 380 + 20 + 8,
       8 * 48 + 16,
       48},
      // A title wider than every label: the title decides.
      {"long title", {40}, 420, 96, 420, 32, 24},
      // 150 %: edges rounded as the classic chooser rounds them.
      {"one label at 144", {100}, 0, 144, 300, 48, 36},
      // Negative widths count as nothing; below 96 DPI counts as 96.
      {"negative width, low dpi", {-500}, -3, 48, 200, 32, 24},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const ListChooserLayout layout = LayoutListChooser(r.label_widths, r.title_width, r.dpi);
    EXPECT_EQ(layout.client_width, r.client_width);
    EXPECT_EQ(layout.client_height, r.client_height);
    ASSERT_EQ(layout.buttons.size(), r.label_widths.size());
    const int margin = ToPhysical(4, layout.dpi);
    const int padding = ToPhysical(kListLabelPadding, layout.dpi);
    EXPECT_EQ(layout.buttons[0].height, r.button_height);
    for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
      const ChooserButton& b = layout.buttons[i];
      EXPECT_EQ(b.id, static_cast<int>(i) + 1) << "button " << i;
      EXPECT_EQ(b.x, margin) << "button " << i;
      EXPECT_EQ(b.width, layout.client_width - 2 * margin) << "button " << i;
      EXPECT_GE(b.width, r.label_widths[i] + 2 * padding) << "label " << i << " fits";
      // Stacked without gap from the top margin to the bottom one.
      const int top = i == 0 ? margin : layout.buttons[i - 1].y + layout.buttons[i - 1].height;
      EXPECT_EQ(b.y, top) << "button " << i;
    }
    const ChooserButton& last = layout.buttons.back();
    EXPECT_EQ(last.y + last.height + margin, layout.client_height);
  }
  // No labels: no buttons, the margins only.
  const ListChooserLayout empty = LayoutListChooser({}, 0, 96);
  EXPECT_TRUE(empty.buttons.empty());
  EXPECT_EQ(empty.client_height, 8);
  // A width near the int range saturates instead of wrapping.
  const int huge[] = {2147483640};
  EXPECT_EQ(LayoutListChooser(huge, 0, 192).client_width, 2147483647);
}

TEST(ListChooserKeys, FocusMovesAroundAndEnterChoosesIt) {
  using K = ListKey;
  struct Row {
    const char* name;
    int count;
    std::vector<K> keys;
    int focus;  // after the keys
    bool done;
    int choice;  // once done
  } rows[] = {
      {"Down, Down, Enter", 8, {K::kDown, K::kDown, K::kEnter}, 2, true, 3},
      {"Enter at once: the first", 8, {K::kEnter}, 0, true, 1},
      {"Up wraps to the last", 8, {K::kUp}, 7, false, 0},
      {"Down wraps to the first", 3, {K::kDown, K::kDown, K::kDown}, 0, false, 0},
      {"Tab and Shift+Tab as Down and Up", 4, {K::kTab, K::kTab, K::kShiftTab}, 1, false, 0},
      {"Escape chooses nothing", 8, {K::kDown, K::kEscape}, 1, true, 0},
      {"keys after the end change nothing",
       8,
       {K::kDown, K::kEnter, K::kDown, K::kEscape},
       1,
       true,
       2},
      {"one button: arrows stay on it", 1, {K::kDown, K::kUp, K::kEnter}, 0, true, 1},
      {"no buttons: done at once, no choice", 0, {K::kDown, K::kEnter}, 0, true, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ListChooserState s = StartListChooser(r.count);
    for (K key : r.keys) OnListKey(s, key);
    EXPECT_EQ(s.focus, r.focus);
    EXPECT_EQ(s.done, r.done);
    EXPECT_EQ(s.choice, r.choice);
  }
}

TEST(ListChooserKeys, PressFocusAndClose) {
  ListChooserState s = StartListChooser(3);
  OnListFocus(s, 5);  // no such button: ignored
  EXPECT_EQ(s.focus, 0);
  OnListFocus(s, 2);
  OnListKey(s, ListKey::kDown);  // from the clicked-on button, wrapping
  EXPECT_EQ(s.focus, 0);
  OnListButton(s, 4);  // not a button of this list
  EXPECT_FALSE(s.done);
  OnListButton(s, 2);
  EXPECT_TRUE(s.done);
  EXPECT_EQ(s.choice, 2);
  OnListClose(s);  // too late: the choice stands
  EXPECT_EQ(s.choice, 2);
  ListChooserState closed = StartListChooser(3);
  OnListClose(closed);
  EXPECT_TRUE(closed.done);
  EXPECT_EQ(closed.choice, 0);
}

TEST(ListChooserLabels, AmpersandsShownAsWritten) {
  EXPECT_EQ(ButtonLabel("#ff8000"), "#ff8000");
  EXPECT_EQ(ButtonLabel("R&B"), "R&&B");
  EXPECT_EQ(ButtonLabel("&&"), "&&&&");
  EXPECT_EQ(ButtonLabel(""), "");
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
