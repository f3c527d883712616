#include "picker/picker_session.h"

namespace tintra {

void OpenSession(PickerSession& session, ColorValue initial, std::string_view descriptor,
                 int alpha_flag, ColorValue background) {
  const int alpha = alpha_flag != 0 ? 1 : 0;
  BuildDialogImages(session.images, alpha);
  session.layout = ReadDescriptor(descriptor, alpha);
  session.client_height = ClientHeight(alpha, session.layout.row_count);
  session.background = background | 0xFF000000u;
  session.field_texts.clear();
  session.field_texts.reserve(session.layout.fields.size());
  for (const TemplateField& field : session.layout.fields) {
    // Output fields stay empty until the first refresh.
    session.field_texts.push_back(field.placeholder_count > 0 ? std::string() : field.text);
  }
  session.field_texts_changed = false;
  session.ui = StartInteraction(initial, alpha);
}

bool RefreshSession(PickerSession& session) {
  const bool redraw_canvas = session.ui.picker.flags.canvas;
  RunRefreshStages(session.ui.picker, session.images, session.background);
  if (!redraw_canvas) return false;
  UpdateWidgets(session.ui);
  const ColorValue color = session.ui.picker.current;
  for (std::size_t i = 0; i < session.layout.fields.size(); ++i) {
    const TemplateField& field = session.layout.fields[i];
    if (field.placeholder_count > 0) session.field_texts[i] = ExpandForColor(field.text, color);
  }
  session.field_texts_changed = true;
  return true;
}

}  // namespace tintra
