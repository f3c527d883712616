// Upper- and lower-casing of 8-bit text as Windows does it for the Western
// ANSI code page (1252), whatever the machine's locale: ASCII letters, the
// Latin-1 letters 0xC0-0xDE <-> 0xE0-0xFE (except 0xD7 and 0xF7), and the
// pairs 0x8A/0x9A (S caron), 0x8C/0x9C (OE), 0x8E/0x9E (Z caron),
// 0x9F/0xFF (Y diaeresis). Every other byte is its own case.
#pragma once

#include <string>
#include <string_view>

namespace tintra {

char AnsiUpperChar(char c);
char AnsiLowerChar(char c);

std::string AnsiUpperText(std::string_view text);

// Equal under the case mapping above; compares in place, without copies.
bool AnsiEqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tintra
