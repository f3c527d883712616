// Pixel images of the picker, drawn in portable code and blitted by the
// platform shell.
//
// Contract: `pixels` holds width * height values, row-major, top row first,
// no padding (stride = width). Each pixel is a ColorValue: red in bits 0-7,
// green 8-15, blue 16-23, alpha 24-31. In a 24-bit image the alpha byte is
// not part of the pixel and is kept 0.
#pragma once

#include <cstdint>
#include <vector>

#include "picker/color_model.h"

namespace tintra {

struct Image {
  int width = 0;   // pixels
  int height = 0;  // pixels
  int bits = 32;   // 24 or 32
  std::vector<ColorValue> pixels;
};

// Largest width or height CreateImage accepts; anything larger gives an
// empty image, as does a size below 1 or a depth other than 24 and 32.
constexpr int kMaxImageSide = 16384;

// A 32-bit image is opaque black (0xFF000000), a transparent one all zero;
// a 24-bit image is black (0).
Image CreateImage(int width, int height, int bits);
Image CreateTransparentImage(int width, int height);

// False for an empty image and for one whose fields disagree (pixel count
// below width * height, depth not 24 or 32): drawing into it or from it
// does nothing.
bool IsDrawable(const Image& image);

// The pixel at (x, y), or 0 outside the image.
ColorValue PixelAt(const Image& image, int x, int y);

// The blend rule: source colour S with alpha c laid over destination D with
// alpha g (neither premultiplied). c = 0 leaves D; g = 0 gives S with
// alpha c; otherwise each channel is
//   (c*S*255 + (255-c)*D*g) div (c*255 + (255-c)*g)
// and the alpha (c*255 + (255-c)*g) div 255. On an opaque destination this
// is (c*S + (255-c)*D) div 255 with alpha 255.
ColorValue BlendPixel(ColorValue destination, ColorValue source);

// All drawing below is clipped to the destination; a 24-bit destination is
// treated as opaque and keeps alpha 0. Rectangles are x, y, width, height
// in pixels; a width or height below 1 draws nothing.

// Alpha-channel mode: replaces only the alpha byte of the covered pixels by
// the colour's alpha (32-bit images only).
void AlphaBox(Image& image, int x, int y, int width, int height, ColorValue color);

// Blend mode, the colour's alpha byte being the opacity.
void BlendBox(Image& image, int x, int y, int width, int height, ColorValue color);
void BlendHorizontalLine(Image& image, int x, int y, int length, ColorValue color);
void BlendVerticalLine(Image& image, int x, int y, int length, ColorValue color);
// Only the one-pixel border of the box, each border pixel blended once.
void BlendOutlineBox(Image& image, int x, int y, int width, int height, ColorValue color);

// Lays `source` over `destination` with its top-left corner at (x, y): a
// 32-bit source by the blend rule with each pixel's own alpha, a 24-bit
// source as opaque; a 24-bit source onto a 24-bit destination is copied.
void DrawImage(Image& destination, const Image& source, int x, int y);

// Draws the same as BlendBox(destination, x, y, source.width, source.height,
// color made opaque) followed by DrawImage(destination, source, x, y), in
// one pass.
void DrawImageOverColor(Image& destination, const Image& source, int x, int y, ColorValue color);

// Copies the rectangle (x, y, width, height) of `source` to the same place
// in `destination`, clipped to both; nothing when the depths differ.
void CopyArea(Image& destination, const Image& source, int x, int y, int width, int height);

// Shading of a row: `count` opaque pixels, each channel c of pixel i being
// columns[4 i + c] (the channel times 256, 0..65280; lane 3 unused) times
// weight / 65536 (0..65535), rounded: (columns * weight / 65536 + 128) / 256
// with both divisions dropping the remainder.
void ShadeRow(ColorValue* destination, const std::uint16_t* columns, int count,
              std::uint32_t weight);

namespace detail {
// The scalar form of ShadeRow, against which the vector one is tested.
void ShadeRowScalar(ColorValue* destination, const std::uint16_t* columns, int count,
                    std::uint32_t weight);
// The two row kernels behind the opaque-destination fast path, exposed so
// that tests can check each against the blend rule: `count` source pixels
// laid over `count` opaque destination pixels; the result's alpha is 255.
void BlendRowOverOpaqueScalar(ColorValue* destination, const ColorValue* source, int count);
void BlendRowOverOpaqueVector(ColorValue* destination, const ColorValue* source, int count);
// The same over `count` pixels of the one opaque colour `color` (its alpha
// byte ignored), whatever the destination held before.
void BlendRowOverColorVector(ColorValue* destination, const ColorValue* source, int count,
                             ColorValue color);
}  // namespace detail

}  // namespace tintra
