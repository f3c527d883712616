// The six images the picker carries in icon file format: three button faces
// and the three overlays the canvas draws. The build embeds them from
// resources/ (cmake/embed_images.cmake).
#pragma once

#include <cstdint>
#include <span>

#include "picker/image.h"

namespace tintra {

// The list of the embedded images, the one place it is written: kSomeName
// is resources/some_name.ico and resources/scaled/some_name.ico. The build
// and the tests read it from here; the enumerators keep their default
// values (0, 1, 2 ...) in the order of the list.
enum class EmbeddedImage {
  kEyedropper,    // 32 x 32, 32-bit: pipette dripping a rainbow puddle (button face)
  kConfirm,       // 32 x 32, 32-bit: green check mark (OK button face)
  kCancel,        // 24 x 24, 32-bit: red cross (Cancel button face)
  kFieldMarker,   // 15 x 15, 32-bit: ring marker of the field position
  kRestoreArrow,  // 24 x 24, 24- and 32-bit: dark arrow curving upwards
  kStoreArrow,    // 24 x 24, 24- and 32-bit: dark arrow curving downwards
};

// The icon file's bytes, held in the program: the image at 96 DPI.
std::span<const std::uint8_t> EmbeddedImageData(EmbeddedImage which);

// The icon file of the same image at its sizes for the scaled displays, one
// 32-bit entry for each DPI of kImageDpis above 96 (picker/dialog_layout.h).
std::span<const std::uint8_t> ScaledImageData(EmbeddedImage which);

// The 32-bit image at 96 DPI (with its alpha); an empty image when the data
// cannot be read.
Image LoadEmbeddedImage(EmbeddedImage which);

// The image drawn nearest to `size` pixels wide, of both files (the 96-DPI
// one when `size` is its width); the 96-DPI image when nothing nearer can be
// read.
Image LoadEmbeddedImage(EmbeddedImage which, int size);

}  // namespace tintra
