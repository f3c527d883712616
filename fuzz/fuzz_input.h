// Shared helpers of the fuzz targets: a front-to-back reader over the fuzz
// input and a check that aborts with a message.
//
// The reader takes fixed-size little-endian integers and length-prefixed
// texts from the front; reading past the end gives zeros and empty texts, so
// every byte string is a valid input and seed files can be written by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tintra::fuzz {

// Aborts (a crash for libFuzzer) when `condition` is false, printing what failed.
#define FUZZ_CHECK(condition, ...)                                                         \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                   \
      std::fprintf(stderr, "\n");                                                          \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
};

inline bool AtEnd(const Reader& r) {
  return r.pos >= r.size;
}

inline std::uint8_t TakeByte(Reader& r) {
  return r.pos < r.size ? r.data[r.pos++] : 0;
}

inline std::uint16_t TakeU16(Reader& r) {
  const std::uint16_t low = TakeByte(r);
  return static_cast<std::uint16_t>(low | (TakeByte(r) << 8));
}

inline std::uint32_t TakeU32(Reader& r) {
  const std::uint32_t low = TakeU16(r);
  return low | (static_cast<std::uint32_t>(TakeU16(r)) << 16);
}

// A text of up to `length` bytes (fewer at the end of the input).
inline std::string_view TakeText(Reader& r, std::size_t length) {
  const std::size_t available = r.pos < r.size ? r.size - r.pos : 0;
  if (length > available) length = available;
  const std::string_view text(reinterpret_cast<const char*>(r.data + r.pos), length);
  r.pos += length;
  return text;
}

// A text whose length is the next byte (0..255).
inline std::string_view TakeShortText(Reader& r) {
  return TakeText(r, TakeByte(r));
}

// Everything not read yet.
inline std::string_view TakeRest(Reader& r) {
  return TakeText(r, r.size);
}

}  // namespace tintra::fuzz
