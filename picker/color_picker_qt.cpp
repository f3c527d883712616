// EditColorInPicker on Qt: a dialog window over the portable picker session.
// Qt delivers the events; one event filter translates them into the
// session's handlers and carries out the requests those record; all state
// and drawing live in the session (picker/picker_session.h).
//
// Events first, then one refresh: every handled event asks for a refresh
// with an event posted at low priority, which Qt delivers after the events
// already waiting, so that a burst of pointer moves is drawn once.
//
// Ownership: everything the dialog makes lives in one Dialog record on the
// stack of EditColorInPicker; the window owns its widgets and goes first.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "picker/color_picker.h"
#include "picker/device_pixels.h"
#include "picker/embedded_images.h"
#include "picker/eyedropper_qt.h"
#include "picker/interaction.h"
#include "picker/picker_session.h"
#include "picker/presets.h"
#include "picker/render.h"
#include "picker/session_observer.h"
#include "picker/widgets_qt.h"

namespace tintra {

namespace {

// Asks the filter for the refresh once the waiting events are handled.
const QEvent::Type kRefreshEvent = static_cast<QEvent::Type>(QEvent::User + 0x7417);

struct Dialog;

// The one QObject of the dialog: Qt hands events to objects only.
class DialogFilter : public QObject {
 public:
  explicit DialogFilter(Dialog& dialog) : dialog_(dialog) {}
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  Dialog& dialog_;
};

struct Dialog {
  PickerSession session;
  std::unique_ptr<QWindow> terminal;  // the window is transient for it; outlives the window
  std::unique_ptr<QWidget> window;    // owns every widget below
  QWidget* canvas = nullptr;
  QComboBox* preset_combo = nullptr;
  std::array<QLineEdit*, 4> channel_fields{};  // by Channel; alpha only with the alpha flag
  QPushButton* ok_button = nullptr;
  QPushButton* cancel_button = nullptr;
  QPushButton* eyedropper_button = nullptr;
  std::vector<QWidget*> template_fields;  // per descriptor field, descriptor order
  std::unique_ptr<DialogFilter> filter;
  QEventLoop* loop = nullptr;
  bool refresh_posted = false;
  int pointer_hidden = 0;             // override cursors of ours in force
  bool confined = false;              // a confinement was asked for and not given back
  bool captured = false;              // a capture was asked for: Qt's implicit grab holds it
  bool left_down = false;             // the last left-button event of the window was a press
  std::vector<ColorValue> composite;  // the canvas over the window colour
  QImage shown;                       // wraps `composite` at the layout's ratio
  // The eyedropper's colour (alpha 0) from one run to the next while this
  // dialog is open; black at first.
  ColorValue eyedropper_color = 0;
};

InteractionState& Ui(Dialog& d) {
  return d.session.ui;
}

double PixelRatio(const Dialog& d) {
  return d.session.layout.dpi / static_cast<double>(kBaseDpi);
}

QRect Logical(const LaidRect& r) {
  return QRect(r.logical.x, r.logical.y, r.logical.width, r.logical.height);
}

ColorValue ColorOf(const QColor& c) {
  return ComposeColor(c.red(), c.green(), c.blue());
}

void ScheduleRefresh(Dialog& d) {
  if (d.refresh_posted) return;
  d.refresh_posted = true;
  QCoreApplication::postEvent(d.filter.get(), new QEvent(kRefreshEvent), Qt::LowEventPriority);
}

// --- Requests ---------------------------------------------------------------

void HidePointer(Dialog& d) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  ++d.pointer_hidden;
}

void ShowPointer(Dialog& d) {
  if (d.pointer_hidden == 0) return;
  QGuiApplication::restoreOverrideCursor();
  --d.pointer_hidden;
}

void CarryOutRequests(Dialog& d);

void CarryOut(Dialog& d, const PlatformRequest& r) {
  switch (r.kind) {
    case RequestKind::kHidePointer:
      HidePointer(d);
      return;
    case RequestKind::kShowPointer:
      ShowPointer(d);
      return;
    case RequestKind::kSaveAndConfinePointer:
      // Qt cannot confine the pointer: the drag holds its values to the area.
      d.confined = true;
      return;
    case RequestKind::kRestoreConfinement:
      d.confined = false;
      return;
    case RequestKind::kCapturePointer:
      // The press gave the pressed widget Qt's implicit grab: every move of
      // the drag and its release come to the dialog's window, also outside.
      d.captured = true;
      return;
    case RequestKind::kReleasePointerCapture:
      d.captured = false;  // the grab ends with the release
      return;
    case RequestKind::kFocusOkButton:
      if (d.ok_button != nullptr) d.ok_button->setFocus(Qt::OtherFocusReason);
      return;
    case RequestKind::kSetChannelText: {
      const auto c = static_cast<std::size_t>(r.channel);
      // setText raises no textEdited: the dialog's own texts are no input.
      if (c < d.channel_fields.size() && d.channel_fields[c] != nullptr) {
        d.channel_fields[c]->setText(QtText(r.text));
      }
      return;
    }
    case RequestKind::kSelectPreset:
      if (d.preset_combo != nullptr) d.preset_combo->setCurrentIndex(r.preset_index);
      return;
    case RequestKind::kRunEyedropper: {
      const bool got = RunEyedropper(d.window.get(), d.eyedropper_color);
      OnEyedropperResult(Ui(d), got, d.eyedropper_color);
      return;
    }
  }
}

// Whether a refresh has work: a stage's flag, the paint, or the end.
bool NeedsRefresh(Dialog& d) {
  const RefreshFlags& f = Ui(d).picker.flags;
  return f.rederive || f.hue_bar || f.canvas || f.paint || Ui(d).quit;
}

// Oldest first; a request whose effect raises an event (the focus moved off
// a field) records more, carried out by the nested call at once, so the
// list is taken out before it is walked.
void RunRequests(Dialog& d) {
  while (!Ui(d).requests.empty()) {
    std::vector<PlatformRequest> batch;
    batch.swap(Ui(d).requests);
    for (const PlatformRequest& r : batch) CarryOut(d, r);
  }
}

// After a handler: its requests, and the refresh once the waiting events
// are handled, when there is something to refresh.
void CarryOutRequests(Dialog& d) {
  RunRequests(d);
  if (NeedsRefresh(d)) ScheduleRefresh(d);
}

// --- Refresh and paint ------------------------------------------------------

ShellState ShellStateOf(const Dialog& d) {
  return ShellState{d.window.get(), d.pointer_hidden, d.confined};
}

void Refresh(Dialog& d) {
  d.refresh_posted = false;
  RefreshSession(d.session);
  RunRequests(d);
  if (d.session.field_texts_changed) {
    d.session.field_texts_changed = false;
    const std::vector<TemplateField>& fields = d.session.descriptor.fields;
    for (std::size_t i = 0; i < fields.size() && i < d.template_fields.size(); ++i) {
      if (fields[i].placeholder_count == 0) continue;
      if (auto* field = qobject_cast<QLineEdit*>(d.template_fields[i])) {
        field->setText(QtText(d.session.field_texts[i]));
      }
    }
  }
  if (Ui(d).picker.flags.paint) {
    Ui(d).picker.flags.paint = false;
    const Image& canvas = d.session.images.canvas;
    CompositeOver(canvas, d.session.background, d.composite);
    if (d.composite.empty()) {
      d.shown = QImage();
    } else {
      // Wraps the pixels: red in the low byte is RGBA8888's byte order.
      d.shown = QImage(reinterpret_cast<const uchar*>(d.composite.data()), canvas.width,
                       canvas.height, canvas.width * 4, QImage::Format_RGBA8888);
      d.shown.setDevicePixelRatio(PixelRatio(d));
    }
    if (d.canvas != nullptr) d.canvas->update();
  }
  if (Ui(d).quit) {
    if (d.loop != nullptr) d.loop->exit();
  } else if (NeedsRefresh(d)) {
    ScheduleRefresh(d);  // the requests above changed the colour again
  } else if (d.window->isVisible()) {
    ReportIdle(d.session, ShellStateOf(d));
  }
}

void PaintCanvas(Dialog& d) {
  if (d.shown.isNull()) return;
  QPainter painter(d.canvas);
  painter.drawImage(QPoint(0, 0), d.shown);
  ReportPaint(d.session, d.window.get());
}

// --- Events -----------------------------------------------------------------

bool IsDialogWidget(const Dialog& d, QObject* o) {
  auto* w = qobject_cast<QWidget*>(o);
  return w != nullptr && w->window() == d.window.get();
}

// The pointer in logical client pixels: the logical position under its
// physical pixel, or -1, -1 outside the client area. During a drag the
// position outside is given as it is: the handlers hold it to the area.
QPoint PointerInClient(const Dialog& d, const QPointF& in_window) {
  const double ratio = PixelRatio(d);
  const int dpi = d.session.layout.dpi;
  const int px = PhysicalPixelOf(in_window.x(), ratio);
  const int py = PhysicalPixelOf(in_window.y(), ratio);
  const PixelRect& client = d.session.layout.client.physical;
  const bool inside = px >= 0 && py >= 0 && px < client.width && py < client.height;
  // During a drag the real position, however far outside.
  if (!inside && d.session.ui.picker.drag == Drag::kNone) return QPoint(-1, -1);
  return QPoint(ToLogical(px, dpi), ToLogical(py, dpi));
}

// One pointer event of the dialog's window (positions in the window, which
// is the client area).
void OnMouse(Dialog& d, QEvent::Type type, QMouseEvent* e) {
  const QPoint p = PointerInClient(d, e->position());
  switch (type) {
    case QEvent::MouseButtonDblClick:
      // Qt may follow the second press by a double click, or give the double
      // click alone: it counts as a press only when no press came before it.
      if (d.left_down) return;
      [[fallthrough]];
    case QEvent::MouseButtonPress:
      if (e->button() != Qt::LeftButton) return;
      d.left_down = true;
      ReportPointerEvent(d.session, PointerEventKind::kButtonDown, p.x(), p.y());
      OnButtonDown(Ui(d), p.x(), p.y());
      break;
    case QEvent::MouseButtonRelease:
      if (e->button() != Qt::LeftButton) return;
      d.left_down = false;
      ReportPointerEvent(d.session, PointerEventKind::kButtonUp, p.x(), p.y());
      OnButtonUp(Ui(d), p.x(), p.y());
      break;
    case QEvent::MouseMove:
      ReportPointerEvent(d.session, PointerEventKind::kMove, p.x(), p.y());
      OnPointerMove(Ui(d), p.x(), p.y());
      break;
    default:
      return;
  }
  CarryOutRequests(d);
}

int ChannelOf(const Dialog& d, QObject* o) {
  for (std::size_t c = 0; c < d.channel_fields.size(); ++c) {
    if (d.channel_fields[c] != nullptr && d.channel_fields[c] == o) return static_cast<int>(c);
  }
  return -1;
}

// The channel fields take digits only from the keyboard, as the Windows
// number fields do; pasted text goes in whole and is read as typed.
bool RefusesKey(QKeyEvent* e) {
  const QString text = e->text();
  if (text.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
  for (const QChar c : text) {
    if (!c.isPrint()) return false;
    if (c < u'0' || c > u'9') return true;
  }
  return false;
}

// Enter and Escape on any widget, for the session's key rule; true when the
// rule took the key (it goes no further, so no widget acts on it too). The
// preset list, while dropped, is a window of its own and keeps its keys.
bool HandleDialogKey(Dialog& d, QKeyEvent* e) {
  const int key = e->key();
  if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
  if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  const bool list_open = d.preset_combo != nullptr && d.preset_combo->view()->isVisible();
  const DialogKey which = key == Qt::Key_Escape ? DialogKey::kEscape : DialogKey::kEnter;
  if (!OnDialogKey(Ui(d), which, list_open)) return false;
  CarryOutRequests(d);
  return true;
}

bool DialogFilter::eventFilter(QObject* watched, QEvent* event) {
  Dialog& d = dialog_;
  // Pointer events as the dialog's window gets them from the system, once
  // each, before Qt hands them to a widget (which still gets them).
  if (watched == d.window->windowHandle()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseMove:
        OnMouse(d, event->type(), static_cast<QMouseEvent*>(event));
        break;
      default:
        break;
    }
    return false;
  }
  if (!IsDialogWidget(d, watched)) return false;
  InteractionState& ui = Ui(d);
  switch (event->type()) {
    case QEvent::Paint:
      if (watched == d.canvas) {
        PaintCanvas(d);
        return true;
      }
      return false;
    case QEvent::Close:
      if (watched == d.window.get()) {
        // The close box, or anyone asking the window to close.
        OnCloseRequest(ui);
        CarryOutRequests(d);
        event->ignore();
        return true;
      }
      return false;
    case QEvent::WindowDeactivate:
      // Another window took the pointer and the keys: Qt's grab is gone and
      // the release will not come here.
      if (watched == d.window.get() && d.captured) {
        d.captured = false;
        d.left_down = false;
        OnPointerCaptureLost(ui);
        CarryOutRequests(d);
      }
      return false;
    case QEvent::FocusIn: {
      const int c = ChannelOf(d, watched);
      if (c >= 0) {
        OnFocusGained(ui, ChannelFieldWidget(static_cast<Channel>(c)));
      } else if (watched == d.preset_combo) {
        OnPresetEvent(ui, PresetEventKind::kFocusGained, d.preset_combo->currentIndex());
      } else {
        return false;
      }
      CarryOutRequests(d);
      return false;
    }
    case QEvent::FocusOut: {
      const int c = ChannelOf(d, watched);
      if (c >= 0) {
        OnChannelFocusLost(ui, static_cast<Channel>(c));
      } else if (watched == d.preset_combo && !d.preset_combo->view()->isVisible()) {
        // Its own list taking the focus is no loss.
        OnPresetEvent(ui, PresetEventKind::kFocusLost, d.preset_combo->currentIndex());
      } else {
        return false;
      }
      CarryOutRequests(d);
      return false;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (HandleDialogKey(d, key)) return true;
      return ChannelOf(d, watched) >= 0 && RefusesKey(key);
    }
    default:
      return false;
  }
}

bool DialogFilter::event(QEvent* event) {
  if (event->type() != kRefreshEvent) return QObject::event(event);
  Refresh(dialog_);
  return true;
}

// --- Widgets ----------------------------------------------------------------

QIcon FaceIcon(EmbeddedImage which, int size, double ratio) {
  return QIcon(QPixmap::fromImage(QtImage(LoadEmbeddedImage(which, size), ratio)));
}

QPushButton* MakeButton(Dialog& d, const LaidRect& r) {
  auto* button = new QPushButton(d.window.get());
  button->setGeometry(Logical(r));
  button->setAutoDefault(false);  // Enter does nothing in the dialog
  return button;
}

// The images of the widgets, drawn for the layout's DPI: the button faces
// and the preset swatches. Qt places the widgets in device-independent
// pixels, which a new DPI leaves as they are.
void ShowWidgetImages(Dialog& d) {
  const DialogLayout& l = d.session.layout;
  const struct {
    QPushButton* button;
    EmbeddedImage face;
    int size;
  } buttons[] = {{d.ok_button, EmbeddedImage::kConfirm, l.button_face_size},
                 {d.cancel_button, EmbeddedImage::kCancel, l.cancel_face_size},
                 {d.eyedropper_button, EmbeddedImage::kEyedropper, l.button_face_size}};
  for (const auto& b : buttons) {
    if (b.button == nullptr) continue;
    b.button->setIcon(FaceIcon(b.face, b.size, PixelRatio(d)));
    const int logical = ToLogical(b.size, l.dpi);
    b.button->setIconSize(QSize(logical, logical));
  }
  if (d.preset_combo == nullptr) return;
  const int swatch = l.preset_swatch_size;
  const int logical_swatch = ToLogical(swatch, l.dpi);
  d.preset_combo->setIconSize(QSize(logical_swatch, logical_swatch));
  for (int i = 0; i < kPresetCount && i < d.preset_combo->count(); ++i) {
    const QImage face = QtImage(MakePresetSwatch(PresetAt(i).color, swatch), PixelRatio(d));
    d.preset_combo->setItemIcon(i, QIcon(QPixmap::fromImage(face)));
  }
}

// The window went to a screen of another device pixel ratio: the session
// laid out again at its DPI (the colour state kept), the images with it.
void OnScreenChanged(Dialog& d) {
  const int dpi = DpiOfPixelRatio(d.window->devicePixelRatioF());
  if (LayoutDpi(dpi) == d.session.layout.dpi) return;
  RescaleSession(d.session, dpi);
  ShowWidgetImages(d);
  Ui(d).picker.flags.paint = true;
  ScheduleRefresh(d);
}

QComboBox* MakePresetCombo(Dialog& d) {
  const DialogLayout& l = d.session.layout;
  auto* combo = new QComboBox(d.window.get());
  combo->setGeometry(Logical(l.preset_combo));
  for (int i = 0; i < kPresetCount; ++i) {
    combo->addItem(PresetAt(i).main_mark ? QStringLiteral("-") : QStringLiteral(" "));
  }
  combo->setCurrentIndex(-1);
  combo->view()->setMinimumWidth(l.preset_list_width);
  combo->setMaxVisibleItems(12);
  return combo;
}

QLineEdit* MakeField(Dialog& d, const LaidRect& r) {
  auto* field = new QLineEdit(d.window.get());
  field->setGeometry(Logical(r));
  field->setTextMargins(0, 0, 0, 0);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, Qt::white);
  field->setPalette(palette);
  return field;
}

// Every widget in the order of creation, which is the Tab order; captions
// take no focus.
void CreateWidgets(Dialog& d) {
  const DialogLayout& l = d.session.layout;
  QWidget* w = d.window.get();

  d.canvas = new QWidget(w);
  d.canvas->setGeometry(Logical(l.canvas));
  d.canvas->setAttribute(Qt::WA_OpaquePaintEvent);
  d.canvas->setMouseTracking(true);  // the swatches' hover
  d.canvas->setFocusPolicy(Qt::NoFocus);

  d.preset_combo = MakePresetCombo(d);
  QObject::connect(d.preset_combo, &QComboBox::activated, [&d](int index) {
    OnPresetEvent(Ui(d), PresetEventKind::kSelectionChanged, index);
    CarryOutRequests(d);
  });

  const int channel_count = d.session.ui.picker.alpha_flag != 0 ? 4 : 3;
  const QFont digits = FontFitting({QStringLiteral("000")}, l.channel_fields[0].logical.width - 6);
  for (int c = 0; c < channel_count; ++c) {
    QLineEdit* field = MakeField(d, l.channel_fields[static_cast<std::size_t>(c)]);
    field->setFont(digits);
    const auto channel = static_cast<Channel>(c);
    // textEdited: typed or pasted only, never the dialog's own setText.
    QObject::connect(field, &QLineEdit::textEdited, [&d, channel](const QString& text) {
      OnChannelTextChanged(Ui(d), channel, CoreText(text));
      CarryOutRequests(d);
    });
    d.channel_fields[static_cast<std::size_t>(c)] = field;
  }

  d.ok_button = MakeButton(d, l.ok_button);
  d.cancel_button = MakeButton(d, l.cancel_button);
  d.eyedropper_button = MakeButton(d, l.eyedropper_button);
  ShowWidgetImages(d);
  // The image buttons show no text: the tips say what they do, and name
  // them to assistive tools.
  const ButtonTips& tips = d.session.tips;
  const std::pair<QPushButton*, const char*> named[] = {{d.ok_button, tips.ok},
                                                        {d.cancel_button, tips.cancel},
                                                        {d.eyedropper_button, tips.eyedropper}};
  for (const auto& [button, text] : named) {
    button->setToolTip(QtText(text));
    button->setAccessibleName(QtText(text));
  }
  const std::pair<QPushButton*, WidgetId> buttons[] = {
      {d.ok_button, WidgetId::kOkButton},
      {d.cancel_button, WidgetId::kCancelButton},
      {d.eyedropper_button, WidgetId::kEyedropperButton}};
  for (const auto& [button, id] : buttons) {
    QObject::connect(button, &QPushButton::clicked, [&d, id = id] {
      OnButton(Ui(d), id);
      CarryOutRequests(d);
    });
  }

  const std::vector<TemplateField>& fields = d.session.descriptor.fields;
  for (std::size_t i = 0; i < fields.size() && i < l.template_fields.size(); ++i) {
    const TemplateField& field = fields[i];
    const LaidRect& place = l.template_fields[i];
    QWidget* widget = nullptr;
    if (field.placeholder_count > 0) {
      // Read-only: the text can be selected and copied, never edited. The
      // font fits the widest text the template can show.
      QLineEdit* output = MakeField(d, place);
      output->setReadOnly(true);
      output->setAlignment(Qt::AlignCenter);
      output->setFont(FontFitting({QtText(OutputFieldText(d.session, field, 0xFFFFFFFF)),
                                   QtText(OutputFieldText(d.session, field, 0xFFC8C8C8))},
                                  place.logical.width - 6));
      widget = output;
    } else {
      auto* caption = new QLabel(QtText(field.text), w);
      caption->setGeometry(Logical(place));
      caption->setAlignment(Qt::AlignCenter);
      caption->setTextFormat(Qt::PlainText);
      caption->setFont(FontFitting({caption->text()}, place.logical.width));
      widget = caption;
    }
    d.template_fields.push_back(widget);
  }
}

// The window: a dialog window with its title and a close box, always on top,
// modal, of the layout's fixed size.
void CreateWindow(Dialog& d) {
  d.window = std::make_unique<QWidget>(nullptr, kDialogWindowFlags | Qt::WindowStaysOnTopHint);
  QWidget* w = d.window.get();
  w->setWindowTitle(QtText(d.session.descriptor.title));
  w->setWindowModality(Qt::ApplicationModal);
  w->setFont(FontFitting({}, 0));
  w->setFixedSize(d.session.layout.client.logical.width, d.session.client_height);
  QPalette palette = w->palette();
  palette.setColor(QPalette::Window,
                   QColor(RedOf(d.session.background), GreenOf(d.session.background),
                          BlueOf(d.session.background)));
  w->setPalette(palette);
  w->setAutoFillBackground(true);
}

// The DPI of the screen the window shows on (the layout's, 96 x its ratio).
int ScreenDpi(const QWidget* window) {
  const QScreen* screen = window != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  return DpiOfPixelRatio(screen != nullptr ? screen->devicePixelRatio() : 1.0);
}

// The widget the session gives the first focus to.
QWidget* FirstFocusWidget(const Dialog& d) {
  if (FirstFocus(d.session.ui) == WidgetId::kOkButton) return d.ok_button;
  return d.preset_combo;
}

}  // namespace

ColorValue OpenColorPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                           OwnerWindow owner) {
  return EditColorInPicker(initial, descriptor, alpha_flag, owner, PickerOptions{}).color;
}

PickerAnswer EditColorInPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                               OwnerWindow /*owner*/, const PickerOptions& options) {
  if (QApplication::instance() == nullptr) return PickerAnswer{initial, false};
  Dialog d;
  const ColorValue window_color = ColorOf(QApplication::palette().color(QPalette::Window));
  OpenSession(d.session, initial, descriptor, alpha_flag, window_color, ScreenDpi(nullptr),
              InstalledSessionObserver(), options);
  d.filter = std::make_unique<DialogFilter>(d);
  CreateWindow(d);
  // On a screen of another ratio than the primary one: laid out for that one.
  if (ScreenDpi(d.window.get()) != d.session.layout.dpi) {
    RescaleSession(d.session, ScreenDpi(d.window.get()));
    d.window->setFixedSize(d.session.layout.client.logical.width, d.session.client_height);
  }
  CreateWidgets(d);
  d.terminal = MakeTransientForTerminal(d.window.get());
  ReportWindowCreated(d.session, d.window.get());
  qApp->installEventFilter(d.filter.get());
  // The first refresh before the window shows: its first paint has the
  // colour, the texts and the preset as they are.
  Refresh(d);
  CenterOnPrimaryScreen(d.window.get());
  ShowInFront(d.window.get());
  if (QWindow* handle = d.window->windowHandle()) {
    QObject::connect(handle, &QWindow::screenChanged, d.filter.get(),
                     [&d](QScreen*) { OnScreenChanged(d); });
  }
  if (QWidget* first = FirstFocusWidget(d)) first->setFocus(Qt::TabFocusReason);
  // With dialog keys the first focus is drawn as the keyboard's from the
  // start (the style draws focus frames only after keyboard use).
  if (Ui(d).dialog_keys) d.window->setAttribute(Qt::WA_KeyboardFocusChange);
  CarryOutRequests(d);
  ScheduleRefresh(d);  // and then the loop is idle, with the window up

  QEventLoop loop;
  d.loop = &loop;
  if (!Ui(d).quit) loop.exec();
  d.loop = nullptr;

  // A drag still in progress ends here: the pointer shown again.
  EndDragForClose(Ui(d));
  CarryOutRequests(d);
  ReportEnd(d.session, ShellStateOf(d));
  while (d.pointer_hidden > 0) ShowPointer(d);
  qApp->removeEventFilter(d.filter.get());
  d.window.reset();
  return SessionAnswer(d.session);
}

}  // namespace tintra
