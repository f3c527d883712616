// DecodeIconFile on any bytes. Byte 0 gives the requested width (0 and
// 1..253 as they are, 254 as -1, 255 as 256); the rest is the icon file,
// copied to a buffer of exactly its size so that any read past it is caught.
//
// Checked: a failure leaves the image empty; a success gives a 32-bit image
// of 1..256 pixels a side with every pixel present, of the requested width
// when one was asked for.
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_input.h"
#include "picker/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int width = data[0] == 255 ? 256 : data[0] == 254 ? -1 : data[0];
  const std::size_t file_size = size - 1;
  const std::unique_ptr<std::uint8_t[]> file(new std::uint8_t[file_size == 0 ? 1 : file_size]);
  if (file_size != 0) std::memcpy(file.get(), data + 1, file_size);

  tintra::Image image;
  image.width = 7;  // must be cleared on failure
  image.pixels.assign(3, 0xDEADBEEFu);
  const bool ok = tintra::DecodeIconFile(file.get(), file_size, width, image);
  if (!ok) {
    FUZZ_CHECK(image.width == 0 && image.height == 0 && image.pixels.empty(),
               "failure left a %dx%d image", image.width, image.height);
    return 0;
  }
  FUZZ_CHECK(image.bits == 32, "decoded %d bits", image.bits);
  FUZZ_CHECK(image.width >= 1 && image.width <= 256 && image.height >= 1 && image.height <= 256,
             "decoded %dx%d", image.width, image.height);
  FUZZ_CHECK(image.pixels.size() == static_cast<std::size_t>(image.width) * image.height,
             "%zu pixels for %dx%d", image.pixels.size(), image.width, image.height);
  FUZZ_CHECK(width <= 0 || image.width == width, "asked width %d, got %d", width, image.width);

  // A null buffer is refused whatever size it claims.
  tintra::Image none;
  FUZZ_CHECK(!tintra::DecodeIconFile(nullptr, file_size, width, none) && none.pixels.empty(),
             "decoded a null buffer");
  return 0;
}
