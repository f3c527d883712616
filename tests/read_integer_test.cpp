#include "picker/read_integer.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tintra {
namespace {

struct ReadCase {
  std::string_view text;
  std::int64_t expected;
};

using namespace std::string_view_literals;

TEST(ReadInteger, Table) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const ReadCase cases[] = {
      {""sv, 0},             // empty
      {"0"sv, 0},            // zero
      {"123"sv, 123},        // decimal
      {"+42"sv, 42},         // plus sign
      {"-42"sv, -42},        // minus sign
      {"  \t-$ff"sv, -255},  // blanks, tab, sign, hex
      {"$FF"sv, 255},        // upper-case hex
      {"$aB9"sv, 0xAB9},     // mixed-case hex
      {"%1010"sv, 10},       // binary
      {"%102"sv, 2},         // binary stops at "2"
      {"$fg"sv, 15},         // hex stops at "g"
      {"12abc"sv, 12},       // trailing text ignored
      {"1 2"sv, 1},          // stops at the blank
      {"$"sv, 0},            // prefix without digits
      {"-"sv, 0},            // sign without digits
      {"%"sv, 0},            // prefix without digits
      {"abc"sv, 0},          // no digits
      {"- 5"sv, 0},          // no blank after the sign
      {"$ 5"sv, 0},          // no blank after "$"
      {"--5"sv, 0},          // only one sign
      {"+-5"sv, 0},          // only one sign
      {"$-5"sv, 0},          // sign comes before "$"
      {"\n5"sv, 0},          // only blanks and tabs are skipped
      {"\xA0"
       "5"sv,
       0},             // non-breaking space is no blank
      {"\xE9"sv, 0},   // byte 0xE9 ("é")
      {"5\xFF"sv, 5},  // stops at byte 0xFF
      {"\x80"
       "7"sv,
       0},  // byte 0x80 first
      {"7\0"
       "8"sv,
       7},                                                  // stops at an embedded NUL
      {"18446744073709551616"sv, 0},                        // 2^64 wraps to 0
      {"18446744073709551615"sv, -1},                       // 2^64 - 1
      {"18446744073709551617"sv, 1},                        // 2^64 + 1
      {"9223372036854775807"sv, 9223372036854775807},       // largest positive
      {"9223372036854775808"sv, kMin},                      // 2^63 wraps to the most negative
      {"-9223372036854775808"sv, kMin},                     // most negative
      {"$FFFFFFFFFFFFFFFF"sv, -1},                          // 64 bits of ones
      {"$1FFFFFFFFFFFFFFFF"sv, -1},                         // 65th bit dropped
      {"-$8000000000000000"sv, kMin},                       // negating 2^63 wraps to itself
      {"%11111111111111111111111111111111"sv, 4294967295},  // 32 ones
      {"4294967295"sv, 4294967295},                         // beyond 32 bits: full 64-bit value
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(ReadInteger(c.text), c.expected) << "text \"" << c.text << "\"";
  }
}

TEST(ReadInteger, ReadsOnlyWithinGivenSize) {
  const char buffer[] = "1234";
  EXPECT_EQ(ReadInteger(std::string_view(buffer, 2)), 12);
  EXPECT_EQ(ReadInteger(std::string_view(buffer, 0)), 0);
  EXPECT_EQ(ReadInteger(std::string_view()), 0);  // absent text
  const char sign[] = "-9";
  EXPECT_EQ(ReadInteger(std::string_view(sign, 1)), 0);
}

TEST(ReadInteger, LowThirtyTwoBits) {
  EXPECT_EQ(ReadInteger32("4294967295"), -1);
  EXPECT_EQ(ReadInteger32("4294967296"), 0);
  EXPECT_EQ(ReadInteger32("$1FFFFFFFF"), -1);
  EXPECT_EQ(ReadInteger32("-1"), -1);
  EXPECT_EQ(ReadInteger32("2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(ReadInteger, HugeInputs) {
  constexpr std::size_t kMegabyte = 1 << 20;
  // 10^n is divisible by 2^64 for n >= 64, so 10^n - 1 wraps to -1.
  EXPECT_EQ(ReadInteger(std::string(kMegabyte, '9')), -1);
  EXPECT_EQ(ReadInteger("-" + std::string(kMegabyte, '9')), 1);
  // Leading zeros change nothing.
  EXPECT_EQ(ReadInteger(std::string(kMegabyte, '0') + "42"), 42);
  EXPECT_EQ(ReadInteger("$" + std::string(kMegabyte, 'f')), -1);
  EXPECT_EQ(ReadInteger("%" + std::string(kMegabyte, '1')), -1);
  // Any digits followed by 64 zeros are a multiple of 10^64, hence 0.
  EXPECT_EQ(ReadInteger(std::string(kMegabyte, '7') + std::string(64, '0')), 0);
  // A megabyte of blanks before the number.
  EXPECT_EQ(ReadInteger(std::string(kMegabyte, ' ') + "-17"), -17);
}

}  // namespace
}  // namespace tintra
