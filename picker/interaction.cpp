#include "picker/interaction.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "picker/presets.h"
#include "picker/read_integer.h"

namespace tintra {

namespace {

// Colour area geometry, client pixels.
constexpr int kAreaLeft = 44;    // colour field and strips
constexpr int kAreaRight = 300;  // excluded
constexpr int kFieldTop = 12;
constexpr int kFieldBottom = 268;  // excluded
constexpr int kRedTop = 280;
constexpr int kGreenTop = 302;
constexpr int kBlueTop = 324;
constexpr int kAlphaTop = 346;
constexpr int kStripHeight = 10;
constexpr int kHueBarLeft = 12;
constexpr int kHueBarRight = 32;  // excluded
constexpr int kHueBarTop = 12;
constexpr int kHueBarBottom = 334;  // excluded; +22 with alpha
constexpr int kAlphaExtra = 22;
constexpr int kSwatchLeft = 312;
constexpr int kSwatchRight = 360;  // excluded
constexpr int kUpperSwatchTop = 12;
constexpr int kLowerSwatchTop = 44;
constexpr int kLowerSwatchBottom = 76;  // excluded

constexpr ColorValue kRgbMask = 0x00FFFFFFu;
constexpr ColorValue kAlphaMask = 0xFF000000u;

struct PressArea {
  Drag drag;
  ClientRect rect;
};

bool Contains(const ClientRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Press areas in the order they are tested; `count` is 5 without alpha.
struct PressAreaList {
  std::array<PressArea, 6> areas;
  int count;
};

PressAreaList PressAreas(int alpha_flag) {
  const int hue_bottom = kHueBarBottom + kAlphaExtra * alpha_flag;
  PressAreaList list{
      {{
          {Drag::kField, {kAreaLeft, kFieldTop, kAreaRight, kFieldBottom}},
          {Drag::kRed, {kAreaLeft, kRedTop, kAreaRight, kRedTop + kStripHeight}},
          {Drag::kGreen, {kAreaLeft, kGreenTop, kAreaRight, kGreenTop + kStripHeight}},
          {Drag::kBlue, {kAreaLeft, kBlueTop, kAreaRight, kBlueTop + kStripHeight}},
          {Drag::kAlpha, {kAreaLeft, kAlphaTop, kAreaRight, kAlphaTop + kStripHeight}},
          {Drag::kHueBar, {kHueBarLeft, kHueBarTop, kHueBarRight, hue_bottom}},
      }},
      6};
  if (alpha_flag == 0) {
    // No alpha strip: the hue bar moves up one place.
    list.areas[4] = list.areas[5];
    list.count = 5;
  }
  return list;
}

// Pointer coordinate minus an area's origin, held to 0..max: the pointer may
// leave the area when the system does not hold the confinement.
int OffsetIn(int coordinate, int origin, int max) {
  const std::int64_t offset = static_cast<std::int64_t>(coordinate) - origin;
  return static_cast<int>(std::clamp<std::int64_t>(offset, 0, max));
}

int MaxMarkerRow(const PickerState& p) {
  return kHueBarBottom - kHueBarTop - 1 + kAlphaExtra * p.alpha_flag;
}

ColorValue ReplaceChannel(ColorValue c, Channel channel, int value) {
  switch (channel) {
    case Channel::kRed:
      return ReplaceRed(c, value);
    case Channel::kGreen:
      return ReplaceGreen(c, value);
    case Channel::kBlue:
      return ReplaceBlue(c, value);
    case Channel::kAlpha:
      return ReplaceAlpha(c, value);
  }
  return c;
}

int ChannelOf(ColorValue c, Channel channel) {
  switch (channel) {
    case Channel::kRed:
      return RedOf(c);
    case Channel::kGreen:
      return GreenOf(c);
    case Channel::kBlue:
      return BlueOf(c);
    case Channel::kAlpha:
      return AlphaOf(c);
  }
  return 0;
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

void SetColourChanged(PickerState& p) {
  p.flags.rederive = true;
  p.flags.hue_bar = true;
  p.flags.canvas = true;
}

void Record(InteractionState& s, RequestKind kind) {
  PlatformRequest request;
  request.kind = kind;
  s.requests.push_back(std::move(request));
}

void RecordSetChannelText(InteractionState& s, Channel channel, std::string text) {
  PlatformRequest request;
  request.kind = RequestKind::kSetChannelText;
  request.channel = channel;
  request.text = text;
  s.requests.push_back(std::move(request));
  s.channel_text[static_cast<int>(channel)] = std::move(text);
}

void RecordSelectPreset(InteractionState& s, int index) {
  PlatformRequest request;
  request.kind = RequestKind::kSelectPreset;
  request.preset_index = index;
  s.requests.push_back(std::move(request));
  s.combo_index = index;
}

// Sets the values of the drag in progress from the pointer, with the flags
// of the area.
void ApplyPointer(PickerState& p, int x, int y) {
  switch (p.drag) {
    case Drag::kNone:
      return;
    case Drag::kField:
      p.field_x = OffsetIn(x, kAreaLeft, 255);
      p.field_y = OffsetIn(y, kFieldTop, 255);
      p.flags.canvas = true;  // the colour follows by the canvas read-back
      return;
    case Drag::kRed:
      p.current = ReplaceRed(p.current, OffsetIn(x, kAreaLeft, 255));
      SetColourChanged(p);
      return;
    case Drag::kGreen:
      p.current = ReplaceGreen(p.current, OffsetIn(x, kAreaLeft, 255));
      SetColourChanged(p);
      return;
    case Drag::kBlue:
      p.current = ReplaceBlue(p.current, OffsetIn(x, kAreaLeft, 255));
      SetColourChanged(p);
      return;
    case Drag::kAlpha:
      p.current = ReplaceAlpha(p.current, OffsetIn(x, kAreaLeft, 255));
      SetColourChanged(p);
      return;
    case Drag::kHueBar:
      p.marker_row = OffsetIn(y, kHueBarTop, MaxMarkerRow(p));
      p.flags.hue_bar = true;
      p.flags.canvas = true;
      return;
  }
}

// Ends a drag in progress: pointer shown, confinement given back, the bar
// re-centred after a hue-bar drag. Returns whether a drag was in progress.
bool EndDrag(InteractionState& s) {
  const Drag drag = s.picker.drag;
  if (drag != Drag::kNone) Record(s, RequestKind::kShowPointer);
  if (s.confinement_saved) {
    Record(s, RequestKind::kRestoreConfinement);
    s.confinement_saved = false;
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

Hover HoverAt(int x, int y) {
  if (x < kSwatchLeft || x >= kSwatchRight) return Hover::kNone;
  if (y >= kUpperSwatchTop && y < kLowerSwatchTop) return Hover::kUpper;
  if (y >= kLowerSwatchTop && y < kLowerSwatchBottom) return Hover::kLower;
  return Hover::kNone;
}

void Finish(InteractionState& s, ColorValue result) {
  EndDrag(s);
  s.quit = true;
  s.result = result;
  s.picker.stored = result;
}

}  // namespace

WidgetId TemplateFieldWidget(int index) {
  const std::int64_t id = static_cast<std::int64_t>(WidgetId::kFirstTemplateField) + index;
  return static_cast<WidgetId>(std::clamp<std::int64_t>(
      id, static_cast<std::int64_t>(WidgetId::kFirstTemplateField), kLastWidgetId));
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

InteractionState StartInteraction(ColorValue initial, int alpha_flag) {
  InteractionState s;
  s.picker.alpha_flag = alpha_flag != 0 ? 1 : 0;
  s.picker.current = initial;
  s.picker.initial = initial;
  s.picker.stored = initial;
  s.result = initial;
  SetColourChanged(s.picker);
  return s;
}

void OnButtonDown(InteractionState& s, int x, int y) {
  if (s.quit) return;
  const PressAreaList list = PressAreas(s.picker.alpha_flag);
  for (int i = 0; i < list.count; ++i) {
    const PressArea& area = list.areas[i];
    if (s.picker.drag == area.drag || !Contains(area.rect, x, y)) continue;
    // A drag whose release never came ends before the new one starts, so the
    // pointer is hidden once and the confinement saved is the system's own.
    EndDrag(s);
    Record(s, RequestKind::kHidePointer);
    PlatformRequest confine;
    confine.kind = RequestKind::kSaveAndConfinePointer;
    confine.rect = area.rect;
    s.requests.push_back(std::move(confine));
    s.confinement_saved = true;
    s.picker.drag = area.drag;
    ApplyPointer(s.picker, x, y);
    // The combo loses the focus next; it must show the colour as it is now,
    // or its focus-lost event would put the preset back over this press.
    if (s.focus == WidgetId::kPresetCombo) SyncPresetCombo(s);
    Record(s, RequestKind::kFocusOkButton);
    s.focus = WidgetId::kOkButton;
    return;
  }
}

void OnPointerMove(InteractionState& s, int x, int y) {
  if (s.quit) return;
  ApplyPointer(s.picker, x, y);
  const Hover hover = HoverAt(x, y);
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
  switch (HoverAt(x, y)) {
    case Hover::kUpper:
      s.picker.stored = s.picker.current;
      s.picker.flags.canvas = true;
      break;
    case Hover::kLower:
      s.picker.current = s.picker.stored;
      SetColourChanged(s.picker);
      break;
    case Hover::kNone:
      break;
  }
}

void OnCloseRequest(InteractionState& s) {
  if (s.quit) return;
  Finish(s, s.picker.initial);
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
  SetColourChanged(s.picker);
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
  SetColourChanged(s.picker);
}

void OnButton(InteractionState& s, WidgetId which) {
  if (s.quit) return;
  switch (which) {
    case WidgetId::kOkButton:
      Finish(s, s.picker.current);
      return;
    case WidgetId::kCancelButton:
      Finish(s, s.picker.initial);
      return;
    case WidgetId::kEyedropperButton:
      // The eyedropper needs a visible, free pointer.
      EndDrag(s);
      Record(s, RequestKind::kRunEyedropper);
      return;
    default:
      return;
  }
}

void OnEyedropperResult(InteractionState& s, bool picked, ColorValue picked24) {
  if (s.quit || !picked) return;
  s.picker.current = (picked24 & kRgbMask) | (s.picker.current & kAlphaMask);
  SetColourChanged(s.picker);
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
