// A whole dialog session driven by a random event sequence: OpenSession,
// then pointer presses, moves and releases anywhere (-1 and huge coordinates
// included), typed texts, focus changes, preset events with any index,
// buttons, eyedropper results, close requests and repaint requests, with
// RefreshSession after random bursts, as the shell's loop calls them, and
// capture losses at any time.
//
// Input: byte 0 bit 0 the alpha flag, bytes 1..4 the initial colour, bytes
// 5..8 the window colour; then events, each an opcode byte and its operands
// (coordinates as signed 16-bit numbers, 0x7FFF meaning INT_MAX and 0x8000
// INT_MIN).
//
// After every event: every value in its range, at most one drag, the
// pointer hidden, confined and captured exactly while a drag lasts (requests counted
// as the shell would carry them out), alpha untouched without the alpha
// flag, the initial colour unchanged, nothing changing after the quit.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "picker/interaction.h"
#include "picker/picker_session.h"
#include "picker/presets.h"
#include "picker/read_integer.h"

namespace {

using tintra::Channel;
using tintra::ColorValue;
using tintra::Drag;
using tintra::InteractionState;
using tintra::RequestKind;
using tintra::WidgetId;
using tintra::fuzz::Reader;

constexpr char kDescriptor[] = "Color\nHexadecimal\tRGB\n$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)";

enum Opcode : std::uint8_t {
  kPress,
  kMove,
  kRelease,
  kTypeText,
  kChannelFocusLost,
  kFocusGained,
  kPresetEvent,
  kButton,
  kEyedropperResult,
  kClose,
  kRepaint,
  kRefresh,
  kEndDragForClose,
  kCaptureLost,
  kOpcodeCount
};

// What the shell has done with the requests so far.
struct PointerModel {
  int hidden = 0;    // hides minus shows
  int confined = 0;  // confinements minus restorations
  int captured = 0;  // captures minus releases; a loss takes it to 0
};

int TakeCoordinate(Reader& r) {
  const auto raw = static_cast<std::int16_t>(tintra::fuzz::TakeU16(r));
  if (raw == INT16_MAX) return INT_MAX;
  if (raw == INT16_MIN) return INT_MIN;
  return raw;
}

WidgetId TakeWidget(Reader& r) {
  static constexpr WidgetId kWidgets[] = {
      WidgetId::kNone,
      WidgetId::kPresetCombo,
      WidgetId::kRedField,
      WidgetId::kGreenField,
      WidgetId::kBlueField,
      WidgetId::kAlphaField,
      WidgetId::kOkButton,
      WidgetId::kCancelButton,
      WidgetId::kEyedropperButton,
      WidgetId::kFirstTemplateField,
      static_cast<WidgetId>(static_cast<int>(WidgetId::kFirstTemplateField) + 3),
      static_cast<WidgetId>(tintra::kLastWidgetId),
  };
  return kWidgets[tintra::fuzz::TakeByte(r) % (sizeof kWidgets / sizeof kWidgets[0])];
}

// Preset index: mostly 0..92, sometimes -1, far below or far above.
int TakePresetIndex(Reader& r) {
  const auto raw = static_cast<std::int16_t>(tintra::fuzz::TakeU16(r));
  if (raw == INT16_MAX) return INT_MAX;
  if (raw == INT16_MIN) return INT_MIN;
  return raw;
}

bool IsDecimalByte(const std::string& text) {
  if (text.empty() || text.size() > 3) return false;
  if (text.size() > 1 && text[0] == '0') return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::stoi(text) <= 255;
}

bool IsPressArea(const tintra::ClientRect& r, int alpha) {
  const bool strip_or_field =
      r.left == 44 && r.right == 300 &&
      ((r.top == 12 && r.bottom == 268) || (r.top == 280 && r.bottom == 290) ||
       (r.top == 302 && r.bottom == 312) || (r.top == 324 && r.bottom == 334) ||
       (alpha == 1 && r.top == 346 && r.bottom == 356));
  const bool hue_bar = r.left == 12 && r.right == 32 && r.top == 12 && r.bottom == 334 + 22 * alpha;
  return strip_or_field || hue_bar;
}

// Carries out the recorded requests as the shell would, checking each.
void TakeRequests(InteractionState& ui, PointerModel& model) {
  const int alpha = ui.picker.alpha_flag;
  for (const tintra::PlatformRequest& request : ui.requests) {
    switch (request.kind) {
      case RequestKind::kHidePointer:
        ++model.hidden;
        break;
      case RequestKind::kShowPointer:
        --model.hidden;
        break;
      case RequestKind::kSaveAndConfinePointer:
        FUZZ_CHECK(IsPressArea(request.rect, alpha), "confined to (%d, %d)-(%d, %d)",
                   request.rect.left, request.rect.top, request.rect.right, request.rect.bottom);
        ++model.confined;
        break;
      case RequestKind::kRestoreConfinement:
        --model.confined;
        break;
      case RequestKind::kCapturePointer:
        ++model.captured;
        break;
      case RequestKind::kReleasePointerCapture:
        --model.captured;
        break;
      case RequestKind::kFocusOkButton:
        break;
      case RequestKind::kSetChannelText:
        FUZZ_CHECK(IsDecimalByte(request.text), "channel text \"%s\"", request.text.c_str());
        FUZZ_CHECK(request.channel != Channel::kAlpha || alpha == 1,
                   "alpha field text set without the alpha flag");
        break;
      case RequestKind::kSelectPreset:
        FUZZ_CHECK(request.preset_index >= -1 && request.preset_index < tintra::kPresetCount,
                   "preset %d selected", request.preset_index);
        break;
      case RequestKind::kRunEyedropper:
        // The eyedropper needs a free pointer.
        FUZZ_CHECK(model.hidden == 0 && model.confined == 0, "eyedropper run during a drag");
        break;
      case RequestKind::kSetFieldText:
        FUZZ_CHECK(request.field >= 0, "text for field %d", request.field);
        break;
      case RequestKind::kPaint:
      case RequestKind::kRelayout:
        break;
      case RequestKind::kEndDialog:
        FUZZ_CHECK(ui.quit, "the end asked for before the dialog ended");
        break;
    }
    FUZZ_CHECK(model.hidden >= 0 && model.hidden <= 1, "pointer hidden %d times", model.hidden);
    FUZZ_CHECK(model.confined >= 0 && model.confined <= 1, "pointer confined %d times",
               model.confined);
    FUZZ_CHECK(model.captured >= 0 && model.captured <= 1, "pointer captured %d times",
               model.captured);
  }
  ui.requests.clear();
}

void CheckState(const tintra::PickerSession& session, const PointerModel& model,
                ColorValue initial) {
  const InteractionState& ui = session.ui;
  const tintra::PickerState& p = ui.picker;
  const int a = p.alpha_flag;
  FUZZ_CHECK(a == 0 || a == 1, "alpha flag %d", a);
  FUZZ_CHECK(p.field_x >= 0 && p.field_x <= 255 && p.field_y >= 0 && p.field_y <= 255,
             "field position %d, %d", p.field_x, p.field_y);
  FUZZ_CHECK(p.marker_row >= 0 && p.marker_row <= 321 + 22 * a, "marker row %d", p.marker_row);
  FUZZ_CHECK(p.hue_offset >= 0 && p.hue_offset <= 1530, "hue offset %d", p.hue_offset);
  FUZZ_CHECK(static_cast<int>(p.hover) >= 0 && static_cast<int>(p.hover) <= 2, "hover %d",
             static_cast<int>(p.hover));
  FUZZ_CHECK(static_cast<int>(p.drag) >= static_cast<int>(Drag::kNone) &&
                 static_cast<int>(p.drag) <= static_cast<int>(Drag::kAlpha),
             "drag %d", static_cast<int>(p.drag));
  FUZZ_CHECK(p.drag != Drag::kAlpha || a == 1, "alpha drag without the alpha flag");
  FUZZ_CHECK(p.initial == initial, "initial colour changed to %08X", p.initial);
  if (a == 0) {
    FUZZ_CHECK(tintra::AlphaOf(p.current) == tintra::AlphaOf(initial) &&
                   tintra::AlphaOf(p.stored) == tintra::AlphaOf(initial),
               "alpha changed without the alpha flag: %08X", p.current);
  }
  // The pointer is hidden, confined and captured exactly while a drag lasts.
  const int dragging = p.drag != Drag::kNone ? 1 : 0;
  FUZZ_CHECK(model.hidden == dragging && model.confined == dragging && model.captured == dragging,
             "drag %d with pointer hidden %d, confined %d, captured %d", static_cast<int>(p.drag),
             model.hidden, model.confined, model.captured);
  FUZZ_CHECK(ui.pointer_captured == (dragging == 1), "capture held %d, drag %d",
             ui.pointer_captured, static_cast<int>(p.drag));
  FUZZ_CHECK(ui.confinement_saved == (dragging == 1), "confinement saved %d, drag %d",
             ui.confinement_saved, static_cast<int>(p.drag));
  if (ui.quit) FUZZ_CHECK(p.drag == Drag::kNone, "drag left in progress after the quit");
}

void Refresh(tintra::PickerSession& session, PointerModel& model) {
  const bool drew = tintra::RefreshSession(session);
  TakeRequests(session.ui, model);
  const tintra::PickerState& p = session.ui.picker;
  FUZZ_CHECK(!p.flags.rederive && !p.flags.hue_bar && !p.flags.canvas, "flags left set");
  FUZZ_CHECK((p.hue & 0xFF000000u) == 0, "hue colour %08X has alpha", p.hue);
  FUZZ_CHECK(session.field_texts.size() == session.descriptor.fields.size(), "field texts");
  if (!drew) return;
  // The widgets show the colour now: fields without the focus, and the combo.
  for (Channel channel : {Channel::kRed, Channel::kGreen, Channel::kBlue, Channel::kAlpha}) {
    if (channel == Channel::kAlpha && p.alpha_flag == 0) continue;
    if (session.ui.focus == tintra::ChannelFieldWidget(channel)) continue;
    const int shift = 8 * static_cast<int>(channel);
    const std::string expected = std::to_string((p.current >> shift) & 0xFFu);
    FUZZ_CHECK(session.ui.channel_text[static_cast<int>(channel)] == expected,
               "channel %d shows \"%s\" for %s", static_cast<int>(channel),
               session.ui.channel_text[static_cast<int>(channel)].c_str(), expected.c_str());
  }
  FUZZ_CHECK(session.ui.combo_index == tintra::FindPresetIndex(p.current), "combo shows %d",
             session.ui.combo_index);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader r{data, size};
  const int alpha_flag = tintra::fuzz::TakeByte(r) & 1;
  const ColorValue initial = tintra::fuzz::TakeU32(r);
  const ColorValue background = tintra::fuzz::TakeU32(r);

  tintra::PickerSession session;
  tintra::OpenSession(session, initial, kDescriptor, alpha_flag, background);
  InteractionState& ui = session.ui;
  PointerModel model;
  Refresh(session, model);
  CheckState(session, model, initial);

  bool ended_cleanly = false;  // last event: a release outside any drag, or a close
  bool quit_seen = false;
  ColorValue quit_result = 0;
  while (!tintra::fuzz::AtEnd(r)) {
    const std::uint8_t opcode = tintra::fuzz::TakeByte(r) % kOpcodeCount;
    const bool was_dragging = ui.picker.drag != Drag::kNone;
    const ColorValue before = ui.picker.current;
    ended_cleanly = false;
    switch (opcode) {
      case kPress: {
        const int x = TakeCoordinate(r);
        tintra::OnButtonDown(ui, x, TakeCoordinate(r));
        break;
      }
      case kMove: {
        const int x = TakeCoordinate(r);
        tintra::OnPointerMove(ui, x, TakeCoordinate(r));
        break;
      }
      case kRelease: {
        const int x = TakeCoordinate(r);
        const int y = TakeCoordinate(r);
        const ColorValue stored = ui.picker.stored;
        tintra::OnButtonUp(ui, x, y);
        ended_cleanly = !was_dragging;
        if (!was_dragging && !ui.quit && x >= 312 && x < 360) {
          if (y >= 12 && y < 44) {
            FUZZ_CHECK(ui.picker.stored == before, "upper swatch stored %08X, current %08X",
                       ui.picker.stored, before);
          } else if (y >= 44 && y < 76) {
            FUZZ_CHECK(ui.picker.current == stored, "lower swatch gave %08X, stored %08X",
                       ui.picker.current, stored);
          }
        }
        break;
      }
      case kTypeText: {
        const auto channel = static_cast<Channel>(tintra::fuzz::TakeByte(r) % 4);
        const std::string_view text = tintra::fuzz::TakeShortText(r);
        tintra::OnChannelTextChanged(ui, channel, text);
        if (!ui.quit && (channel != Channel::kAlpha || alpha_flag == 1)) {
          const std::int64_t expected = std::clamp<std::int64_t>(tintra::ReadInteger(text), 0, 255);
          const int shift = 8 * static_cast<int>(channel);
          FUZZ_CHECK(((ui.picker.current >> shift) & 0xFFu) == expected &&
                         (ui.picker.current & ~(0xFFu << shift)) == (before & ~(0xFFu << shift)),
                     "typed channel %d: %08X from %08X, expected %lld", static_cast<int>(channel),
                     ui.picker.current, before, static_cast<long long>(expected));
        }
        break;
      }
      case kChannelFocusLost:
        tintra::OnChannelFocusLost(ui, static_cast<Channel>(tintra::fuzz::TakeByte(r) % 4));
        break;
      case kFocusGained:
        tintra::OnFocusGained(ui, TakeWidget(r));
        break;
      case kPresetEvent: {
        const auto kind = static_cast<tintra::PresetEventKind>(tintra::fuzz::TakeByte(r) % 3);
        const int index = TakePresetIndex(r);
        tintra::OnPresetEvent(ui, kind, index);
        if (!ui.quit && kind == tintra::PresetEventKind::kSelectionChanged && index >= 0 &&
            index < tintra::kPresetCount) {
          const ColorValue preset = tintra::PresetAt(index).color & 0x00FFFFFFu;
          FUZZ_CHECK(ui.picker.current == (preset | (before & 0xFF000000u)),
                     "preset %d gave %08X from %08X", index, ui.picker.current, before);
        }
        break;
      }
      case kButton:
        tintra::OnButton(ui, TakeWidget(r));
        break;
      case kEyedropperResult: {
        const bool picked = (tintra::fuzz::TakeByte(r) & 1) != 0;
        tintra::OnEyedropperResult(ui, picked, tintra::fuzz::TakeU32(r));
        break;
      }
      case kClose:
        tintra::OnCloseRequest(ui);
        ended_cleanly = true;
        break;
      case kRepaint:
        tintra::OnRepaintRequest(ui);
        break;
      case kRefresh:
        Refresh(session, model);
        break;
      case kEndDragForClose:
        tintra::EndDragForClose(ui);
        break;
      case kCaptureLost:
        // The system took the capture; the shell reports it only while it held one.
        model.captured = 0;
        tintra::OnPointerCaptureLost(ui);
        break;
    }
    TakeRequests(ui, model);
    CheckState(session, model, initial);
    if (ui.quit && !quit_seen) {
      quit_seen = true;
      quit_result = ui.result;
      FUZZ_CHECK(ui.result == initial || ui.result == before,
                 "dialog ended with %08X: neither initial %08X nor current %08X", ui.result,
                 initial, before);
    }
    if (quit_seen) {
      FUZZ_CHECK(ui.result == quit_result, "result changed after the quit");
      FUZZ_CHECK(opcode == kRefresh || ui.picker.current == before,
                 "colour changed after the quit");
    }
  }
  if (ended_cleanly) {
    FUZZ_CHECK(model.hidden == 0 && model.confined == 0 && model.captured == 0,
               "sequence ended with the pointer hidden %d, confined %d, captured %d", model.hidden,
               model.confined, model.captured);
  }
  Refresh(session, model);
  CheckState(session, model, initial);
  return 0;
}
