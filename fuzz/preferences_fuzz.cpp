// The preference-file reader and the plug-in's other text rules on any
// bytes.
//
// Input: byte 0 flags (bit 0: the file starts with the UTF-8 byte-order
// mark; bit 1: group and key are taken from the input, each a length byte
// and its bytes, instead of "General" and "Language"); the rest is the file,
// and also a command line and a program path.
//
// Checked: a value found is trimmed, holds no line break and is a piece of
// the file (after the UTF-8 conversion); group and key compare without case;
// the first matching key wins, and a missing one is found once appended;
// UTF-8 repair is idempotent and conversion never grows the text; command-
// line arguments lose their quotes; the preference path lies in a parent
// folder of the program's.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "plugin/command_line.h"
#include "plugin/preferences.h"

namespace {

using tintra::fuzz::Reader;

// A default no file value can be: values never hold a line feed.
constexpr std::string_view kMissing = "\nmissing";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

// The file as the reader sees its lines: UTF-8 repaired and converted when
// it starts with the byte-order mark.
std::string EffectiveText(std::string_view file) {
  if (file.substr(0, kBom.size()) != kBom) return std::string(file);
  return tintra::Utf8ToWindows1252(tintra::RepairUtf8(file.substr(kBom.size())));
}

void CheckValue(const std::string& value, const std::string& effective) {
  if (value == kMissing) return;
  FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos, "value holds a line break");
  FUZZ_CHECK(value.empty() || (!IsBlankOrTab(value.front()) && !IsBlankOrTab(value.back())),
             "value not trimmed");
  // Bounded so that a pathological search cannot stall the run.
  if (value.size() * effective.size() < 50000000) {
    FUZZ_CHECK(effective.find(value) != std::string::npos, "value is no piece of the file");
  }
}

void CheckUtf8(std::string_view bytes) {
  const std::string repaired = tintra::RepairUtf8(bytes);
  FUZZ_CHECK(tintra::RepairUtf8(repaired) == repaired, "repaired UTF-8 is not valid UTF-8");
  const std::string ansi = tintra::Utf8ToWindows1252(repaired);
  FUZZ_CHECK(ansi.size() <= repaired.size(), "conversion grew %zu bytes to %zu", repaired.size(),
             ansi.size());
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) FUZZ_CHECK(ansi == bytes, "ASCII text changed by the conversion");
}

void CheckCommandLine(std::string_view command_line) {
  const std::vector<std::string> arguments = tintra::SplitCommandLine(command_line);
  for (std::size_t i = 0; i < arguments.size() && i < 8; ++i) {
    FUZZ_CHECK(arguments[i].find('"') == std::string::npos, "argument %zu keeps a quote", i);
    FUZZ_CHECK(tintra::CommandLineArgument(command_line, static_cast<int>(i)) == arguments[i],
               "argument %zu differs", i);
  }
  FUZZ_CHECK(tintra::CommandLineArgument(command_line, -1).empty(), "argument -1");
  FUZZ_CHECK(tintra::CommandLineArgument(command_line, static_cast<int>(arguments.size())).empty(),
             "argument past the last");
}

void CheckPreferencePath(std::string_view module_path) {
  const std::optional<std::string> path = tintra::PreferenceFilePath(module_path);
  if (!path) return;
  constexpr std::string_view kName = "Tarvo.pref";
  FUZZ_CHECK(path->size() > kName.size() && path->ends_with(kName), "path \"%s\"", path->c_str());
  const std::string_view folder = std::string_view(*path).substr(0, path->size() - kName.size());
  FUZZ_CHECK(folder.back() == '\\', "parent folder without \"\\\"");
  std::string_view program = module_path;
  if (program.starts_with("\\\\?\\")) program.remove_prefix(4);
  const std::size_t own_folder_end = program.find_last_of("\\/");
  FUZZ_CHECK(program.starts_with(folder) && folder.size() <= own_folder_end,
             "\"%s\" is no parent folder of the program", path->c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader r{data, size};
  const std::uint8_t flags = tintra::fuzz::TakeByte(r);
  std::string_view group = "General";
  std::string_view key = "Language";
  if ((flags & 2) != 0) {
    group = tintra::fuzz::TakeShortText(r);
    key = tintra::fuzz::TakeShortText(r);
  }
  const std::string_view rest = tintra::fuzz::TakeRest(r);
  const std::string file =
      (flags & 1) != 0 ? std::string(kBom) + std::string(rest) : std::string(rest);
  const std::string effective = EffectiveText(file);

  const std::string value = tintra::ReadPreference(file, group, key, kMissing);
  CheckValue(value, effective);
  if (tintra::IsFrench(value))
    FUZZ_CHECK(value ==
                   "Fran\xE7"
                   "ais",
               "IsFrench(\"%s\")", value.c_str());

  if ((flags & 2) == 0) {
    FUZZ_CHECK(tintra::ReadPreference(file, "GENERAL", "language", kMissing) == value,
               "group and key compared with case");
    // The first matching key wins; a missing one is found once appended.
    const std::string appended = file + "\n[general]\n  LANGUAGE = Zz9 \n";
    const std::string again = tintra::ReadPreference(appended, group, key, kMissing);
    FUZZ_CHECK(again == (value == kMissing ? std::string("Zz9") : value),
               "after appending a group: \"%s\", before \"%s\"", again.c_str(), value.c_str());
  }

  CheckUtf8(rest);
  CheckCommandLine(rest);
  CheckPreferencePath(rest);
  return 0;
}
