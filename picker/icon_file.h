// Reader for Windows icon files (.ico): picks one entry and decodes it into
// a 32-bit Image with per-pixel alpha. Every read is bounded by `size`.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picker/image.h"

namespace tintra {

// Decodes the entry whose width equals `width` (the largest entry when
// width <= 0), preferring 32-bit entries. Returns false, leaving `out`
// empty, on any malformed or truncated data.
bool DecodeIconFile(const std::uint8_t* data, std::size_t size, int width, Image& out);

// Decodes the entry whose width is nearest to `width` (the larger on a tie),
// preferring 32-bit entries; false, leaving `out` empty, as above.
bool DecodeNearestIcon(const std::uint8_t* data, std::size_t size, int width, Image& out);

}  // namespace tintra
