#include "standalone/standalone.h"

#include "colortext/blanks.h"

namespace tintra {

StandaloneRun StartStandaloneRun(std::string_view clipboard_text) {
  const ParsedColor parsed = ParseColorText(TrimSpaces(clipboard_text));
  return {parsed.color, parsed.alpha_flag, parsed.format,
          LanguageDescriptor(Language::kFrench, parsed.alpha_flag)};
}

ColorTextFormat ChosenFormat(int chooser_answer) {
  if (chooser_answer < 1 || chooser_answer > 4) return ColorTextFormat::kNone;
  return static_cast<ColorTextFormat>(chooser_answer);
}

std::optional<std::string> StandaloneResultText(const StandaloneRun& run) {
  if (run.format == ColorTextFormat::kNone) return std::nullopt;
  std::string text = FormatColorText(run.color, run.format, run.alpha_flag);
  if (text.empty()) return std::nullopt;  // a format outside 1..4
  return text;
}

}  // namespace tintra
