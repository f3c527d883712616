// The screen eyedropper on Linux. On X11, the shell of the portable run
// (picker/eyedropper_run.h), which says what happens when: each screen is
// captured once and shown in a frameless window over it (above every other
// window), and a nested event loop feeds the run. On a Wayland session no
// program may read the screen: the desktop portal picks the colour instead.
// Positions are physical pixels of the X screen throughout (Qt's own are
// logical), so the pointer is read and moved, and the magnifier placed,
// through XCB. Everything lives in one Eyedropper record on the stack of
// RunX11Eyedropper; kCloseWindows releases it, the holders on other paths.

#include "picker/eyedropper_qt.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "picker/color_portal_qt.h"
#include "picker/eyedropper.h"
#include "picker/eyedropper_run.h"
#include "picker/widgets_qt.h"

namespace tintra {

namespace {

// --- XCB ----------------------------------------------------------------------

// A reply of XCB, freed with free() as the library asks.
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, FreeReply>;

struct X11 {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = XCB_NONE;
};

X11 ConnectX11() {
  X11 x;
  const auto* native = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (native == nullptr || native->connection() == nullptr) return x;
  x.connection = native->connection();
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x.connection));
  if (screens.rem > 0) x.root = screens.data->root;
  return x;
}

// The pointer in root-window (virtual screen) pixels, and the buttons held.
struct PointerState {
  ScreenPoint at;
  uint16_t mask = 0;
};

std::optional<PointerState> QueryPointer(const X11& x) {
  const XcbReply<xcb_query_pointer_reply_t> r(
      xcb_query_pointer_reply(x.connection, xcb_query_pointer(x.connection, x.root), nullptr));
  if (r == nullptr || !r->same_screen) return std::nullopt;
  return PointerState{{r->root_x, r->root_y}, r->mask};
}

void WarpPointer(const X11& x, ScreenPoint to) {
  xcb_warp_pointer(x.connection, XCB_NONE, x.root, 0, 0, 0, 0, static_cast<int16_t>(to.x),
                   static_cast<int16_t>(to.y));
  xcb_flush(x.connection);
}

bool KeyHeld(const X11& x, quint32 keycode) {
  if (keycode == 0 || keycode > 255) return false;
  const XcbReply<xcb_query_keymap_reply_t> r(
      xcb_query_keymap_reply(x.connection, xcb_query_keymap(x.connection), nullptr));
  return r != nullptr && (r->keys[keycode / 8] & (1u << (keycode % 8))) != 0;
}

// Places a window in physical pixels, which Qt's logical geometry cannot say
// on a scaled screen.
void PlaceWindow(const X11& x, QWidget& window, ScreenPoint at, int width, int height) {
  const uint32_t values[] = {static_cast<uint32_t>(at.x), static_cast<uint32_t>(at.y),
                             static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
  xcb_configure_window(x.connection, static_cast<xcb_window_t>(window.winId()),
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                           XCB_CONFIG_WINDOW_HEIGHT,
                       values);
  xcb_flush(x.connection);
}

// --- State ----------------------------------------------------------------------

struct FrozenScreen {
  // The screen's pixels (physical, the run's rectangle's size); null when
  // the grab failed. The run reads it through a PixelView until it ends.
  QImage capture;
  std::unique_ptr<QLabel> window;  // null when there is no capture
};

struct Eyedropper {
  X11 x11;
  EyedropperRun run;
  QPointer<QWidget> dialog;
  QString title;                      // of the run's windows: the dialog's
  QPointer<QWidget> focus_before;     // the dialog's focused widget when the run began
  std::vector<FrozenScreen> screens;  // one per monitor of the run, its order
  std::unique_ptr<QLabel> magnifier;
  QEventLoop loop;
  QTimer release_poll;
  quint32 enter_keycode = 0;  // the X key of the last Enter pressed
};

// The run knows its windows by these.
std::uintptr_t Handle(const QObject* object) {
  return reinterpret_cast<std::uintptr_t>(object);
}
QWidget* WidgetOf(std::uintptr_t handle) {
  return static_cast<QWidget*>(reinterpret_cast<QObject*>(handle));
}
bool IsRunWidget(const Eyedropper& e, const QWidget* widget) {
  return FindEyedropperWindow(e.run, Handle(widget)) != nullptr;
}

std::optional<ScreenPoint> PointerPosition(const Eyedropper& e) {
  if (const auto p = QueryPointer(e.x11)) return p->at;
  return std::nullopt;
}

// --- Requests ---------------------------------------------------------------------

void ShowMagnifier(Eyedropper& e) {
  if (!e.magnifier) return;
  e.magnifier->setPixmap(
      QPixmap::fromImage(QtImage(e.run.magnifier, e.magnifier->devicePixelRatioF())));
}

bool CarryOut(void* context, const EyedropperRequest& r);

void CarryOutRequests(Eyedropper& e) {
  CarryOutEyedropperRequests(e.run, EyedropperShell{CarryOut, &e});
}

// --- Events -----------------------------------------------------------------------

// The run's keys as Qt's; both Enter keys (the keypad's is Key_Enter).
constexpr std::pair<int, EyedropperKey> kKeys[] = {
    {Qt::Key_Escape, EyedropperKey::kEscape}, {Qt::Key_Return, EyedropperKey::kEnter},
    {Qt::Key_Enter, EyedropperKey::kEnter},   {Qt::Key_Left, EyedropperKey::kLeft},
    {Qt::Key_Right, EyedropperKey::kRight},   {Qt::Key_Up, EyedropperKey::kUp},
    {Qt::Key_Down, EyedropperKey::kDown},
};

std::optional<EyedropperKey> KeyOf(int key) {
  for (const auto& [qt, ours] : kKeys) {
    if (qt == key) return ours;
  }
  return std::nullopt;
}

void OnReleasePoll(Eyedropper& e) {
  const std::optional<PointerState> p = QueryPointer(e.x11);
  // Unknown counts as held: the poll comes again.
  const bool button = !p || (p->mask & XCB_BUTTON_MASK_1) != 0;
  OnEyedropperReleasePoll(e.run, HeldInputs{button, KeyHeld(e.x11, e.enter_keycode)});
}

// An event of the program as the run's.
EyedropperEvent EventOf(Eyedropper& e, const QObject* watched, const QEvent& event) {
  using K = EyedropperEventKind;
  EyedropperEvent ours;
  ours.window = Handle(watched);
  switch (event.type()) {
    case QEvent::Close:
      ours.kind = K::kClose;
      break;
    case QEvent::MouseMove:
      ours.kind = K::kPointerMove;
      ours.pointer = PointerPosition(e);
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
      ours.kind = event.type() == QEvent::MouseButtonRelease ? K::kButtonUp : K::kButtonDown;
      ours.left_button = static_cast<const QMouseEvent&>(event).button() == Qt::LeftButton;
      break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto& key = static_cast<const QKeyEvent&>(event);
      ours.kind = event.type() == QEvent::KeyPress ? K::kKeyDown : K::kKeyUp;
      ours.key = KeyOf(key.key());
      ours.repeat = key.isAutoRepeat();
      if (ours.kind == K::kKeyUp || !ours.key) break;
      if (ours.key == EyedropperKey::kEnter && !ours.repeat) e.enter_keycode = key.nativeScanCode();
      // Meta (the Windows key) is no modifier of the keys, as on Windows.
      const Qt::KeyboardModifiers m = key.modifiers();
      ours.modifiers = {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier),
                        m.testFlag(Qt::AltModifier)};
      ours.pointer = PointerPosition(e);
      break;
    }
    default:
      if (event.isInputEvent()) ours.kind = K::kOtherInput;
      break;
  }
  return ours;
}

// For the length of the run, every event of the program goes to the run,
// whose requests are carried out at once; the run says which go no further.
struct EventFeed : QObject {
  Eyedropper& e;
  explicit EventFeed(Eyedropper& run) : e(run) { qApp->installEventFilter(this); }
  ~EventFeed() override { qApp->removeEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool taken = OnEyedropperEvent(e.run, EventOf(e, watched, *event));
    CarryOutRequests(e);
    return taken;
  }
};

// --- Start --------------------------------------------------------------------

// Lets the windows under the hidden dialog repaint; input that comes in the
// meantime is dropped by the feed.
void WaitAfterHiding(const X11& x, int ms) {
  xcb_flush(x.connection);
  QEventLoop wait;
  QTimer::singleShot(ms, &wait, &QEventLoop::quit);
  wait.exec();
}

// A window that shows its content at the screen's physical pixels, above
// every other window and outside the window manager's care.
std::unique_ptr<QLabel> OpenTopWindow(QScreen* screen, const QString& title) {
  auto window = std::make_unique<QLabel>();
  window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::X11BypassWindowManagerHint);
  window->setWindowTitle(title);
  window->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  window->setMouseTracking(true);  // the magnifier follows the pointer, no button held
  window->setAutoFillBackground(true);
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, Qt::black);
  window->setPalette(palette);
  window->setScreen(screen);
  return window;
}

// A screen's rectangle in physical pixels as Qt would give it: the top-left
// corner kept, the size times the device pixel ratio. Only for a screen
// without a capture; one with a capture has its window's.
MonitorRect PhysicalRect(const QScreen& screen) {
  const QRect g = screen.geometry();
  const double ratio = screen.devicePixelRatio();
  return {g.x(), g.y(), static_cast<int>(std::lround(g.width() * ratio)),
          static_cast<int>(std::lround(g.height() * ratio)),
          static_cast<int>(std::lround(96 * ratio))};
}

// Where the X server has the window's top-left corner (no window manager
// reparents it: its parent is the root window). Takes that root window for
// the run's pointer queries too: the display may have several X screens.
std::optional<ScreenPoint> WindowOrigin(X11& x, QWidget& window) {
  const XcbReply<xcb_get_geometry_reply_t> r(xcb_get_geometry_reply(
      x.connection, xcb_get_geometry(x.connection, static_cast<xcb_window_t>(window.winId())),
      nullptr));
  if (r == nullptr) return std::nullopt;
  x.root = r->root;
  return ScreenPoint{r->x, r->y};
}

// The screen's capture and, when it was made, its window; the view the run
// reads it through (empty when there is none). `r` is the screen's rectangle:
// the window Qt placed over the screen says where it lies in physical pixels,
// the capture how large it is.
PixelView FreezeScreen(Eyedropper& e, QScreen* screen, int index, MonitorRect& r) {
  FrozenScreen& s = e.screens[static_cast<size_t>(index)];
  r = PhysicalRect(*screen);
  const QPixmap grab = screen->grabWindow(0);
  if (grab.isNull() || !CaptureFits(grab.width(), grab.height())) return {};
  s.capture = grab.toImage().convertToFormat(QImage::Format_RGBX8888);
  if (s.capture.isNull()) return {};
  s.window = OpenTopWindow(screen, e.title);
  s.window->setGeometry(screen->geometry());
  s.window->show();
  AddEyedropperWindow(e.run, Handle(s.window.get()), index);
  AddEyedropperWindow(e.run, Handle(s.window->windowHandle()), index, true);
  // Keys come to the run wherever the focus is, from the moment the first
  // frozen screen shows (a window outside the window manager's care gets no
  // focus).
  if (!IsRunWidget(e, QWidget::keyboardGrabber())) s.window->grabKeyboard();
  if (const std::optional<ScreenPoint> origin = WindowOrigin(e.x11, *s.window)) {
    r.left = origin->x;
    r.top = origin->y;
  }
  r.width = s.capture.width();
  r.height = s.capture.height();
  QPixmap shown = QPixmap::fromImage(s.capture);
  shown.setDevicePixelRatio(s.window->devicePixelRatioF());
  s.window->setPixmap(shown);
  PlaceWindow(e.x11, *s.window, {r.left, r.top}, r.width, r.height);
  return {s.capture.constBits(), s.capture.width(), s.capture.height(), s.capture.bytesPerLine(),
          PixelLayout::kRgbx32};
}

// Sizes the magnifier to `side` physical pixels, for Qt (which lays it out
// in logical ones) and on the screen.
void PlaceMagnifierWindow(Eyedropper& e, ScreenPoint at, int side) {
  const int logical = static_cast<int>(std::ceil(side / e.magnifier->devicePixelRatioF()));
  if (e.magnifier->width() != logical) e.magnifier->resize(logical, logical);
  PlaceWindow(e.x11, *e.magnifier, at, side, side);
}

bool OpenMagnifier(Eyedropper& e, int side) {
  e.magnifier = OpenTopWindow(QGuiApplication::primaryScreen(), e.title);
  // Never in the way of a click: the frozen screens below take them.
  e.magnifier->setAttribute(Qt::WA_TransparentForMouseEvents);
  e.magnifier->setWindowFlag(Qt::WindowTransparentForInput);
  const int logical = static_cast<int>(std::ceil(side / e.magnifier->devicePixelRatioF()));
  e.magnifier->setGeometry(0, 0, logical, logical);
  e.magnifier->show();
  if (!e.magnifier->windowHandle()) return false;
  AddEyedropperWindow(e.run, Handle(e.magnifier.get()), kMagnifierWindow);
  AddEyedropperWindow(e.run, Handle(e.magnifier->windowHandle()), kMagnifierWindow, true);
  // Empty (black) and at the screen's top-left corner until the pointer
  // first moves.
  ShowMagnifier(e);
  PlaceWindow(e.x11, *e.magnifier, {0, 0}, side, side);
  return true;
}

// --- End ----------------------------------------------------------------------

// The run has given back the pointer and stopped the poll (kReleasePointer,
// kStopWatching) before this.
void CloseWindows(Eyedropper& e) {
  if (QWidget* grabber = QWidget::keyboardGrabber(); IsRunWidget(e, grabber)) {
    grabber->releaseKeyboard();
  }
  // Input that reached the program before the grabs went (the release of a
  // pick among it) is the run's: taken in while the feed still drops it.
  free(xcb_get_input_focus_reply(e.x11.connection, xcb_get_input_focus(e.x11.connection), nullptr));
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  e.magnifier.reset();
  for (FrozenScreen& s : e.screens) {
    s.window.reset();
    s.capture = QImage();
  }
  e.screens.clear();
  xcb_flush(e.x11.connection);
}

bool CarryOut(void* context, const EyedropperRequest& r) {
  Eyedropper& e = *static_cast<Eyedropper*>(context);
  switch (r.kind) {
    case EyedropperRequestKind::kMoveMagnifier:
      if (e.magnifier) PlaceMagnifierWindow(e, r.at, r.side);
      break;
    case EyedropperRequestKind::kShowMagnifier:
      ShowMagnifier(e);
      break;
    case EyedropperRequestKind::kMovePointer:
      WarpPointer(e.x11, r.at);
      break;
    case EyedropperRequestKind::kCapturePointer:
      // The button's release then comes to that window wherever the pointer
      // goes; the release watch covers the rest.
      WidgetOf(r.window)->grabMouse();
      break;
    case EyedropperRequestKind::kReleasePointer:
      if (QWidget::mouseGrabber() == WidgetOf(r.window)) WidgetOf(r.window)->releaseMouse();
      break;
    case EyedropperRequestKind::kWatchRelease:
      e.release_poll.start(r.ms);
      break;
    case EyedropperRequestKind::kStopWatching:
      e.release_poll.stop();
      break;
    case EyedropperRequestKind::kDropQueuedRelease:  // the feed drops it, as all the run's input
      break;
    case EyedropperRequestKind::kEndRun:
      e.loop.quit();
      break;
    case EyedropperRequestKind::kHideDialog:
      if (e.dialog) {
        e.focus_before = e.dialog->focusWidget();
        e.dialog->hide();
      }
      break;
    case EyedropperRequestKind::kWait:
      WaitAfterHiding(e.x11, r.ms);
      break;
    case EyedropperRequestKind::kDropInput:  // the feed drops it: only take it in
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      break;
    case EyedropperRequestKind::kFreezeScreens: {
      const QList<QScreen*> screens = QGuiApplication::screens();
      e.screens.resize(static_cast<size_t>(screens.size()));  // once: the views point into them
      for (qsizetype i = 0; i < screens.size(); ++i) {
        MonitorRect m;
        const PixelView view = FreezeScreen(e, screens[i], static_cast<int>(i), m);
        AddEyedropperMonitor(e.run, m, view);
      }
      break;
    }
    case EyedropperRequestKind::kOpenMagnifier:
      return OpenMagnifier(e, r.side);
    case EyedropperRequestKind::kPick:
      e.loop.exec();
      break;
    case EyedropperRequestKind::kCloseWindows:
      CloseWindows(e);
      break;
    case EyedropperRequestKind::kShowDialog:
      if (e.dialog) {
        e.dialog->show();
        e.dialog->activateWindow();
      }
      break;
    case EyedropperRequestKind::kRestoreFocus:
      if (e.dialog && e.focus_before && e.dialog->isAncestorOf(e.focus_before)) {
        e.focus_before->setFocus();
      }
      break;
  }
  return true;
}

bool RunX11Eyedropper(QWidget* dialog, const X11& x11, ColorValue& picked_color) {
  Eyedropper e;
  e.x11 = x11;
  e.dialog = dialog;
  e.title = dialog != nullptr ? dialog->windowTitle() : QString();
  QObject::connect(&e.release_poll, &QTimer::timeout, &e.loop, [&e] {
    OnReleasePoll(e);
    CarryOutRequests(e);
  });
  // The program quitting, or the dialog going away, ends the run.
  const auto close = [&e] {
    OnEyedropperCloseRequest(e.run);
    CarryOutRequests(e);
  };
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &e.loop, close);
  if (dialog != nullptr) QObject::connect(dialog, &QObject::destroyed, &e.loop, close);
  const EventFeed feed(e);
  return RunEyedropperSequence(e.run, picked_color, EyedropperShell{CarryOut, &e});
}

// The eyedropper of a Wayland session: the portal's, over the hidden dialog.
bool RunPortalEyedropper(QWidget* dialog, ColorValue& picked_color) {
  const QPointer<QWidget> shown(dialog);
  if (dialog != nullptr) dialog->hide();
  QDBusConnection bus = QDBusConnection::sessionBus();
  ColorValue color = picked_color;
  const bool picked = PickColorWithPortal(bus, kPortalPickTimeoutMs, color);
  if (picked) picked_color = color & kRgbMask;
  if (shown) {
    shown->show();
    shown->activateWindow();
  }
  return picked;
}

}  // namespace

bool RunEyedropper(QWidget* dialog, ColorValue& picked_color) {
  // Under a Wayland session an X11 connection (Xwayland) sees only the
  // windows of X11 programs: the portal is the only way to the screen.
  const X11 x11 = ConnectX11();
  if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || x11.connection == nullptr ||
      x11.root == XCB_NONE) {
    return RunPortalEyedropper(dialog, picked_color);
  }
  return RunX11Eyedropper(dialog, x11, picked_color);
}

}  // namespace tintra
