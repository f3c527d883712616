// The embedded images decoded at the size a display needs.
#include <cstdlib>

#include "picker/embedded_images.h"
#include "picker/icon_file.h"

namespace tintra {

Image LoadEmbeddedImage(EmbeddedImage which) {
  const std::span<const std::uint8_t> data = EmbeddedImageData(which);
  Image image;
  // Width 0: the largest entry, the 32-bit one where there are two.
  DecodeIconFile(data.data(), data.size(), 0, image);
  return image;
}

Image LoadEmbeddedImage(EmbeddedImage which, int size) {
  Image image = LoadEmbeddedImage(which);
  if (image.width == size) return image;
  const std::span<const std::uint8_t> scaled = ScaledImageData(which);
  Image nearer;
  if (DecodeNearestIcon(scaled.data(), scaled.size(), size, nearer) &&
      std::abs(nearer.width - size) < std::abs(image.width - size)) {
    return nearer;
  }
  return image;
}

}  // namespace tintra
