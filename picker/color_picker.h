// The colour-picker dialog: one blocking call that edits a colour.
#pragma once

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
// is released before it returns.
ColorValue OpenColorPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                           OwnerWindow owner);

}  // namespace tintra
