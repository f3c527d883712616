// The six images the picker carries in icon file format: three button faces
// and the three overlays the canvas draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "picker/image.h"

namespace tintra {

enum class EmbeddedImage {
  kEyedropper,    // 32 x 32, 32-bit: pipette dripping a rainbow puddle (button face)
  kConfirm,       // 32 x 32, 32-bit: green check mark (OK button face)
  kCancel,        // 24 x 24, 32-bit: red cross (Cancel button face)
  kFieldMarker,   // 15 x 15, 32-bit: ring marker of the field position
  kRestoreArrow,  // 24 x 24, 24- and 32-bit: dark arrow curving upwards
  kStoreArrow,    // 24 x 24, 24- and 32-bit: dark arrow curving downwards
};

// The icon file's bytes, held in the program.
std::span<const std::uint8_t> EmbeddedImageData(EmbeddedImage which);

// The 32-bit image of the icon file (with its alpha); an empty image when
// the data cannot be read.
Image LoadEmbeddedImage(EmbeddedImage which);

}  // namespace tintra
