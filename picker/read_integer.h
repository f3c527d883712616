// The one rule by which Tintra reads an integer from text: blanks and tabs
// skipped, one optional sign, "$" hexadecimal, "%" binary, otherwise decimal,
// stopping silently at the first other character; 64-bit with wrap-around.
#pragma once

#include <cstdint>
#include <string_view>

namespace tintra {

std::int64_t ReadInteger(std::string_view text);

// The low 32 bits, as every caller keeps them.
inline std::int32_t ReadInteger32(std::string_view text) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadInteger(text)));
}

}  // namespace tintra
