#include "plugin/preferences.h"

#include "colortext/ansi_case.h"
#include "picker/blanks.h"

namespace tintra {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

std::string ReadPreference(std::string_view file, std::string_view group, std::string_view key,
                           std::string_view default_value, Utf8ToAnsiFunction to_ansi) {
  std::string converted;
  if (file.starts_with(kUtf8ByteOrderMark)) {
    converted = to_ansi(RepairUtf8(file.substr(kUtf8ByteOrderMark.size())));
    file = converted;
  }
  bool in_group = false;  // lines before the first group belong to none
  std::size_t line_start = 0;
  while (line_start < file.size()) {
    std::size_t line_end = file.find_first_of("\r\n", line_start);
    if (line_end == std::string_view::npos) line_end = file.size();
    std::string_view line = file.substr(line_start, line_end - line_start);
    line_start = line_end + 1;

    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;  // not a group line
      in_group = AnsiEqualIgnoringCase(TrimBlanks(line.substr(1, close - 1)), group);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!in_group || equals == std::string_view::npos) continue;
    if (AnsiEqualIgnoringCase(TrimBlanks(line.substr(0, equals)), key)) {
      return std::string(TrimBlanks(line.substr(equals + 1)));
    }
  }
  return std::string(default_value);
}

std::optional<std::string> PreferenceFilePath(std::string_view module_path) {
  if (module_path.starts_with("\\\\?\\")) module_path.remove_prefix(4);
  const std::size_t last_separator = module_path.find_last_of("\\/");
  if (last_separator == std::string_view::npos) return std::nullopt;
  std::string folder(module_path.substr(0, last_separator + 1));
  // Drop the folder's own "\" and name; what is left is the parent with its "\".
  do {
    folder.pop_back();
  } while (!folder.empty() && folder.back() != '\\');
  if (folder.empty()) return std::nullopt;  // root of a drive: no parent
  return folder + "Tarvo.pref";
}

bool IsFrench(std::string_view language_value) {
  return language_value ==
         "Fran\xE7"
         "ais";
}

Language PreferredLanguage(std::string_view file, Utf8ToAnsiFunction to_ansi) {
  return IsFrench(ReadPreference(file, "General", "Language", "", to_ansi)) ? Language::kFrench
                                                                            : Language::kEnglish;
}

}  // namespace tintra
