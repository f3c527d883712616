// Device-independent bitmaps and GDI colours against the picker's pixel
// layout (picker/image.h: ColorValue, red in bits 0-7, top row first).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "picker/color_model.h"
#include "picker/handles_win32.h"

namespace tintra {

// A COLORREF (GetPixel, GetSysColor) keeps red, green and blue where a
// ColorValue does; its high byte is not alpha.
static_assert(sizeof(COLORREF) == sizeof(ColorValue));
static_assert(RGB(0x12, 0x34, 0x56) == ComposeColor(0x12, 0x34, 0x56));

// The colour of a COLORREF, alpha 0.
constexpr ColorValue ColorOfColorRef(COLORREF c) {
  return static_cast<ColorValue>(c) & kRgbMask;
}

// A 32-bit DIB pixel (blue in bits 0-7) from a ColorValue, or back: red and
// blue trade places, green and alpha stay.
constexpr std::uint32_t SwapRedBlue(std::uint32_t pixel) {
  return (pixel & 0xFF00FF00u) | ((pixel & 0xFFu) << 16) | ((pixel >> 16) & 0xFFu);
}

// Bytes in a DIB row of `width` pixels of `bit_count` 24 or 32 bits: rows
// start on 4-byte boundaries.
constexpr std::size_t DibStride(int width, int bit_count) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bit_count / 8) + 3) &
         ~std::size_t{3};
}

// The header of an uncompressed DIB of `bit_count` 24 or 32 bits, top row
// first.
inline BITMAPINFO TopDownBitmapInfo(int width, int height, WORD bit_count) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bit_count;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A DIB section of that layout; `bits` gets its pixels, DibStride bytes a
// row (nullptr with an empty holder when it cannot be made).
inline OwnedBitmap CreateTopDownDib(int width, int height, WORD bit_count, void*& bits) {
  const BITMAPINFO info = TopDownBitmapInfo(width, height, bit_count);
  bits = nullptr;
  OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits == nullptr) bitmap.reset();
  return bitmap;
}

}  // namespace tintra
