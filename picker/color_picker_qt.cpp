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
#include "picker/dialog_widgets_qt.h"
#include "picker/eyedropper_qt.h"
#include "picker/interaction.h"
#include "picker/picker_session.h"
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
  DialogWidgets widgets;
  std::unique_ptr<DialogFilter> filter;
  QEventLoop* loop = nullptr;
  bool refresh_posted = false;
  bool ended = false;                 // the session asked to end the dialog
  int pointer_hidden = 0;             // override cursors of ours in force
  bool confined = false;              // a confinement was asked for and not given back
  std::vector<ColorValue> composite;  // the canvas over the window colour
  QImage shown;                       // wraps `composite` at the layout's ratio
};

InteractionState& Ui(Dialog& d) {
  return d.session.ui;
}

double PixelRatio(const Dialog& d) {
  return d.session.layout.dpi / static_cast<double>(kBaseDpi);
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

void ShowCanvas(Dialog& d);

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
      // the drag and its release come to the dialog's window, also outside;
      // the grab ends with the release.
    case RequestKind::kReleasePointerCapture:
      return;
    case RequestKind::kFocusOkButton:
      if (d.widgets.ok_button != nullptr) d.widgets.ok_button->setFocus(Qt::OtherFocusReason);
      return;
    case RequestKind::kSetChannelText: {
      const auto c = static_cast<std::size_t>(r.channel);
      // setText raises no textEdited: the dialog's own texts are no input.
      if (c < d.widgets.channel_fields.size() && d.widgets.channel_fields[c] != nullptr) {
        d.widgets.channel_fields[c]->setText(QtText(r.text));
      }
      return;
    }
    case RequestKind::kSelectPreset:
      if (d.widgets.preset_combo != nullptr)
        d.widgets.preset_combo->setCurrentIndex(r.preset_index);
      return;
    case RequestKind::kRunEyedropper: {
      ColorValue color = r.color;
      const bool got = RunEyedropper(d.window.get(), color);
      OnEyedropperResult(Ui(d), got, color);
      return;
    }
    case RequestKind::kSetFieldText:
      if (static_cast<std::size_t>(r.field) < d.widgets.template_fields.size()) {
        if (auto* field = qobject_cast<QLineEdit*>(d.widgets.template_fields[r.field])) {
          field->setText(QtText(r.text));
        }
      }
      return;
    case RequestKind::kPaint:
      ShowCanvas(d);
      return;
    case RequestKind::kRelayout:
      // Qt places the widgets in device-independent pixels, which a new DPI
      // leaves as they are: only the images change.
      ShowWidgetImages(d.session, d.widgets);
      d.window->setFixedSize(d.session.layout.client.logical.width, d.session.client_height);
      return;
    case RequestKind::kEndDialog:
      d.ended = true;
      return;
  }
}

void RunRequests(Dialog& d) {
  DrainRequests(Ui(d), [&d](const PlatformRequest& r) { CarryOut(d, r); });
}

// After a handler: its requests, and the refresh once the waiting events
// are handled, when there is something to refresh or the dialog ended.
void CarryOutRequests(Dialog& d) {
  RunRequests(d);
  if (RefreshPending(d.session) || d.ended) ScheduleRefresh(d);
}

// --- Refresh and paint ------------------------------------------------------

ShellState ShellStateOf(const Dialog& d) {
  return ShellState{d.window.get(), d.pointer_hidden, d.confined};
}

// The canvas over the window colour, drawn at the canvas widget's next paint.
void ShowCanvas(Dialog& d) {
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
  if (d.widgets.canvas != nullptr) d.widgets.canvas->update();
}

void Refresh(Dialog& d) {
  d.refresh_posted = false;
  RefreshSession(d.session);
  RunRequests(d);
  if (d.ended) {
    if (d.loop != nullptr) d.loop->exit();
  } else if (RefreshPending(d.session)) {
    ScheduleRefresh(d);  // the requests above changed the colour again
  } else if (d.window->isVisible()) {
    ReportIdle(d.session, ShellStateOf(d));
  }
}

void PaintCanvas(Dialog& d) {
  if (d.shown.isNull()) return;
  QPainter painter(d.widgets.canvas);
  painter.drawImage(QPoint(0, 0), d.shown);
  ReportPaint(d.session, d.window.get());
}

// --- Events -----------------------------------------------------------------

bool IsDialogWidget(const Dialog& d, QObject* o) {
  auto* w = qobject_cast<QWidget*>(o);
  return w != nullptr && w->window() == d.window.get();
}

// One pointer event of the dialog's window (positions in the window, which
// is the client area), in the physical pixels under it.
void OnMouse(Dialog& d, QEvent::Type type, QMouseEvent* e) {
  RawPointerEvent raw;
  raw.kind = type == QEvent::MouseButtonPress      ? RawPointerKind::kPress
             : type == QEvent::MouseButtonDblClick ? RawPointerKind::kDoubleClick
             : type == QEvent::MouseButtonRelease  ? RawPointerKind::kRelease
                                                   : RawPointerKind::kMove;
  raw.left_button = e->button() == Qt::LeftButton;
  raw.x = PhysicalPixelOf(e->position().x(), PixelRatio(d));
  raw.y = PhysicalPixelOf(e->position().y(), PixelRatio(d));
  OnRawPointer(d.session, raw);
  CarryOutRequests(d);
}

int ChannelOf(const Dialog& d, QObject* o) {
  for (std::size_t c = 0; c < d.widgets.channel_fields.size(); ++c) {
    if (d.widgets.channel_fields[c] != nullptr && d.widgets.channel_fields[c] == o)
      return static_cast<int>(c);
  }
  return -1;
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
      if (watched == d.widgets.canvas) {
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
      if (watched == d.window.get()) {
        OnPointerCaptureLost(ui);
        CarryOutRequests(d);
      }
      return false;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
      const int c = ChannelOf(d, watched);
      const bool gained = event->type() == QEvent::FocusIn;
      // The combo's own list taking the focus is no loss.
      if (c < 0 && (watched != d.widgets.preset_combo ||
                    (!gained && d.widgets.preset_combo->view()->isVisible()))) {
        return false;
      }
      OnWidgetEvent(ui,
                    c >= 0 ? ChannelFieldWidget(static_cast<Channel>(c)) : WidgetId::kPresetCombo,
                    gained ? WidgetEventKind::kFocusIn : WidgetEventKind::kFocusOut, {},
                    d.widgets.preset_combo->currentIndex());
      CarryOutRequests(d);
      return false;
    }
    case QEvent::KeyPress: {
      // Enter and Escape for the session's key rule; a key it takes goes no
      // further. The preset list, while dropped, is a window of its own and
      // keeps its keys; Qt moves the focus on Tab itself.
      auto* key = static_cast<QKeyEvent*>(event);
      const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
      const int k = key->key();
      const KeyCode code = k == Qt::Key_Escape                         ? KeyCode::kEscape
                           : k == Qt::Key_Return || k == Qt::Key_Enter ? KeyCode::kEnter
                                                                       : KeyCode::kOther;
      if (OnKey(ui, code, false, command, d.widgets.preset_combo->view()->isVisible()) ==
          KeyAction::kTaken) {
        CarryOutRequests(d);
        return true;
      }
      return ChannelOf(d, watched) >= 0 && !ChannelFieldTakesKey(CoreText(key->text()), command);
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
  if (FirstFocus(d.session.ui) == WidgetId::kOkButton) return d.widgets.ok_button;
  return d.widgets.preset_combo;
}

}  // namespace

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
  OnDpiChange(d.session, ScreenDpi(d.window.get()));
  RunRequests(d);
  CreateDialogWidgets(d.window.get(), d.session, d.widgets,
                      [&d](WidgetId id, WidgetEventKind kind, std::string_view text, int index) {
                        OnWidgetEvent(Ui(d), id, kind, text, index);
                        CarryOutRequests(d);
                      });
  d.terminal = MakeTransientForTerminal(d.window.get());
  ReportWindowCreated(d.session, d.window.get());
  qApp->installEventFilter(d.filter.get());
  // The first refresh before the window shows: its first paint has the
  // colour, the texts and the preset as they are.
  Refresh(d);
  CenterOnPrimaryScreen(d.window.get());
  ShowInFront(d.window.get());
  if (QWindow* handle = d.window->windowHandle()) {
    QObject::connect(handle, &QWindow::screenChanged, d.filter.get(), [&d](QScreen*) {
      // Laid out again at the new screen's DPI, the colour state kept.
      OnDpiChange(d.session, DpiOfPixelRatio(d.window->devicePixelRatioF()));
      CarryOutRequests(d);
    });
  }
  if (QWidget* first = FirstFocusWidget(d)) first->setFocus(Qt::TabFocusReason);
  // With dialog keys the first focus is drawn as the keyboard's from the
  // start (the style draws focus frames only after keyboard use).
  if (Ui(d).dialog_keys) d.window->setAttribute(Qt::WA_KeyboardFocusChange);
  CarryOutRequests(d);
  ScheduleRefresh(d);  // and then the loop is idle, with the window up

  QEventLoop loop;
  d.loop = &loop;
  if (!d.ended) loop.exec();
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
