#include "picker/descriptor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

namespace tintra {
namespace {

struct ExpandCase {
  const char* tmpl;
  int red, green, blue, alpha, hue, saturation, luminosity;
  const char* expected;
};

TEST(DescriptorExpandTest, ReplacesPlaceholders) {
  const ExpandCase cases[] = {
      // Orange (255, 128, 0, 255), hue 20, saturation 240, luminosity 120.
      {"$?hb?hg?hr", 255, 128, 0, 255, 20, 240, 120, "$0080FF"},
      {"$?ha?hb?hg?hr", 255, 128, 0, 255, 20, 240, 120, "$FF0080FF"},
      {"RGB(?r, ?g, ?b)", 255, 128, 0, 255, 20, 240, 120, "RGB(255, 128, 0)"},
      {"RGBA(?r, ?g, ?b, ?a)", 255, 128, 0, 255, 20, 240, 120, "RGBA(255, 128, 0, 255)"},
      {"H ?t S ?s L ?l", 255, 128, 0, 255, 20, 240, 120, "H 20 S 240 L 120"},
      {"rgb(?R,?G,?B)", 255, 128, 0, 255, 20, 240, 120, "rgb(255,128,0)"},
      // Upper-case letters name the same placeholders.
      {"RGB(?R, ?G, ?B)", 255, 128, 0, 255, 20, 240, 120, "RGB(255, 128, 0)"},
      {"?HR ?Hr ?hR ?HA ?T?S?L", 255, 128, 0, 255, 20, 240, 120, "FF FF FF FF 20240120"},
      // All channels 0: decimal "0", hexadecimal padded to "00".
      {"?r ?g ?b ?a ?hr ?hg ?hb ?ha", 0, 0, 0, 0, 160, 0, 0, "0 0 0 0 00 00 00 00"},
      // All channels 255.
      {"?r ?hr ?ha", 255, 255, 255, 255, 160, 0, 240, "255 FF FF"},
      // Single hex digit values get a leading zero; digits are upper case.
      {"?hr?hg?hb", 10, 171, 1, 0, 0, 0, 0, "0AAB01"},
      // Alpha 127 kept from the initial colour.
      {"?a ?ha", 0, 0, 0, 127, 0, 0, 0, "127 7F"},
      // A "?" before a placeholder: earlier passes are over when "?hr" runs.
      {"??hr", 171, 0, 0, 0, 0, 0, 0, "?AB"},
      {"??r", 5, 0, 0, 0, 0, 0, 0, "?5"},
      // A "?" that starts no placeholder stays as written.
      {"What?", 1, 2, 3, 4, 5, 6, 7, "What?"},
      {"?", 1, 2, 3, 4, 5, 6, 7, "?"},
      {"?h ?x ?hx ?", 1, 2, 3, 4, 5, 6, 7, "?h ?x ?hx ?"},
      {"?h", 1, 2, 3, 4, 5, 6, 7, "?h"},
      // Adjacent placeholders are each replaced.
      {"?r?r?g?b", 1, 2, 3, 0, 0, 0, 0, "1123"},
      // "?hb": the "?b" pass must not take the "b" of "?hb" (it needs "?" first).
      {"?hb", 0, 0, 200, 0, 0, 0, 0, "C8"},
      // Non-letter bytes are not case-folded into letters.
      {"?\xD2 ?\xF2", 1, 0, 0, 0, 0, 0, 0, "?\xD2 ?\xF2"},
      {"", 1, 2, 3, 4, 5, 6, 7, ""},
  };
  for (const ExpandCase& c : cases) {
    EXPECT_EQ(ExpandFieldTemplate(c.tmpl, c.red, c.green, c.blue, c.alpha, c.hue, c.saturation,
                                  c.luminosity),
              c.expected)
        << "template " << c.tmpl;
  }
}

TEST(DescriptorExpandTest, ExpandsFromColor) {
  struct ColorCase {
    const char* tmpl;
    ColorValue color;
    const char* expected;
  };
  const ColorCase cases[] = {
      // Orange, opaque: hue 20, saturation 240, luminosity 120.
      {"$?ha?hb?hg?hr", ComposeColor(255, 128, 0, 255), "$FF0080FF"},
      {"H ?t S ?s L ?l", ComposeColor(255, 128, 0, 255), "H 20 S 240 L 120"},
      // Grey 128 reports hue 160, saturation 0, luminosity 120.
      {"?t ?s ?l", ComposeColor(128, 128, 128), "160 0 120"},
      // Alpha comes from the colour's top byte.
      {"?a ?ha", ComposeColor(1, 2, 3, 127), "127 7F"},
  };
  for (const ColorCase& c : cases) {
    EXPECT_EQ(ExpandForColor(c.tmpl, c.color), c.expected) << "template " << c.tmpl;
  }
}

struct FieldExpect {
  int x, y, width;
  const char* text;
  int placeholder_count;
};

struct ReadCase {
  const char* name;
  std::string descriptor;
  int alpha_flag;
  const char* title;
  int rows;
  int height;
  std::vector<FieldExpect> fields;
};

TEST(DescriptorReadTest, SplitsAndPlacesFields) {
  const std::string color = "Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";
  const ReadCase cases[] = {
      {"captions row, then template row",
       color,
       0,
       "Color",
       2,
       402,
       {{12, 346, 173, "Hexadecimal", 0},
        {187, 346, 173, "RGB", 0},
        {12, 368, 173, "$?hb?hg?hr", 3},
        {187, 368, 173, "RGB(?r, ?g, ?b)", 3}}},
      {"alpha flag moves the rows down one row",
       color,
       1,
       "Color",
       2,
       424,
       {{12, 368, 173, "Hexadecimal", 0},
        {187, 368, 173, "RGB", 0},
        {12, 390, 173, "$?hb?hg?hr", 3},
        {187, 390, 173, "RGB(?r, ?g, ?b)", 3}}},
      {"any non-zero alpha flag counts as 1", "T\nA", 2, "T", 1, 402, {{12, 368, 348, "A", 0}}},
      {"no line feed: title only", "Color", 0, "Color", 0, 346, {}},
      {"no line feed, alpha flag", "Color", 1, "Color", 0, 368, {}},
      {"empty descriptor", "", 0, "", 0, 346, {}},
      {"trailing line feed adds an empty full-width row",
       "T\nA\tB\n",
       0,
       "T",
       2,
       402,
       {{12, 346, 173, "A", 0}, {187, 346, 173, "B", 0}, {12, 368, 348, "", 0}}},
      {"title and one empty row", "T\n", 0, "T", 1, 380, {{12, 346, 348, "", 0}}},
      {"carriage return stays in the title", "T\r\nA", 0, "T\r", 1, 380, {{12, 346, 348, "A", 0}}},
      {"title keeps tab and question mark",
       "A\tB?\nC",
       0,
       "A\tB?",
       1,
       380,
       {{12, 346, 348, "C", 0}}},
      {"empty field between two tabs",
       "T\nA\t\tB",
       0,
       "T",
       1,
       380,
       {{12, 346, 114, "A", 0}, {128, 346, 114, "", 0}, {244, 346, 114, "B", 0}}},
      {"seven fields: w = (350 - 14) / 7 = 48",
       "T\n1\t2\t3\t4\t5\t6\t7",
       0,
       "T",
       1,
       380,
       {{12, 346, 48, "1", 0},
        {62, 346, 48, "2", 0},
        {112, 346, 48, "3", 0},
        {162, 346, 48, "4", 0},
        {212, 346, 48, "5", 0},
        {262, 346, 48, "6", 0},
        {312, 346, 48, "7", 0}}},
      {"question marks counted, whatever follows",
       "T\nWhat?\t??hr\t?",
       0,
       "T",
       1,
       380,
       {{12, 346, 114, "What?", 1}, {128, 346, 114, "??hr", 2}, {244, 346, 114, "?", 1}}},
      {"empty lines are rows too",
       "T\n\n\nX",
       0,
       "T",
       3,
       424,
       {{12, 346, 348, "", 0}, {12, 368, 348, "", 0}, {12, 390, 348, "X", 0}}},
      {"only line feeds", "\n\n", 0, "", 2, 402, {{12, 346, 348, "", 0}, {12, 368, 348, "", 0}}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DescriptorLayout layout = ReadDescriptor(c.descriptor, c.alpha_flag);
    EXPECT_EQ(layout.title, c.title);
    EXPECT_EQ(layout.row_count, c.rows);
    EXPECT_EQ(ClientHeight(c.alpha_flag, layout.row_count), c.height);
    ASSERT_EQ(layout.fields.size(), c.fields.size());
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
      const TemplateField& got = layout.fields[i];
      const FieldExpect& want = c.fields[i];
      EXPECT_EQ(got.x, want.x) << "field " << i;
      EXPECT_EQ(got.y, want.y) << "field " << i;
      EXPECT_EQ(got.width, want.width) << "field " << i;
      EXPECT_EQ(got.text, want.text) << "field " << i;
      EXPECT_EQ(got.placeholder_count, want.placeholder_count) << "field " << i;
    }
  }
}

TEST(DescriptorReadTest, ClientHeight) {
  struct HeightCase {
    int alpha_flag, rows, height;
  };
  const HeightCase cases[] = {
      {0, 0, 346},            // no rows: canvas only
      {1, 0, 368},            // alpha strip adds one row
      {0, 1, 380},            // 346 + 22 + 12
      {0, 2, 402},            // two rows
      {1, 2, 424},            // two rows with alpha
      {-7, 2, 424},           // any non-zero flag is 1
      {0, -3, 346},           // no rows for a negative count
      {0, INT_MAX, INT_MAX},  // saturates instead of overflowing
      {1, INT_MAX / 22, INT_MAX},
  };
  for (const HeightCase& c : cases) {
    EXPECT_EQ(ClientHeight(c.alpha_flag, c.rows), c.height)
        << "alpha " << c.alpha_flag << " rows " << c.rows;
  }
}

// Rows too crowded for a pixel per field: width 0, fields 2 pixels apart.
TEST(DescriptorReadTest, CrowdedRows) {
  struct CrowdCase {
    int fields;
    int width;
    int last_x;
  };
  const CrowdCase cases[] = {
      {116, 1, 12 + 115 * 3},  // (350 - 232) / 116 = 1
      {117, 0, 12 + 116 * 2},  // (350 - 234) / 117 truncates to 0
      {200, 0, 12 + 199 * 2},  // (350 - 400) / 200 truncates to 0
      {400, 0, 12 + 399 * 2},  // the formula's -1 is held at 0
  };
  for (const CrowdCase& c : cases) {
    std::string descriptor = "T\n";
    for (int i = 1; i < c.fields; ++i) descriptor += '\t';
    const DescriptorLayout layout = ReadDescriptor(descriptor, 0);
    ASSERT_EQ(layout.fields.size(), static_cast<std::size_t>(c.fields));
    EXPECT_EQ(layout.fields.front().width, c.width) << c.fields << " fields";
    EXPECT_EQ(layout.fields.front().x, 12) << c.fields << " fields";
    EXPECT_EQ(layout.fields.back().x, c.last_x) << c.fields << " fields";
  }
}

// A 1 MB row with 100000 tabs, and 100000 rows, read in linear time.
TEST(DescriptorReadTest, LargeDescriptorsReadQuickly) {
  const auto start = std::chrono::steady_clock::now();

  std::string wide = "Wide\n";
  for (int i = 0; i < 400000; ++i) wide += "?r";
  for (int i = 0; i < 100000; ++i) wide += "\tx";
  const DescriptorLayout row = ReadDescriptor(wide, 0);
  EXPECT_EQ(row.row_count, 1);
  ASSERT_EQ(row.fields.size(), 100001u);
  EXPECT_EQ(row.fields[0].placeholder_count, 400000);
  EXPECT_EQ(row.fields.back().text, "x");
  EXPECT_EQ(row.fields.back().x, 12 + 100000 * 2);

  std::string tall = "Tall";
  for (int i = 0; i < 100000; ++i) tall += "\n?g";
  const DescriptorLayout rows = ReadDescriptor(tall, 1);
  EXPECT_EQ(rows.row_count, 100000);
  ASSERT_EQ(rows.fields.size(), 100000u);
  EXPECT_EQ(rows.fields.back().y, 99999 * 22 + 346 + 22);
  EXPECT_EQ(ClientHeight(1, rows.row_count), 346 + 22 + 100000 * 22 + 12);

  const auto elapsed = std::chrono::steady_clock::now() - start;
  // Generous for sanitizer builds; a quadratic split takes minutes.
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

}  // namespace
}  // namespace tintra
