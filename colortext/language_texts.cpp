#include "colortext/language_texts.h"

namespace tintra {

std::string LanguageDescriptor(Language language, int alpha_flag) {
  const bool french = language == Language::kFrench;
  std::string descriptor = french ? "S\xE9lection de couleur" : "Color";
  descriptor += french ? "\nHexad\xE9"
                         "cimal\tRGB\n"
                       : "\nHexadecimal\tRGB\n";
  descriptor +=
      alpha_flag != 0 ? "$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)" : "$?hb?hg?hr\tRGB(?r, ?g, ?b)";
  return descriptor;
}

const FormatChooserTexts& LanguageChooserTexts(Language language) {
  return language == Language::kFrench ? kFrenchChooserTexts : kEnglishChooserTexts;
}

}  // namespace tintra
