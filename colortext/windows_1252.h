// Text between the core's 8-bit Windows-1252 bytes (its own texts, the
// clipboard text as the Windows program sees it, the plug-in's preference
// values) and UTF-8, the text of the Linux shell and its clipboard.
// Portable.
//
// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the C1 control characters of the same value, as in the
// Windows conversion, so that every byte survives the round trip.
#pragma once

#include <string>
#include <string_view>

namespace tintra {

// Every byte as its character in UTF-8; 0x00..0x7F unchanged.
std::string Windows1252ToUtf8(std::string_view bytes);

// Every character as its Windows-1252 byte. A character that Windows-1252
// lacks becomes "?", and so does each maximal ill-formed part of the UTF-8
// (a stray continuation byte, a cut, overlong or surrogate form, a value
// above U+10FFFF). Reads `utf8` only within its size.
std::string Utf8ToWindows1252(std::string_view utf8);

// Replaces every ill-formed UTF-8 part, as above, by "?"; well-formed text
// comes back unchanged.
std::string RepairUtf8(std::string_view bytes);

}  // namespace tintra
