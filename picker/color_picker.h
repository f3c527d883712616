// The colour-picker dialog: one blocking call that edits a colour.
#pragma once

#include <string>
#include <string_view>

#include "picker/color_model.h"

namespace tintra {

// A window of the calling program (a Windows HWND), or nullptr for none;
// the Linux program passes none.
using OwnerWindow = void*;

// Opens the modal, always-on-top picker with `initial` (all 32 bits count),
// the descriptor (title line, then rows of tab-separated captions and field
// templates; lines separated by LF) and the alpha flag (any non-zero value
// is 1), and blocks until the user ends it. Returns the current colour for
// OK and `initial` for Cancel, the close box, or a window that cannot be
// created. When `owner` names an existing window it is disabled for the
// dialog's life and enabled again on every path. Everything the dialog makes
// is released before it returns. (Below, after the options.)

// The language of the image buttons' tips and accessible names.
enum class TipLanguage {
  kFromTitle,  // French for the French descriptor title, English for any other
  kEnglish,
  kFrench,
};

// What the text filter and the Linux program's clipboard mode add to a
// picker call; the defaults are the classic dialog.
struct PickerOptions {
  // Enter confirms (OK) and Escape cancels wherever the focus is, and the
  // first focus is shown; false: the classic keys.
  bool dialog_keys = false;
  // When set, gives the text of each output field (a field whose template
  // holds a "?") instead of the template expansion, at every refresh:
  // `field_template` is the field's text from the descriptor, `color` the
  // current colour. The classic placeholders are untouched by it.
  std::string (*field_text)(const void* context, std::string_view field_template,
                            ColorValue color) = nullptr;
  const void* field_text_context = nullptr;
  TipLanguage tip_language = TipLanguage::kFromTitle;
};

struct PickerAnswer {
  ColorValue color;  // as OpenColorPicker returns it
  bool confirmed;    // OK; false for Cancel, the close box or no window
};

// OpenColorPicker with the options, saying whether the user confirmed. In
// each platform's shell.
PickerAnswer EditColorInPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                               OwnerWindow owner, const PickerOptions& options);

inline ColorValue OpenColorPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                                  OwnerWindow owner) {
  return EditColorInPicker(initial, descriptor, alpha_flag, owner, PickerOptions{}).color;
}

}  // namespace tintra
