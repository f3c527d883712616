// The screen eyedropper on Linux. On X11, one run: hide the dialog, capture
// every screen once, show each capture in a frameless window over its screen
// (above every other window), show the magnifier, run a nested event loop
// until a click or Enter, Escape or a close request, then close and free
// everything and show the dialog again. On a Wayland session no program may
// read the screen: the desktop portal picks the colour instead.
//
// Positions are physical pixels of the X screen throughout: Qt's own are
// logical (divided by the device pixel ratio), so the pointer is read and
// moved, and the magnifier placed, through XCB.
//
// Ownership: everything lives in one Eyedropper record on the stack of
// RunX11Eyedropper; End() releases it in order and the holders repeat that on
// any other path.

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
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "picker/color_portal_qt.h"
#include "picker/eyedropper.h"

namespace tintra {

namespace {

constexpr int kHideWaitMs = 50;     // lets the windows under the dialog repaint
constexpr int kReleasePollMs = 20;  // while a pick waits for the release
constexpr QRgb kFrameColor = 0xFF000000;

// Largest capture kept, pixels: a screen whose copy would be larger gets no
// window, as when the grab fails.
constexpr long long kMaxCapturePixels = 1LL << 28;

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
  MonitorRect rect;  // physical pixels of the virtual screen
  // The screen's pixels as ColorValues (red in the low byte, alpha byte
  // ignored); null when the grab failed.
  QImage capture;
  std::unique_ptr<QLabel> window;  // null when there is no capture
};

struct Eyedropper {
  X11 x11;
  QPointer<QWidget> dialog;
  std::vector<MonitorRect> rects;     // Qt's screen order, the primary first
  std::vector<FrozenScreen> screens;  // one per rect
  std::unique_ptr<QLabel> magnifier;
  QImage view;  // 121 x 121, what the magnifier shows
  QEventLoop loop;
  bool done = false;
  bool picked = false;
  // Picked on the press of the left button or Enter: the run ends when it
  // comes up, so that its release cannot reach the dialog once it is shown
  // again.
  enum class Release { kNone, kLeftButton, kEnter } awaiting = Release::kNone;
  quint32 enter_keycode = 0;  // the X key that picked, with Release::kEnter
  QTimer release_poll;
  ColorValue color = 0;  // 24 bits, alpha byte 0
};

void EndRun(Eyedropper& e) {
  if (e.done) return;
  e.done = true;
  e.loop.quit();
}

bool IsOwnWidget(const Eyedropper& e, const QObject* object) {
  if (object == nullptr) return false;
  if (object == e.magnifier.get()) return true;
  for (const FrozenScreen& s : e.screens) {
    if (object == s.window.get()) return true;
  }
  return false;
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

bool IsInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

// --- Picking ----------------------------------------------------------------------

// The magnifier's view around (x, y) on screen `s`: each pixel as
// MagnifierPixelAt says, from the zoom copy of the capture (black beyond its
// edge). Sets the picked colour to the pointer's pixel.
void UpdateView(Eyedropper& e, const FrozenScreen& s, int x, int y) {
  const ZoomCopy copy = ZoomSource(s.rect, x, y);
  ColorValue zoom[kZoomSize][kZoomSize] = {};
  if (!s.capture.isNull()) {
    for (int row = 0; row < copy.height; ++row) {
      const auto* line =
          reinterpret_cast<const ColorValue*>(s.capture.constScanLine(copy.src_y + row));
      for (int column = 0; column < copy.width; ++column) {
        zoom[copy.dest_y + row][copy.dest_x + column] = line[copy.src_x + column] & kRgbMask;
      }
    }
  }
  e.color = zoom[kZoomCentre][kZoomCentre];
  for (int v = 0; v < kMagnifierSize; ++v) {
    auto* line = reinterpret_cast<QRgb*>(e.view.scanLine(v));
    for (int u = 0; u < kMagnifierSize; ++u) {
      const MagnifierPixel p = MagnifierPixelAt(u, v);
      if (p.frame) {
        line[u] = kFrameColor;
        continue;
      }
      ColorValue c = zoom[p.zoom_y][p.zoom_x];
      if (p.inverted) c = ~c & kRgbMask;
      line[u] = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    }
  }
}

void ShowView(Eyedropper& e) {
  QPixmap pixmap = QPixmap::fromImage(e.view);
  pixmap.setDevicePixelRatio(e.magnifier->devicePixelRatioF());
  e.magnifier->setPixmap(pixmap);
}

void OnPointerMoved(Eyedropper& e) {
  if (e.awaiting != Eyedropper::Release::kNone) return;
  const PointerState p = QueryPointer(e.x11);
  if (!p.ok) return;
  const int index = FindMonitorAt(e.rects, p.at.x, p.at.y);
  if (index < 0) return;
  const FrozenScreen& s = e.screens[static_cast<size_t>(index)];
  PlaceWindow(e.x11, *e.magnifier, PlaceMagnifier(s.rect, p.at.x, p.at.y), kMagnifierSize,
              kMagnifierSize);
  UpdateView(e, s, p.at.x, p.at.y);
  ShowView(e);
}

void OnReleasePoll(Eyedropper& e) {
  if (e.awaiting == Eyedropper::Release::kLeftButton) {
    const PointerState p = QueryPointer(e.x11);
    if (p.ok && (p.mask & XCB_BUTTON_MASK_1) != 0) return;
  } else if (e.awaiting == Eyedropper::Release::kEnter) {
    if (KeyHeld(e.x11, e.enter_keycode)) return;
  }
  EndRun(e);
}

// The picked colour is that of the last magnifier update. The run ends when
// the button or key comes up again; the poll watches it in case its release
// does not come to us.
void OnPicked(Eyedropper& e, Eyedropper::Release release) {
  e.picked = true;
  e.awaiting = release;
  e.release_poll.start(kReleasePollMs);
}

void OnPressed(Eyedropper& e) {
  if (e.awaiting != Eyedropper::Release::kNone) return;
  const PointerState p = QueryPointer(e.x11);
  // Only the frozen screens take a click: none lies in a gap between them.
  if (!p.ok || FindMonitorAt(e.rects, p.at.x, p.at.y) < 0) return;
  OnPicked(e, Eyedropper::Release::kLeftButton);
}

// Moves the pointer as the key says and handles that as a pointer move.
void OnNudge(Eyedropper& e, int dx, int dy) {
  const PointerState p = QueryPointer(e.x11);
  if (!p.ok) return;
  WarpPointer(e.x11, NudgePointer(e.rects, p.at, dx, dy));
  OnPointerMoved(e);
}

// The keys of the run. Modifiers must match exactly (the keypad's own flag
// aside), so Ctrl or Alt with these keys is ignored like every other key.
void OnKeyPressed(Eyedropper& e, const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers =
      key.modifiers() &
      (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (key.key() == Qt::Key_Escape && modifiers == Qt::NoModifier) return EndRun(e);
  if (e.awaiting != Eyedropper::Release::kNone) return;  // picked already: key repeats
  if (key.isAutoRepeat() && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) return;
  if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
    e.enter_keycode = key.nativeScanCode();
    return OnPicked(e, Eyedropper::Release::kEnter);
  }
  int step = 0;
  if (modifiers == Qt::NoModifier) step = kNudgeStep;
  if (modifiers == Qt::ShiftModifier) step = kNudgeLongStep;
  if (step == 0) return;
  switch (key.key()) {
    case Qt::Key_Left:
      return OnNudge(e, -step, 0);
    case Qt::Key_Right:
      return OnNudge(e, step, 0);
    case Qt::Key_Up:
      return OnNudge(e, 0, -step);
    case Qt::Key_Down:
      return OnNudge(e, 0, step);
    default:
      return;
  }
}

// Feeds the events of the run in: ours to the handlers above; input for any
// other window of the program (the hidden dialog) is dropped for the length of
// the run, so that no stray click or key reaches it.
struct EventFeed : QObject {
  Eyedropper& e;
  explicit EventFeed(Eyedropper& run) : e(run) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::Close) {
      // A close request for any window ends the run; the dialog's still
      // reaches the dialog.
      EndRun(e);
      return IsOwnWidget(e, watched) || IsOwnWindow(e, watched);
    }
    if (!IsInputEvent(type)) return false;
    // Ours reach the widgets; the window level passes them on.
    if (IsOwnWindow(e, watched)) return false;
    if (!IsOwnWidget(e, watched)) return true;
    switch (type) {
      case QEvent::MouseMove:
        OnPointerMoved(e);
        break;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) OnPressed(e);
        break;
      case QEvent::MouseButtonRelease:
        if (e.awaiting == Eyedropper::Release::kLeftButton &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
          EndRun(e);
        }
        break;
      case QEvent::KeyPress:
        OnKeyPressed(e, *static_cast<QKeyEvent*>(event));
        break;
      case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (e.awaiting == Eyedropper::Release::kEnter && !key->isAutoRepeat() &&
            key->nativeScanCode() == e.enter_keycode) {
          EndRun(e);
        }
        break;
      }
      default:
        break;
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
void WaitAfterHiding(const X11& x) {
  xcb_flush(x.connection);
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < kHideWaitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents,
                                    static_cast<int>(kHideWaitMs - waited.elapsed()));
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

// The screen's capture (physical pixels) and, when it was made, its window.
void FreezeScreen(Eyedropper& e, QScreen* screen, FrozenScreen& s, const QString& title) {
  const MonitorRect& r = s.rect;
  if (static_cast<long long>(r.width) * r.height > kMaxCapturePixels) return;
  const QPixmap grab = screen->grabWindow(0);
  // A grab of another size than the screen's would misplace every pick.
  if (grab.isNull() || grab.width() != r.width || grab.height() != r.height) return;
  s.capture = grab.toImage().convertToFormat(QImage::Format_RGBX8888);
  if (s.capture.isNull()) return;
  s.window = OpenTopWindow(screen, title);
  QPixmap shown = QPixmap::fromImage(s.capture);
  s.window->setGeometry(screen->geometry());
  s.window->show();
  shown.setDevicePixelRatio(s.window->devicePixelRatioF());
  s.window->setPixmap(shown);
  PlaceWindow(e.x11, *s.window, {r.left, r.top}, r.width, r.height);
}

// A screen's rectangle in physical pixels. Qt keeps a screen's top-left corner
// in physical pixels and divides its size by the device pixel ratio.
MonitorRect PhysicalRect(const QScreen& screen) {
  const QRect g = screen.geometry();
  const double ratio = screen.devicePixelRatio();
  return {g.x(), g.y(), static_cast<int>(std::lround(g.width() * ratio)),
          static_cast<int>(std::lround(g.height() * ratio))};
}

bool OpenMagnifier(Eyedropper& e, const QString& title) {
  e.view = QImage(kMagnifierSize, kMagnifierSize, QImage::Format_RGB32);
  if (e.view.isNull()) return false;
  e.view.fill(kFrameColor);
  e.magnifier = OpenTopWindow(QGuiApplication::primaryScreen(), title);
  // Never in the way of a click: the frozen screens below take them.
  e.magnifier->setAttribute(Qt::WA_TransparentForMouseEvents);
  e.magnifier->setWindowFlag(Qt::WindowTransparentForInput);
  const double ratio = e.magnifier->devicePixelRatioF();
  const int side = static_cast<int>(std::ceil(kMagnifierSize / ratio));
  e.magnifier->setGeometry(0, 0, side, side);
  e.magnifier->show();
  if (!e.magnifier->windowHandle()) return false;
  ShowView(e);
  // At the screen's top-left corner until the pointer first moves.
  PlaceWindow(e.x11, *e.magnifier, {0, 0}, kMagnifierSize, kMagnifierSize);
  // Keys come to the run wherever the focus is; the first frozen screen
  // takes them (a window outside the window manager's care gets no focus).
  for (FrozenScreen& s : e.screens) {
    if (s.window) {
      s.window->grabKeyboard();
      break;
    }
  }
  return true;
}

// --- End ----------------------------------------------------------------------

void End(Eyedropper& e) {
  e.release_poll.stop();
  if (QWidget* grabber = QWidget::keyboardGrabber(); IsOwnWidget(e, grabber)) {
    grabber->releaseKeyboard();
  }
  e.magnifier.reset();
  for (FrozenScreen& s : e.screens) {
    s.window.reset();
    s.capture = QImage();
  }
  e.screens.clear();
  e.rects.clear();
  if (e.x11.connection != nullptr) xcb_flush(e.x11.connection);
}

bool RunX11Eyedropper(QWidget* dialog, const X11& x11, ColorValue& picked_color) {
  Eyedropper e;
  e.x11 = x11;
  e.dialog = dialog;
  e.color = picked_color & kRgbMask;
  QObject::connect(&e.release_poll, &QTimer::timeout, &e.loop, [&e] { OnReleasePoll(e); });
  const QString title = dialog != nullptr ? dialog->windowTitle() : QString();
  const QPointer<QWidget> focus_before = dialog != nullptr ? dialog->focusWidget() : nullptr;

  {
    const ActiveFeed feed(e);
    if (dialog != nullptr) dialog->hide();
    WaitAfterHiding(e.x11);

    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) e.rects.push_back(PhysicalRect(*screen));
    e.screens.resize(e.rects.size());
    for (int i = 0; i < screens.size(); ++i) {
      e.screens[static_cast<size_t>(i)].rect = e.rects[static_cast<size_t>(i)];
      FreezeScreen(e, screens[i], e.screens[static_cast<size_t>(i)], title);
    }
    if (!e.rects.empty() && !e.done && OpenMagnifier(e, title) && !e.done) e.loop.exec();
    End(e);
  }
  picked_color = e.color;

  if (e.dialog) {
    e.dialog->show();
    e.dialog->activateWindow();
    if (focus_before && e.dialog->isAncestorOf(focus_before)) focus_before->setFocus();
  }
  return e.picked;
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
