// Icon file layout (all little-endian):
//   ICONDIR        6 bytes: reserved 0, type 1, entry count
//   ICONDIRENTRY  16 bytes each: width, height (0 means 256), colour count,
//                 reserved, planes, bit count, byte size, file offset
//   entry data    a PNG stream, or a DIB: BITMAPINFOHEADER (height doubled
//                 for the colour rows plus the AND mask), optional colour
//                 table, colour rows, mask rows; rows bottom-up, each padded
//                 to 4 bytes; mask bit 1 (most significant bit first) means
//                 transparent.

#include "picker/icon_file.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tintra {

namespace {

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;    // BITMAPINFOHEADER
constexpr std::uint32_t kMaxColorTable = 256;  // entries of 4 bytes
constexpr std::uint16_t kIconType = 1;         // 2 would be a cursor
constexpr std::uint32_t kUncompressed = 0;     // BI_RGB

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool IsPng(const std::uint8_t* p, std::size_t size) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return size >= sizeof kSignature && std::equal(kSignature, kSignature + 8, p);
}

struct EntryRange {
  std::size_t offset = 0;  // bytes from the start of the file
  std::size_t size = 0;    // bytes
};

// A DIB entry that can be decoded: its sizes checked against its bytes.
struct DibEntry {
  int width = 0;                             // 1..256
  int height = 0;                            // 1..256
  int bits = 0;                              // 24 or 32
  const std::uint8_t* color_rows = nullptr;  // bottom row first
  const std::uint8_t* mask_rows = nullptr;   // bottom row first
  std::size_t color_stride = 0;              // bytes per row, padded to 4
  std::size_t mask_stride = 0;
};

enum class EntryKind {
  kDecodable,  // a 24- or 32-bit uncompressed DIB
  kSkipped,    // well-formed but not decoded here: PNG, palette, bit fields
  kMalformed,
};

// Reads the entry's header; `dir_width` and `dir_height` (1..256) come from
// its directory entry and must agree with the DIB's.
EntryKind ReadEntry(const std::uint8_t* data, std::size_t size, int dir_width, int dir_height,
                    DibEntry& dib) {
  if (IsPng(data, size)) return EntryKind::kSkipped;
  if (size < kInfoHeaderSize) return EntryKind::kMalformed;
  const std::uint32_t header_size = ReadU32(data);
  const auto width = static_cast<std::int32_t>(ReadU32(data + 4));
  const auto height = static_cast<std::int32_t>(ReadU32(data + 8));  // colour + mask
  const std::uint16_t bits = ReadU16(data + 14);
  const std::uint32_t compression = ReadU32(data + 16);
  const std::uint32_t colors_used = ReadU32(data + 32);
  if (header_size < kInfoHeaderSize || header_size > size) return EntryKind::kMalformed;
  if (width != dir_width || height != 2 * dir_height) return EntryKind::kMalformed;
  if ((bits != 24 && bits != 32) || compression != kUncompressed) return EntryKind::kSkipped;
  if (colors_used > kMaxColorTable) return EntryKind::kMalformed;

  // At most 256 x 256 pixels: these products cannot overflow.
  const std::size_t color_stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t mask_stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  const std::size_t rows_start = header_size + std::size_t{colors_used} * 4;
  const std::size_t rows_size = (color_stride + mask_stride) * static_cast<std::size_t>(dir_height);
  if (rows_start > size || rows_size > size - rows_start) return EntryKind::kMalformed;

  dib.width = dir_width;
  dib.height = dir_height;
  dib.bits = bits;
  dib.color_rows = data + rows_start;
  dib.mask_rows = dib.color_rows + color_stride * static_cast<std::size_t>(dir_height);
  dib.color_stride = color_stride;
  dib.mask_stride = mask_stride;
  return EntryKind::kDecodable;
}

void DecodeDib(const DibEntry& dib, Image& out) {
  out.width = dib.width;
  out.height = dib.height;
  out.bits = 32;
  out.pixels.resize(static_cast<std::size_t>(dib.width) * static_cast<std::size_t>(dib.height));
  for (int y = 0; y < dib.height; ++y) {
    const auto stored_row = static_cast<std::size_t>(dib.height - 1 - y);  // bottom-up
    const std::uint8_t* color = dib.color_rows + stored_row * dib.color_stride;
    const std::uint8_t* mask = dib.mask_rows + stored_row * dib.mask_stride;
    ColorValue* target = out.pixels.data() + static_cast<std::size_t>(y) * dib.width;
    for (int x = 0; x < dib.width; ++x) {
      if (dib.bits == 32) {
        const std::uint8_t* p = color + x * 4;  // B, G, R, A
        target[x] = ComposeColor(p[2], p[1], p[0], p[3]);
      } else {
        const std::uint8_t* p = color + x * 3;  // B, G, R
        const bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
        target[x] = ComposeColor(p[2], p[1], p[0], transparent ? 0 : 255);
      }
    }
  }
}

enum class Pick { kExactOrLargest, kNearest };

bool Decode(const std::uint8_t* data, std::size_t size, int width, Pick pick, Image& out) {
  out = Image{};
  if (data == nullptr || size < kDirectorySize) return false;
  if (ReadU16(data) != 0 || ReadU16(data + 2) != kIconType) return false;
  const std::size_t count = ReadU16(data + 4);
  if (count == 0) return false;
  const std::size_t directory_end = kDirectorySize + count * kDirectoryEntrySize;
  if (directory_end > size) return false;

  // Every entry lies after the directory, inside the file, apart from the others.
  std::vector<EntryRange> ranges(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = data + kDirectorySize + i * kDirectoryEntrySize;
    const std::uint32_t bytes = ReadU32(entry + 8);
    const std::uint32_t offset = ReadU32(entry + 12);
    if (bytes == 0 || offset < directory_end || offset > size || bytes > size - offset) {
      return false;
    }
    ranges[i] = {offset, bytes};
  }
  std::vector<EntryRange> sorted = ranges;
  std::sort(sorted.begin(), sorted.end(),
            [](const EntryRange& a, const EntryRange& b) { return a.offset < b.offset; });
  for (std::size_t i = 1; i < count; ++i) {
    if (sorted[i - 1].offset + sorted[i - 1].size > sorted[i].offset) return false;
  }

  // Pick the entry: the requested width (or the largest), then 32 over 24
  // bits, then the first in the directory.
  DibEntry best;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = data + kDirectorySize + i * kDirectoryEntrySize;
    const int dir_width = entry[0] == 0 ? 256 : entry[0];
    const int dir_height = entry[1] == 0 ? 256 : entry[1];
    DibEntry dib;
    switch (ReadEntry(data + ranges[i].offset, ranges[i].size, dir_width, dir_height, dib)) {
      case EntryKind::kMalformed:
        return false;
      case EntryKind::kSkipped:
        continue;
      case EntryKind::kDecodable:
        break;
    }
    bool better = false;
    if (pick == Pick::kNearest) {
      const int distance = std::abs(dib.width - width);
      const int best_distance = std::abs(best.width - width);
      better = best.bits == 0 || distance < best_distance ||
               (distance == best_distance &&
                (dib.width > best.width || (dib.width == best.width && dib.bits > best.bits)));
    } else {
      if (width > 0 && dib.width != width) continue;
      better = best.bits == 0 || dib.width > best.width ||
               (dib.width == best.width && dib.bits > best.bits);
    }
    if (better) best = dib;
  }
  if (best.bits == 0) return false;
  DecodeDib(best, out);
  return true;
}

}  // namespace

bool DecodeIconFile(const std::uint8_t* data, std::size_t size, int width, Image& out) {
  return Decode(data, size, width, Pick::kExactOrLargest, out);
}

bool DecodeNearestIcon(const std::uint8_t* data, std::size_t size, int width, Image& out) {
  return Decode(data, size, width, Pick::kNearest, out);
}

}  // namespace tintra
