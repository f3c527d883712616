#include "picker/descriptor.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace tintra {

namespace {

constexpr int kCanvasHeight = 346;  // client y where the template rows start
constexpr int kRowPitch = 22;       // 20-pixel field plus 2-pixel gap
constexpr int kRowsMargin = 12;     // below the last row
constexpr int kRowSpan = 350;       // widths and gaps of one row: x 12..362 at most
constexpr int kFieldLeft = 12;
constexpr int kFieldGap = 2;

int Saturate(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// count * step + base with count unbounded (size_t), step >= 1, base >= 0;
// INT_MAX when it would not fit. Places far past the window stay monotonic.
int PlaceAt(std::size_t count, int step, int base) {
  if (count > static_cast<std::size_t>((INT_MAX - base) / step)) return INT_MAX;
  return static_cast<int>(count) * step + base;
}

// Width of each of `count` fields sharing one row (count >= 1). From 117
// fields on there is no pixel left for each; the plain formula would go on to
// -1 (from 350 fields) and overflow 2 * count for huge counts, so a crowded
// row gets width 0 and keeps the 2-pixel step between fields.
int FieldWidth(std::size_t count) {
  if (count >= static_cast<std::size_t>(kRowSpan / 2)) return 0;
  const int c = static_cast<int>(count);
  return (kRowSpan - 2 * c) / c;
}

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

// Two upper-case hexadecimal digits of the low byte.
std::string HexByte(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const unsigned byte = static_cast<unsigned>(value) & 0xFFu;
  return std::string{kDigits[byte >> 4], kDigits[byte & 0xFu]};
}

}  // namespace

DescriptorLayout ReadDescriptor(std::string_view descriptor, int alpha_flag) {
  const int alpha = alpha_flag != 0 ? 1 : 0;
  DescriptorLayout layout;
  const std::size_t first_lf = descriptor.find('\n');
  layout.title = std::string(descriptor.substr(0, first_lf));
  layout.row_count = 0;
  if (first_lf == std::string_view::npos) return layout;

  const int first_row_y = kCanvasHeight + kRowPitch * alpha;
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
    const int width = FieldWidth(field_count);
    const int y = PlaceAt(rows, kRowPitch, first_row_y);
    std::size_t field_start = 0;
    for (std::size_t i = 0; i < field_count; ++i) {
      const std::size_t tab = line.find('\t', field_start);
      const std::string_view text = line.substr(
          field_start, tab == std::string_view::npos ? std::string_view::npos : tab - field_start);
      layout.fields.push_back(TemplateField{PlaceAt(i, width + kFieldGap, kFieldLeft), y, width,
                                            std::string(text), CountOf(text, '?')});
      field_start = tab + 1;  // unused after the last field
    }
    ++rows;
    if (line_end == std::string_view::npos) break;
    line_start = line_end + 1;
  }
  layout.row_count = rows > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rows);
  return layout;
}

int ClientHeight(int alpha_flag, int row_count) {
  const std::int64_t alpha = alpha_flag != 0 ? 1 : 0;
  std::int64_t height = kCanvasHeight + kRowPitch * alpha;
  if (row_count > 0) height += std::int64_t{kRowPitch} * row_count + kRowsMargin;
  return Saturate(height);
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
      {"hr", HexByte(red)},
      {"hg", HexByte(green)},
      {"hb", HexByte(blue)},
      {"ha", HexByte(alpha)},
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
