#include "picker/image.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TINTRA_HAVE_SSE2 1
#endif

namespace tintra {
namespace {

// x div 255, exact for 0 <= x <= 65025 (= 255 * 255).
constexpr std::uint32_t Div255(std::uint32_t x) {
  return (x + 1 + (x >> 8)) >> 8;
}

// The rule on a destination with 0 < g < 255 (and 0 < c): one shared
// denominator, plain integer division as the rule is written.
ColorValue BlendTranslucent(ColorValue d, ColorValue s, std::uint32_t c, std::uint32_t g) {
  const std::uint32_t src_weight = c * 255;
  const std::uint32_t dst_weight = (255 - c) * g;
  const std::uint32_t denominator = src_weight + dst_weight;  // 255..65025
  ColorValue out = (denominator / 255) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t sc = (s >> shift) & 0xFFu;
    const std::uint32_t dc = (d >> shift) & 0xFFu;
    out |= ((src_weight * sc + dst_weight * dc) / denominator) << shift;
  }
  return out;
}

// The rule on an opaque destination: alpha stays 255.
ColorValue BlendOverOpaque(ColorValue d, ColorValue s) {
  const std::uint32_t c = s >> 24;
  const std::uint32_t ic = 255 - c;
  // Red and blue side by side in 16-bit lanes; each lane stays <= 65280.
  std::uint32_t rb = (s & 0x00FF00FFu) * c + (d & 0x00FF00FFu) * ic;
  rb = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  const std::uint32_t g = Div255(((s >> 8) & 0xFFu) * c + ((d >> 8) & 0xFFu) * ic);
  return kAlphaMask | rb | (g << 8);
}

#if defined(TINTRA_HAVE_SSE2)
// Four source pixels `s` over four opaque destination pixels given as two
// pairs of 16-bit channels (pixels 0-1, 2-3). Per channel
// (S*c + D*(255-c)) <= 65025 in a 16-bit lane, then the exact div-255 of
// Div255; alpha 255.
inline __m128i BlendFour(__m128i s, __m128i d16_low, __m128i d16_high) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i full = _mm_set1_epi16(255);
  __m128i halves[2];
  for (int half = 0; half < 2; ++half) {
    const __m128i s16 = half == 0 ? _mm_unpacklo_epi8(s, zero) : _mm_unpackhi_epi8(s, zero);
    const __m128i d16 = half == 0 ? d16_low : d16_high;
    const __m128i c = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
    __m128i sum =
        _mm_add_epi16(_mm_mullo_epi16(s16, c), _mm_mullo_epi16(d16, _mm_sub_epi16(full, c)));
    sum = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sum, one), _mm_srli_epi16(sum, 8)), 8);
    halves[half] = sum;
  }
  return _mm_or_si128(_mm_packus_epi16(halves[0], halves[1]),
                      _mm_set1_epi32(static_cast<int>(kAlphaMask)));
}
#endif

// Clipped rectangle: [x0, x1) x [y0, y1) within the image, empty when
// x0 >= x1 or y0 >= y1. 64-bit sums so that hostile sizes cannot wrap.
struct Span {
  int x0, y0, x1, y1;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Span Clip(const Image& image, int x, int y, int width, int height) {
  if (width < 1 || height < 1) return {0, 0, 0, 0};
  const long long right = static_cast<long long>(x) + width;
  const long long bottom = static_cast<long long>(y) + height;
  return {std::max(x, 0), std::max(y, 0), static_cast<int>(std::min<long long>(right, image.width)),
          static_cast<int>(std::min<long long>(bottom, image.height))};
}

ColorValue* Row(Image& image, int y) {
  return image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
}
const ColorValue* Row(const Image& image, int y) {
  return image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
}

bool AllOpaque(const ColorValue* row, int count) {
  ColorValue all = kAlphaMask;
  for (int i = 0; i < count; ++i) all &= row[i];
  return (all & kAlphaMask) == kAlphaMask;
}

// One colour over `count` pixels of a row. `rgb_only`: 24-bit destination.
void BlendColorRow(ColorValue* row, int count, bool rgb_only, ColorValue color) {
  const std::uint32_t c = color >> 24;
  if (c == 0) return;
  if (c == 255) {
    std::fill_n(row, count, rgb_only ? (color & kRgbMask) : color);
    return;
  }
  if (count < 8) {  // plots, vertical lines: per pixel, without the set-up below
    for (int i = 0; i < count; ++i) {
      row[i] = rgb_only ? BlendOverOpaque(row[i], color) & kRgbMask : BlendPixel(row[i], color);
    }
    return;
  }
  if (rgb_only || AllOpaque(row, count)) {
    // The row kernel with a source row of the one colour, a chunk at a time.
    constexpr int kChunk = 64;
    ColorValue source[kChunk];
    std::fill_n(source, std::min(kChunk, count), color);
    for (int done = 0; done < count; done += kChunk) {
      detail::BlendRowOverOpaqueVector(row + done, source, std::min(kChunk, count - done));
    }
    if (rgb_only) {
      for (int i = 0; i < count; ++i) row[i] &= kRgbMask;
    }
    return;
  }
  for (int i = 0; i < count; ++i) row[i] = BlendPixel(row[i], color);
}

// `count` source pixels over a destination row; the depths decide the rule.
void DrawRow(ColorValue* dst, int dst_bits, const ColorValue* src, int src_bits, int count) {
  if (src_bits == 24) {
    if (dst_bits == 24) {
      std::copy_n(src, count, dst);
    } else {
      for (int i = 0; i < count; ++i) dst[i] = (src[i] & kRgbMask) | kAlphaMask;
    }
    return;
  }
  if (AllOpaque(src, count)) {  // c = 255 everywhere: the source as it is
    if (dst_bits == 24) {
      for (int i = 0; i < count; ++i) dst[i] = src[i] & kRgbMask;
    } else {
      std::copy_n(src, count, dst);
    }
    return;
  }
  if (dst_bits == 24) {
    detail::BlendRowOverOpaqueVector(dst, src, count);
    for (int i = 0; i < count; ++i) dst[i] &= kRgbMask;
    return;
  }
  if (AllOpaque(dst, count)) {
    detail::BlendRowOverOpaqueVector(dst, src, count);
    return;
  }
  for (int i = 0; i < count; ++i) dst[i] = BlendPixel(dst[i], src[i]);
}

}  // namespace

namespace {

Image MakeImage(int width, int height, int bits, ColorValue fill) {
  Image image;
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
      (bits != 24 && bits != 32)) {
    return image;
  }
  image.width = width;
  image.height = height;
  image.bits = bits;
  image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  return image;
}

}  // namespace

Image CreateImage(int width, int height, int bits) {
  return MakeImage(width, height, bits, bits == 32 ? kAlphaMask : 0u);
}

Image CreateTransparentImage(int width, int height) {
  return MakeImage(width, height, 32, 0u);
}

bool IsDrawable(const Image& image) {
  return image.width >= 1 && image.height >= 1 && image.width <= kMaxImageSide &&
         image.height <= kMaxImageSide && (image.bits == 24 || image.bits == 32) &&
         image.pixels.size() >=
             static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

ColorValue PixelAt(const Image& image, int x, int y) {
  if (!IsDrawable(image) || x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
  return Row(image, y)[x];
}

ColorValue BlendPixel(ColorValue destination, ColorValue source) {
  const std::uint32_t c = source >> 24;
  const std::uint32_t g = destination >> 24;
  if (c == 0) return destination;
  if (c == 255 || g == 0) return source;
  if (g == 255) return BlendOverOpaque(destination, source);
  return BlendTranslucent(destination, source, c, g);
}

void AlphaBox(Image& image, int x, int y, int width, int height, ColorValue color) {
  if (!IsDrawable(image) || image.bits != 32) return;
  const Span span = Clip(image, x, y, width, height);
  if (span.empty()) return;
  const ColorValue alpha = color & kAlphaMask;
  for (int row = span.y0; row < span.y1; ++row) {
    ColorValue* pixels = Row(image, row);
    for (int col = span.x0; col < span.x1; ++col) pixels[col] = (pixels[col] & kRgbMask) | alpha;
  }
}

void BlendBox(Image& image, int x, int y, int width, int height, ColorValue color) {
  if (!IsDrawable(image)) return;
  const Span span = Clip(image, x, y, width, height);
  if (span.empty()) return;
  const bool rgb_only = image.bits == 24;
  const int count = span.x1 - span.x0;
  if (count == 1) {  // vertical lines: down the column, no per-row set-up
    if ((color >> 24) == 0) return;
    for (int row = span.y0; row < span.y1; ++row) {
      ColorValue& pixel = Row(image, row)[span.x0];
      pixel = rgb_only ? BlendOverOpaque(pixel, color) & kRgbMask : BlendPixel(pixel, color);
    }
    return;
  }
  for (int row = span.y0; row < span.y1; ++row) {
    BlendColorRow(Row(image, row) + span.x0, count, rgb_only, color);
  }
}

void BlendHorizontalLine(Image& image, int x, int y, int length, ColorValue color) {
  BlendBox(image, x, y, length, 1, color);
}

void BlendVerticalLine(Image& image, int x, int y, int length, ColorValue color) {
  BlendBox(image, x, y, 1, length, color);
}

void BlendOutlineBox(Image& image, int x, int y, int width, int height, ColorValue color) {
  // Beyond kMaxImageSide nothing is visible; the bound keeps x + 1, y + 1 from wrapping.
  if (width < 1 || height < 1 || x > kMaxImageSide || y > kMaxImageSide) return;
  const long long right = static_cast<long long>(x) + width - 1;
  const long long bottom = static_cast<long long>(y) + height - 1;
  BlendHorizontalLine(image, x, y, width, color);
  if (bottom > y && bottom <= kMaxImageSide) {
    BlendHorizontalLine(image, x, static_cast<int>(bottom), width, color);
  }
  if (height <= 2) return;
  BlendVerticalLine(image, x, y + 1, height - 2, color);
  if (right > x && right <= kMaxImageSide) {
    BlendVerticalLine(image, static_cast<int>(right), y + 1, height - 2, color);
  }
}

void DrawImage(Image& destination, const Image& source, int x, int y) {
  if (!IsDrawable(destination) || !IsDrawable(source)) return;
  const Span span = Clip(destination, x, y, source.width, source.height);
  if (span.empty()) return;
  const int count = span.x1 - span.x0;
  for (int row = span.y0; row < span.y1; ++row) {
    DrawRow(Row(destination, row) + span.x0, destination.bits, Row(source, row - y) + (span.x0 - x),
            source.bits, count);
  }
}

void DrawImageOverColor(Image& destination, const Image& source, int x, int y, ColorValue color) {
  if (!IsDrawable(destination) || !IsDrawable(source)) return;
  const Span span = Clip(destination, x, y, source.width, source.height);
  if (span.empty()) return;
  const int count = span.x1 - span.x0;
  const bool dst24 = destination.bits == 24;
  for (int row = span.y0; row < span.y1; ++row) {
    ColorValue* dst = Row(destination, row) + span.x0;
    const ColorValue* src = Row(source, row - y) + (span.x0 - x);
    if (source.bits == 24) {
      DrawRow(dst, destination.bits, src, source.bits, count);  // opaque: covers the colour
    } else {
      detail::BlendRowOverColorVector(dst, src, count, color);
      if (dst24) {
        for (int i = 0; i < count; ++i) dst[i] &= kRgbMask;
      }
    }
  }
}

void CopyArea(Image& destination, const Image& source, int x, int y, int width, int height) {
  if (!IsDrawable(destination) || !IsDrawable(source) || destination.bits != source.bits) return;
  Span span = Clip(destination, x, y, width, height);
  const Span within_source = Clip(source, x, y, width, height);
  span.x1 = std::min(span.x1, within_source.x1);
  span.y1 = std::min(span.y1, within_source.y1);
  if (span.empty()) return;
  for (int row = span.y0; row < span.y1; ++row) {
    std::copy(Row(source, row) + span.x0, Row(source, row) + span.x1,
              Row(destination, row) + span.x0);
  }
}

void ShadeRow(ColorValue* destination, const std::uint16_t* columns, int count,
              std::uint32_t weight) {
  int i = 0;
#if defined(TINTRA_HAVE_SSE2)
  // Two pixels of four 16-bit lanes per multiply, four pixels per store.
  const __m128i k = _mm_set1_epi16(static_cast<short>(std::min<std::uint32_t>(weight, 65535)));
  const __m128i half = _mm_set1_epi16(128);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(kAlphaMask));
  for (; i + 4 <= count; i += 4) {
    const auto* in = reinterpret_cast<const __m128i*>(columns + 4 * i);
    __m128i low = _mm_mulhi_epu16(_mm_loadu_si128(in), k);
    __m128i high = _mm_mulhi_epu16(_mm_loadu_si128(in + 1), k);
    low = _mm_srli_epi16(_mm_add_epi16(low, half), 8);
    high = _mm_srli_epi16(_mm_add_epi16(high, half), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i),
                     _mm_or_si128(_mm_packus_epi16(low, high), opaque));
  }
#endif
  detail::ShadeRowScalar(destination + i, columns + 4 * i, count - i, weight);
}

namespace detail {

void ShadeRowScalar(ColorValue* destination, const std::uint16_t* columns, int count,
                    std::uint32_t weight) {
  const std::uint32_t k = std::min<std::uint32_t>(weight, 65535);
  for (int i = 0; i < count; ++i) {
    ColorValue pixel = kAlphaMask;
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t v = (columns[4 * i + c] * k) >> 16;
      pixel |= ((v + 128) >> 8) << (8 * c);
    }
    destination[i] = pixel;
  }
}

void BlendRowOverOpaqueScalar(ColorValue* destination, const ColorValue* source, int count) {
  for (int i = 0; i < count; ++i) destination[i] = BlendOverOpaque(destination[i], source[i]);
}

void BlendRowOverOpaqueVector(ColorValue* destination, const ColorValue* source, int count) {
  int i = 0;
#if defined(TINTRA_HAVE_SSE2)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(destination + i));
    const __m128i out = BlendFour(s, _mm_unpacklo_epi8(d, zero), _mm_unpackhi_epi8(d, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), out);
  }
#endif
  BlendRowOverOpaqueScalar(destination + i, source + i, count - i);
}

void BlendRowOverColorVector(ColorValue* destination, const ColorValue* source, int count,
                             ColorValue color) {
  const ColorValue under = color | kAlphaMask;
  int i = 0;
#if defined(TINTRA_HAVE_SSE2)
  const __m128i d16 =
      _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(under)), _mm_setzero_si128());
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), BlendFour(s, d16, d16));
  }
#endif
  for (; i < count; ++i) destination[i] = BlendOverOpaque(under, source[i]);
}

}  // namespace detail

}  // namespace tintra
