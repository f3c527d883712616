#include "picker/portal_color.h"

#include <gtest/gtest.h>

#include <limits>

namespace tintra {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct PortalChannelCase {
  double value;
  int channel;  // -1: no channel
};

TEST(PortalColor, Channels) {
  const PortalChannelCase cases[] = {
      {0.0, 0},              // none
      {1.0, 255},            // full
      {0.5, 128},            // 127.5, halves to the even 128
      {1.5 / 255.0, 2},      // 1.5 goes up to the even 2
      {2.5 / 255.0, 2},      // 2.5 goes down to the even 2
      {128.0 / 255.0, 128},  // what a portal sends for 128 comes back as 128
      {0.2, 51},             // 51.0
      {-0.25, 0},            // below the range
      {-0.0, 0},             // negative zero
      {1.0000001, 255},      // just above the range
      {1e300, 255},          // far above: clamped before rounding
      {-kInf, 0},            // infinities clamp like any other value
      {kInf, 255},
      {kNaN, -1},  // no channel
  };
  for (const PortalChannelCase& c : cases) {
    const std::optional<int> got = ChannelOfPortalValue(c.value);
    if (c.channel < 0) {
      EXPECT_FALSE(got.has_value()) << "value " << c.value;
    } else {
      ASSERT_TRUE(got.has_value()) << "value " << c.value;
      EXPECT_EQ(*got, c.channel) << "value " << c.value;
    }
  }
}

TEST(PortalColor, ColorsRedFirstAndNaNAnywherePicksNothing) {
  // Red in the low byte, blue in the third: a red/blue swap shows.
  EXPECT_EQ(ColorOfPortalChannels(1.0, 0.5, 0.0), std::optional<ColorValue>(0x0080FFu));
  EXPECT_EQ(ColorOfPortalChannels(0.0, 0.0, 1.0), std::optional<ColorValue>(0xFF0000u));
  EXPECT_EQ(ColorOfPortalChannels(kNaN, 0.0, 0.0), std::nullopt);
  EXPECT_EQ(ColorOfPortalChannels(0.0, kNaN, 0.0), std::nullopt);
  EXPECT_EQ(ColorOfPortalChannels(0.0, 0.0, kNaN), std::nullopt);
}

}  // namespace
}  // namespace tintra
