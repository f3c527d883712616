// The portal colour pick against the stand-in portal on a private session bus
// (a dbus-daemon of this test's own, with no service activation, so that no
// portal of the system can answer). One row per answer the portal can give.
// Usage: portal_pick_qttest DBUS_DAEMON BUS_CONFIG STANDIN_TOOL

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <cstdio>

#include "picker/color_portal_qt.h"
#include "picker/eyedropper_qt.h"

namespace {

const QString kPortalName = QStringLiteral("org.freedesktop.portal.Desktop");
constexpr int kStartTimeoutMs = 10000;
constexpr tintra::ColorValue kBefore = 0x00123456;  // what a pick that fails leaves

struct PortalRow {
  const char* what;
  QStringList standin;  // the stand-in's arguments; empty: no portal at all
  int timeout_ms;
  bool picked;
  tintra::ColorValue color;  // with `picked`
  bool closed;               // the request must have been closed
  bool whole_eyedropper;     // through RunEyedropper on a Wayland session, over a dialog
};

const PortalRow kRows[] = {
    // Red first, blue last: a swap shows. 0.5 is 127.5, halves to the even 128.
    {"a returned colour", {"color", "1", "0.5", "0"}, 5000, true, 0x0080FF, false, false},
    {"a returned colour, every channel",
     {"color", "0.2", "0.4", "0.6"},
     5000,
     true,
     0x996633,
     false,
     false},
    {"a cancelled request picks nothing", {"cancel"}, 5000, false, 0, false, false},
    {"a portal older than handle tokens",
     {"legacy", "0", "0", "1"},
     5000,
     true,
     0xFF0000,
     false,
     false},
    {"a colour that is not one picks nothing",
     {"color", "nan", "0", "0"},
     5000,
     false,
     0,
     false,
     false},
    {"no answer in time: nothing, and the request closed", {"silent"}, 500, false, 0, true, false},
    {"no portal on the bus picks nothing", {}, 5000, false, 0, false, false},
    // The dialog's eyedropper where no program may read the screen.
    {"the eyedropper of a Wayland session asks the portal",
     {"color", "0", "1", "0"},
     5000,
     true,
     0x00FF00,
     false,
     true},
};

bool WaitForName(QDBusConnection& bus, const QString& name, bool present) {
  QDeadlineTimer deadline(kStartTimeoutMs);
  while (bus.interface()->isServiceRegistered(name).value() != present) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(10);
  }
  return true;
}

void Stop(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(kStartTimeoutMs)) {
    process.kill();
    process.waitForFinished(kStartTimeoutMs);
  }
}

// Runs one row; false with a message on stderr when it failed.
bool RunRow(const PortalRow& row, QDBusConnection& bus, const QString& address,
            const QString& standin_tool, QWidget& dialog) {
  QProcess standin;
  if (!row.standin.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    standin.setProcessEnvironment(env);
    standin.start(standin_tool, row.standin);
    if (!WaitForName(bus, kPortalName, true)) {
      std::fprintf(stderr, "%s: the stand-in portal did not take its name\n", row.what);
      Stop(standin);
      return false;
    }
  }
  tintra::ColorValue color = kBefore;
  const bool picked = row.whole_eyedropper
                          ? tintra::RunEyedropper(&dialog, color)
                          : tintra::PickColorWithPortal(bus, row.timeout_ms, color);
  // The Close call goes out without waiting for its reply (and may go out
  // after later calls): wait for the stand-in to report it.
  QByteArray said;
  if (!row.standin.isEmpty()) {
    const QDeadlineTimer deadline(row.closed ? kStartTimeoutMs : 0);
    do {
      standin.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
      said += standin.readAllStandardOutput();
    } while (!said.contains("closed") && !deadline.hasExpired());
  }
  Stop(standin);
  if (!row.standin.isEmpty()) said += standin.readAllStandardOutput();
  // The stand-in is gone from the bus before the next row starts another.
  if (!row.standin.isEmpty()) WaitForName(bus, kPortalName, false);
  const bool closed = said.contains("closed");

  bool ok = true;
  if (row.whole_eyedropper && !dialog.isVisible()) {
    std::fprintf(stderr, "%s: the dialog was not shown again\n", row.what);
    ok = false;
  }
  if (picked != row.picked) {
    std::fprintf(stderr, "%s: expected %s, got %s\n", row.what, row.picked ? "a pick" : "no pick",
                 picked ? "a pick" : "no pick");
    ok = false;
  }
  const tintra::ColorValue expected = row.picked ? row.color : kBefore;
  if (color != expected) {
    std::fprintf(stderr, "%s: expected colour 0x%06X, got 0x%06X\n", row.what, expected, color);
    ok = false;
  }
  if (closed != row.closed) {
    std::fprintf(stderr, "%s: expected the request %s, it was%s\n", row.what,
                 row.closed ? "closed" : "left alone", closed ? " closed" : " not closed");
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // No display needed: the dialog of the eyedropper's row is never painted.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: portal_pick_qttest DBUS_DAEMON BUS_CONFIG STANDIN_TOOL\n");
    return 2;
  }
  QProcess daemon;
  daemon.start(QString::fromLocal8Bit(argv[1]),
               {QStringLiteral("--config-file=") + QString::fromLocal8Bit(argv[2]),
                QStringLiteral("--print-address"), QStringLiteral("--nofork")});
  QString address;
  if (daemon.waitForStarted(kStartTimeoutMs)) {
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!daemon.canReadLine() && !deadline.hasExpired()) {
      daemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    address = QString::fromLocal8Bit(daemon.readLine()).trimmed();
  }
  if (address.isEmpty()) {
    std::fprintf(stderr, "the private bus did not start (no address from %s)\n", argv[1]);
    Stop(daemon);
    return 1;
  }

  int failed = 0;
  int passed = 0;
  // The program's own session bus, which the eyedropper asks, is the private
  // one; and the session is a Wayland one.
  qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
  qputenv("WAYLAND_DISPLAY", "tintra-test");
  QWidget dialog;
  dialog.show();
  {
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("portal-test"));
    if (!bus.isConnected()) {
      std::fprintf(stderr, "cannot connect to the private bus at %s\n", qPrintable(address));
      ++failed;
    } else {
      for (const PortalRow& row : kRows) {
        if (RunRow(row, bus, address, QString::fromLocal8Bit(argv[3]), dialog)) {
          ++passed;
        } else {
          ++failed;
        }
      }
    }
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("portal-test"));
  Stop(daemon);
  std::printf("portal rows: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
