#include "picker/interaction.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "picker/dialog_layout.h"
#include "picker/presets.h"
#include "picker/read_integer.h"

namespace tintra {

namespace {

ClientRect ClientRectOf(const PixelRect& r) {
  return {r.x, r.y, r.right(), r.bottom()};
}

// Pointer coordinate minus an area's origin, held to 0..max: the pointer may
// leave the area when the system does not hold the confinement.
int OffsetIn(int coordinate, int origin, int max) {
  const std::int64_t offset = static_cast<std::int64_t>(coordinate) - origin;
  return static_cast<int>(std::clamp<std::int64_t>(offset, 0, max));
}

// The channel fields that exist: red, green, blue, and alpha with the flag.
bool ChannelExists(const InteractionState& s, Channel channel) {
  switch (channel) {
    case Channel::kRed:
    case Channel::kGreen:
    case Channel::kBlue:
      return true;
    case Channel::kAlpha:
      return s.picker.alpha_flag != 0;
  }
  return false;
}

// The colour set directly: a pick not yet read back would undo it.
void SetColorChanged(PickerState& p) {
  p.field_pick_pending = false;
  p.hue_pick_pending = false;
  p.flags.rederive = true;
  p.flags.hue_bar = true;
  p.flags.canvas = true;
}

void RecordSetChannelText(InteractionState& s, Channel channel, std::string text) {
  PlatformRequest& request = RecordRequest(s, RequestKind::kSetChannelText);
  request.channel = channel;
  request.text = text;
  s.channel_text[static_cast<int>(channel)] = std::move(text);
}

void RecordSelectPreset(InteractionState& s, int index) {
  RecordRequest(s, RequestKind::kSelectPreset).preset_index = index;
  s.combo_index = index;
}

// Sets the values of the drag in progress from the pointer, with the flags
// of the area.
void ApplyPointer(PickerState& p, int x, int y) {
  const DialogLayout& l = LogicalLayout(p.alpha_flag);
  const PixelRect& field = l.field.logical;
  const int strip_max = l.strips[0].logical.width - 1;  // 255
  switch (p.drag) {
    case Drag::kNone:
      return;
    case Drag::kField:
      p.field_x = OffsetIn(x, field.x, field.width - 1);
      p.field_y = OffsetIn(y, field.y, field.height - 1);
      p.field_pick_pending = true;
      p.flags.canvas = true;  // the colour follows by the canvas read-back
      return;
    case Drag::kRed:
    case Drag::kGreen:
    case Drag::kBlue:
    case Drag::kAlpha: {
      static_assert(static_cast<int>(Drag::kAlpha) - static_cast<int>(Drag::kRed) ==
                        static_cast<int>(Channel::kAlpha),
                    "the strip drags follow the channels' order");
      const auto channel =
          static_cast<Channel>(static_cast<int>(p.drag) - static_cast<int>(Drag::kRed));
      const int strip_left = l.strips[static_cast<std::size_t>(channel)].logical.x;
      p.current = ReplaceChannel(p.current, channel, OffsetIn(x, strip_left, strip_max));
      SetColorChanged(p);
      return;
    }
    case Drag::kHueBar:
      p.marker_row = OffsetIn(y, l.hue_bar.logical.y, l.hue_bar.logical.height - 1);
      p.hue_pick_pending = true;
      p.field_pick_pending = true;  // the field read-back follows the new hue
      p.flags.hue_bar = true;
      p.flags.canvas = true;
      return;
  }
}

// Ends a drag in progress: pointer shown, confinement given back, capture
// released, the bar re-centred after a hue-bar drag. Returns whether a drag
// was in progress.
bool EndDrag(InteractionState& s) {
  const Drag drag = s.picker.drag;
  if (drag != Drag::kNone) RecordRequest(s, RequestKind::kShowPointer);
  if (s.confinement_saved) {
    RecordRequest(s, RequestKind::kRestoreConfinement);
    s.confinement_saved = false;
  }
  if (s.pointer_captured) {
    RecordRequest(s, RequestKind::kReleasePointerCapture);
    s.pointer_captured = false;
  }
  if (drag == Drag::kNone) return false;
  if (drag == Drag::kHueBar) s.picker.flags.hue_bar = true;
  s.picker.drag = Drag::kNone;
  s.picker.flags.canvas = true;
  return true;
}

void SyncPresetCombo(InteractionState& s) {
  const int index = FindPresetIndex(s.picker.current);
  if (s.combo_index != index) RecordSelectPreset(s, index);
}

Hover HoverAt(const PickerState& p, int x, int y) {
  const DialogLayout& l = LogicalLayout(p.alpha_flag);
  if (l.upper_swatch.logical.Contains(x, y)) return Hover::kUpper;
  if (l.lower_swatch.logical.Contains(x, y)) return Hover::kLower;
  return Hover::kNone;
}

void Finish(InteractionState& s, ColorValue result, bool confirmed) {
  EndDrag(s);
  if (!s.quit) RecordRequest(s, RequestKind::kEndDialog);
  s.quit = true;
  s.confirmed = confirmed;
  s.result = result;
  s.picker.stored = result;
}

}  // namespace

PlatformRequest& RecordRequest(InteractionState& state, RequestKind kind) {
  PlatformRequest& request = state.requests.emplace_back();
  request.kind = kind;
  return request;
}

WidgetId TemplateFieldWidget(int index) {
  const std::int64_t id = static_cast<std::int64_t>(WidgetId::kFirstTemplateField) + index;
  return static_cast<WidgetId>(std::clamp<std::int64_t>(
      id, static_cast<std::int64_t>(WidgetId::kFirstTemplateField), kLastWidgetId));
}

int ChannelOfWidget(WidgetId widget) {
  const int offset = static_cast<int>(widget) - static_cast<int>(WidgetId::kRedField);
  return offset >= 0 && offset < 4 ? offset : -1;
}

bool ChannelFieldTakesKey(std::string_view typed, bool command) {
  if (command) return true;
  for (const char c : typed) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;  // Backspace, Delete and the like
    if (byte < '0' || byte > '9') return false;    // letters, signs, any non-ASCII letter
  }
  return true;
}

void OnWidgetEvent(InteractionState& s, WidgetId widget, WidgetEventKind kind,
                   std::string_view text, int index) {
  const int c = ChannelOfWidget(widget);
  const auto channel = static_cast<Channel>(c);
  switch (kind) {
    case WidgetEventKind::kTextEdited:
      if (c >= 0) OnChannelTextChanged(s, channel, text);
      return;
    case WidgetEventKind::kFocusIn:
    case WidgetEventKind::kFocusOut: {
      const bool in = kind == WidgetEventKind::kFocusIn;
      if (widget == WidgetId::kPresetCombo) {
        OnPresetEvent(s, in ? PresetEventKind::kFocusGained : PresetEventKind::kFocusLost, index);
      } else if (c >= 0) {
        in ? OnFocusGained(s, widget) : OnChannelFocusLost(s, channel);
      }
      return;
    }
    case WidgetEventKind::kSelected:
      if (widget == WidgetId::kPresetCombo) {
        OnPresetEvent(s, PresetEventKind::kSelectionChanged, index);
      }
      return;
    case WidgetEventKind::kClicked:
      OnButton(s, widget);
      return;
  }
}

KeyAction OnKey(InteractionState& s, KeyCode key, bool shift, bool command, bool list_open) {
  if (command) return KeyAction::kPass;
  switch (key) {
    case KeyCode::kTab:
      return shift ? KeyAction::kFocusPrevious : KeyAction::kFocusNext;
    case KeyCode::kEnter:
    case KeyCode::kEscape:
      return OnDialogKey(s, key == KeyCode::kEnter ? DialogKey::kEnter : DialogKey::kEscape,
                         list_open)
                 ? KeyAction::kTaken
                 : KeyAction::kPass;
    case KeyCode::kOther:
      return KeyAction::kPass;
  }
  return KeyAction::kPass;
}

WidgetId ChannelFieldWidget(Channel channel) {
  switch (channel) {
    case Channel::kRed:
      return WidgetId::kRedField;
    case Channel::kGreen:
      return WidgetId::kGreenField;
    case Channel::kBlue:
      return WidgetId::kBlueField;
    case Channel::kAlpha:
      return WidgetId::kAlphaField;
  }
  return WidgetId::kNone;
}

InteractionState StartInteraction(ColorValue initial, int alpha_flag, bool dialog_keys) {
  InteractionState s;
  s.dialog_keys = dialog_keys;
  s.picker.alpha_flag = alpha_flag != 0 ? 1 : 0;
  s.picker.current = initial;
  s.picker.initial = initial;
  s.picker.stored = initial;
  s.result = initial;
  SetColorChanged(s.picker);
  return s;
}

WidgetId FirstFocus(const InteractionState& s) {
  return s.dialog_keys ? WidgetId::kOkButton : WidgetId::kPresetCombo;
}

bool OnDialogKey(InteractionState& s, DialogKey key, bool list_open) {
  if (!s.dialog_keys || list_open) return false;
  if (s.quit) return true;  // already ending: the key goes nowhere else
  if (key == DialogKey::kEnter) {
    Finish(s, s.picker.current, true);
  } else {
    Finish(s, s.picker.initial, false);
  }
  return true;
}

void OnButtonDown(InteractionState& s, int x, int y) {
  if (s.quit) return;
  const DialogLayout& l = LogicalLayout(s.picker.alpha_flag);
  for (int i = 0; i < l.press_area_count; ++i) {
    const PressArea& area = l.press_areas[static_cast<std::size_t>(i)];
    if (s.picker.drag == area.drag || !area.rect.logical.Contains(x, y)) continue;
    // A drag whose release never came ends before the new one starts, so the
    // pointer is hidden once and the confinement saved is the system's own.
    EndDrag(s);
    RecordRequest(s, RequestKind::kHidePointer);
    s.confined_area = ClientRectOf(area.rect.logical);
    RecordRequest(s, RequestKind::kSaveAndConfinePointer).rect = s.confined_area;
    s.confinement_saved = true;
    // Where the system does not hold the confinement (pen, touch, remote
    // sessions), the release and the moves outside the window still come.
    RecordRequest(s, RequestKind::kCapturePointer);
    s.pointer_captured = true;
    s.picker.drag = area.drag;
    ApplyPointer(s.picker, x, y);
    // The combo loses the focus next; it must show the colour as it is now,
    // or its focus-lost event would put the preset back over this press.
    if (s.focus == WidgetId::kPresetCombo) SyncPresetCombo(s);
    RecordRequest(s, RequestKind::kFocusOkButton);
    s.focus = WidgetId::kOkButton;
    return;
  }
}

void OnPointerMove(InteractionState& s, int x, int y) {
  if (s.quit) return;
  ApplyPointer(s.picker, x, y);
  const Hover hover = HoverAt(s.picker, x, y);
  if (hover != s.picker.hover) {
    s.picker.hover = hover;
    s.picker.flags.canvas = true;
  }
}

void OnButtonUp(InteractionState& s, int x, int y) {
  if (s.quit) return;
  // A release that ends a drag never acts on a swatch, also when the system
  // let the pointer out of the drag area.
  if (EndDrag(s)) return;
  switch (HoverAt(s.picker, x, y)) {
    case Hover::kUpper:
      s.picker.stored = s.picker.current;
      s.picker.flags.canvas = true;
      break;
    case Hover::kLower:
      s.picker.current = s.picker.stored;
      SetColorChanged(s.picker);
      break;
    case Hover::kNone:
      break;
  }
}

void OnPointerCaptureLost(InteractionState& s) {
  if (!s.pointer_captured) return;
  s.pointer_captured = false;  // the system's to give back, not ours
  s.left_down = false;         // its release goes elsewhere
  EndDrag(s);
}

void OnCloseRequest(InteractionState& s) {
  if (s.quit) return;
  Finish(s, s.picker.initial, false);
}

void OnRepaintRequest(InteractionState& s) {
  s.picker.flags.paint = true;
}

void OnChannelTextChanged(InteractionState& s, Channel channel, std::string_view text) {
  if (s.quit || !ChannelExists(s, channel)) return;
  s.channel_text[static_cast<int>(channel)] = std::string(text);
  // Held to 0..255 from the full 64-bit reading, so that a huge number gives
  // 255 rather than its low 32 bits.
  const std::int64_t read = ReadInteger(text);
  const int value = static_cast<int>(std::clamp<std::int64_t>(read, 0, 255));
  s.picker.current = ReplaceChannel(s.picker.current, channel, value);
  SetColorChanged(s.picker);
}

void OnChannelFocusLost(InteractionState& s, Channel channel) {
  if (s.quit || !ChannelExists(s, channel)) return;
  if (s.focus == ChannelFieldWidget(channel)) s.focus = WidgetId::kNone;
  RecordSetChannelText(s, channel, std::to_string(ChannelOf(s.picker.current, channel)));
}

void OnFocusGained(InteractionState& s, WidgetId widget) {
  s.focus = widget;
}

void OnPresetEvent(InteractionState& s, PresetEventKind kind, int selected_index) {
  if (s.quit) return;
  s.combo_index = selected_index;
  if (kind == PresetEventKind::kFocusGained) s.focus = WidgetId::kPresetCombo;
  if (kind == PresetEventKind::kFocusLost && s.focus == WidgetId::kPresetCombo) {
    s.focus = WidgetId::kNone;
  }
  if (selected_index < 0 || selected_index >= kPresetCount) return;
  const ColorValue preset = PresetAt(selected_index).color & kRgbMask;
  // A focus change with the preset's colour already in place must not undo
  // an edit made since (a field press only changes the colour later).
  if (kind != PresetEventKind::kSelectionChanged && preset == (s.picker.current & kRgbMask)) {
    return;
  }
  s.picker.current = preset | (s.picker.current & kAlphaMask);
  SetColorChanged(s.picker);
}

void OnButton(InteractionState& s, WidgetId which) {
  if (s.quit) return;
  switch (which) {
    case WidgetId::kOkButton:
      Finish(s, s.picker.current, true);
      return;
    case WidgetId::kCancelButton:
      Finish(s, s.picker.initial, false);
      return;
    case WidgetId::kEyedropperButton:
      // The eyedropper needs a visible, free pointer.
      EndDrag(s);
      RecordRequest(s, RequestKind::kRunEyedropper);
      s.requests.back().color = s.eyedropper_color;
      return;
    default:
      return;
  }
}

void OnEyedropperResult(InteractionState& s, bool picked, ColorValue color) {
  s.eyedropper_color = color & kRgbMask;
  if (s.quit || !picked) return;
  s.picker.current = (color & kRgbMask) | (s.picker.current & kAlphaMask);
  SetColorChanged(s.picker);
}

void EndDragForClose(InteractionState& s) {
  EndDrag(s);
}

void UpdateWidgets(InteractionState& s) {
  for (Channel channel : {Channel::kRed, Channel::kGreen, Channel::kBlue, Channel::kAlpha}) {
    if (!ChannelExists(s, channel) || s.focus == ChannelFieldWidget(channel)) continue;
    std::string text = std::to_string(ChannelOf(s.picker.current, channel));
    if (s.channel_text[static_cast<int>(channel)] != text) {
      RecordSetChannelText(s, channel, std::move(text));
    }
  }
  SyncPresetCombo(s);
}

}  // namespace tintra
