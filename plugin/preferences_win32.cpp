#include "plugin/preferences_win32.h"

#include <windows.h>

#include <climits>

#include "picker/handles_win32.h"
#include "plugin/preferences.h"

namespace tintra {

namespace {

// The file opened for reading; empty when it cannot be.
OwnedKernelHandle OpenForReading(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return OwnedKernelHandle(file != INVALID_HANDLE_VALUE ? file : nullptr);
}

}  // namespace

std::string Utf8ToSystemAnsi(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  if (GetACP() == CP_UTF8) return std::string(utf8);  // nothing to convert (nor allowed)
  if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return std::string();
  const int utf8_length = static_cast<int>(utf8.size());
  const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8_length, nullptr, 0);
  if (wide_length <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8_length, wide.data(), wide_length);
  BOOL used_default = FALSE;
  const int ansi_length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                              wide_length, nullptr, 0, "?", &used_default);
  if (ansi_length <= 0) return std::string();
  std::string ansi(static_cast<std::size_t>(ansi_length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wide_length, ansi.data(),
                      ansi_length, "?", &used_default);
  return ansi;
}

std::string ProgramFilePath() {
  constexpr std::size_t kLongestPath = 32768;  // characters, the system's limit
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= kLongestPath) return std::string();  // cut short: no usable folder
    path.resize(path.size() * 2);
  }
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  const OwnedKernelHandle file = OpenForReading(path);
  if (file.get() == nullptr) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return std::nullopt;
  const DWORD wanted = size.QuadPart > kMaxPreferenceFileBytes ? kMaxPreferenceFileBytes
                                                               : static_cast<DWORD>(size.QuadPart);
  std::string bytes(wanted, '\0');
  DWORD read = 0;
  if (wanted != 0 && !ReadFile(file.get(), bytes.data(), wanted, &read, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(read);
  return bytes;
}

Language PluginLanguage() {
  const std::optional<std::string> file_path = PreferenceFilePath(ProgramFilePath());
  if (!file_path) return Language::kEnglish;
  const std::optional<std::string> file = ReadFileBytes(*file_path);
  if (!file) return Language::kEnglish;
  return PreferredLanguage(*file, Utf8ToSystemAnsi);
}

}  // namespace tintra
