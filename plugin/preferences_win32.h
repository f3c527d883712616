// The plug-in's language, Win32 side: where the program lies, reading the
// editor's preference file, and the system's UTF-8 to ANSI conversion.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colortext/language_texts.h"

namespace tintra {

// Largest part of a preference file that is read, bytes; the rest is
// ignored. The editor's file holds a few settings.
inline constexpr unsigned kMaxPreferenceFileBytes = 16u << 20;

// UTF-8 to the system's ANSI code page; characters without an ANSI form
// (no best-fit substitutes) become "?".
std::string Utf8ToSystemAnsi(std::string_view utf8);

// Full path of the running program (GetModuleFileNameA); empty on failure.
std::string ProgramFilePath();

// The first kMaxPreferenceFileBytes bytes of a file, read only and shared
// with writers; none when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// The language the editor's preference file beside the plug-in's folder
// selects; English also when there is no such file (or no parent folder).
Language PluginLanguage();

}  // namespace tintra
