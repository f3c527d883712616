// ReadDescriptor and the field-template expansion on any descriptor.
//
// Input: byte 0 the alpha flag (any value; non-zero counts as 1), bytes 1..4
// a colour, bytes 5..7 hue, saturation and luminosity (taken into their
// ranges), the rest the descriptor.
//
// Checked: the title is line 1; one row per line feed; fields = the rows'
// tabs + the rows; the fields, joined again with tabs and line feeds, give
// the descriptor back (so every field text is the piece of the input at its
// place); widths >= 0, fields left to right inside a row and rows top to
// bottom, inside the client height; placeholder count = number of "?";
// expansion leaves a text without "?" alone, keeps the text before the
// first "?", never adds a "?" and stays within the size bounds of the
// placeholders' values.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "picker/color_model.h"
#include "picker/descriptor.h"
#include "picker/dialog_layout.h"

namespace {

using tintra::fuzz::Reader;

std::size_t CountOf(std::string_view text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

void CheckExpansion(std::string_view tmpl, const std::string& out) {
  const std::size_t marks = CountOf(tmpl, '?');
  if (marks == 0) {
    FUZZ_CHECK(out == tmpl, "a text without \"?\" was changed");
    return;
  }
  const std::size_t first = tmpl.find('?');
  FUZZ_CHECK(out.compare(0, first, tmpl.substr(0, first)) == 0,
             "text before the first \"?\" changed");
  FUZZ_CHECK(CountOf(out, '?') <= marks, "expansion added a \"?\"");
  // A placeholder of 2 characters becomes 1..3 ("0".."255"), one of 3
  // characters becomes 2 ("00".."FF").
  FUZZ_CHECK(out.size() * 2 >= tmpl.size() && out.size() * 2 <= tmpl.size() * 3,
             "expansion of %zu bytes gave %zu", tmpl.size(), out.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader reader{data, size};
  const int alpha_flag = static_cast<std::int8_t>(tintra::fuzz::TakeByte(reader));
  const tintra::ColorValue color = tintra::fuzz::TakeU32(reader);
  const int hue = tintra::fuzz::TakeByte(reader) % 240;
  const int saturation = tintra::fuzz::TakeByte(reader) % 241;
  const int luminosity = tintra::fuzz::TakeByte(reader) % 241;
  const std::string_view descriptor = tintra::fuzz::TakeRest(reader);

  const tintra::DescriptorLayout layout = tintra::ReadDescriptor(descriptor, alpha_flag);

  const std::size_t first_lf = descriptor.find('\n');
  FUZZ_CHECK(layout.title == descriptor.substr(0, first_lf), "title is not line 1");
  const std::size_t rows = CountOf(descriptor, '\n');
  FUZZ_CHECK(static_cast<std::size_t>(layout.row_count) == rows, "%d rows for %zu line feeds",
             layout.row_count, rows);
  const std::size_t row_tabs =
      first_lf == std::string_view::npos ? 0 : CountOf(descriptor.substr(first_lf), '\t');
  FUZZ_CHECK(layout.fields.size() == row_tabs + rows, "%zu fields for %zu tabs and %zu rows",
             layout.fields.size(), row_tabs, rows);

  // The span of the first row, from its lone field: every field lies in
  // those columns and at or below that row.
  const tintra::PixelRect row_span = tintra::TemplateFieldRect(alpha_flag, 0, 0, 1);
  const int client_height = tintra::ClientHeight(alpha_flag, layout.row_count);
  FUZZ_CHECK(client_height >= row_span.y, "client height %d", client_height);

  // Walk the fields along the descriptor: each must be the text at its place,
  // followed by a tab (same row) or a line feed (next row) or the end.
  std::size_t pos = first_lf == std::string_view::npos ? descriptor.size() : first_lf + 1;
  std::size_t row_start_field = 0;
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    const tintra::TemplateField& field = layout.fields[i];
    FUZZ_CHECK(descriptor.compare(pos, field.text.size(), field.text) == 0,
               "field %zu is not the input's text at byte %zu", i, pos);
    pos += field.text.size();
    FUZZ_CHECK(field.placeholder_count == static_cast<int>(CountOf(field.text, '?')),
               "field %zu: placeholder count %d", i, field.placeholder_count);
    FUZZ_CHECK(field.width >= 0 && field.x >= row_span.x, "field %zu at x %d width %d", i, field.x,
               field.width);
    FUZZ_CHECK(field.y >= row_span.y, "field %zu at y %d", i, field.y);
    FUZZ_CHECK(field.y <= INT_MAX - tintra::kTemplateFieldHeight &&
                   field.y + tintra::kTemplateFieldHeight <= client_height,
               "field %zu at y %d below the client height %d", i, field.y, client_height);
    if (i > row_start_field) {
      const tintra::TemplateField& left = layout.fields[i - 1];
      FUZZ_CHECK(field.y == left.y && field.width == left.width,
                 "field %zu: row or width changed inside a row", i);
      FUZZ_CHECK(field.x > left.x || field.x == INT_MAX, "field %zu not right of field %zu", i,
                 i - 1);
    }
    if (field.width > 0) {
      FUZZ_CHECK(field.x + field.width <= row_span.x + row_span.width, "field %zu ends at x %d", i,
                 field.x + field.width);
    }
    if (pos < descriptor.size() && descriptor[pos] == '\t') {
      ++pos;
    } else {
      FUZZ_CHECK(pos == descriptor.size() || descriptor[pos] == '\n',
                 "field %zu ends at byte %zu, before neither tab nor line feed", i, pos);
      if (pos < descriptor.size()) ++pos;
      if (i + 1 < layout.fields.size()) {
        FUZZ_CHECK(layout.fields[i + 1].y > field.y, "row after field %zu does not go down", i);
      }
      row_start_field = i + 1;
    }
  }
  FUZZ_CHECK(pos == descriptor.size(), "fields cover %zu of %zu bytes", pos, descriptor.size());

  const tintra::HslTriple hsl = tintra::ComputeHsl(color);
  FUZZ_CHECK(hsl.hue >= 0 && hsl.hue <= 239 && hsl.saturation >= 0 && hsl.saturation <= 240 &&
                 hsl.luminosity >= 0 && hsl.luminosity <= 240,
             "HSL of %08X out of range: %d %d %d", color, hsl.hue, hsl.saturation, hsl.luminosity);
  for (const tintra::TemplateField& field : layout.fields) {
    CheckExpansion(field.text,
                   tintra::ExpandFieldTemplate(
                       field.text, tintra::RedOf(color), tintra::GreenOf(color),
                       tintra::BlueOf(color), tintra::AlphaOf(color), hue, saturation, luminosity));
    CheckExpansion(field.text, tintra::ExpandForColor(field.text, color));
  }
  // The title may hold "?" too: expanding it must be as safe.
  CheckExpansion(layout.title, tintra::ExpandForColor(layout.title, color));
  return 0;
}
