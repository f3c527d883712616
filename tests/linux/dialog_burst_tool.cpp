// The burst figure of the Linux dialog: once the dialog is idle, a press in
// the colour field, 1000 pointer moves of the drag and the release are
// queued at once; the tool counts what the dialog made of them, prints
//   burst N moves: R refreshes, C canvas redraws, P paints
// and closes the dialog. One refresh and one redraw is the goal: events
// first, then one refresh.
//   dialog_burst_tool [N]   (default 1000; on an X display)
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "colortext/language_texts.h"
#include "picker/color_picker.h"
#include "picker/session_observer.h"

namespace {

struct Counts {
  QWidget* dialog = nullptr;
  int moves = 1000;
  int idles = 0;
  long refreshes = 0;
  long canvas_redraws = 0;
  long paints = 0;
  bool queued = false;
  bool burst_done = false;  // handled and refreshed
  bool finished = false;
};

Counts g;

void Post(QWindow* window, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QCoreApplication::postEvent(
      window, new QMouseEvent(type, at, window->mapToGlobal(at), button, buttons, Qt::NoModifier));
}

void QueueBurst() {
  QWindow* window = g.dialog->windowHandle();
  // In the colour field (44, 12, 256 x 256 logical): down at (100, 100), then
  // back and forth along a row and the release where the last move was.
  Post(window, QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton);
  for (int i = 0; i < g.moves; ++i) {
    Post(window, QEvent::MouseMove, QPointF(50 + (i * 7) % 240, 20 + (i * 3) % 240),
         Qt::LeftButton);
  }
  const int last = g.moves - 1;
  Post(window, QEvent::MouseButtonRelease, QPointF(50 + (last * 7) % 240, 20 + (last * 3) % 240),
       Qt::NoButton);
  g.refreshes = g.canvas_redraws = g.paints = 0;
  g.queued = true;
}

// Prints the counts and closes the dialog, once.
void Finish() {
  if (g.finished) return;
  g.finished = true;
  std::printf("burst %d moves: %ld refreshes, %ld canvas redraws, %ld paints\n", g.moves,
              g.refreshes, g.canvas_redraws, g.paints);
  std::fflush(stdout);
  g.dialog->close();
}

void OnIdle(void*, const tintra::PickerSession&, const tintra::ShellState&) {
  ++g.idles;
  if (!g.queued) {
    if (g.dialog != nullptr) QueueBurst();
    return;
  }
  // The burst is handled and refreshed; its paint follows with the window's
  // next update. Counted then, or after two seconds without one.
  g.burst_done = true;
  QTimer::singleShot(2000, Finish);
}

void OnPaint(void*, void*) {
  ++g.paints;
  if (g.burst_done) QTimer::singleShot(0, Finish);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc > 1) g.moves = std::max(1, std::atoi(argv[1]));
  tintra::SessionObserver observer{};
  observer.opened = [](void*) {};
  observer.window_created = [](void*, void* window) { g.dialog = static_cast<QWidget*>(window); };
  observer.refreshed = [](void*, bool redrawn) {
    ++g.refreshes;
    if (redrawn) ++g.canvas_redraws;
  };
  observer.painted = OnPaint;
  observer.pointer_event = [](void*, tintra::PointerEventKind, int, int) {};
  observer.idle = OnIdle;
  observer.ended = [](void*, const tintra::PickerSession&, const tintra::ShellState&) {};
  tintra::InstallSessionObserver(&observer);
  tintra::OpenColorPicker(0xFF0080FF, tintra::LanguageDescriptor(tintra::Language::kFrench, 0), 0,
                          nullptr);
  tintra::InstallSessionObserver(nullptr);
  return g.queued ? 0 : 1;
}
