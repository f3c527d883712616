// One open picker dialog without its window: the interaction state, the
// images, the descriptor's fields and the texts they show. The platform
// shell owns one of these per OpenColorPicker call (on its stack), feeds it
// events through the handlers of picker/interaction.h, calls RefreshSession
// when no event is pending, and carries out the recorded requests. What
// happens to it can be watched (picker/session_observer.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "picker/button_tips.h"
#include "picker/color_picker.h"
#include "picker/descriptor.h"
#include "picker/embedded_images.h"
#include "picker/interaction.h"
#include "picker/render.h"

namespace tintra {

struct SessionObserver;

struct PickerSession {
  InteractionState ui;
  DialogImages images;
  DescriptorLayout descriptor;  // title and fields of the descriptor
  PickerOptions options;        // as the caller gave them; the defaults are the classic dialog
  ButtonTips tips = kEnglishButtonTips;  // of the image buttons, in the options' language
  DialogLayout layout;                   // where everything goes at the dialog's DPI
  // The window's client height, the layout's cut at kMaxClientHeight
  // physical pixels: logical and physical.
  int client_height = 0;
  int client_physical_height = 0;
  ColorValue background = 0;  // the window colour, drawn opaque on the canvas
  // Per entry of descriptor.fields: the text its widget shows (a caption's own
  // text, or an output field's template expanded with the current colour, or
  // what the options' field_text gives for it).
  std::vector<std::string> field_texts;
  const SessionObserver* observer = nullptr;  // not owned; nullptr: nobody watches
};

// Window coordinates are 16-bit on some systems: a descriptor with thousands
// of rows gets a client area cut at this height (physical pixels).
constexpr int kMaxClientHeight = 32000;

// The opening steps that need no window, in order: the alpha flag taken as
// 0 or 1, the descriptor's fields, the layout at `dpi`, the images and the
// hue table, the client height, the colour state (current = stored =
// initial; re-derive, hue-bar and canvas flags set). `background` is the
// window colour (alpha ignored). The session reports to `observer` from
// then on, the opening first. `options` are copied (the field_text context
// must outlive the session).
void OpenSession(PickerSession& session, ColorValue initial, std::string_view descriptor,
                 int alpha_flag, ColorValue background, int dpi = kBaseDpi,
                 const SessionObserver* observer = nullptr,
                 const PickerOptions& options = PickerOptions{});

// The text output field `field` shows for `color`: the options' field_text,
// or the template expanded. For the shells' font sizing too.
std::string OutputFieldText(const PickerSession& session, const TemplateField& field,
                            ColorValue color);

// What the dialog call hands back once the session's dialog has ended.
PickerAnswer SessionAnswer(const PickerSession& session);

// Lays the open session out again at another DPI (the window moved to
// another monitor): layout and images anew, the colour state and the texts
// kept; the canvas is redrawn at the next refresh.
void RescaleSession(PickerSession& session, int dpi);

// The window now shows at `dpi`. When that is another layout DPI: the
// session laid out again (RescaleSession), then the requests: kRelayout, the
// confinement in force again at its new pixels, and the paint. Returns
// whether the layout changed.
bool OnDpiChange(PickerSession& session, int dpi);

// The refresh that follows a burst of events: re-derive, hue-bar and canvas
// stages as their flags ask; after a canvas stage, the widget update (channel
// texts, preset selection, kSetFieldText for the output fields); then kPaint
// when the window needs the canvas. Returns true when the canvas was redrawn
// (and reports it).
bool RefreshSession(PickerSession& session);

// A confinement request's logical rectangle as the client pixels to hold the
// pointer to: all of them map back into it.
PixelRect ConfinementPixels(const PickerSession& session, const ClientRect& rect);

// Whether an event asked for work a refresh does (a stage or the paint).
bool RefreshPending(const PickerSession& session);

// A pointer event as the system gives it, in physical pixels of the client
// area. The double click counts as a press unless the button is already
// down (toolkits that send a press and a double click for the second
// click); other buttons than the left one do nothing but moves.
enum class RawPointerKind { kPress, kDoubleClick, kMove, kRelease };
struct RawPointerEvent {
  RawPointerKind kind = RawPointerKind::kMove;
  bool left_button = true;  // press, double click, release: of the left button
  bool known = true;        // false: the system could not tell where the pointer is
  int x = 0;
  int y = 0;
};

// The pointer rule, once: the physical position mapped to the logical pixel
// over it, -1, -1 outside the client area unless a drag is in progress (the
// drag holds any position to its area), reported to the observer, then the
// press, move or release handler.
void OnRawPointer(PickerSession& session, const RawPointerEvent& event);

// The dialog's widgets as every shell makes them, in creation order, which
// is also the Tab order: the preset combo, a field per channel (alpha only
// with the alpha flag), the OK, Cancel and eyedropper buttons with their
// faces and tips, then per template field an output field (read-only, it
// has placeholders) or a caption (its text).
enum class WidgetKind { kPresetCombo, kChannelField, kImageButton, kOutputField, kCaption };
struct PlannedWidget {
  WidgetKind kind = WidgetKind::kCaption;
  WidgetId id = WidgetId::kNone;
  LaidRect place{};
  EmbeddedImage face = EmbeddedImage::kConfirm;  // image buttons
  int face_size = 0;                             // image buttons: physical pixels
  const char* tip = "";                          // image buttons: tip and accessible name
  int field = -1;  // output fields and captions: index in the descriptor's fields
};
std::vector<PlannedWidget> PlanDialogWidgets(const PickerSession& session);

// Tab and Shift+Tab: the index in `plan` of the next (previous) widget that
// takes the focus after the one at `current` (-1: none has it), wrapping
// around; captions take none.
int NextFocusIndex(const std::vector<PlannedWidget>& plan, int current, bool backwards);

// Carries out the recorded requests, oldest first, by `carry_out`. A request
// whose effect raises an event records more (the focus moved off a field),
// carried out by a nested call at once, so the list is taken out first.
template <typename CarryOut>
void DrainRequests(InteractionState& state, CarryOut&& carry_out) {
  while (!state.requests.empty()) {
    std::vector<PlatformRequest> batch;
    batch.swap(state.requests);
    for (const PlatformRequest& r : batch) carry_out(r);
  }
}

}  // namespace tintra
