#include "picker/picker_session.h"

#include <algorithm>

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
    if (field.placeholder_count == 0) continue;
    session.field_texts[i] = OutputFieldText(session, field, color);
    PlatformRequest& set = RecordRequest(session.ui, RequestKind::kSetFieldText);
    set.field = static_cast<int>(i);
    set.text = session.field_texts[i];
  }
  return true;
}

void SetClientHeight(PickerSession& session) {
  const LaidRect& client = session.layout.client;
  session.client_physical_height = std::min(client.physical.height, kMaxClientHeight);
  session.client_height =
      std::min(client.logical.height, ToLogical(kMaxClientHeight, session.layout.dpi));
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
  SetClientHeight(session);
  session.background = background | kAlphaMask;
  session.field_texts.clear();
  session.field_texts.reserve(session.descriptor.fields.size());
  for (const TemplateField& field : session.descriptor.fields) {
    // Output fields stay empty until the first refresh.
    session.field_texts.push_back(field.placeholder_count > 0 ? std::string() : field.text);
  }
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
  SetClientHeight(session);
  session.ui.picker.flags.canvas = true;
}

bool OnDpiChange(PickerSession& session, int dpi) {
  if (LayoutDpi(dpi) == session.layout.dpi) return false;
  RescaleSession(session, dpi);
  InteractionState& ui = session.ui;
  RecordRequest(ui, RequestKind::kRelayout);
  if (ui.confinement_saved)
    RecordRequest(ui, RequestKind::kSaveAndConfinePointer).rect = ui.confined_area;
  ui.picker.flags.paint = true;
  return true;
}

std::vector<PlannedWidget> PlanDialogWidgets(const PickerSession& session) {
  using K = WidgetKind;
  const DialogLayout& l = session.layout;
  std::vector<PlannedWidget> plan{
      {.kind = K::kPresetCombo, .id = WidgetId::kPresetCombo, .place = l.preset_combo}};
  for (int c = 0; c < (session.ui.picker.alpha_flag != 0 ? 4 : 3); ++c) {
    plan.push_back({.kind = K::kChannelField,
                    .id = ChannelFieldWidget(static_cast<Channel>(c)),
                    .place = l.channel_fields[static_cast<std::size_t>(c)]});
  }
  const ButtonTips& t = session.tips;
  plan.push_back({K::kImageButton, WidgetId::kOkButton, l.ok_button, EmbeddedImage::kConfirm,
                  l.button_face_size, t.ok});
  plan.push_back({K::kImageButton, WidgetId::kCancelButton, l.cancel_button, EmbeddedImage::kCancel,
                  l.cancel_face_size, t.cancel});
  plan.push_back({K::kImageButton, WidgetId::kEyedropperButton, l.eyedropper_button,
                  EmbeddedImage::kEyedropper, l.button_face_size, t.eyedropper});
  const std::vector<TemplateField>& fields = session.descriptor.fields;
  for (std::size_t i = 0; i < fields.size() && i < l.template_fields.size(); ++i) {
    plan.push_back({.kind = fields[i].placeholder_count > 0 ? K::kOutputField : K::kCaption,
                    .id = TemplateFieldWidget(static_cast<int>(i)),
                    .place = l.template_fields[i],
                    .field = static_cast<int>(i)});
  }
  return plan;
}

int NextFocusIndex(const std::vector<PlannedWidget>& plan, int current, bool backwards) {
  const int count = static_cast<int>(plan.size());
  int index = current >= 0 && current < count ? current : (backwards ? count : -1);
  for (int step = 0; step < count; ++step) {
    index = (index + (backwards ? count - 1 : 1)) % count;
    if (plan[static_cast<std::size_t>(index)].kind != WidgetKind::kCaption) return index;
  }
  return -1;
}

PixelRect ConfinementPixels(const PickerSession& session, const ClientRect& r) {
  return ToPhysical(PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top},
                    session.layout.dpi);
}

bool RefreshPending(const PickerSession& session) {
  const RefreshFlags& f = session.ui.picker.flags;
  return f.rederive || f.hue_bar || f.canvas || f.paint;
}

void OnRawPointer(PickerSession& session, const RawPointerEvent& e) {
  InteractionState& ui = session.ui;
  PointerEventKind kind = PointerEventKind::kMove;
  switch (e.kind) {
    case RawPointerKind::kDoubleClick:
      if (ui.left_down) return;
      [[fallthrough]];
    case RawPointerKind::kPress:
      if (!e.left_button) return;
      ui.left_down = true;
      kind = PointerEventKind::kButtonDown;
      break;
    case RawPointerKind::kRelease:
      if (!e.left_button) return;
      ui.left_down = false;
      kind = PointerEventKind::kButtonUp;
      break;
    case RawPointerKind::kMove:
      break;
  }
  const int dpi = session.layout.dpi;
  const bool inside = e.x >= 0 && e.y >= 0 && e.x < session.layout.client.physical.width &&
                      e.y < session.client_physical_height;
  int x = -1;
  int y = -1;
  if (e.known && (inside || ui.picker.drag != Drag::kNone)) {
    x = ToLogical(e.x, dpi);
    y = ToLogical(e.y, dpi);
  }
  ReportPointerEvent(session, kind, x, y);
  switch (kind) {
    case PointerEventKind::kButtonDown:
      OnButtonDown(ui, x, y);
      return;
    case PointerEventKind::kButtonUp:
      OnButtonUp(ui, x, y);
      return;
    case PointerEventKind::kMove:
      OnPointerMove(ui, x, y);
      return;
  }
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
  if (session.ui.picker.flags.paint) {
    session.ui.picker.flags.paint = false;
    RecordRequest(session.ui, RequestKind::kPaint);
  }
  return redrawn;
}

}  // namespace tintra
