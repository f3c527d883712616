#include "standalone/standalone.h"

#include "picker/blanks.h"

namespace tintra {

FrontEndRun StartStandaloneRun(std::string_view clipboard_text) {
  return StartFrontEndRun(TrimSpaces(clipboard_text), Language::kFrench);
}

}  // namespace tintra
