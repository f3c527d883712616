// The X11 eyedropper with real input: a window of ours covers the screen with
// a pattern whose every physical pixel has a colour of its own, a small window
// stands for the dialog, and each row runs the eyedropper while xdotool moves
// the pointer, presses keys and clicks. Positions are physical pixels, so the
// rows hold at any device pixel ratio (run it with QT_SCALE_FACTOR=2 too).
// Usage: eyedropper_pick_qttest [SCREENSHOT.png]: the magnifier of the first
// row is saved there.

#include <xcb/xcb.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "picker/eyedropper.h"
#include "picker/eyedropper_qt.h"

namespace {

using tintra::ColorValue;

constexpr int kWaitMs = 10000;

// The pattern's colour at physical (x, y): x and y in the red and green bytes,
// their high bits in blue; unique on screens up to 4096 x 4096.
ColorValue PatternAt(int x, int y) {
  return tintra::ComposeColor(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
}

QRgb ToRgb(ColorValue c) {
  return qRgb(tintra::RedOf(c), tintra::GreenOf(c), tintra::BlueOf(c));
}

struct Step {
  enum Kind { kInput, kSeeMagnifier } kind;
  std::vector<std::string> xdotool;  // kInput: xdotool's arguments
  int x = 0;                         // kSeeMagnifier: the pointer, physical
  int y = 0;
};

Step Input(std::vector<std::string> args) {
  return {Step::kInput, std::move(args)};
}
Step SeeMagnifier(int x, int y) {
  return {Step::kSeeMagnifier, {}, x, y};
}

struct EyedropperRow {
  const char* what;
  std::vector<Step> steps;
  bool picked;
  int pick_x;  // with `picked`: the pixel taken, physical
  int pick_y;
};

// Rows in physical pixels of a 640 x 480 screen.
std::vector<EyedropperRow> Rows() {
  return {
      {"a click after a nudge: Right, then Shift+Down",
       {Input({"mousemove", "100", "80"}), SeeMagnifier(100, 80), Input({"key", "Right"}),
        Input({"key", "shift+Down"}), SeeMagnifier(101, 90), Input({"click", "1"})},
       true,
       101,
       90},
      {"Enter takes the pixel under the pointer",
       {Input({"mousemove", "333", "222"}), SeeMagnifier(333, 222), Input({"key", "Return"})},
       true,
       333,
       222},
      {"Shift+Right stops at the screen's edge; the magnifier flips near the corner",
       {Input({"mousemove", "635", "470"}), SeeMagnifier(635, 470), Input({"key", "shift+Right"}),
        SeeMagnifier(639, 470), Input({"click", "1"})},
       true,
       639,
       470},
      {"Escape picks nothing",
       {Input({"mousemove", "7", "9"}), SeeMagnifier(7, 9), Input({"key", "Escape"})},
       false,
       0,
       0},
      {"Ctrl+Enter is no key of the run; Escape then ends it",
       {Input({"mousemove", "20", "30"}), SeeMagnifier(20, 30), Input({"key", "ctrl+Return"}),
        Input({"key", "Escape"})},
       false,
       0,
       0},
  };
}

// The screen's physical pixels as the X server shows them.
QImage GrabScreen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
      QImage::Format_RGB32);
}

// Whether the screen shows the magnifier for the pointer at (x, y): placed as
// the rule says, the black frame, the crosshair's centre the pointer's own
// pixel, a pixel of the vertical line inverted, and one of the zoom.
bool MagnifierShown(const QImage& screen, int x, int y, std::string& why) {
  const tintra::MonitorRect monitor{0, 0, screen.width(), screen.height()};
  const tintra::ScreenPoint at = tintra::PlaceMagnifier(monitor, x, y);
  const auto pixel = [&](int u, int v) -> QRgb {
    return screen.valid(at.x + u, at.y + v) ? screen.pixel(at.x + u, at.y + v) | 0xFF000000 : 0;
  };
  // Magnifier pixel (60, 25) lies on the vertical line, in zoom pixel (8, 3):
  // the pattern at (x, y - 5), inverted.
  const QRgb checks[][3] = {
      {0, 0, 0xFF000000},
      {120, 120, 0xFF000000},
      {60, 60, ToRgb(PatternAt(x, y))},
      {60, 25, ToRgb(~PatternAt(x, y - 5) & tintra::kRgbMask)},
      {30, 60 + 7, ToRgb(PatternAt(x - 4, y + 1))},
  };
  // Beside the magnifier the frozen copy shows, also where the magnifier
  // was before.
  const bool left_free = at.x > 8;
  const int free_x = left_free ? 4 : screen.width() - 4;
  if (screen.pixel(free_x, 4) != ToRgb(PatternAt(free_x, 4))) {
    why = "the frozen screen at (" + std::to_string(free_x) + ", 4) does not show the pattern";
    return false;
  }
  for (const auto& c : checks) {
    const QRgb got = pixel(static_cast<int>(c[0]), static_cast<int>(c[1]));
    if (got != c[2]) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "magnifier pixel (%u, %u) at (%d, %d): expected %08X, got %08X", c[0], c[1],
                    at.x, at.y, c[2], got);
      why = text;
      return false;
    }
  }
  return true;
}

// Carries out a row's steps from inside the eyedropper's loop, one per tick;
// a wait step is tried again on each tick until its time runs out.
struct RowDriver {
  const EyedropperRow* row = nullptr;
  size_t next = 0;
  QDeadlineTimer deadline;
  std::string failure;
  QString screenshot;  // saved at the first magnifier seen, then cleared
};

void Tick(RowDriver& d, QTimer& timer) {
  if (!d.failure.empty()) {
    // A failed row still has to end its run: Escape, as a user would.
    if (d.deadline.hasExpired()) {
      QProcess::execute(QStringLiteral("xdotool"),
                        {QStringLiteral("key"), QStringLiteral("Escape")});
      d.deadline.setRemainingTime(500);
    }
    return;
  }
  if (d.next >= d.row->steps.size()) return timer.stop();
  // Nothing goes in before the run has its windows up and the keys.
  if (QWidget::keyboardGrabber() == nullptr) {
    if (d.deadline.hasExpired()) {
      d.failure = "the eyedropper did not take the keyboard";
    }
    return;
  }
  const Step& step = d.row->steps[d.next];
  if (step.kind == Step::kInput) {
    QStringList args;
    for (const std::string& a : step.xdotool) args << QString::fromStdString(a);
    if (QProcess::execute(QStringLiteral("xdotool"), args) != 0) {
      d.failure = "xdotool " + step.xdotool.front() + " failed";
      return;
    }
  } else {
    std::string why;
    const QImage screen = GrabScreen();
    if (!MagnifierShown(screen, step.x, step.y, why)) {
      if (d.deadline.hasExpired()) {
        d.failure = "no magnifier for the pointer at (" + std::to_string(step.x) + ", " +
                    std::to_string(step.y) + "): " + why;
      }
      return;
    }
    if (!d.screenshot.isEmpty()) {
      screen.save(d.screenshot);
      d.screenshot.clear();
    }
  }
  ++d.next;
  d.deadline.setRemainingTime(kWaitMs);
}

// The pattern over the whole screen, at physical pixels.
std::unique_ptr<QLabel> ShowPattern() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const double ratio = screen->devicePixelRatio();
  const QSize size(static_cast<int>(screen->geometry().width() * ratio + 0.5),
                   static_cast<int>(screen->geometry().height() * ratio + 0.5));
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x) line[x] = ToRgb(PatternAt(x, y));
  }
  auto window = std::make_unique<QLabel>();
  window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
  window->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  window->setGeometry(screen->geometry());
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(ratio);
  window->setPixmap(pixmap);
  window->show();
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString screenshot = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const std::unique_ptr<QLabel> pattern = ShowPattern();
  QLabel dialog(QStringLiteral("dialog"));
  dialog.setWindowTitle(QStringLiteral("Sélection de couleur"));
  dialog.resize(200, 100);
  dialog.show();
  // The pattern is on the screen before any row starts.
  const QDeadlineTimer shown(kWaitMs);
  while (GrabScreen().pixel(321, 7) != ToRgb(PatternAt(321, 7))) {
    if (shown.hasExpired()) {
      std::fprintf(stderr, "the pattern did not show\n");
      return 1;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  int passed = 0;
  int failed = 0;
  ColorValue kept = 0;  // black before the first run, as in a new dialog
  for (const EyedropperRow& row : Rows()) {
    RowDriver driver;
    driver.row = &row;
    driver.deadline.setRemainingTime(kWaitMs);
    if (passed + failed == 0) driver.screenshot = screenshot;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { Tick(driver, timer); });
    timer.start(10);
    const bool picked = tintra::RunEyedropper(&dialog, kept);
    timer.stop();

    std::string failure = driver.failure;
    if (failure.empty() && driver.next != row.steps.size()) failure = "the run ended early";
    const ColorValue expected = PatternAt(row.pick_x, row.pick_y);
    char text[160];
    if (failure.empty() && picked != row.picked) {
      std::snprintf(text, sizeof text, "expected %s, got %s", row.picked ? "a pick" : "no pick",
                    picked ? "a pick" : "no pick");
      failure = text;
    } else if (failure.empty() && row.picked && kept != expected) {
      std::snprintf(text, sizeof text, "expected 0x%06X (pixel %d, %d), got 0x%06X", expected,
                    row.pick_x, row.pick_y, kept);
      failure = text;
    } else if (failure.empty() && !dialog.isVisible()) {
      failure = "the dialog was not shown again";
    }
    if (failure.empty()) {
      ++passed;
    } else {
      ++failed;
      std::fprintf(stderr, "%s: %s\n", row.what, failure.c_str());
    }
  }
  std::printf("eyedropper rows at ratio %.2f: %d passed, %d failed\n",
              QGuiApplication::primaryScreen()->devicePixelRatio(), passed, failed);
  return failed == 0 ? 0 : 1;
}
