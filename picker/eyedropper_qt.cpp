// The screen eyedropper on Linux. On X11, the shell of the portable run
// (picker/eyedropper_run.h), which says what happens when: each screen is
// captured once and shown in a frameless window over it (above every other
// window), and a nested event loop feeds the run. On a Wayland session no
// program may read the screen: the desktop portal picks the colour instead.
//
// Positions are physical pixels of the X screen throughout: Qt's own are
// logical (divided by the device pixel ratio), so the pointer is read and
// moved, and the magnifier placed, through XCB.
//
// Ownership: everything lives in one Eyedropper record on the stack of
// RunX11Eyedropper; kCloseWindows releases it in order and the holders repeat
// that on any other path.

#include "picker/eyedropper_qt.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QElapsedTimer>
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
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "picker/color_portal_qt.h"
#include "picker/eyedropper.h"
#include "picker/eyedropper_run.h"

namespace tintra {

namespace {

// --- XCB ----------------------------------------------------------------------

// A reply of XCB, freed with free() as the library asks.
template <typename Reply>
struct XcbReply {
  Reply* reply = nullptr;
  explicit XcbReply(Reply* r) : reply(r) {}
  XcbReply(const XcbReply&) = delete;
  XcbReply& operator=(const XcbReply&) = delete;
  ~XcbReply() { std::free(reply); }
};

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
  bool ok = false;
  ScreenPoint at;
  uint16_t mask = 0;
};

PointerState QueryPointer(const X11& x) {
  PointerState p;
  const XcbReply<xcb_query_pointer_reply_t> r(
      xcb_query_pointer_reply(x.connection, xcb_query_pointer(x.connection, x.root), nullptr));
  if (r.reply == nullptr || !r.reply->same_screen) return p;
  p.ok = true;
  p.at = {r.reply->root_x, r.reply->root_y};
  p.mask = r.reply->mask;
  return p;
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
  if (r.reply == nullptr) return false;
  return (r.reply->keys[keycode / 8] & (1u << (keycode % 8))) != 0;
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
  QImage view;  // the run's magnifier image as the window shows it
  QEventLoop loop;
  QTimer release_poll;
  quint32 enter_keycode = 0;  // the X key of the last Enter pressed
};

int ScreenOfWidget(const Eyedropper& e, const QObject* object) {
  if (object == nullptr) return -1;
  for (size_t i = 0; i < e.screens.size(); ++i) {
    if (object == e.screens[i].window.get()) return static_cast<int>(i);
  }
  return -1;
}

bool IsOwnWidget(const Eyedropper& e, const QObject* object) {
  return object != nullptr && (object == e.magnifier.get() || ScreenOfWidget(e, object) >= 0);
}

bool IsOwnWindow(const Eyedropper& e, const QObject* object) {
  const auto* window = qobject_cast<const QWindow*>(object);
  if (window == nullptr) return false;
  if (e.magnifier && window == e.magnifier->windowHandle()) return true;
  for (const FrozenScreen& s : e.screens) {
    if (s.window && window == s.window->windowHandle()) return true;
  }
  return false;
}

constexpr QEvent::Type kInputEvents[] = {
    QEvent::MouseButtonPress,
    QEvent::MouseButtonRelease,
    QEvent::MouseButtonDblClick,
    QEvent::MouseMove,
    QEvent::KeyPress,
    QEvent::KeyRelease,
    QEvent::Wheel,
    QEvent::TouchBegin,
    QEvent::TouchUpdate,
    QEvent::TouchEnd,
    QEvent::TabletPress,
    QEvent::TabletMove,
    QEvent::TabletRelease,
    QEvent::ShortcutOverride,
    QEvent::ContextMenu,
};

bool IsInputEvent(QEvent::Type type) {
  return std::find(std::begin(kInputEvents), std::end(kInputEvents), type) !=
         std::end(kInputEvents);
}

std::optional<ScreenPoint> PointerPosition(const Eyedropper& e) {
  const PointerState p = QueryPointer(e.x11);
  if (!p.ok) return std::nullopt;
  return p.at;
}

// --- Requests ---------------------------------------------------------------------

void ShowMagnifier(Eyedropper& e) {
  const Image& m = e.run.magnifier;
  if (!e.magnifier || !IsDrawable(m)) return;
  if (e.view.width() != m.width || e.view.height() != m.height) {
    e.view = QImage(m.width, m.height, QImage::Format_RGB32);
    if (e.view.isNull()) return;
  }
  for (int v = 0; v < m.height; ++v) {
    auto* line = reinterpret_cast<QRgb*>(e.view.scanLine(v));
    for (int u = 0; u < m.width; ++u) {
      const ColorValue c = m.pixels[static_cast<size_t>(v) * m.width + u];
      line[u] = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    }
  }
  QPixmap pixmap = QPixmap::fromImage(e.view);
  pixmap.setDevicePixelRatio(e.magnifier->devicePixelRatioF());
  e.magnifier->setPixmap(pixmap);
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

void OnKeyPressed(Eyedropper& e, const QKeyEvent& event) {
  const std::optional<EyedropperKey> key = KeyOf(event.key());
  if (!key) return;
  if (*key == EyedropperKey::kEnter && !event.isAutoRepeat()) {
    e.enter_keycode = event.nativeScanCode();
  }
  const Qt::KeyboardModifiers m = event.modifiers();
  // Meta (the Windows key) is no modifier of the keys, as on Windows.
  const KeyModifiers modifiers{m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier),
                               m.testFlag(Qt::AltModifier)};
  OnEyedropperKeyDown(e.run, *key, modifiers, PointerPosition(e));
}

void OnReleasePoll(Eyedropper& e) {
  const PointerState p = QueryPointer(e.x11);
  // Unknown counts as held: the poll comes again.
  const bool button = !p.ok || (p.mask & XCB_BUTTON_MASK_1) != 0;
  OnEyedropperReleasePoll(e.run, HeldInputs{button, KeyHeld(e.x11, e.enter_keycode)});
}

// Hands one input event of a run's window to the run.
void OnRunInput(Eyedropper& e, QObject* watched, QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseMove:
      if (const auto p = PointerPosition(e)) OnEyedropperPointerMove(e.run, *p);
      return;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent&>(event).button() == Qt::LeftButton) {
        OnEyedropperButtonDown(e.run, ScreenOfWidget(e, watched));
      }
      return;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent&>(event).button() == Qt::LeftButton) {
        OnEyedropperButtonUp(e.run);
      }
      return;
    case QEvent::KeyPress:
      OnKeyPressed(e, static_cast<QKeyEvent&>(event));
      return;
    case QEvent::KeyRelease: {
      const auto& key = static_cast<QKeyEvent&>(event);
      if (!key.isAutoRepeat() && KeyOf(key.key()) == EyedropperKey::kEnter) {
        OnEyedropperKeyUp(e.run, EyedropperKey::kEnter);
      }
      return;
    }
    default:
      return;
  }
}

// Feeds the events of the run in: those of its windows to the run's
// handlers, whose requests are carried out at once; input for any other
// window of the program (the hidden dialog) is dropped for the length of the
// run, so that no stray click or key reaches it.
struct EventFeed : QObject {
  Eyedropper& e;
  explicit EventFeed(Eyedropper& run) : e(run) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::Close) {
      // A close request for any window ends the run; the dialog's still
      // reaches the dialog.
      OnEyedropperCloseRequest(e.run);
      CarryOutRequests(e);
      return IsOwnWidget(e, watched) || IsOwnWindow(e, watched);
    }
    if (!IsInputEvent(type)) return false;
    // The window level passes ours on to the widgets, where they are taken.
    if (IsOwnWindow(e, watched)) return false;
    if (IsOwnWidget(e, watched)) {
      OnRunInput(e, watched, *event);
      CarryOutRequests(e);
    }
    return true;
  }
};

// For the length of the run: the feed sees every event of the program.
struct ActiveFeed {
  EventFeed feed;
  explicit ActiveFeed(Eyedropper& e) : feed(e) { qApp->installEventFilter(&feed); }
  ActiveFeed(const ActiveFeed&) = delete;
  ActiveFeed& operator=(const ActiveFeed&) = delete;
  ~ActiveFeed() { qApp->removeEventFilter(&feed); }
};

// --- Start --------------------------------------------------------------------

// Lets the windows under the hidden dialog repaint; input that comes in the
// meantime is dropped by the feed.
void WaitAfterHiding(const X11& x, int ms) {
  xcb_flush(x.connection);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(ms - waited.elapsed()));
  }
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
  if (r.reply == nullptr) return std::nullopt;
  x.root = r.reply->root;
  return ScreenPoint{r.reply->x, r.reply->y};
}

// The screen's capture and, when it was made, its window; the view the run
// reads it through (empty when there is none). `r` is the screen's rectangle:
// the window Qt placed over the screen says where it lies in physical pixels,
// the capture how large it is.
PixelView FreezeScreen(Eyedropper& e, QScreen* screen, FrozenScreen& s, MonitorRect& r) {
  r = PhysicalRect(*screen);
  const QPixmap grab = screen->grabWindow(0);
  if (grab.isNull() || !CaptureFits(grab.width(), grab.height())) return {};
  s.capture = grab.toImage().convertToFormat(QImage::Format_RGBX8888);
  if (s.capture.isNull()) return {};
  s.window = OpenTopWindow(screen, e.title);
  s.window->setGeometry(screen->geometry());
  s.window->show();
  // Keys come to the run wherever the focus is, from the moment the first
  // frozen screen shows (a window outside the window manager's care gets no
  // focus).
  if (!IsOwnWidget(e, QWidget::keyboardGrabber())) s.window->grabKeyboard();
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
  // Empty (black) and at the screen's top-left corner until the pointer
  // first moves.
  ShowMagnifier(e);
  PlaceWindow(e.x11, *e.magnifier, {0, 0}, side, side);
  return true;
}

// --- End ----------------------------------------------------------------------

void CloseWindows(Eyedropper& e) {
  e.release_poll.stop();
  if (QWidget* grabber = QWidget::keyboardGrabber(); IsOwnWidget(e, grabber)) {
    grabber->releaseKeyboard();
  }
  if (QWidget* grabber = QWidget::mouseGrabber(); IsOwnWidget(e, grabber)) {
    grabber->releaseMouse();
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
      if (r.monitor >= 0 && static_cast<size_t>(r.monitor) < e.screens.size() &&
          e.screens[static_cast<size_t>(r.monitor)].window) {
        e.screens[static_cast<size_t>(r.monitor)].window->grabMouse();
      }
      break;
    case EyedropperRequestKind::kReleasePointer:
      if (QWidget* grabber = QWidget::mouseGrabber(); IsOwnWidget(e, grabber)) {
        grabber->releaseMouse();
      }
      break;
    case EyedropperRequestKind::kWatchRelease:
      e.release_poll.start(r.ms);
      break;
    case EyedropperRequestKind::kStopWatching:
      e.release_poll.stop();
      break;
    case EyedropperRequestKind::kDropQueuedRelease:
      // A release still queued comes to the feed, which keeps every input
      // event of the run until the run's windows are gone.
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
    case EyedropperRequestKind::kDropInput:
      // The feed drops the input of the whole run, this among it.
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      break;
    case EyedropperRequestKind::kFreezeScreens: {
      const QList<QScreen*> screens = QGuiApplication::screens();
      e.screens.resize(static_cast<size_t>(screens.size()));  // once: the views point into them
      for (qsizetype i = 0; i < screens.size(); ++i) {
        MonitorRect m;
        const PixelView view = FreezeScreen(e, screens[i], e.screens[static_cast<size_t>(i)], m);
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
  const ActiveFeed feed(e);
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
