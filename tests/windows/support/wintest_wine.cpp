#include "tests/windows/support/wintest_wine.h"

#include <windows.h>

#include <string>

#include "picker/display_dpi_win32.h"
#include "tests/windows/support/wintest_windows.h"

namespace tintra::wintest {

namespace {

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  return length == 0 || length >= sizeof(path) ? std::string() : std::string(path, length);
}

// "N" already set for this program (true), or set now (false); `ok` tells
// whether the key could be read or written at all.
bool UnmanagedAlreadySet(const std::string& program, bool& ok) {
  const std::string name = program.substr(program.find_last_of("\\/") + 1);
  const std::string key = "Software\\Wine\\AppDefaults\\" + name + "\\X11 Driver";
  HKEY handle = nullptr;
  ok = RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                       KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &handle, nullptr) == ERROR_SUCCESS;
  if (!ok) return false;
  char value[8] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  const bool set = RegQueryValueExA(handle, "Managed", nullptr, &type,
                                    reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
                   type == REG_SZ && (value[0] == 'N' || value[0] == 'n');
  if (!set) {
    static const char kNo[] = "N";
    ok = RegSetValueExA(handle, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo),
                        sizeof(kNo)) == ERROR_SUCCESS;
  }
  RegCloseKey(handle);
  return set;
}

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

int RunWithUnmanagedWindowsUnderWine() {
  if (!RunningUnderWine()) return -1;
  const std::string program = ProgramPath();
  if (program.empty()) return -1;
  bool ok = false;
  if (UnmanagedAlreadySet(program, ok) || !ok) return -1;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) {
      SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
  }
  std::string command_line = GetCommandLineA();
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return -1;  // go on, slowly
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

void SetThreadPerMonitorDpiAware() {
  tintra::SetThreadPerMonitorAware();
}

void SetThreadDpiUnaware() {
  tintra::SetThreadDpiContext(DPI_AWARENESS_CONTEXT_UNAWARE);
}

int RunSelfAtDpi(int dpi, const std::string& arguments, int timeout_ms) {
  if (!RunningUnderWine()) return -2;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return -1;
  }
  DWORD old_value = 0;
  DWORD size = sizeof old_value;
  DWORD type = 0;
  const bool had_value =
      RegQueryValueExA(key, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old_value),
                       &size) == ERROR_SUCCESS &&
      type == REG_DWORD;
  const auto scaled = static_cast<DWORD>(dpi);
  RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&scaled),
                 sizeof scaled);
  StartedProcess child;
  const bool started = StartProgram(ProgramPath(), arguments, child);
  const bool ended = started && child.WaitForExit(timeout_ms);
  if (started && !ended) child.End();
  if (had_value) {
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_value),
                   sizeof old_value);
  } else {
    RegDeleteValueA(key, "LogPixels");
  }
  RegCloseKey(key);
  return ended ? static_cast<int>(child.ExitCode()) : -1;
}

double MillisecondsSinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;  // 100 ns units
}

}  // namespace tintra::wintest
