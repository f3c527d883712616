// The texts both programs give the picker and the format chooser, in each
// of their two languages. The standalone program is always French; the
// plug-in follows the editor's preference file.
#pragma once

#include <string>

#include "colortext/format_chooser.h"

namespace tintra {

enum class Language { kEnglish, kFrench };

// The picker descriptor: the title of the language ("Color" or "Sélection
// de couleur"), the captions "Hexadecimal" (French "Hexadécimal") and "RGB",
// and the "$" hexadecimal and "RGB("/"RGBA(" templates for the alpha flag
// (any non-zero value is 1).
std::string LanguageDescriptor(Language language, int alpha_flag);

const FormatChooserTexts& LanguageChooserTexts(Language language);

}  // namespace tintra
