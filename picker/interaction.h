// Interaction of the open picker dialog: press areas, drags, swatches, the
// channel fields, the preset combo and the buttons, as plain handlers over one
// state record. Portable: no platform types.
//
// The handlers never call the platform. What the platform must do (hide the
// pointer, confine it, move the focus, set a widget's text...) is appended to
// `InteractionState::requests`, in the order it must be carried out; the shell
// carries the list out after each handler and then clears it. The mirror
// fields (channel_text, focus, combo_index) are what the platform shows and
// are updated at the time a request is recorded, or by the handler of the
// event that the platform raised.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "picker/color_model.h"
#include "picker/picker_state.h"

namespace tintra {

// Widget identifiers, in the order of creation, which is also the Tab order.
// They start above 2 so that no widget takes the identifiers the system uses
// for Enter and Escape in dialog-style key handling (1 and 2): in the classic
// dialog neither key does anything; with dialog keys the dialog handles them
// itself (OnDialogKey).
enum class WidgetId : int {
  kNone = 0,
  kPresetCombo = 100,
  kRedField,
  kGreenField,
  kBlueField,
  kAlphaField,  // only with the alpha flag
  kOkButton,
  kCancelButton,
  kEyedropperButton,
  kFirstTemplateField,  // template field i is kFirstTemplateField + i
};

// Highest identifier a widget gets: the system's command identifiers are
// 16-bit. Template fields raise no event the dialog acts on, so fields beyond
// it may share the last identifier.
constexpr int kLastWidgetId = 0xFFFF;

// Identifier of template field `index` (0-based, descriptor order).
WidgetId TemplateFieldWidget(int index);

WidgetId ChannelFieldWidget(Channel channel);

// A rectangle in client pixels; right and bottom are excluded.
struct ClientRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

enum class RequestKind {
  kHidePointer,
  kShowPointer,
  kSaveAndConfinePointer,  // save the present confinement, then confine to `rect`
  kRestoreConfinement,     // give back the confinement saved by the last kSaveAndConfinePointer
  kCapturePointer,         // the dialog gets every pointer event, also outside its window
  kReleasePointerCapture,  // give up the capture taken by kCapturePointer
  kFocusOkButton,
  kSetChannelText,  // set `channel`'s field to `text`, raising no change event
  kSelectPreset,    // select combo item `preset_index`; -1 clears the selection
  kRunEyedropper,   // run the eyedropper from `color`, then call OnEyedropperResult
  kSetFieldText,    // set template field `field`'s widget to `text`
  kPaint,           // put the session's canvas on the window
  kRelayout,        // laid out at a new DPI: widget images anew, widgets to their places
  kEndDialog,       // the dialog ended: leave its event loop once refreshed
};

struct PlatformRequest {
  RequestKind kind = RequestKind::kHidePointer;
  ClientRect rect{};                // kSaveAndConfinePointer; the shell converts it to the screen
  Channel channel = Channel::kRed;  // kSetChannelText
  std::string text{};               // kSetChannelText (decimal 0..255), kSetFieldText
  int preset_index = -1;            // kSelectPreset: 0..92, or -1
  int field = -1;                   // kSetFieldText: index in the descriptor's fields
  ColorValue color = 0;             // kRunEyedropper: where its magnifier starts
};

enum class PresetEventKind { kSelectionChanged, kFocusGained, kFocusLost };

struct InteractionState {
  PickerState picker;
  bool dialog_keys = false;                 // Enter confirms, Escape cancels (OnDialogKey)
  bool quit = false;                        // set by OK, Cancel and the close request
  bool confirmed = false;                   // the dialog ended by OK (or Enter with dialog keys)
  ColorValue result = 0;                    // what the dialog returns
  bool confinement_saved = false;           // a confinement was saved and not yet given back
  bool pointer_captured = false;            // the capture was asked for and is still held
  std::array<std::string, 4> channel_text;  // field texts by Channel; empty until the first update
  WidgetId focus = WidgetId::kNone;         // widget holding the keyboard focus
  int combo_index = -1;                     // preset combo selection, 0..92 or -1
  ClientRect confined_area;                 // the press area of the confinement in force
  // The eyedropper's colour (alpha 0) from one run to the next while the
  // dialog is open; black at first.
  ColorValue eyedropper_color = 0;
  bool left_down = false;                 // the last left-button event was a press
  std::vector<PlatformRequest> requests;  // for the shell, oldest first
};

// Appends a request of `kind` for the shell; the caller fills in the rest.
PlatformRequest& RecordRequest(InteractionState& state, RequestKind kind);

// State of a dialog opened with `initial` (all 32 bits): current, stored and
// result are the initial colour; re-derive, hue-bar and canvas flags set.
// Any non-zero alpha_flag counts as 1.
InteractionState StartInteraction(ColorValue initial, int alpha_flag, bool dialog_keys = false);

// The widget that gets the keyboard focus when the dialog shows: the preset
// combo in the classic dialog; with dialog keys the OK button, so that the
// first focus shows what Enter does.
WidgetId FirstFocus(const InteractionState& state);

enum class DialogKey { kEnter, kEscape };

// Enter or Escape pressed on any widget of the dialog. With dialog keys,
// Enter ends the dialog as OK does and Escape as Cancel does, wherever the
// focus is, unless `list_open` (the preset combo's list is dropped: the key
// closes the list first, as the list's own key). Returns whether the key was
// taken; the classic dialog takes neither key, so the widget keeps it.
bool OnDialogKey(InteractionState& state, DialogKey key, bool list_open);

// Pointer handlers. x, y: pointer in client pixels. Outside the client area
// -1, -1, except during a drag: then the pointer's real client position,
// whatever its distance, which the drag holds to its area's nearest edge.
void OnButtonDown(InteractionState& state, int x, int y);
void OnPointerMove(InteractionState& state, int x, int y);
void OnButtonUp(InteractionState& state, int x, int y);

// The system took the pointer capture from the dialog (another window
// captured it, or the system cancelled it): a drag in progress ends as a
// release ends it, without releasing a capture no longer held. Nothing when
// the dialog holds no capture, so the loss its own release causes does
// nothing.
void OnPointerCaptureLost(InteractionState& state);

void OnCloseRequest(InteractionState& state);
void OnRepaintRequest(InteractionState& state);

// The user typed or pasted into a channel field; `text` is its whole text.
void OnChannelTextChanged(InteractionState& state, Channel channel, std::string_view text);
void OnChannelFocusLost(InteractionState& state, Channel channel);

// Any widget gained the keyboard focus (mirror only; no other effect).
void OnFocusGained(InteractionState& state, WidgetId widget);

// A widget's own event, as the system raises it: a channel field's text
// edited by the user (`text` its whole text), a focus change, the preset
// combo's selection made by the user (`index`, also the combo's selection
// with its focus events), a button clicked. What a widget does not act on
// does nothing.
enum class WidgetEventKind { kTextEdited, kFocusIn, kFocusOut, kSelected, kClicked };
void OnWidgetEvent(InteractionState& state, WidgetId widget, WidgetEventKind kind,
                   std::string_view text = {}, int index = -1);

// A key pressed on any widget of the dialog, before the widget gets it.
// `command`: Ctrl or Alt held, which leaves every key to the widget. Tab
// moves the focus in the widget plan's order (the shell whose toolkit does
// not); Enter and Escape go to OnDialogKey. kPass: the widget gets the key.
enum class KeyCode { kTab, kEnter, kEscape, kOther };
enum class KeyAction { kPass, kTaken, kFocusNext, kFocusPrevious };
KeyAction OnKey(InteractionState& state, KeyCode key, bool shift, bool command, bool list_open);

// The channel of a channel field's identifier, or -1.
int ChannelOfWidget(WidgetId widget);

// Whether a channel field takes a key that types `typed` (UTF-8): digits
// only, as number fields do; keys that type nothing, control characters and
// shortcuts (`command`: Ctrl or Alt held) go through. Pasted text is not a
// key: it goes in whole and is read as typed.
bool ChannelFieldTakesKey(std::string_view typed, bool command);

// An event of the preset combo; `selected_index` is the combo's selection
// (0..92, or -1 for none) when the event came.
void OnPresetEvent(InteractionState& state, PresetEventKind kind, int selected_index);

// A click on the OK, Cancel or eyedropper button; other widgets do nothing.
void OnButton(InteractionState& state, WidgetId which);

// What the eyedropper handed back: `picked24` (alpha byte ignored) when
// `picked`, nothing otherwise; `color` is kept for the next run either way.
void OnEyedropperResult(InteractionState& state, bool picked, ColorValue color);

// Ends a drag in progress as the release does (pointer shown, confinement
// given back); nothing when no drag is in progress. For the dialog ending.
void EndDragForClose(InteractionState& state);

// After each canvas drawing: channel fields without the focus whose text
// differs get the current colour's channel; the combo selects the preset of
// the current colour's red, green and blue (or none).
void UpdateWidgets(InteractionState& state);

}  // namespace tintra
