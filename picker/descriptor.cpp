#include "picker/descriptor.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "picker/hex_digits.h"

namespace tintra {

namespace {

int CountOf(std::string_view text, char ch) {
  const std::ptrdiff_t n = std::count(text.begin(), text.end(), ch);
  return static_cast<int>(std::min<std::int64_t>(n, INT_MAX));
}

char LowerAscii(char ch) {
  return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch;
}

// One replace-all pass: every "?" followed by `letters` (lower case; the text
// compared without case) becomes `value`. Matches do not overlap and the
// inserted value is not scanned again.
std::string ReplacePlaceholder(std::string_view text, std::string_view letters,
                               std::string_view value) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t mark = text.find('?', pos);
    if (mark == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, mark - pos));
    const std::size_t after = mark + 1;
    bool match = text.size() - after >= letters.size();
    for (std::size_t j = 0; match && j < letters.size(); ++j) {
      match = LowerAscii(text[after + j]) == letters[j];
    }
    if (match) {
      out.append(value);
      pos = after + letters.size();
    } else {
      out.push_back('?');
      pos = after;
    }
  }
  return out;
}

}  // namespace

DescriptorLayout ReadDescriptor(std::string_view descriptor, int alpha_flag) {
  const int alpha = alpha_flag != 0 ? 1 : 0;
  DescriptorLayout layout;
  const std::size_t first_lf = descriptor.find('\n');
  layout.title = std::string(descriptor.substr(0, first_lf));
  layout.row_count = 0;
  if (first_lf == std::string_view::npos) return layout;

  std::size_t rows = 0;
  std::size_t line_start = first_lf + 1;
  // Every LF opens one row, the one after a final LF included.
  while (true) {
    const std::size_t line_end = descriptor.find('\n', line_start);
    const std::string_view line =
        descriptor.substr(line_start, line_end == std::string_view::npos ? std::string_view::npos
                                                                         : line_end - line_start);
    const std::size_t field_count =
        static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
    std::size_t field_start = 0;
    for (std::size_t i = 0; i < field_count; ++i) {
      const std::size_t tab = line.find('\t', field_start);
      const std::string_view text = line.substr(
          field_start, tab == std::string_view::npos ? std::string_view::npos : tab - field_start);
      const PixelRect place = TemplateFieldRect(alpha, rows, i, field_count);
      layout.fields.push_back(
          TemplateField{place.x, place.y, place.width, std::string(text), CountOf(text, '?')});
      field_start = tab + 1;  // unused after the last field
    }
    ++rows;
    if (line_end == std::string_view::npos) break;
    line_start = line_end + 1;
  }
  layout.row_count = rows > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rows);
  return layout;
}

std::string ExpandFieldTemplate(std::string_view tmpl, int red, int green, int blue, int alpha,
                                int hue, int saturation, int luminosity) {
  struct Step {
    std::string_view letters;
    std::string value;
  };
  // The order decides the result where a "?" precedes a placeholder.
  const Step steps[] = {
      {"r", std::to_string(red)},
      {"g", std::to_string(green)},
      {"b", std::to_string(blue)},
      {"a", std::to_string(alpha)},
      {"hr", HexDigits(static_cast<std::uint32_t>(red), 2)},
      {"hg", HexDigits(static_cast<std::uint32_t>(green), 2)},
      {"hb", HexDigits(static_cast<std::uint32_t>(blue), 2)},
      {"ha", HexDigits(static_cast<std::uint32_t>(alpha), 2)},
      {"t", std::to_string(hue)},
      {"s", std::to_string(saturation)},
      {"l", std::to_string(luminosity)},
  };
  std::string text(tmpl);
  for (const Step& step : steps) text = ReplacePlaceholder(text, step.letters, step.value);
  return text;
}

std::string ExpandForColor(std::string_view tmpl, ColorValue color) {
  const HslTriple hsl = ComputeHsl(color);
  return ExpandFieldTemplate(tmpl, RedOf(color), GreenOf(color), BlueOf(color), AlphaOf(color),
                             hsl.hue, hsl.saturation, hsl.luminosity);
}

}  // namespace tintra
