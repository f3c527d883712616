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
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "standalone/clipboard.h"
#include "standalone/toolkit_module.h"

extern char** environ;

namespace tintra {

namespace {

// The largest text the keeper takes over, and the largest read (bytes of UTF-8).
constexpr std::size_t kMaxKeptText = 64u << 20;

// How long the program waits for the keeper to own the clipboard.
constexpr int kKeeperStartTimeoutMs = 5000;

// How long the clipboard's owner may take to answer one request.
constexpr int kClipboardReplyTimeoutMs = 1000;

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

// ---------------------------------------------------------------------------
// The clipboard read on X11 as the ICCCM has it: the owner asked to convert
// the selection into a property of a window of ours, each wait bounded.

using Clock = std::chrono::steady_clock;

// An X connection, closed with its holder.
struct XcbConnection {
  xcb_connection_t* connection;
  explicit XcbConnection(xcb_connection_t* c) : connection(c) {}
  XcbConnection(const XcbConnection&) = delete;
  XcbConnection& operator=(const XcbConnection&) = delete;
  ~XcbConnection() { xcb_disconnect(connection); }
};

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t InternAtom(xcb_connection_t* x, std::string_view name) {
  const XcbReply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(
          x, xcb_intern_atom(x, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr),
      &std::free);
  return reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The next event `wanted` accepts, or none once `deadline` has passed or the
// connection broke; other events are dropped.
template <typename Wanted>
XcbReply<xcb_generic_event_t> WaitForEvent(xcb_connection_t* x, Clock::time_point deadline,
                                           Wanted wanted) {
  for (;;) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
      XcbReply<xcb_generic_event_t> event(e, &std::free);
      if (wanted(*event)) return event;
    }
    if (xcb_connection_has_error(x) != 0) break;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) break;
  }
  return {nullptr, &std::free};
}

struct SelectionRead {
  xcb_connection_t* x;
  xcb_window_t window;   // ours, InputOnly, with PropertyChange events
  xcb_atom_t selection;  // CLIPBOARD
  xcb_atom_t property;   // where the owner puts its answer
  xcb_atom_t incr;       // the type of an answer sent in parts
  int timeout_ms;        // per answer of the owner
};

// The property's type and bytes, deleted once read; nothing when it is
// missing or larger than `limit`.
std::optional<std::pair<xcb_atom_t, std::string>> TakeProperty(const SelectionRead& r,
                                                               std::size_t limit) {
  const XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          r.x,
          xcb_get_property(r.x, 1, r.window, r.property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                           static_cast<uint32_t>(limit / 4 + 1)),
          nullptr),
      &std::free);
  if (reply == nullptr || reply->type == XCB_ATOM_NONE) return std::nullopt;
  const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
  if (reply->bytes_after != 0 || length > limit) {
    xcb_delete_property(r.x, r.window, r.property);
    return std::nullopt;
  }
  const char* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return std::make_pair(reply->type, std::string(data, length));
}

// The rest of an answer sent in parts (INCR): each part a new value of the
// property, the end an empty one. Nothing when the owner goes silent or the
// whole grows beyond kMaxKeptText.
std::optional<std::pair<xcb_atom_t, std::string>> TakeParts(const SelectionRead& r) {
  std::string whole;
  xcb_atom_t type = XCB_ATOM_NONE;
  for (;;) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(r.timeout_ms);
    const auto new_value = WaitForEvent(r.x, deadline, [&r](const xcb_generic_event_t& e) {
      if ((e.response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
      const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(e);
      return p.window == r.window && p.atom == r.property && p.state == XCB_PROPERTY_NEW_VALUE;
    });
    if (new_value == nullptr) return std::nullopt;
    auto part = TakeProperty(r, kMaxKeptText - whole.size());
    xcb_flush(r.x);
    if (!part) return std::nullopt;
    if (part->second.empty()) return std::make_pair(type, std::move(whole));
    type = part->first;
    whole += part->second;
  }
}

// The selection converted to `target`: the type the owner gave and the
// bytes. Nothing when the owner refuses, does not answer in time (`silent`
// then set), or the answer is too large.
std::optional<std::pair<xcb_atom_t, std::string>> Convert(const SelectionRead& r, xcb_atom_t target,
                                                          bool& silent) {
  xcb_delete_property(r.x, r.window, r.property);
  xcb_convert_selection(r.x, r.window, r.selection, target, r.property, XCB_CURRENT_TIME);
  xcb_flush(r.x);
  const auto deadline = Clock::now() + std::chrono::milliseconds(r.timeout_ms);
  const auto notify = WaitForEvent(r.x, deadline, [&r](const xcb_generic_event_t& e) {
    if ((e.response_type & 0x7F) != XCB_SELECTION_NOTIFY) return false;
    const auto& n = reinterpret_cast<const xcb_selection_notify_event_t&>(e);
    return n.requestor == r.window && n.selection == r.selection;
  });
  if (notify == nullptr) {
    silent = true;
    return std::nullopt;
  }
  const auto& n = reinterpret_cast<const xcb_selection_notify_event_t&>(*notify);
  if (n.property == XCB_ATOM_NONE) return std::nullopt;  // refused
  auto answer = TakeProperty(r, kMaxKeptText);
  // Deleting the INCR property asks for the first part.
  xcb_flush(r.x);
  if (answer && answer->first == r.incr) {
    answer = TakeParts(r);
    silent = !answer.has_value();
  }
  return answer;
}

// ISO 8859-1 bytes (the STRING type) as UTF-8.
std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::string ReadSelection(xcb_connection_t* x, int timeout_ms) {
  const xcb_atom_t clipboard = InternAtom(x, "CLIPBOARD");
  const XcbReply<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, clipboard), nullptr), &std::free);
  if (owner == nullptr || owner->owner == XCB_WINDOW_NONE) return {};
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  if (screen == nullptr) return {};
  const xcb_window_t window = xcb_generate_id(x);
  const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  const SelectionRead r{
      x, window, clipboard, InternAtom(x, "TINTRA_SELECTION"), InternAtom(x, "INCR"), timeout_ms};
  const xcb_atom_t utf8_string = InternAtom(x, "UTF8_STRING");
  const xcb_atom_t utf8_plain = InternAtom(x, "text/plain;charset=utf-8");
  const xcb_atom_t text = InternAtom(x, "TEXT");
  // The text forms in the order they are preferred.
  const xcb_atom_t preferred[] = {utf8_string, utf8_plain, XCB_ATOM_STRING, text};
  std::string result;
  // Which of them the owner offers; an owner without TARGETS is asked each,
  // a silent one nothing more.
  std::vector<xcb_atom_t> offered(std::begin(preferred), std::end(preferred));
  bool silent = false;
  if (const auto targets = Convert(r, InternAtom(x, "TARGETS"), silent)) {
    const auto* atoms = reinterpret_cast<const xcb_atom_t*>(targets->second.data());
    const std::size_t count = targets->second.size() / sizeof(xcb_atom_t);
    offered.clear();
    for (const xcb_atom_t wanted : preferred) {
      for (std::size_t i = 0; i < count; ++i) {
        xcb_atom_t atom;
        std::memcpy(&atom, atoms + i, sizeof atom);
        if (atom == wanted) {
          offered.push_back(wanted);
          break;
        }
      }
    }
  } else if (silent) {
    offered.clear();
  }
  for (const xcb_atom_t target : offered) {
    const auto answer = Convert(r, target, silent);
    if (silent) break;
    if (!answer) continue;
    if (answer->first == XCB_ATOM_STRING) {
      result = Latin1ToUtf8(answer->second);
    } else if (answer->first == utf8_string || answer->first == utf8_plain) {
      result = answer->second;
    } else {
      continue;  // COMPOUND_TEXT and the like: not read
    }
    break;
  }
  xcb_destroy_window(x, window);
  xcb_flush(x);
  return result;
}

}  // namespace

std::string ReadClipboardText() {
  if (IsX11()) {
    // Qt's own reader waits several seconds for a silent owner: ours does not.
    const char* display = std::getenv("DISPLAY");
    XcbConnection x(xcb_connect(display, nullptr));
    if (xcb_connection_has_error(x.connection) != 0) return {};
    return ReadSelection(x.connection, kClipboardReplyTimeoutMs);
  }
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr || !data->hasText()) return {};
  const QByteArray utf8 = data->text().toUtf8();
  if (static_cast<std::size_t>(utf8.size()) > kMaxKeptText) return {};
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

bool WriteClipboardText(std::string_view utf8) {
  const std::string text(utf8);
  if (IsX11() && !ClipboardManagerRuns() && StartKeeper(text)) return true;
  // A manager takes the text over when the program ends (Qt hands it on);
  // without one it lasts as long as the program.
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(QString::fromStdString(text));
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
