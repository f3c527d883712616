// The 148 named colours of CSS Color 4 (gray and grey spellings both, aqua
// and cyan, fuchsia and magenta, rebeccapurple), looked up in any ASCII
// letter case.
#pragma once

#include <optional>
#include <string_view>

#include "picker/color_model.h"

namespace tintra {

// The opaque colour of a name (red in the low byte); nothing for any other text.
std::optional<ColorValue> FindCssNamedColor(std::string_view name);

// The number of names known: 148.
int CssNamedColorCount();

}  // namespace tintra
