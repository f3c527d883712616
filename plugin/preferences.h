// The plug-in's language, portable part: the editor's preference file (INI
// text, ANSI or UTF-8 with byte-order mark), the folder rule that finds it,
// and the value that selects French. All text is 8-bit text in the ANSI code
// page (Windows-1252 in the portable default).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colortext/language_texts.h"
#include "colortext/windows_1252.h"

namespace tintra {

// Converts valid UTF-8 text to the ANSI code page; a character without an
// ANSI form becomes "?". The Windows build passes one that asks the system.
using Utf8ToAnsiFunction = std::string (*)(std::string_view utf8);

// The value of `key` in `group` of the INI text `file`, or `default_value`.
// A file starting with the UTF-8 byte-order mark is decoded and converted
// with `to_ansi`; any other file is taken as ANSI bytes. Group and key names
// compare without regard to letter case (ANSI case mapping); the first
// matching key wins.
std::string ReadPreference(std::string_view file, std::string_view group, std::string_view key,
                           std::string_view default_value,
                           Utf8ToAnsiFunction to_ansi = Utf8ToWindows1252);

// The editor's preference file for a plug-in at `module_path`: "Tarvo.pref"
// in the parent folder of the plug-in's folder. None when that folder has no
// parent (a program in the root of a drive, or a path without "\").
std::optional<std::string> PreferenceFilePath(std::string_view module_path);

// True for the value "Français" exactly (ANSI byte 0xE7 for "ç").
bool IsFrench(std::string_view language_value);

// The language the preference file's text selects: French when General/
// Language is "Français", English for any other value and when the group or
// the key is missing.
Language PreferredLanguage(std::string_view file, Utf8ToAnsiFunction to_ansi = Utf8ToWindows1252);

}  // namespace tintra
