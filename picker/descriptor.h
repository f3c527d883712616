// The picker descriptor: a title line, then rows of tab-separated fields that
// become captions or live template fields below the colour controls; and the
// expansion of a field template's placeholders from the colour being edited.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "picker/color_model.h"
#include "picker/dialog_layout.h"

namespace tintra {

// One field of a descriptor row, placed in the dialog's client area.
struct TemplateField {
  int x, y, width;        // logical client pixels; height is kTemplateFieldHeight
  std::string text;       // the caption or template, as written
  int placeholder_count;  // number of "?" in text; above 0 marks an output field
};

struct DescriptorLayout {
  std::string title;                  // line 1, whole (tabs and "?" kept)
  int row_count;                      // number of line feeds; sizes the window
  std::vector<TemplateField> fields;  // row after row, left to right
};

// Splits the descriptor (lines separated by LF alone) into the title and the
// fields, placed by TemplateFieldRect. Any non-zero alpha_flag counts as 1. Never fails; linear in
// the descriptor's length.
DescriptorLayout ReadDescriptor(std::string_view descriptor, int alpha_flag);

// Replaces the placeholders ?r ?g ?b ?a (decimal), ?hr ?hg ?hb ?ha (two
// upper-case hexadecimal digits), ?t ?s ?l (decimal), in that order, one
// replace-all pass each, letters compared without case. Channels 0..255,
// hue 0..239, saturation and luminosity 0..240.
std::string ExpandFieldTemplate(std::string_view tmpl, int red, int green, int blue, int alpha,
                                int hue, int saturation, int luminosity);

// ExpandFieldTemplate with the channels of `color` and its hue/saturation/
// luminosity triple.
std::string ExpandForColor(std::string_view tmpl, ColorValue color);

}  // namespace tintra
