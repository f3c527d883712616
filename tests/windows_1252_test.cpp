// The one text mapping between the core's Windows-1252 bytes and UTF-8, and
// the device-independent pointer positions of the Linux shell brought to the
// dialog's logical positions.
#include "colortext/windows_1252.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "picker/device_pixels.h"
#include "picker/dialog_layout.h"

namespace tintra {
namespace {

TEST(Windows1252, MapsEachWayByTheTable) {
  struct Row {
    const char* bytes;  // Windows-1252
    const char* utf8;
  };
  const Row rows[] = {
      {"RGB(255, 128, 0)", "RGB(255, 128, 0)"},                    // ASCII as it is
      {"S\xE9lection de couleur", "S\xC3\xA9lection de couleur"},  // é
      {"Hexad\xE9"
       "cimal",
       "Hexad\xC3\xA9"
       "cimal"},                         // the caption
      {"\x80", "\xE2\x82\xAC"},          // euro sign
      {"\x8A\x9A", "\xC5\xA0\xC5\xA1"},  // Š š, not U+008A
      {"\x91\x92\x93\x94", "\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"},  // quotes
      {"\x9F\xA0\xFF", "\xC5\xB8\xC2\xA0\xC3\xBF"},  // Ÿ (last of the block), NBSP, ÿ
      // The five undefined bytes are their C1 control characters.
      {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.utf8);
    EXPECT_EQ(Windows1252ToUtf8(r.bytes), r.utf8);
    EXPECT_EQ(Utf8ToWindows1252(r.utf8), r.bytes);
  }
  // A NUL inside stays: the callers cut the text where the clipboard does.
  EXPECT_EQ(Utf8ToWindows1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Windows1252, WhatItLacksBecomesAQuestionMark) {
  struct Row {
    const char* utf8;
    const char* bytes;
  };
  const Row rows[] = {
      {"\xE2\x82\xAC"
       "5",
       "\x80"
       "5"},                                            // euro: in the block
      {"\xC2\x80", "?"},                                // U+0080: its byte is the euro's
      {"\xC4\x80", "?"},                                // Ā
      {"\xE6\x97\xA5", "?"},                            // a CJK character: one "?"
      {"\xF0\x9F\x8E\xA8 RGB(1,2,3)", "? RGB(1,2,3)"},  // an emoji (4 bytes)
      {"\x80"
       "A",
       "?A"},         // stray continuation byte
      {"\xC3", "?"},  // cut at the end
      {"\xE2\x82"
       "A",
       "?A"},                        // cut inside: one "?" for the cut sequence
      {"\xC0\xAF", "??"},            // overlong "/"
      {"\xED\xA0\x80", "???"},       // a surrogate
      {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
      {"\xFF\xFE", "??"},            // never in UTF-8
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.utf8);
    EXPECT_EQ(Utf8ToWindows1252(r.utf8), r.bytes);
  }
}

TEST(Windows1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(DevicePixels, PointerPositionsReachTheLogicalPositionUnderThem) {
  struct Row {
    double position;  // device-independent, as the toolkit reports it
    double ratio;
    int physical;  // PhysicalPixelOf
  };
  const Row rows[] = {
      {44.0, 1.0, 44},          // 96 DPI: all the same
      {44.75, 1.0, 44},         // inside the pixel
      {22.0, 2.0, 44},          // 192 DPI
      {22.5, 2.0, 45},          // the second physical pixel of 22
      {151.0 / 1.5, 1.5, 151},  // not exact in binary, still pixel 151
      {149.0 / 1.5, 1.5, 149},
      {-0.5, 2.0, -1},  // left of the client area
      {1e300, 2.0, std::numeric_limits<int>::max()},
      {std::numeric_limits<double>::quiet_NaN(), 1.0, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.position) + " at ratio " + std::to_string(r.ratio));
    EXPECT_EQ(PhysicalPixelOf(r.position, r.ratio), r.physical);
  }
  struct DpiRow {
    double ratio;
    int dpi;
  };
  const DpiRow dpis[] = {{1.0, 96}, {1.25, 120}, {1.5, 144}, {2.0, 192},      {1.3333, 128},
                         {0.5, 96}, {0.0, 96},   {-2.0, 96}, {100.0, kMaxDpi}};
  for (const DpiRow& d : dpis) EXPECT_EQ(DpiOfPixelRatio(d.ratio), d.dpi) << d.ratio;
}

}  // namespace
}  // namespace tintra
