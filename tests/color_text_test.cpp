#include "colortext/color_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "colortext/ansi_case.h"

namespace tintra {
namespace {

constexpr ColorValue kBlack = 0xFF000000u;  // unrecognised text
constexpr auto kNone = ColorTextFormat::kNone;
constexpr auto kRgb = ColorTextFormat::kRgb;
constexpr auto kRgba = ColorTextFormat::kRgba;
constexpr auto kHex = ColorTextFormat::kHex;
constexpr auto kDecimal = ColorTextFormat::kDecimal;

struct ParseCase {
  std::string text;
  ColorValue color;
  int alpha_flag;
  ColorTextFormat format;
};

// A text lower-cased byte by byte (the product lower-cases only bytes).
std::string AnsiLowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AnsiLowerChar(c);
  return out;
}

void ExpectParse(const ParseCase& c) {
  const ParsedColor parsed = ParseColorText(c.text);
  EXPECT_EQ(parsed.color, c.color) << "text: " << c.text;
  EXPECT_EQ(parsed.alpha_flag, c.alpha_flag) << "text: " << c.text;
  EXPECT_EQ(parsed.format, c.format) << "text: " << c.text;
}

TEST(ColorTextParse, RgbNotation) {
  const ParseCase cases[] = {
      {"rgb( 10 ,20, 30 )", 0x1E140A, 0, kRgb},  // any case, spaces trimmed
      {"RGB (1,2,3)", kBlack, 1, kNone},         // blank before "(": not RGB
      {"RGB(1,2)", 0x000201, 0, kRgb},           // missing blue reads 0
      {"RGB(1,2,3,4)", 0x030201, 0, kRgb},       // fourth field ignored
      {"RGBA(1,2,3)", 0x030201, 1, kRgba},       // missing alpha reads 0
      {"RGBA(1,2,3,4)", 0x04030201, 1, kRgba},   // "RGBA" passes the "RGB(" test only as RGBA
      {"rGbA(255,255,255,255)", 0xFFFFFFFF, 1, kRgba},  // mixed case
      {"RGB(256, 0, 0)", 256, 0, kRgb},                 // spills into green
      {"RGB(-1, 0, 0)", 0xFFFFFFFF, 0, kRgb},           // wraps, no clamping or masking
      {"RGBA(0, 0, 0, 256)", 0, 1, kRgba},              // alpha 256 wraps out of 32 bits
      {"RGB(0, 0, 65536)", 0, 0, kRgb},                 // 2^32 wraps to 0
      {"RGB($FF, %1010, 7x)", 0x070AFF, 0, kRgb},       // "$", "%", trailing junk
      {"RGB(\t5,6,7)", 0x070605, 0, kRgb},              // tab kept by trimming, skipped by reading
      {"RGB(1,2(3)", 0x000201, 0, kRgb},                // inner text ends at the next "("
      {"RGB(1,2)3,4", 0x000201, 0, kRgb},               // inner text ends at ")"
      {"RGB(", 0, 0, kRgb},                             // prefix alone
      {"RGB(4294967297,0,0)", 1, 0, kRgb},              // low 32 bits of each component
  };
  for (const ParseCase& c : cases) ExpectParse(c);
}

TEST(ColorTextParse, HexNotation) {
  const ParseCase cases[] = {
      {"$ff00ff", 0xFF00FF, 0, kHex},       // lower case, 6 digits
      {"$0FF00FF", 0xFF00FF, 1, kHex},      // 7 digits carry alpha
      {"$FFFFFFFF", 0xFFFFFFFF, 1, kHex},   // largest value
      {"$1FF00FF00", kBlack, 1, kNone},     // 2^32 or more fails
      {"$0FF00FF00", 0xFF00FF00, 1, kHex},  // leading zero keeps it below 2^32
      {"$00000000000000", 0, 1, kHex},      // many zeros
      {"$", 0, 0, kHex},                    // no digits
      {"$AbC", 0xABC, 0, kHex},             // mixed case
      {" $FF", kBlack, 1, kNone},           // leading blank
      {"-$FF", kBlack, 1, kNone},           // sign
      {"$FF ", kBlack, 1, kNone},           // trailing blank
      {"$FG", kBlack, 1, kNone},            // not a digit
      {"%1010", kBlack, 1, kNone},          // binary is no colour notation
  };
  for (const ParseCase& c : cases) ExpectParse(c);
}

TEST(ColorTextParse, DecimalNumbers) {
  const ParseCase cases[] = {
      {"255", 255, 0, kNone},                 // plain
      {"0255", 255, 0, kNone},                // leading zero filled back
      {"0", 0, 0, kNone},                     // zero
      {"-5", 0xFFFFFFFB, 0, kNone},           // negative: alpha flag 0
      {"+5", kBlack, 1, kNone},               // plus sign not written back
      {" 5", kBlack, 1, kNone},               // leading blank
      {"5 ", kBlack, 1, kNone},               // trailing blank
      {"1.50", kBlack, 1, kNone},             // trailing zero not written back
      {"2.", kBlack, 1, kNone},               // trailing point
      {"1e3", kBlack, 1, kNone},              // exponent
      {"-0", kBlack, 1, kNone},               // negative zero written as zero
      {"1.5", 1, 0, kNone},                   // reading stops at "."
      {"1234567.1", 1234567, 0, kNone},       // "1234567.1000000001" cut to the text's length
      {"+Infinity", 0, 0, kNone},             // special value
      {"-Infinity", 0, 0, kNone},             // special value
      {"NaN", 0, 0, kNone},                   // special value
      {"nan", kBlack, 1, kNone},              // written back "NaN": case matters
      {"16777215", 0xFFFFFF, 0, kNone},       // below 2^24
      {"16777216", 0x1000000, 1, kNone},      // 2^24: alpha flag 1
      {"2147483647", 0x7FFFFFFF, 1, kNone},   // largest positive
      {"2147483648", 0x80000000, 0, kNone},   // negative when signed: alpha flag 0
      {"4294967295", 0xFFFFFFFF, 0, kNone},   // -1 when signed
      {"4294967296", 0, 0, kNone},            // 2^32 wraps
      {"-2130739200", 0x80FF8000, 0, kNone},  // (0, 128, 255, 128) written in decimal
      {"", kBlack, 1, kNone},                 // empty
  };
  for (const ParseCase& c : cases) ExpectParse(c);
}

TEST(ColorTextParse, HostileInput) {
  const std::string ones(1000000, '1');
  const std::string zeros(1000000, '0');
  const ParseCase cases[] = {
      {ones, kBlack, 1, kNone},                                  // 1 MB of digits: infinite
      {zeros, 0, 0, kNone},                                      // 1 MB of zeros writes back
      {"$" + zeros + "1", 1, 1, kHex},                           // 1 MB of hex zeros
      {"$" + std::string(1000000, 'f'), kBlack, 1, kNone},       // far beyond 2^32
      {"RGB(" + ones + "," + zeros + ")", 0xC71C71C7, 0, kRgb},  // wraps modulo 2^64, then 2^32
      {std::string(1000, '-'), kBlack, 1, kNone},                // signs only
      {"+-+-", kBlack, 1, kNone},                                // signs only
      {"$$", kBlack, 1, kNone},                                  // "$" prefixes
      {"%", kBlack, 1, kNone},                                   // "%" alone
      {"rgb(\xE9,\xFF)", 0, 0, kRgb},                            // high bytes read as 0
      {"\xF2\xE7\xE2(1,2,3)", kBlack, 1, kNone},             // high bytes never upper-case to "RGB"
      {std::string("RGB(1\0,2,3)", 11), 0x030201, 0, kRgb},  // NUL ends the first number
      {std::string("$F\0F", 4), kBlack, 1, kNone},           // NUL inside hex
      {std::string("12\0", 3), kBlack, 1, kNone},            // NUL after decimal
      {std::string("\0", 1), kBlack, 1, kNone},              // NUL alone
  };
  for (const ParseCase& c : cases) ExpectParse(c);
  std::string high;
  for (int b = 128; b < 256; ++b) high.push_back(static_cast<char>(b));
  ExpectParse({high, kBlack, 1, kNone});
}

TEST(ColorTextRecognise, StrictTests) {
  EXPECT_TRUE(IsHexColorText("$"));
  EXPECT_TRUE(IsHexColorText("$0fF"));
  EXPECT_FALSE(IsHexColorText(""));
  EXPECT_FALSE(IsHexColorText("FF"));
  EXPECT_FALSE(IsHexColorText("$100000000"));
  EXPECT_TRUE(IsDecimalColorText("0.1"));
  EXPECT_TRUE(IsDecimalColorText("-4294967295"));
  EXPECT_FALSE(IsDecimalColorText(""));
  EXPECT_FALSE(IsDecimalColorText("0.10"));
  EXPECT_FALSE(IsDecimalColorText("123456789012345678901234567890"));  // 17 digits, then zeros
  EXPECT_TRUE(IsDecimalColorText("123456789012345680000"));
}

struct FormatCase {
  ColorValue color;
  ColorTextFormat format;
  int alpha_flag;
  const char* expected;
};

TEST(ColorTextFormat, Notations) {
  const FormatCase cases[] = {
      {0x80FF8000, kRgb, 1, "RGB(0, 128, 255)"},           // alpha dropped
      {0x80FF8000, kRgba, 1, "RGBA(0, 128, 255, 128)"},    // all four channels
      {0x80FF8000, kHex, 1, "$80FF8000"},                  // alpha byte first
      {0x80FF8000, kHex, 0, "$FF8000"},                    // alpha dropped
      {0x80FF8000, kDecimal, 0, "-2130739200"},            // signed
      {0xFF000000, kDecimal, 1, "-16777216"},              // opaque black
      {0xFF000000, kHex, 0, "$000000"},                    // opaque black without alpha
      {0x0000000A, kHex, 1, "$0000000A"},                  // leading zeros
      {0, kDecimal, 0, "0"},                               // zero
      {0x7FFFFFFF, kDecimal, 0, "2147483647"},             // largest positive
      {0x80000000, kDecimal, 0, "-2147483648"},            // smallest negative
      {0xFFFFFFFF, kRgba, 0, "RGBA(255, 255, 255, 255)"},  // all bytes
      {0x12345678, kNone, 0, ""},                          // no format: nothing
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatColorText(c.color, c.format, c.alpha_flag), c.expected) << c.expected;
  }
}

TEST(ColorTextFormat, NormalisesInput) {
  const ParsedColor rgb = ParseColorText("rgb(255,0,0)");
  EXPECT_EQ(FormatColorText(rgb.color, rgb.format, rgb.alpha_flag), "RGB(255, 0, 0)");
  const ParsedColor hex = ParseColorText("$ff8000");
  EXPECT_EQ(FormatColorText(hex.color, hex.format, hex.alpha_flag), "$FF8000");
}

// Every colour written in a format reads back as itself in that format.
TEST(ColorTextRoundTrip, SeededColors) {
  std::vector<ColorValue> colors = {0,          1,          0xFF,       0x100,      0xFFFF,
                                    0xFFFFFF,   0x1000000,  0x7FFFFFFF, 0x80000000, 0x80FF8000,
                                    0xFF000000, 0xFFFFFFFF, 0x00FFFFFF, 0x01000000};
  std::mt19937 random(20240611u);
  for (int i = 0; i < 3000; ++i) colors.push_back(static_cast<ColorValue>(random()));

  for (const ColorValue c : colors) {
    SCOPED_TRACE(c);
    const ColorValue low24 = c & 0xFFFFFFu;
    ParsedColor p = ParseColorText(FormatColorText(c, kRgb, 0));
    EXPECT_EQ(p.color, low24);
    EXPECT_EQ(p.alpha_flag, 0);
    EXPECT_EQ(p.format, kRgb);

    p = ParseColorText(FormatColorText(c, kRgba, 1));
    EXPECT_EQ(p.color, c);
    EXPECT_EQ(p.alpha_flag, 1);
    EXPECT_EQ(p.format, kRgba);

    p = ParseColorText(FormatColorText(c, kHex, 1));
    EXPECT_EQ(p.color, c);
    EXPECT_EQ(p.alpha_flag, 1);
    EXPECT_EQ(p.format, kHex);

    p = ParseColorText(FormatColorText(c, kHex, 0));
    EXPECT_EQ(p.color, low24);
    EXPECT_EQ(p.alpha_flag, 0);
    EXPECT_EQ(p.format, kHex);

    // Decimal is never recognised as a format of its own: it asks again.
    p = ParseColorText(FormatColorText(c, kDecimal, 0));
    EXPECT_EQ(p.color, c);
    EXPECT_EQ(p.alpha_flag, static_cast<std::int32_t>(c) >= 16777216 ? 1 : 0);
    EXPECT_EQ(p.format, kNone);
  }
}

struct CaseRow {
  unsigned char lower;
  unsigned char upper;
};

TEST(AnsiCase, CodePage1252Pairs) {
  const CaseRow pairs[] = {
      {'a', 'A'},   {'z', 'Z'},  // ASCII
      {0xE0, 0xC0},              // a grave
      {0xE9, 0xC9},              // e acute
      {0xE7, 0xC7},              // c cedilla
      {0xFE, 0xDE},              // thorn
      {0x9A, 0x8A},              // s caron
      {0x9C, 0x8C},              // oe
      {0x9E, 0x8E},              // z caron
      {0xFF, 0x9F},              // y diaeresis
  };
  for (const CaseRow& p : pairs) {
    EXPECT_EQ(AnsiUpperChar(static_cast<char>(p.lower)), static_cast<char>(p.upper)) << +p.lower;
    EXPECT_EQ(AnsiLowerChar(static_cast<char>(p.upper)), static_cast<char>(p.lower)) << +p.upper;
  }
  const unsigned char caseless[] = {
      '@',  '[',  '`',  '{',  '0', 0x00,  // ASCII neighbours of the letters
      0xD7, 0xF7,                         // multiplication and division signs
      0xDF,                               // sharp s has no upper case byte
      0xB5, 0x83, 0xAA, 0xBA,             // micro, f hook, ordinals
  };
  for (const unsigned char b : caseless) {
    EXPECT_EQ(AnsiUpperChar(static_cast<char>(b)), static_cast<char>(b)) << +b;
    EXPECT_EQ(AnsiLowerChar(static_cast<char>(b)), static_cast<char>(b)) << +b;
  }
  // 26 ASCII + 30 Latin-1 + 4 others change, and each change is undone.
  int upper_changes = 0;
  int lower_changes = 0;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (AnsiUpperChar(c) != c) {
      ++upper_changes;
      EXPECT_EQ(AnsiLowerChar(AnsiUpperChar(c)), c) << b;
    }
    if (AnsiLowerChar(c) != c) {
      ++lower_changes;
      EXPECT_EQ(AnsiUpperChar(AnsiLowerChar(c)), c) << b;
    }
  }
  EXPECT_EQ(upper_changes, 60);
  EXPECT_EQ(lower_changes, 60);
}

TEST(AnsiCase, Texts) {
  EXPECT_EQ(AnsiUpperText("Fran\xE7"
                          "ais r\xE9glage"),
            "FRAN\xC7"
            "AIS R\xC9GLAGE");
  EXPECT_EQ(AnsiLowerText("FRAN\xC7"
                          "AIS \x8C"
                          "UVRE"),
            "fran\xE7"
            "ais \x9C"
            "uvre");
  EXPECT_EQ(AnsiUpperText(std::string("a\0b", 3)), std::string("A\0B", 3));
  EXPECT_EQ(AnsiUpperText(""), "");

  EXPECT_TRUE(AnsiEqualIgnoringCase("gEnEral", "GENERAL"));
  EXPECT_TRUE(AnsiEqualIgnoringCase("\xC7\x8C", "\xE7\x9C"));  // Latin-1 and OE pairs
  EXPECT_TRUE(AnsiEqualIgnoringCase("", ""));
  EXPECT_FALSE(AnsiEqualIgnoringCase("Language", "Languag"));  // a prefix is not equal
  EXPECT_FALSE(AnsiEqualIgnoringCase("Languag", "Language"));
  EXPECT_FALSE(AnsiEqualIgnoringCase("\xD7", "\xF7"));  // the signs are no case pair
  EXPECT_FALSE(AnsiEqualIgnoringCase(std::string("a\0b", 3), std::string("a\0c", 3)));
}

}  // namespace
}  // namespace tintra
