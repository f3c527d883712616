// Blanks in 8-bit text: a space or a tab, as ReadInteger skips them, the
// preference file trims them and the command line separates its arguments
// with them. Line breaks are never blanks.
#pragma once

#include <string_view>

namespace tintra {

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The text without its leading and trailing spaces; tabs stay.
std::string_view TrimSpaces(std::string_view text);

// The text without its leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view text);

}  // namespace tintra
