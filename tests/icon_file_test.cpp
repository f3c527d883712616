#include "picker/icon_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "picker/embedded_images.h"

namespace tintra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 3 x 2, 32-bit. Top row: opaque red, green of alpha 128, clear blue;
// bottom row: opaque white, (16, 32, 48) of alpha 64, opaque black.
constexpr std::uint8_t kIcon32[] = {
    0x00, 0x00, 0x01, 0x00, 0x01, 0x00,              // reserved, type 1, one entry
    0x03, 0x02, 0x00, 0x00, 0x01, 0x00, 0x20, 0x00,  // 3 x 2, planes 1, 32 bits
    0x48, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00,  // 72 bytes at offset 22
    0x28, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,  // header size 40, width 3
    0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x20, 0x00,  // height 2 x 2, planes 1, 32 bits
    0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,  // uncompressed, image size 32
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // resolution
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // colours used, important
    0xFF, 0xFF, 0xFF, 0xFF, 0x30, 0x20, 0x10, 0x40,  // bottom row, BGRA
    0x00, 0x00, 0x00, 0xFF,                          //
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x80,  // top row
    0xFF, 0x00, 0x00, 0x00,                          //
    0xE0, 0x00, 0x00, 0x00,                          // mask, bottom row: ignored at 32 bits
    0x00, 0x00, 0x00, 0x00,                          // mask, top row
};

// 3 x 2, 24-bit with mask. Top row: red, blue (masked), (1, 2, 3); bottom
// row: green (masked), (10, 20, 30), (200, 100, 50). Padding bytes hold junk.
constexpr std::uint8_t kIcon24[] = {
    0x00, 0x00, 0x01, 0x00, 0x01, 0x00,              // reserved, type 1, one entry
    0x03, 0x02, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00,  // 3 x 2, planes 1, 24 bits
    0x48, 0x00, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00,  // 72 bytes at offset 22
    0x28, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,  // header size 40, width 3
    0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00,  // height 2 x 2, planes 1, 24 bits
    0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00,  // uncompressed, image size 32
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // resolution
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // colours used, important
    0x00, 0xFF, 0x00, 0x1E, 0x14, 0x0A, 0x32, 0x64,  // bottom row, BGR
    0xC8, 0xAA, 0xAA, 0xAA,                          // ... and 3 padding bytes
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x03, 0x02,  // top row
    0x01, 0xAA, 0xAA, 0xAA,                          //
    0x80, 0xFF, 0xFF, 0xFF,                          // mask, bottom row: first pixel
    0x40, 0xFF, 0xFF, 0xFF,                          // mask, top row: second pixel
};

Bytes ToBytes(std::span<const std::uint8_t> data) {
  return Bytes(data.begin(), data.end());
}

// A file of the source tree, by its path from the tree's root; empty when it
// cannot be read.
Bytes SourceFile(const std::string& path) {
  std::ifstream in(std::string(TINTRA_SOURCE_DIR) + "/" + path, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file names of the embedded images, read from the list in
// picker/embedded_images.h as the build reads it (kFieldMarker is
// field_marker), in the order of the enumerators; empty when the header
// cannot be read.
std::vector<std::string> EmbeddedImageNames() {
  const Bytes header = SourceFile("picker/embedded_images.h");
  std::string text;
  bool comment = false;
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == '\n') comment = false;
    if (header[i] == '/' && i + 1 < header.size() && header[i + 1] == '/') comment = true;
    if (!comment) text += static_cast<char>(header[i]);
  }
  const std::string start = "enum class EmbeddedImage {";
  const std::size_t begin = text.find(start);
  const std::size_t end = text.find('}', begin);
  if (begin == std::string::npos || end == std::string::npos) return {};
  std::vector<std::string> names;
  std::string name;
  for (std::size_t i = begin + start.size(); i <= end; ++i) {
    const char c = text[i];
    if (c == ',' || c == '}') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else if (std::isupper(static_cast<unsigned char>(c))) {
      if (!name.empty() && !std::isupper(static_cast<unsigned char>(text[i - 1]))) name += '_';
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (std::isalnum(static_cast<unsigned char>(c)) && !(name.empty() && c == 'k')) {
      name += c;
    }
  }
  return names;
}

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

enum class Kind { kDib, kPng };

struct TestEntry {
  int width;
  int height;
  int bits;         // 8, 24 or 32
  ColorValue fill;  // every pixel, alpha included (24-bit: opaque)
  Kind kind = Kind::kDib;
};

// An icon file whose entries are uniform fills, data in entry order after the directory.
Bytes BuildIcon(const std::vector<TestEntry>& entries) {
  Bytes file(6 + 16 * entries.size(), 0);
  PutU16(file, 2, 1);
  PutU16(file, 4, static_cast<std::uint16_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TestEntry& e = entries[i];
    Bytes data;
    if (e.kind == Kind::kPng) {
      data = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
    } else {
      const std::size_t stride = (e.width * e.bits + 31) / 32 * 4;
      const std::size_t mask_stride = (e.width + 31) / 32 * 4;
      const std::size_t palette = e.bits == 8 ? 256 * 4 : 0;
      data.assign(40 + palette + (stride + mask_stride) * e.height, 0);
      PutU32(data, 0, 40);
      PutU32(data, 4, e.width);
      PutU32(data, 8, 2 * e.height);
      PutU16(data, 12, 1);
      PutU16(data, 14, static_cast<std::uint16_t>(e.bits));
      for (int y = 0; y < e.height; ++y) {
        for (int x = 0; x < e.width; ++x) {
          std::uint8_t* p = &data[40 + palette + y * stride + x * e.bits / 8];
          if (e.bits >= 24) {
            p[0] = static_cast<std::uint8_t>(BlueOf(e.fill));
            p[1] = static_cast<std::uint8_t>(GreenOf(e.fill));
            p[2] = static_cast<std::uint8_t>(RedOf(e.fill));
          }
          if (e.bits == 32) p[3] = static_cast<std::uint8_t>(AlphaOf(e.fill));
        }
      }
    }
    std::uint8_t* d = &file[6 + 16 * i];
    d[0] = static_cast<std::uint8_t>(e.width);  // 256 wraps to 0, as in the format
    d[1] = static_cast<std::uint8_t>(e.height);
    Bytes dir(16, 0);
    PutU16(dir, 4, 1);
    PutU16(dir, 6, static_cast<std::uint16_t>(e.bits));
    PutU32(dir, 8, static_cast<std::uint32_t>(data.size()));
    PutU32(dir, 12, static_cast<std::uint32_t>(file.size()));
    std::copy(dir.begin() + 2, dir.end(), d + 2);
    file.insert(file.end(), data.begin(), data.end());
  }
  return file;
}

bool Decode(const Bytes& bytes, int width, Image& out) {
  return DecodeIconFile(bytes.data(), bytes.size(), width, out);
}

ColorValue At(const Image& image, int x, int y) {
  return image.pixels[static_cast<std::size_t>(y) * image.width + x];
}

TEST(IconFileTest, Decodes32BitEntryTopRowFirstWithAlphaAsStored) {
  Image image;
  ASSERT_TRUE(DecodeIconFile(kIcon32, sizeof kIcon32, 3, image));
  ASSERT_EQ(image.width, 3);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.bits, 32);
  const std::vector<ColorValue> expected = {
      0xFF0000FF, 0x8000FF00, 0x00FF0000,  // red, green at 128, clear blue
      0xFFFFFFFF, 0x40302010, 0xFF000000,  // white, (16, 32, 48) at 64, black
  };
  EXPECT_EQ(image.pixels, expected);
}

TEST(IconFileTest, Decodes24BitEntryWithMaskAndPaddedRows) {
  Image image;
  ASSERT_TRUE(DecodeIconFile(kIcon24, sizeof kIcon24, 0, image));
  ASSERT_EQ(image.width, 3);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.bits, 32);
  EXPECT_EQ(AlphaOf(At(image, 1, 0)), 0);  // masked
  EXPECT_EQ(AlphaOf(At(image, 0, 1)), 0);  // masked
  // The masked pixels' colours do not matter; the others are opaque.
  EXPECT_EQ(At(image, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(At(image, 2, 0), 0xFF030201u);
  EXPECT_EQ(At(image, 1, 1), 0xFF1E140Au);
  EXPECT_EQ(At(image, 2, 1), 0xFF3264C8u);
}

TEST(IconFileTest, MaskBitsPastTheFirstByte) {
  // 10 x 1, 24-bit: mask bits for pixels 8 and 9 sit in the second byte.
  Bytes icon = BuildIcon({{10, 1, 24, 0x00112233}});
  const std::size_t mask = 6 + 16 + 40 + 32;  // colour row of 30 bytes padded to 32
  icon[mask] = 0x01;                          // pixel 7
  icon[mask + 1] = 0x40;                      // pixel 9
  Image image;
  ASSERT_TRUE(Decode(icon, 10, image));
  for (int x = 0; x < 10; ++x) {
    const bool masked = x == 7 || x == 9;
    EXPECT_EQ(AlphaOf(At(image, x, 0)), masked ? 0 : 255) << "pixel " << x;
  }
}

TEST(IconFileTest, PicksEntryByWidthThenBits) {
  const Bytes icon = BuildIcon({
      {16, 16, 24, 0xFF000001},  // 0
      {16, 16, 32, 0x80000002},  // 1
      {8, 8, 32, 0x80000003},    // 2
      {24, 24, 24, 0xFF000004},  // 3
      {24, 24, 24, 0xFF000005},  // 4: same as 3, later in the directory
      {48, 48, 8, 0},            // 5: palette entry, not decoded
  });
  struct Row {
    int width;
    ColorValue expected;  // fill of the chosen entry; 0 when none fits
  };
  const Row rows[] = {
      {16, 0x80000002},  // 32 bits over 24
      {8, 0x80000003},   // the only 8-pixel entry
      {24, 0xFF000004},  // two equal entries: the first
      {0, 0xFF000004},   // largest decodable entry (48 is palette-based)
      {-5, 0xFF000004},  // negative width counts as 0
      {12, 0},           // no such width
      {48, 0},           // only a palette entry has this width
  };
  for (const Row& row : rows) {
    Image image;
    const bool decoded = Decode(icon, row.width, image);
    EXPECT_EQ(decoded, row.expected != 0) << "width " << row.width;
    if (decoded) {
      EXPECT_EQ(image.width, row.width > 0 ? row.width : 24);
      EXPECT_EQ(image.pixels.front(), row.expected) << "width " << row.width;
    }
  }
}

TEST(IconFileTest, PngEntriesAreSkipped) {
  Image image;
  EXPECT_FALSE(Decode(BuildIcon({{32, 32, 32, 0, Kind::kPng}}), 0, image));
  EXPECT_TRUE(image.pixels.empty());
  ASSERT_TRUE(Decode(BuildIcon({{32, 32, 32, 0, Kind::kPng}, {16, 16, 32, 0xFF123456}}), 0, image));
  EXPECT_EQ(image.width, 16);
}

TEST(IconFileTest, RejectsMalformedFiles) {
  // Two entries: 4 x 2 32-bit at offset 38, then 4 x 2 24-bit.
  const Bytes base = BuildIcon({{4, 2, 32, 0xFF102030}, {4, 2, 24, 0xFF405060}});
  constexpr std::size_t kEntry0 = 6, kEntry1 = 22, kData0 = 38;
  const std::uint32_t size0 = GetU32(base, kEntry0 + 8);
  const std::size_t data1 = kData0 + size0;
  struct Row {
    const char* what;
    std::function<void(Bytes&)> damage;
  };
  const Row rows[] = {
      {"reserved field set", [](Bytes& b) { PutU16(b, 0, 1); }},
      {"cursor type", [](Bytes& b) { PutU16(b, 2, 2); }},
      {"no entries", [](Bytes& b) { PutU16(b, 4, 0); }},
      {"directory runs into the data", [](Bytes& b) { PutU16(b, 4, 3); }},
      {"directory past the end", [](Bytes& b) { PutU16(b, 4, 0xFFFF); }},
      {"offset past the end", [&](Bytes& b) { PutU32(b, kEntry1 + 12, b.size() + 1); }},
      {"size past the end", [&](Bytes& b) { PutU32(b, kEntry1 + 8, b.size()); }},
      {"offset + size wraps",
       [&](Bytes& b) {
         PutU32(b, kEntry1 + 12, 0xFFFFFFF0u);
         PutU32(b, kEntry1 + 8, 0x20);
       }},
      {"entry inside the directory", [&](Bytes& b) { PutU32(b, kEntry0 + 12, 6); }},
      {"entries overlap", [&](Bytes& b) { PutU32(b, kEntry1 + 12, kData0 + 8); }},
      {"entries share their bytes",
       [&](Bytes& b) {  // each alone would be sound
         PutU32(b, kEntry1 + 8, size0);
         PutU32(b, kEntry1 + 12, kData0);
       }},
      {"empty entry", [&](Bytes& b) { PutU32(b, kEntry1 + 8, 0); }},
      {"header smaller than 40", [&](Bytes& b) { PutU32(b, kData0, 12); }},
      {"header larger than the entry", [&](Bytes& b) { PutU32(b, kData0, size0 + 1); }},
      {"width differs from directory", [&](Bytes& b) { PutU32(b, kData0 + 4, 5); }},
      {"height not doubled", [&](Bytes& b) { PutU32(b, kData0 + 8, 2); }},
      {"top-down rows", [&](Bytes& b) { PutU32(b, kData0 + 8, 0xFFFFFFFCu); }},
      {"huge width", [&](Bytes& b) { PutU32(b, kData0 + 4, 0x7FFFFFFF); }},
      {"directory says 256 wide", [&](Bytes& b) { b[kEntry0] = 0; }},
      {"colour table too large", [&](Bytes& b) { PutU32(b, data1 + 32, 0xFFFFFFFFu); }},
      {"colour table pushes rows out", [&](Bytes& b) { PutU32(b, data1 + 32, 16); }},
      {"mask cut short", [&](Bytes& b) { PutU32(b, kEntry1 + 8, GetU32(b, kEntry1 + 8) - 1); }},
  };
  Image image;
  ASSERT_TRUE(Decode(base, 0, image));  // the base itself is sound
  for (const Row& row : rows) {
    Bytes damaged = base;
    row.damage(damaged);
    image.width = 99;
    EXPECT_FALSE(Decode(damaged, 0, image)) << row.what;
    EXPECT_EQ(image.width, 0) << row.what;
    EXPECT_TRUE(image.pixels.empty()) << row.what;
  }
}

TEST(IconFileTest, EveryTruncationFails) {
  // Exact-size heap copies, so that a read past the end is caught by the sanitizer.
  std::vector<Bytes> files = {ToBytes(kIcon24), ToBytes(kIcon32)};
  const int images = static_cast<int>(EmbeddedImageNames().size());
  ASSERT_GT(images, 0) << "no image listed in picker/embedded_images.h";
  for (int which = 0; which < images; ++which) {
    files.push_back(ToBytes(EmbeddedImageData(static_cast<EmbeddedImage>(which))));
  }
  for (const Bytes& file : files) {
    for (std::size_t size = 0; size < file.size(); ++size) {
      const Bytes cut(file.begin(), file.begin() + size);
      Image image;
      ASSERT_FALSE(Decode(cut, 0, image)) << "file of " << file.size() << " cut to " << size;
      ASSERT_TRUE(image.pixels.empty());
    }
  }
}

TEST(IconFileTest, NullData) {
  Image image;
  EXPECT_FALSE(DecodeIconFile(nullptr, 100, 0, image));
}

// Directory entries of an icon file: (width, bit count) each.
std::vector<std::pair<int, int>> DirectoryOf(const Bytes& file) {
  std::vector<std::pair<int, int>> entries;
  for (int i = 0; i < (file[4] | file[5] << 8); ++i) {
    const std::uint8_t* d = &file[6 + 16 * i];
    entries.emplace_back(d[0] == 0 ? 256 : d[0], d[6] | d[7] << 8);
  }
  return entries;
}

TEST(EmbeddedImagesTest, EachDecodesAtItsSizeWithAlpha) {
  struct Row {
    EmbeddedImage which;
    int size;  // width = height
    std::vector<std::pair<int, int>> directory;
  };
  const Row rows[] = {
      {EmbeddedImage::kEyedropper, 32, {{32, 32}}},
      {EmbeddedImage::kConfirm, 32, {{32, 32}}},
      {EmbeddedImage::kCancel, 24, {{24, 32}}},
      {EmbeddedImage::kFieldMarker, 15, {{15, 32}}},
      {EmbeddedImage::kRestoreArrow, 24, {{24, 24}, {24, 32}}},
      {EmbeddedImage::kStoreArrow, 24, {{24, 24}, {24, 32}}},
  };
  EXPECT_EQ(std::size(rows), EmbeddedImageNames().size()) << "a row for every embedded image";
  for (const Row& row : rows) {
    const int id = static_cast<int>(row.which);
    const Bytes file = ToBytes(EmbeddedImageData(row.which));
    ASSERT_GE(file.size(), 6u) << id;
    EXPECT_EQ(DirectoryOf(file), row.directory) << id;
    const Image image = LoadEmbeddedImage(row.which);
    ASSERT_EQ(image.width, row.size) << id;
    ASSERT_EQ(image.height, row.size) << id;
    EXPECT_EQ(image.bits, 32) << id;
    // A shape on a clear ground: both fully clear and fully opaque pixels.
    int clear = 0, opaque = 0;
    for (ColorValue p : image.pixels) {
      clear += AlphaOf(p) == 0;
      opaque += AlphaOf(p) == 255;
    }
    EXPECT_GT(clear, row.size) << id;
    EXPECT_GT(opaque, row.size) << id;
    EXPECT_EQ(AlphaOf(At(image, 0, 0)), 0) << id << ": corner";
  }
}

TEST(EmbeddedImagesTest, FieldMarkerIsARingAroundAClearCentre) {
  const Image m = LoadEmbeddedImage(EmbeddedImage::kFieldMarker);
  ASSERT_EQ(m.width, 15);
  ASSERT_EQ(m.height, 15);
  EXPECT_EQ(AlphaOf(At(m, 7, 7)), 0);
  // From the centre outwards along each axis: clear, then opaque white, then
  // the opaque black edge pixel.
  const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (const auto& d : dirs) {
    int step = 0;
    auto pixel = [&](int s) { return At(m, 7 + d[0] * s, 7 + d[1] * s); };
    while (step < 7 && AlphaOf(pixel(step)) == 0) ++step;
    EXPECT_GE(step, 3) << "clear centre reaches at least 3 pixels out";
    EXPECT_EQ(pixel(step), 0xFFFFFFFFu) << "white ring";
    EXPECT_EQ(pixel(7), 0xFF000000u) << "black outer circle";
  }
  // Centred: the same under left-right and top-bottom mirroring.
  for (int y = 0; y < 15; ++y) {
    for (int x = 0; x < 15; ++x) {
      EXPECT_EQ(At(m, x, y), At(m, 14 - x, y)) << x << "," << y;
      EXPECT_EQ(At(m, x, y), At(m, x, 14 - y)) << x << "," << y;
    }
  }
}

// Dark opaque pixels in the first and the last row that has any: the
// pointed end of an arrow is its narrow end.
std::pair<int, int> EndWidths(const Image& arrow) {
  std::vector<int> widths;
  for (int y = 0; y < arrow.height; ++y) {
    int dark = 0;
    for (int x = 0; x < arrow.width; ++x) {
      const ColorValue p = At(arrow, x, y);
      dark += AlphaOf(p) == 255 && RedOf(p) < 64 && GreenOf(p) < 64 && BlueOf(p) < 64;
    }
    if (dark > 0) widths.push_back(dark);
  }
  if (widths.empty()) return {0, 0};
  return {widths.front(), widths.back()};
}

TEST(EmbeddedImagesTest, ArrowsPointAcrossTheSwatchBorder) {
  // Drawn with row 12 on the first row of the lower swatch.
  const Image restore = LoadEmbeddedImage(EmbeddedImage::kRestoreArrow);
  const Image store = LoadEmbeddedImage(EmbeddedImage::kStoreArrow);
  ASSERT_EQ(restore.height, 24);
  ASSERT_EQ(store.height, 24);
  const auto [restore_top, restore_bottom] = EndWidths(restore);
  EXPECT_LT(restore_top, restore_bottom) << "restore points up, to the current colour";
  const auto [store_top, store_bottom] = EndWidths(store);
  EXPECT_GT(store_top, store_bottom) << "store points down, to the stored colour";
  // Both reach into both swatches.
  for (const Image* arrow : {&restore, &store}) {
    int upper = 0, lower = 0;
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 24; ++x) (y < 12 ? upper : lower) += AlphaOf(At(*arrow, x, y)) == 255;
    }
    EXPECT_GT(upper, 12);
    EXPECT_GT(lower, 12);
  }
}

TEST(EmbeddedImagesTest, ArrowEntriesOf24And32BitsAgree) {
  for (EmbeddedImage which : {EmbeddedImage::kRestoreArrow, EmbeddedImage::kStoreArrow}) {
    const Bytes file = ToBytes(EmbeddedImageData(which));
    ASSERT_EQ(DirectoryOf(file).front().second, 24);
    Bytes only24 = file;
    PutU16(only24, 4, 1);  // the 32-bit entry's data stays behind as unused bytes
    Image image24;
    ASSERT_TRUE(Decode(only24, 24, image24));
    const Image image32 = LoadEmbeddedImage(which);
    ASSERT_EQ(image32.pixels.size(), image24.pixels.size());
    for (std::size_t i = 0; i < image32.pixels.size(); ++i) {
      const ColorValue p32 = image32.pixels[i], p24 = image24.pixels[i];
      // The 24-bit entry shows what is at least half opaque in the 32-bit one.
      EXPECT_EQ(AlphaOf(p24), AlphaOf(p32) >= 128 ? 255 : 0) << "pixel " << i;
      if (AlphaOf(p24) == 255) {
        EXPECT_EQ(p24 & 0xFFFFFF, p32 & 0xFFFFFF) << "pixel " << i;
      }
    }
  }
}

// The program holds the icon files of resources/ and resources/scaled/ to
// the byte, each under the enumerator the list names it by: a fault of the
// build's embedding step, or a file changed after the build, shows here.
TEST(EmbeddedImagesTest, HoldTheBytesOfTheResourceFiles) {
  const std::vector<std::string> names = EmbeddedImageNames();
  ASSERT_FALSE(names.empty()) << "no image listed in picker/embedded_images.h";
  for (std::size_t i = 0; i < names.size(); ++i) {
    const EmbeddedImage which = static_cast<EmbeddedImage>(i);
    const struct {
      std::string path;
      Bytes held;
    } files[] = {{"resources/" + names[i] + ".ico", ToBytes(EmbeddedImageData(which))},
                 {"resources/scaled/" + names[i] + ".ico", ToBytes(ScaledImageData(which))}};
    for (const auto& f : files) {
      const Bytes file = SourceFile(f.path);
      EXPECT_FALSE(file.empty()) << f.path << " not read";
      const auto first_difference =
          std::mismatch(file.begin(), file.end(), f.held.begin(), f.held.end()).first -
          file.begin();
      EXPECT_TRUE(file == f.held) << f.path << ": " << file.size() << " bytes, " << f.held.size()
                                  << " held, first difference at byte " << first_difference;
    }
  }
}

TEST(ProgramIconTest, NineSizesOfWhichAllButThePngDecode) {
  const Bytes file = SourceFile("resources/tintra.ico");
  ASSERT_FALSE(file.empty()) << "resources/tintra.ico not read";
  const std::vector<std::pair<int, int>> expected = {
      {16, 32}, {20, 32}, {24, 32}, {32, 32}, {40, 32}, {48, 32}, {64, 32}, {128, 32}, {256, 32}};
  EXPECT_EQ(DirectoryOf(file), expected);
  for (const auto& [size, bits] : expected) {
    Image image;
    if (size == 256) {
      EXPECT_FALSE(Decode(file, size, image)) << "the 256 entry is PNG";
      continue;
    }
    ASSERT_TRUE(Decode(file, size, image)) << size;
    EXPECT_EQ(image.height, size);
    EXPECT_EQ(AlphaOf(At(image, 0, size - 1)), 0) << size << ": clear corner";
    EXPECT_EQ(AlphaOf(At(image, size / 2, size / 2)), 255) << size << ": opaque middle";
  }
  Image largest;
  ASSERT_TRUE(Decode(file, 0, largest));
  EXPECT_EQ(largest.width, 128);
}

}  // namespace
}  // namespace tintra
