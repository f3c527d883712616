// A stand-in for the Tarvo editor, for end-to-end tests of Tintra-Plugin.
// It opens an editor window (and a second, foreign window), starts the
// plug-in with "Tarvo" and the editor window's handle, answers its requests,
// runs a script of WM_COPYDATA sends against it, and records everything the
// plug-in sends (result text, finished message) in a log of one event per
// line, "event key=value ...", written to the file given with --log (or to
// standard output). Numbers are decimal, handles hexadecimal, payloads hex.
//
// Options:
//   --log FILE             where the log goes
//   --plugin PATH          the plug-in (default Tintra-Plugin.exe beside this tool)
//   --no-args              start the plug-in without any argument
//   --arg1 TEXT            first argument (default Tarvo)
//   --hex-handle           give the handle as "$" and hexadecimal digits
//   --handle TEXT          give this text instead of the handle
//   --arg3 TEXT            third argument (default 0)
//   --answer PAYLOAD       answer to request 1037 (default: t: empty text)
//   --answer-mode MODE     during (default: while handling the request),
//                          delay:MS (after MS ms), never, refuse (reply 0)
//   --step STEP            run after the first request, in order:
//        send:CODE:PAYLOAD          editor window -> link window
//        foreign:CODE:PAYLOAD       foreign window -> link window
//        sendto:TITLE:CODE:PAYLOAD  editor window -> plug-in window TITLE
//        foreignto:TITLE:CODE:PAYLOAD  foreign window -> plug-in window TITLE
//        wait:TITLE                 until the plug-in shows a window TITLE
//        flood:N                    N mixed sends from the editor, replies checked;
//                                   the plug-in's private bytes and handles
//                                   are logged before, half-way and after
//   --timeout MS           end the plug-in (by its handle) after MS ms (default 60000)
//   --send-timeout MS      longest wait for the reply to one send (default 30000)
//
// When the script has run, the (hidden) editor window is retitled
// "Tarvo stand-in: steps done".
//
// PAYLOAD: t:TEXT (TEXT and a NUL), r:TEXT (no NUL), x:HEX (bytes),
// fill:N:TEXT (TEXT, NUL, then "A" up to N bytes), nonul:N (N bytes "B"),
// null:N (no data address, cbData N).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tests/windows/support/wintest_usage.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"

namespace tintra::wintest {
namespace {

constexpr UINT kFirstRequest = 1037;
constexpr UINT kLastRequest = 1040;
constexpr UINT kFinished = 1042;
constexpr UINT_PTR kAnswerTimer = 1;
constexpr char kStepsDoneTitle[] = "Tarvo stand-in: steps done";

struct Payload {
  std::vector<std::uint8_t> bytes;
  bool null_data = false;
  DWORD size = 0;  // cbData
};

struct Options {
  std::string log_path;
  std::string plugin;
  bool no_args = false;
  std::string arg1 = "Tarvo";
  bool hex_handle = false;
  std::string handle_text;
  bool handle_given = false;
  std::string arg3 = "0";
  std::string answer = "t:";
  std::string answer_mode = "during";
  std::vector<std::string> steps;
  int timeout_ms = 60000;
  UINT send_timeout_ms = 30000;  // a message box may hold a send until dismissed
};

Options g_options;
std::string g_log;
HWND g_editor = nullptr;
HWND g_foreign = nullptr;
HWND g_link = nullptr;  // lParam of the first request
bool g_requested = false;
DWORD g_plugin_pid = 0;

void Log(const std::string& line) {
  g_log += line;
  g_log += "\n";
}

std::string HexHandle(const void* handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
  return text;
}

std::string HexBytes(const std::uint8_t* data, std::size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 15];
  }
  return text;
}

std::string Tick() {
  return " tick=" + std::to_string(GetTickCount());
}

Payload ParsePayload(std::string_view form) {
  Payload p;
  const auto text_after = [&](std::size_t prefix) { return form.substr(prefix); };
  if (form.starts_with("t:")) {
    p.bytes.assign(form.begin() + 2, form.end());
    p.bytes.push_back(0);
  } else if (form.starts_with("r:")) {
    p.bytes.assign(form.begin() + 2, form.end());
  } else if (form.starts_with("x:")) {
    const std::string_view hex = text_after(2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
      p.bytes.push_back(static_cast<std::uint8_t>(
          std::strtoul(std::string(hex.substr(i, 2)).c_str(), nullptr, 16)));
    }
  } else if (form.starts_with("fill:")) {
    const std::string_view rest = text_after(5);
    const std::size_t colon = rest.find(':');
    const std::size_t total = std::strtoul(std::string(rest.substr(0, colon)).c_str(), nullptr, 10);
    const std::string_view text = colon == std::string_view::npos ? "" : rest.substr(colon + 1);
    p.bytes.assign(text.begin(), text.end());
    p.bytes.push_back(0);
    if (p.bytes.size() < total) p.bytes.resize(total, 'A');
  } else if (form.starts_with("nonul:")) {
    p.bytes.assign(std::strtoul(std::string(text_after(6)).c_str(), nullptr, 10), 'B');
  } else if (form.starts_with("null:")) {
    p.null_data = true;
    p.size = static_cast<DWORD>(std::strtoul(std::string(text_after(5)).c_str(), nullptr, 10));
    return p;
  }
  p.size = static_cast<DWORD>(p.bytes.size());
  return p;
}

// One WM_COPYDATA; logged with its reply ("timeout" when none came).
LRESULT SendCopyData(const char* who, HWND from, HWND to, ULONG_PTR code, const Payload& payload) {
  COPYDATASTRUCT data{};
  data.dwData = code;
  data.cbData = payload.size;
  data.lpData = payload.null_data ? nullptr : const_cast<std::uint8_t*>(payload.bytes.data());
  DWORD_PTR reply = 0;
  const LRESULT delivered = SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                                                reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                                g_options.send_timeout_ms, &reply);
  Log(std::string("sent who=") + who + " target=" + HexHandle(to) +
      " code=" + std::to_string(code) + " size=" + std::to_string(payload.size) +
      " reply=" + (delivered != 0 ? std::to_string(reply) : std::string("timeout")) + Tick());
  return static_cast<LRESULT>(reply);
}

void SendAnswer(UINT code) {
  const Payload answer = ParsePayload(g_options.answer);
  COPYDATASTRUCT data{};
  data.dwData = code;
  data.cbData = answer.size;
  data.lpData = answer.null_data ? nullptr : const_cast<std::uint8_t*>(answer.bytes.data());
  DWORD_PTR reply = 0;
  const LRESULT delivered = SendMessageTimeoutA(
      g_link, WM_COPYDATA, reinterpret_cast<WPARAM>(g_editor), reinterpret_cast<LPARAM>(&data),
      SMTO_NORMAL, g_options.send_timeout_ms, &reply);
  Log("answer code=" + std::to_string(code) + " size=" + std::to_string(answer.size) +
      " reply=" + (delivered != 0 ? std::to_string(reply) : std::string("timeout")) + Tick());
}

// What the requester says of itself: its title, visibility and geometry.
void LogLinkWindow() {
  char title[64] = {};
  GetWindowTextA(g_link, title, sizeof title);
  RECT outer{};
  RECT client{};
  GetWindowRect(g_link, &outer);
  GetClientRect(g_link, &client);
  DWORD pid = 0;
  GetWindowThreadProcessId(g_link, &pid);
  Log(std::string("link title=") + title + " visible=" + (IsWindowVisible(g_link) ? "1" : "0") +
      " left=" + std::to_string(outer.left) + " top=" + std::to_string(outer.top) +
      " client=" + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
      " caption=" + ((GetWindowLongA(g_link, GWL_STYLE) & WS_CAPTION) == WS_CAPTION ? "1" : "0") +
      " own=" + (pid == g_plugin_pid ? "1" : "0"));
}

LRESULT OnRequest(UINT code, WPARAM wparam, LPARAM lparam) {
  Log("request code=" + std::to_string(code) + " wparam=" + std::to_string(wparam) +
      " lparam=" + HexHandle(reinterpret_cast<void*>(lparam)) + Tick());
  if (!g_requested) {
    g_link = reinterpret_cast<HWND>(lparam);
    LogLinkWindow();
  }
  g_requested = true;
  const std::string& mode = g_options.answer_mode;
  if (mode == "refuse") return 0;
  if (mode == "during") {
    SendAnswer(code);
  } else if (mode.starts_with("delay:")) {
    SetTimer(g_editor, kAnswerTimer, static_cast<UINT>(std::atoi(mode.c_str() + 6)), nullptr);
  }
  return 1;  // "never": accepted, not answered
}

LRESULT OnCopyData(HWND window, WPARAM wparam, LPARAM lparam) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  if (data == nullptr) {
    Log("copydata-without-data" + Tick());
    return 0;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
  const std::size_t shown = bytes == nullptr ? 0 : data->cbData;
  Log(std::string("copydata window=") + (window == g_editor ? "editor" : "foreign") +
      " from=" + HexHandle(reinterpret_cast<void*>(wparam)) +
      " code=" + std::to_string(data->dwData) + " size=" + std::to_string(data->cbData) +
      " bytes=" + HexBytes(bytes, shown < 4096 ? shown : 4096) + Tick());
  return 1;
}

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message >= kFirstRequest && message <= kLastRequest && window == g_editor) {
    return OnRequest(message, wparam, lparam);
  }
  switch (message) {
    case WM_COPYDATA:
      return OnCopyData(window, wparam, lparam);
    case kFinished:
      Log(std::string("finished window=") + (window == g_editor ? "editor" : "foreign") +
          " wparam=" + std::to_string(wparam) +
          " lparam=" + HexHandle(reinterpret_cast<void*>(lparam)) + Tick());
      return 0;
    case WM_TIMER:
      if (wparam == kAnswerTimer) {
        KillTimer(window, kAnswerTimer);
        SendAnswer(kFirstRequest);
      }
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

HWND PluginWindow(std::string_view title) {
  const std::vector<HWND> found = FindTopWindows(g_plugin_pid, title);
  return found.empty() ? nullptr : found.front();
}

// Splits "CODE:PAYLOAD" (PAYLOAD may hold ":").
void SplitCode(std::string_view form, ULONG_PTR& code, std::string_view& payload) {
  const std::size_t colon = form.find(':');
  code = std::strtoull(std::string(form.substr(0, colon)).c_str(), nullptr, 10);
  payload = colon == std::string_view::npos ? "" : form.substr(colon + 1);
}

// The mixed messages of a flood, with the reply each must get.
struct FloodMessage {
  ULONG_PTR code;
  const char* payload;
  LRESULT reply;
};
constexpr FloodMessage kFlood[] = {
    {1053, "t:flood", 1}, {1054, "r:no NUL", 1},  {1049, "x:", 1}, {1036, "t:shared", 1},
    {1048, "null:7", 1},  {6, "x:FF", 1},         {10, "t:st", 1}, {3, "t:x", 0},
    {1041, "t:x", 0},     {2, "t:x", 0},          {11, "x:00", 0}, {1038, "x:0102", 1},
    {1039, "x:", 1},      {1040, "nonul:300", 1}, {5, "t:x", 0},   {1055, "t:x", 0},
};

// " NAME_bytes=... NAME_handles=..." of the plug-in now (0 when unreadable).
std::string PluginUsage(const char* name) {
  const ProcessUsage usage = UsageOfProcess(g_plugin_pid);
  return std::string(" ") + name + "_bytes=" + std::to_string(usage.private_bytes) + " " + name +
         "_handles=" + std::to_string(usage.handles);
}

void RunFlood(int count) {
  int mismatches = 0;
  int timeouts = 0;
  std::string usage = PluginUsage("before");
  const DWORD start = GetTickCount();
  for (int i = 0; i < count; ++i) {
    if (i == count / 2) usage += PluginUsage("half");
    const FloodMessage& m = kFlood[i % (sizeof kFlood / sizeof kFlood[0])];
    const Payload payload = ParsePayload(m.payload);
    COPYDATASTRUCT data{};
    data.dwData = m.code;
    data.cbData = payload.size;
    data.lpData = payload.null_data ? nullptr : const_cast<std::uint8_t*>(payload.bytes.data());
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutA(g_link, WM_COPYDATA, reinterpret_cast<WPARAM>(g_editor),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             g_options.send_timeout_ms, &reply)) {
      ++timeouts;
    } else if (static_cast<LRESULT>(reply) != m.reply) {
      ++mismatches;
    }
  }
  usage += PluginUsage("after");
  Log("flood count=" + std::to_string(count) + " mismatches=" + std::to_string(mismatches) +
      " timeouts=" + std::to_string(timeouts) + " ms=" + std::to_string(GetTickCount() - start) +
      usage + Tick());
}

void RunStep(std::string_view step) {
  ULONG_PTR code = 0;
  std::string_view payload;
  if (step.starts_with("send:")) {
    SplitCode(step.substr(5), code, payload);
    SendCopyData("editor", g_editor, g_link, code, ParsePayload(payload));
  } else if (step.starts_with("foreign:")) {
    SplitCode(step.substr(8), code, payload);
    SendCopyData("foreign", g_foreign, g_link, code, ParsePayload(payload));
  } else if (step.starts_with("sendto:") || step.starts_with("foreignto:")) {
    const bool foreign = step.starts_with("foreignto:");
    const std::string_view rest = step.substr(foreign ? 10 : 7);
    const std::size_t colon = rest.find(':');
    const std::string title(rest.substr(0, colon));
    HWND target = nullptr;
    WaitUntil([&] { return (target = PluginWindow(title)) != nullptr; });
    if (target == nullptr) {
      Log("sendto-missing title=" + title);
      return;
    }
    SplitCode(rest.substr(colon + 1), code, payload);
    SendCopyData(foreign ? "foreign" : "editor", foreign ? g_foreign : g_editor, target, code,
                 ParsePayload(payload));
  } else if (step.starts_with("wait:")) {
    const std::string title(step.substr(5));
    const bool found = WaitUntil([&] { return PluginWindow(title) != nullptr; }, 20000);
    Log(std::string("waited found=") + (found ? "1" : "0") + Tick());
  } else if (step.starts_with("flood:")) {
    RunFlood(std::atoi(std::string(step.substr(6)).c_str()));
  } else {
    Log("bad-step " + std::string(step));
  }
}

bool ParseOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    const bool has_value = i + 1 < argc;
    if (name == "--no-args") {
      g_options.no_args = true;
    } else if (name == "--hex-handle") {
      g_options.hex_handle = true;
    } else if (!has_value) {
      return false;
    } else if (name == "--log") {
      g_options.log_path = argv[++i];
    } else if (name == "--plugin") {
      g_options.plugin = argv[++i];
    } else if (name == "--arg1") {
      g_options.arg1 = argv[++i];
    } else if (name == "--handle") {
      g_options.handle_text = argv[++i];
      g_options.handle_given = true;
    } else if (name == "--arg3") {
      g_options.arg3 = argv[++i];
    } else if (name == "--answer") {
      g_options.answer = argv[++i];
    } else if (name == "--answer-mode") {
      g_options.answer_mode = argv[++i];
    } else if (name == "--step") {
      g_options.steps.push_back(argv[++i]);
    } else if (name == "--timeout") {
      g_options.timeout_ms = std::atoi(argv[++i]);
    } else if (name == "--send-timeout") {
      g_options.send_timeout_ms = static_cast<UINT>(std::atoi(argv[++i]));
    } else {
      return false;
    }
  }
  return true;
}

HWND CreateStandInWindow(const char* title) {
  return CreateWindowExA(0, "TarvoStandIn", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::string PluginCommandLine() {
  std::string command = "\"" + g_options.plugin + "\"";
  if (g_options.no_args) return command;
  char handle[32];
  const auto value = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(g_editor));
  std::snprintf(handle, sizeof handle, g_options.hex_handle ? "$%lX" : "%lu", value);
  command += " " + g_options.arg1 + " " +
             (g_options.handle_given ? g_options.handle_text : std::string(handle)) + " " +
             g_options.arg3;
  return command;
}

void WriteLog() {
  if (g_options.log_path.empty()) {
    std::fputs(g_log.c_str(), stdout);
    return;
  }
  if (FILE* file = std::fopen(g_options.log_path.c_str(), "wb")) {
    std::fputs(g_log.c_str(), file);
    std::fclose(file);
  }
}

int Run(int argc, char** argv) {
  if (!ParseOptions(argc, argv)) {
    std::fputs("standin_editor_tool: bad options (see the source)\n", stderr);
    return 2;
  }
  if (g_options.plugin.empty()) g_options.plugin = ProgramFolder() + "Tintra-Plugin.exe";

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = EditorProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "TarvoStandIn";
  RegisterClassA(&window_class);
  g_editor = CreateStandInWindow("Tarvo stand-in");
  g_foreign = CreateStandInWindow("Foreign stand-in");
  Log("editor window=" + HexHandle(g_editor) + " foreign=" + HexHandle(g_foreign) + Tick());

  std::string command = PluginCommandLine();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION plugin{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &plugin)) {
    Log("start-failed error=" + std::to_string(GetLastError()));
    WriteLog();
    return 1;
  }
  g_plugin_pid = plugin.dwProcessId;
  Log("started pid=" + std::to_string(plugin.dwProcessId) + Tick());

  bool steps_done = false;
  const bool ended = WaitUntil(
      [&] {
        if (g_requested && !steps_done) {
          steps_done = true;
          for (const std::string& step : g_options.steps) RunStep(step);
          // Tells the test (FindWindow finds hidden windows too) that the
          // script has run.
          SetWindowTextA(g_editor, kStepsDoneTitle);
          Log("steps-done" + Tick());
        }
        return WaitForSingleObject(plugin.hProcess, 0) == WAIT_OBJECT_0;
      },
      g_options.timeout_ms);
  PumpMessages();  // the finished message may still wait in the queue
  if (ended) {
    DWORD exit_code = 0;
    GetExitCodeProcess(plugin.hProcess, &exit_code);
    Log("exit code=" + std::to_string(exit_code) + Tick());
  } else {
    TerminateProcess(plugin.hProcess, 1);
    Log("timeout" + Tick());
  }
  CloseHandle(plugin.hThread);
  CloseHandle(plugin.hProcess);
  DestroyWindow(g_foreign);
  DestroyWindow(g_editor);
  WriteLog();
  return 0;
}

}  // namespace
}  // namespace tintra::wintest

int main(int argc, char** argv) {
  return tintra::wintest::Run(argc, argv);
}
