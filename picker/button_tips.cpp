#include "picker/button_tips.h"

namespace tintra {

const ButtonTips& ButtonTipsFor(TipLanguage language, std::string_view title) {
  switch (language) {
    case TipLanguage::kEnglish:
      return kEnglishButtonTips;
    case TipLanguage::kFrench:
      return kFrenchButtonTips;
    case TipLanguage::kFromTitle:
      break;
  }
  return title == kFrenchPickerTitle ? kFrenchButtonTips : kEnglishButtonTips;
}

}  // namespace tintra
