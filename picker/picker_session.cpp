#include "picker/picker_session.h"

#include "picker/session_observer.h"

namespace tintra {

namespace {

DialogLayout LayoutForDescriptor(const DescriptorLayout& descriptor, int alpha_flag, int dpi) {
  std::vector<PixelRect> fields;
  fields.reserve(descriptor.fields.size());
  for (const TemplateField& f : descriptor.fields) {
    fields.push_back({f.x, f.y, f.width, kTemplateFieldHeight});
  }
  return MakeDialogLayout(alpha_flag, descriptor.row_count, dpi, fields);
}

// The refresh stages, then the widget mirrors and the output texts after a
// canvas stage; true when the canvas was redrawn.
bool RunSessionRefresh(PickerSession& session) {
  const bool redraw_canvas = session.ui.picker.flags.canvas;
  RunRefreshStages(session.ui.picker, session.images, session.background);
  if (!redraw_canvas) return false;
  UpdateWidgets(session.ui);
  const ColorValue color = session.ui.picker.current;
  for (std::size_t i = 0; i < session.descriptor.fields.size(); ++i) {
    const TemplateField& field = session.descriptor.fields[i];
    if (field.placeholder_count > 0)
      session.field_texts[i] = OutputFieldText(session, field, color);
  }
  session.field_texts_changed = true;
  return true;
}

}  // namespace

void OpenSession(PickerSession& session, ColorValue initial, std::string_view descriptor,
                 int alpha_flag, ColorValue background, int dpi, const SessionObserver* observer,
                 const PickerOptions& options) {
  const int alpha = alpha_flag != 0 ? 1 : 0;
  session.descriptor = ReadDescriptor(descriptor, alpha);
  session.options = options;
  session.tips = ButtonTipsFor(options.tip_language, session.descriptor.title);
  session.layout = LayoutForDescriptor(session.descriptor, alpha, dpi);
  BuildDialogImages(session.images, session.layout);
  session.client_height = session.layout.client.logical.height;
  session.background = background | kAlphaMask;
  session.field_texts.clear();
  session.field_texts.reserve(session.descriptor.fields.size());
  for (const TemplateField& field : session.descriptor.fields) {
    // Output fields stay empty until the first refresh.
    session.field_texts.push_back(field.placeholder_count > 0 ? std::string() : field.text);
  }
  session.field_texts_changed = false;
  session.ui = StartInteraction(initial, alpha, options.dialog_keys);
  session.observer = observer;
  if (observer != nullptr) observer->opened(observer->context);
}

void RescaleSession(PickerSession& session, int dpi) {
  if (LayoutDpi(dpi) == session.layout.dpi) return;
  session.layout = LayoutForDescriptor(session.descriptor, session.ui.picker.alpha_flag, dpi);
  BuildDialogImages(session.images, session.layout);
  // The bars as they were (same offset), so that a drag on the hue bar goes
  // on reading the same colours; the marker row and the hue stay.
  RedrawHueBars(session.images, session.ui.picker.hue_offset);
  session.ui.picker.flags.canvas = true;
}

std::string OutputFieldText(const PickerSession& session, const TemplateField& field,
                            ColorValue color) {
  const PickerOptions& o = session.options;
  if (o.field_text != nullptr) return o.field_text(o.field_text_context, field.text, color);
  return ExpandForColor(field.text, color);
}

PickerAnswer SessionAnswer(const PickerSession& session) {
  return PickerAnswer{session.ui.result, session.ui.quit && session.ui.confirmed};
}

bool RefreshSession(PickerSession& session) {
  const bool redrawn = RunSessionRefresh(session);
  if (const SessionObserver* o = session.observer) o->refreshed(o->context, redrawn);
  return redrawn;
}

}  // namespace tintra
