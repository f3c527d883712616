// The widgets of the picker dialog on Qt: the canvas, then the session's
// widget plan (preset combo, channel fields, image buttons, template
// fields) on the dialog window; and the images they show.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "picker/picker_session.h"

namespace tintra {

// Children of the dialog window, which owns them.
struct DialogWidgets {
  QWidget* canvas = nullptr;
  QComboBox* preset_combo = nullptr;
  std::array<QLineEdit*, 4> channel_fields{};  // by Channel; alpha only with the alpha flag
  QPushButton* ok_button = nullptr;
  QPushButton* cancel_button = nullptr;
  QPushButton* eyedropper_button = nullptr;
  std::vector<QWidget*> template_fields;  // per descriptor field, descriptor order
};

// What a widget raised, for the session (OnWidgetEvent's arguments).
using WidgetEventSink =
    std::function<void(WidgetId widget, WidgetEventKind kind, std::string_view text, int index)>;

// Creates every widget on `window` at its place in the session's layout, in
// the plan's order, which is the Tab order; output fields and channel
// fields start empty, captions show their text. Edits, selections and
// clicks of the user go to `sink`; focus changes are the caller's.
void CreateDialogWidgets(QWidget* window, const PickerSession& session, DialogWidgets& widgets,
                         const WidgetEventSink& sink);

// The images of the widgets, drawn for the layout's DPI: the button faces
// and the preset swatches. Qt places the widgets in device-independent
// pixels, which a new DPI leaves as they are.
void ShowWidgetImages(const PickerSession& session, const DialogWidgets& widgets);

}  // namespace tintra
