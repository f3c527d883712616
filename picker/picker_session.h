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
  int client_height = 0;                 // logical pixels (layout.client has both)
  ColorValue background = 0;             // the window colour, drawn opaque on the canvas
  // Per entry of descriptor.fields: the text its widget shows (a caption's own
  // text, or an output field's template expanded with the current colour, or
  // what the options' field_text gives for it).
  std::vector<std::string> field_texts;
  bool field_texts_changed = false;           // set by every canvas stage; the shell clears it
  const SessionObserver* observer = nullptr;  // not owned; nullptr: nobody watches
};

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

// The refresh that follows a burst of events: re-derive, hue-bar and canvas
// stages as their flags ask; after a canvas stage, the widget update (channel
// texts, preset selection, template texts). Returns true when the canvas was
// redrawn (and reports it). The paint flag is left for the shell.
bool RefreshSession(PickerSession& session);

}  // namespace tintra
