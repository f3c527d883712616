#include "colortext/decimal_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tintra {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ParseCase {
  std::string text;
  double expected;
};

TEST(DecimalTextParse, SyntaxAndValues) {
  const ParseCase cases[] = {
      {"", 0.0},                                 // no digits
      {"abc", 0.0},                              // no digits
      {".", 0.0},                                // point alone
      {"-", 0.0},                                // sign alone
      {" \t\n\v\f\r12", 12.0},                   // every white space skipped
      {"-2.5", -2.5},                            // sign, point
      {"+.5", 0.5},                              // no integer digits
      {"5.", 5.0},                               // no fraction digits
      {"12abc", 12.0},                           // stops at the first other character
      {"1.5.5", 1.5},                            // second point ends the number
      {"- 5", 0.0},                              // no blank after the sign
      {"1e3", 1000.0},                           // exponent
      {"1E+3", 1000.0},                          // signed exponent
      {"2.5d2", 250.0},                          // "d" exponent of the Microsoft runtime
      {"2.5D-1", 0.25},                          // "D" exponent
      {"1e", 1.0},                               // exponent without digits
      {"1e+", 1.0},                              // exponent sign without digits
      {"0007", 7.0},                             // leading zeros
      {"0.000125", 0.000125},                    // zeros after the point
      {"0.1", 0.1},                              // inexact, correctly rounded
      {"9007199254740993", 9007199254740992.0},  // 2^53 + 1: tie to even
      {"9007199254740993.0000000000000000000000001", 9007199254740994.0},      // just above the tie
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},          // largest double
      {"1.7976931348623159e308", kInf},                                        // rounds past it
      {"-1e309", -kInf},                                                       // overflow
      {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},  // subnormal
      {"3e-324", std::numeric_limits<double>::denorm_min()},  // rounds up to the least subnormal
      {"2e-324", 0.0},                                        // below half of it: underflow
      {"1e-400", 0.0},                                        // far underflow
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseDecimalDouble(c.text), c.expected) << "text: " << c.text;
  }
}

TEST(DecimalTextParse, LongInputs) {
  const std::string mega(1000000, '1');
  // 10^6 digits overflow; the digit shift must not be lost against an exponent.
  EXPECT_EQ(ParseDecimalDouble(mega), kInf);
  EXPECT_EQ(ParseDecimalDouble(mega + "e-999990"), 1111111111.1111111111);
  EXPECT_EQ(ParseDecimalDouble("-" + mega + "e-999990"), -1111111111.1111111111);
  // 10^6 zeros after the point: underflow, not a wrong scale.
  EXPECT_EQ(ParseDecimalDouble("0." + std::string(1000000, '0') + "5"), 0.0);
  EXPECT_EQ(ParseDecimalDouble("0." + std::string(1000000, '0') + "5e1000000"), 0.5);
  // A nonzero digit far beyond the kept ones still breaks the tie upward.
  const std::string tie = "9007199254740993." + std::string(2000, '0');
  EXPECT_EQ(ParseDecimalDouble(tie), 9007199254740992.0);
  EXPECT_EQ(ParseDecimalDouble(tie + "1"), 9007199254740994.0);
  // Exponents of a million digits saturate.
  EXPECT_EQ(ParseDecimalDouble("1e" + std::string(1000000, '9')), kInf);
  EXPECT_EQ(ParseDecimalDouble("1e-" + std::string(1000000, '9')), 0.0);
  EXPECT_EQ(ParseDecimalDouble(std::string(1000000, '0')), 0.0);
}

struct FormatCase {
  double value;
  const char* expected;
};

TEST(DecimalTextFormat, TenDecimalsAsTheMicrosoftRuntime) {
  const FormatCase cases[] = {
      {0.0, "0.0000000000"},                                 // zero
      {-0.0, "0.0000000000"},                                // negative zero written as zero
      {1.5, "1.5000000000"},                                 // exact
      {-2.25, "-2.2500000000"},                              // negative
      {0.1, "0.1000000000"},                                 // 0.1000000000000000055...
      {0.3, "0.3000000000"},                                 // 0.2999999999999999888...
      {1234567.1, "1234567.1000000001"},                     // 1234567.10000000009313...
      {0.00048828125, "0.0004882813"},                       // exact tie at the 10th decimal: up
      {1000000000000000.25, "1000000000000000.3000000000"},  // tie at the 18th digit: up
      {1000000000000000.75, "1000000000000000.8000000000"},  // tie at the 18th digit: up
      {0.99999999995, "0.9999999999"},                       // 0.99999999994999999586...
      {9.999999999999998, "10.0000000000"},                  // carry into a new digit
      {5e-11, "0.0000000001"},                               // 5.00000000000000018...e-11
      {1e-11, "0.0000000000"},                               // 9.99999999999999939...e-12
      {-1e-12, "-0.0000000000"},                             // negative, rounds to zero, keeps "-"
      {std::numeric_limits<double>::denorm_min(), "0.0000000000"},
      {123456789012345683968.0, "123456789012345680000.0000000000"},      // 17 digits, then zeros
      {9223372036854775808.0, "9223372036854775800.0000000000"},          // 2^63
      {18446744073709551616.0, "18446744073709552000.0000000000"},        // 2^64, rounds up
      {99999999999999991611392.0, "99999999999999992000000.0000000000"},  // 1e23
      {-4294967295.0, "-4294967295.0000000000"},
      {kInf, "+Infinity"},
      {-kInf, "-Infinity"},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatFixed10(c.value), c.expected) << "value index " << (&c - cases);
  }
}

TEST(DecimalTextFormat, LargestDouble) {
  const std::string expected = "17976931348623157" + std::string(292, '0') + ".0000000000";
  EXPECT_EQ(FormatFixed10(std::numeric_limits<double>::max()), expected);
  EXPECT_EQ(FormatFixed10(-std::numeric_limits<double>::max()), "-" + expected);
}

}  // namespace
}  // namespace tintra
