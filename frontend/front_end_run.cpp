#include "frontend/front_end_run.h"

namespace tintra {

FrontEndRun StartFrontEndRun(std::string_view text, Language language) {
  const ParsedColor parsed = ParseColorText(text);
  return {parsed.color, parsed.alpha_flag, parsed.format,
          LanguageDescriptor(language, parsed.alpha_flag), language};
}

ColorTextFormat ChosenFormat(int chooser_answer) {
  if (chooser_answer < 1 || chooser_answer > 4) return ColorTextFormat::kNone;
  return static_cast<ColorTextFormat>(chooser_answer);
}

std::optional<std::string> FrontEndResultText(const FrontEndRun& run) {
  if (run.format == ColorTextFormat::kNone) return std::nullopt;
  std::string text = FormatColorText(run.color, run.format, run.alpha_flag);
  if (text.empty()) return std::nullopt;  // a format outside 1..4
  return text;
}

int RunPass(void (*pass)()) noexcept {
  try {
    pass();
  } catch (...) {
    // Nothing to report: the programs show no message for this, and end.
  }
  return 0;
}

}  // namespace tintra
