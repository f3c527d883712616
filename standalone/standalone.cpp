#include "standalone/standalone.h"

#include "colortext/blanks.h"

namespace tintra {

FrontEndRun StartStandaloneRun(std::string_view clipboard_text) {
  return StartFrontEndRun(TrimSpaces(clipboard_text), Language::kFrench);
}

}  // namespace tintra
