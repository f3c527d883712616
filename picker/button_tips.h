// The tips and accessible names of the dialog's three image buttons, which
// show no text of their own.
#pragma once

#include <string_view>

#include "picker/color_picker.h"

namespace tintra {

// 8-bit ANSI (code page 1252), NUL-ended, static.
struct ButtonTips {
  const char* eyedropper;
  const char* ok;
  const char* cancel;
};

inline constexpr ButtonTips kEnglishButtonTips = {"Pick a colour from the screen", "OK", "Cancel"};
inline constexpr ButtonTips kFrenchButtonTips = {
    "Prendre une couleur \xE0 l'\xE9"
    "cran",
    "OK", "Annuler"};

// The French descriptor title, as the French programs write it.
inline constexpr char kFrenchPickerTitle[] = "S\xE9lection de couleur";

// The tips of `language`; kFromTitle takes French when `title` (the
// descriptor's first line) is kFrenchPickerTitle, English otherwise.
const ButtonTips& ButtonTipsFor(TipLanguage language, std::string_view title);

}  // namespace tintra
