#include "standalone/clipboard_qt.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "colortext/windows_1252.h"

extern char** environ;

namespace tintra {

namespace {

// A file descriptor, closed with its holder.
struct OwnedFd {
  int fd = -1;
  OwnedFd() = default;
  explicit OwnedFd(int f) : fd(f) {}
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd() { reset(); }
  void reset() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

struct Pipe {
  OwnedFd read;
  OwnedFd write;
  bool Open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read.fd = fds[0];
    write.fd = fds[1];
    return true;
  }
};

// Whether a clipboard manager runs on the X11 display: it owns the
// CLIPBOARD_MANAGER selection, and Qt hands it the clipboard at exit.
// False on any other platform.
bool ClipboardManagerRuns() {
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr) return false;
  static constexpr char kName[] = "CLIPBOARD_MANAGER";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr);
  if (atom == nullptr) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  if (selection == XCB_ATOM_NONE) return false;  // never interned: no manager
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (owner == nullptr) return false;
  const bool runs = owner->owner != XCB_WINDOW_NONE;
  std::free(owner);
  return runs;
}

bool IsX11() {
  return qGuiApp != nullptr &&
         qGuiApp->nativeInterface<QNativeInterface::QX11Application>() != nullptr;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Waits for the keeper's byte; false on a time-out or an end without it.
bool WaitForByte(int fd, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char byte = 0;
    const ssize_t n = ::read(fd, &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    return n == 1;
  }
}

// The program again, as the keeper, in a session of its own (no terminal,
// no signals of ours), with only the two pipes and /dev/null open; true once
// it owns the clipboard.
bool StartKeeper(const std::string& utf8) {
  Pipe text;
  Pipe ready;
  if (!text.Open() || !ready.Open()) return false;
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  posix_spawn_file_actions_adddup2(&actions, text.read.fd, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ready.write.fd, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, "/");
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  // The program's own file (Qt reads it from /proc/self/exe), so that the
  // keeper is named as the program is.
  std::string self = QCoreApplication::applicationFilePath().toStdString();
  if (self.empty()) self = "/proc/self/exe";
  std::string flag = kClipboardKeeperFlag;
  char* arguments[] = {self.data(), flag.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  text.read.reset();
  ready.write.reset();
  if (spawned != 0) return false;
  // The keeper outlives us: it is never waited for, and init takes it over.
  const bool sent = WriteAll(text.write.fd, utf8.data(), utf8.size());
  text.write.reset();  // the end of the text
  return sent && WaitForByte(ready.read.fd, kKeeperStartTimeoutMs);
}

// The keeper's text: its standard input up to the end, at most kMaxKeptText
// bytes (what lies beyond is not read).
std::string ReadKeptText() {
  std::string text;
  char buffer[65536];
  while (text.size() < kMaxKeptText) {
    const std::size_t want = std::min(sizeof buffer, kMaxKeptText - text.size());
    const ssize_t n = ::read(STDIN_FILENO, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

}  // namespace

std::string ReadClipboardText() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr || !data->hasText()) return {};
  std::string text = Utf8ToWindows1252(data->text().toStdString());
  // As the Windows clipboard's text ends at its first NUL.
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

bool WriteClipboardText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  const std::string utf8 = Windows1252ToUtf8(text);
  if (IsX11() && !ClipboardManagerRuns() && StartKeeper(utf8)) return true;
  // A manager takes the text over when the program ends (Qt hands it on);
  // without one it lasts as long as the program.
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(QString::fromStdString(utf8));
  return true;
}

int RunClipboardKeeper(int argc, char** argv) {
  const std::string text = ReadKeptText();
  QGuiApplication application(argc, argv);
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QString::fromStdString(text));
  if (!clipboard->ownsClipboard()) return 0;
  QObject::connect(clipboard, &QClipboard::changed, &application, [clipboard](QClipboard::Mode m) {
    if (m == QClipboard::Clipboard && !clipboard->ownsClipboard()) QCoreApplication::quit();
  });
  const char ready = 1;
  WriteAll(STDOUT_FILENO, &ready, 1);
  ::close(STDOUT_FILENO);
  return application.exec();
}

}  // namespace tintra
