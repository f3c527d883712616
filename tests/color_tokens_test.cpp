#include "colortext/color_tokens.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "colortext/css_named_colors.h"
#include "tests/rgba.h"

namespace tintra {
namespace {

constexpr auto kDefault = HexOrder::kDefault;
constexpr auto kArgb = HexOrder::kArgb;
constexpr auto kRgbaOrder = HexOrder::kRgba;
constexpr std::optional<std::size_t> kNoAt = std::nullopt;
constexpr std::optional<Notation> kWrite = std::nullopt;  // rewrite in the token's own style
constexpr ColorValue kW = Rgba(0, 128, 255, 128);         // the worked examples' colour
constexpr ColorValue kOrange = Rgba(255, 128, 0, 255);
constexpr ColorValue kOrange128 = Rgba(255, 128, 0, 128);
constexpr const char* kNoToken = "<no token>";

struct Row {
  std::string_view text;
  HexOrder order;
  std::optional<std::size_t> at;
  ColorValue color;                               // written (or converted)
  std::optional<Notation> to;                     // converted to this notation
  std::string_view expected;                      // the whole output, or kNoToken
  std::optional<ColorValue> read = std::nullopt;  // the token's colour, when checked
};

// clang-format off
const Row kRows[] = {
    // The contract's worked examples.
    {"color: #FF8000;", kDefault, kNoAt, kW, kWrite, "color: #0080FF;", kOrange},
    {"  c = #f80 # note", kDefault, kNoAt, kW, kWrite, "  c = #0080ff # note", Rgba(255, 136, 0, 255)},
    {"#fa0", kDefault, kNoAt, Rgba(255, 170, 0, 255), kWrite, "#fa0", Rgba(255, 170, 0, 255)},
    {"rgb(255 128 0 / 50%)", kDefault, kNoAt, kW, kWrite, "rgb(0 128 255 / 50%)", kOrange128},
    {"rgba(255,128,0,.5)", kDefault, kNoAt, kW, kWrite, "rgba(0,128,255,.5)", kOrange128},
    {"rgb(100%, 50%, 0%)", kDefault, kNoAt, kW, kWrite, "rgb(0%, 50%, 100%)", kOrange},
    {"SetColor(RGB(255,0,0));", kDefault, kNoAt, kW, kWrite, "SetColor(RGB(0,128,255));", Rgba(255, 0, 0, 255)},
    {"x := $0080FF;", kDefault, kNoAt, kW, kWrite, "x := $FF8000;", kOrange},
    {"Color(0xFFFF8000)", kDefault, kNoAt, kW, kWrite, "Color(0x800080FF)", kOrange},
    {"Color.FromArgb(255, 255, 128, 0)", kDefault, kNoAt, kW, kWrite, "Color.FromArgb(128, 0, 128, 255)", kOrange},
    {"vec4(1.0, 0.5, 0.0, 1.0)", kDefault, kNoAt, kW, kWrite, "vec4(0.0, 0.5, 1.0, 0.5)", kOrange},
    {"float3(1, 0, 0.25f)", kDefault, kNoAt, kW, kWrite, "float3(0, 0.5, 1.00f)", Rgba(255, 0, 64, 255)},
    {"#define RED 0xff0000u", kDefault, kNoAt, kW, kWrite, "#define RED 0x0080ffu", Rgba(255, 0, 0, 255)},
    {"orange", kDefault, kNoAt, kW, kWrite, "#0080ff", Rgba(255, 165, 0, 255)},

    // Token boundaries.
    {"#define X", kDefault, kNoAt, kW, kWrite, kNoToken},                // #def + identifier
    {"&#123; #abc", kDefault, kNoAt, kW, kWrite, "&#123; #0080ff"},      // entity skipped
    {"abc#fff", kDefault, kNoAt, kW, kWrite, kNoToken},                  // after an identifier
    {"(#fff)", kDefault, kNoAt, kW, kWrite, "(#0080ff)"},
    {"#fffff #ff", kDefault, kNoAt, kW, kWrite, kNoToken},               // 5 and 2 digits
    {"x = 0x12345;", kDefault, kNoAt, kW, kWrite, kNoToken},             // 5 digits
    {"x = 0x123456789;", kDefault, kNoAt, kW, kWrite, kNoToken},         // 9 digits
    {"x = 0x1234567;", kDefault, kNoAt, kW, kWrite, kNoToken},           // 7 digits
    {"x = 0xFF8000uLL;", kDefault, kNoAt, kW, kWrite, "x = 0x0080FFuLL;"},  // suffix kept
    {"x = 0xFF8000ulLu;", kDefault, kNoAt, kW, kWrite, kNoToken},        // four suffix letters
    {"x = 0xFF8000h;", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"a0xFF8000", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"$12345 $123456789", kDefault, kNoAt, kW, kWrite, kNoToken},        // pascal 5 and 9 digits
    {"x$0080FF", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"$0080FF_", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"#fff#000", kDefault, kNoAt, kW, kWrite, "#0080ff#000"},            // the second follows "f"
    {"caf\xC3\xA9 #fff \xFF", kDefault, kNoAt, kW, kWrite, "caf\xC3\xA9 #0080ff \xFF"},

    // Letter case of hexadecimal digits.
    {"#aBcDeE", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "#abcdef"},  // mixed: lower for css
    {"#000000", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "#abcdef"},
    {"$000000", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "$EFCDAB"},  // none: upper
    {"$aBcDeF", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "$EFCDAB"},
    {"$abcdee", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "$efcdab"},
    {"0X000000", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "0XABCDEF"},
    {"0xabcdee", kDefault, kNoAt, Rgba(0xAB, 0xCD, 0xEF, 255), kWrite, "0xabcdef"},

    // Short css-hex forms, hexadecimal orders and alpha.
    {"#fff", kDefault, kNoAt, Rgba(0x11, 0x22, 0x33, 255), kWrite, "#123"},
    {"#FFF", kDefault, kNoAt, Rgba(0xAA, 0xBB, 0xCD, 255), kWrite, "#AABBCD"},
    {"#ffff", kDefault, kNoAt, Rgba(0, 0x88, 0xFF, 0x88), kWrite, "#08f8"},
    {"#ffff", kDefault, kNoAt, Rgba(0, 0x88, 0xFF, 0x80), kWrite, "#0088ff80"},
    {"#ffff", kArgb, kNoAt, Rgba(0, 0x88, 0xFF, 0x11), kWrite, "#108f"},
    {"#8f80", kArgb, kNoAt, kW, kWrite, "#800080ff", Rgba(0xFF, 0x88, 0, 0x88)},
    {"#80ff8000", kArgb, kNoAt, kW, kWrite, "#800080ff", kOrange128},
    {"#ff800080", kRgbaOrder, kNoAt, kW, kWrite, "#0080ff80", kOrange128},
    {"0xFF800080", kRgbaOrder, kNoAt, kW, kWrite, "0x0080FF80", kOrange128},
    {"0x80FF8000", kArgb, kNoAt, kW, kWrite, "0x800080FF", kOrange128},
    {"#ff8000", kDefault, kNoAt, Rgba(255, 128, 0, 3), kWrite, "#ff8000"},   // no alpha to compare
    {"#ff8000", kDefault, kNoAt, Rgba(0, 0, 0, 3), kWrite, "#000000"},       // never gains alpha
    {"#ff8000ff", kDefault, kNoAt, Rgba(255, 128, 0, 3), kWrite, "#ff800003"},
    {"$1ABCDEF", kDefault, kNoAt, Rgba(0xEF, 0xCD, 0xAB, 0x01), kWrite, "$1ABCDEF"},
    {"$1ABCDEF", kDefault, kNoAt, Rgba(0xEF, 0xCD, 0xAB, 0x02), kWrite, "$02ABCDEF"},  // 7 become 8

    // classic-rgb: whole integers only, classic wrap-around, blanks kept.
    {"RGB(300, 0, 0)", kDefault, kNoAt, Rgba(44, 1, 0, 255), kWrite, "RGB(300, 0, 0)", Rgba(44, 1, 0, 255)},
    {"RGB( $FF ,\t%1010, -0 )", kDefault, kNoAt, Rgba(1, 2, 3, 255), kWrite, "RGB( 1 ,\t2, 3 )", Rgba(255, 10, 0, 255)},
    {"RGBA(1, 2, 3, 4, junk)", kDefault, kNoAt, kW, kWrite, "RGBA(0, 128, 255, 128, junk)", Rgba(1, 2, 3, 4)},
    {"RGBA(1,2,3,4)", kDefault, kNoAt, Rgba(1, 2, 3, 255), kWrite, "RGBA(1,2,3,255)"},
    {"RGB(100%, 50%, 0%)", kDefault, kNoAt, kW, kWrite, "RGB(0%, 50%, 100%)", kOrange},  // css-rgb
    {"RGB(1, 2)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"RGB(7x, 0, 0)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"RGB($, 0, 0)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"xRGB(1, 2, 3)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"RGB(1, 2, 3", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"RGB(1, 2,\n3)", kDefault, kNoAt, kW, kWrite, kNoToken},                    // ")" on another line
    {"RGB(1, 2, 3, \xC3\xA9)", kDefault, kNoAt, kW, kWrite, kNoToken},           // tokens are ASCII

    // css-rgb: fewest decimals, percentages, kinds kept.
    {"rgba(0, 0, 0, 0.5)", kDefault, kNoAt, Rgba(0, 0, 0, 77), kWrite, "rgba(0, 0, 0, 0.3)"},
    {"rgba(0, 0, 0, 0.5)", kDefault, kNoAt, Rgba(0, 0, 0, 128), kWrite, "rgba(0, 0, 0, 0.5)"},
    {"rgba(0, 0, 0, 0.5)", kDefault, kNoAt, Rgba(1, 0, 0, 128), kWrite, "rgba(1, 0, 0, 0.5)"},
    {"rgba(0, 0, 0, 1)", kDefault, kNoAt, Rgba(0, 0, 0, 128), kWrite, "rgba(0, 0, 0, 0.5)"},
    {"rgba(0, 0, 0, 1)", kDefault, kNoAt, Rgba(0, 0, 0, 1), kWrite, "rgba(0, 0, 0, 0.004)"},
    {"rgba(0, 0, 0, 0.50)", kDefault, kNoAt, Rgba(0, 0, 0, 77), kWrite, "rgba(0, 0, 0, 0.30)"},
    {"rgba(0 0 0/50%)", kDefault, kNoAt, Rgba(0, 0, 0, 77), kWrite, "rgba(0 0 0/30%)"},
    {"rgba(0 0 0/50%)", kDefault, kNoAt, Rgba(0, 0, 0, 1), kWrite, "rgba(0 0 0/0.4%)"},
    {"rgb(127.5, 0%, 0)", kDefault, kNoAt, Rgba(10, 1, 2, 255), kWrite, "rgb(10.0, 0.4%, 2)", Rgba(128, 0, 0, 255)},
    {"rgb(+255, 0., 1e0)", kDefault, kNoAt, Rgba(1, 2, 3, 255), kWrite, "rgb(1, 2., 3.0)", Rgba(255, 0, 1, 255)},
    {"rgb(255.0, 128, 0)", kDefault, kNoAt, kOrange, kWrite, "rgb(255.0, 128, 0)"},
    {"rgb(150%, -10%, 1e999999)", kDefault, kNoAt, kW, kWrite, "rgb(0%, 50%, 255.0)", Rgba(255, 0, 255, 255)},
    {"rgb(5e-999999, 0, 0)", kDefault, kNoAt, kW, kWrite, "rgb(0.0, 128, 255)", Rgba(0, 0, 0, 255)},
    {"rgb(100% 128 0)", kDefault, kNoAt, kW, kWrite, "rgb(0% 128 255)", kOrange},
    {"rgba(1,2,3)", kDefault, kNoAt, kW, kWrite, "rgba(0,128,255)"},
    {"RgB( 1 , 2 , 3 , 1 )", kDefault, kNoAt, kW, kWrite, "RgB( 0 , 128 , 255 , 0.5 )"},
    {"rgb(var(--x))", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(1 2 3 4)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(1, 2 3)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(1,2,3/0.5)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(10px, 0, 0)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(1 2 none)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(1e, 2, 3)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"rgb(1, 2, 3", kDefault, kNoAt, kW, kWrite, kNoToken},

    // css-hsl.
    {"hsl(30, 100%, 50%)", kDefault, kNoAt, Rgba(240, 126, 194, 255), kWrite, "hsl(324.2, 79.2%, 71.8%)", kOrange},
    {"hsla(30deg 100% 50% / 50%)", kDefault, kNoAt, kW, kWrite, "hsla(210deg 100% 50% / 50%)", kOrange128},
    {"hsl(0, 0%, 50%)", kDefault, kNoAt, Rgba(77, 77, 77, 255), kWrite, "hsl(0, 0%, 30%)", Rgba(128, 128, 128, 255)},
    {"HSL(390DEG, 100, 50)", kDefault, kNoAt, kOrange, kWrite, "HSL(390DEG, 100, 50)", kOrange},
    {"hsl(-330, 100%, 50%)", kDefault, kNoAt, Rgba(0, 0, 255, 255), kWrite, "hsl(240, 100%, 50%)", kOrange},
    {"hsl(30.0, 100.0%, 50.0%)", kDefault, kNoAt, Rgba(255, 255, 255, 255), kWrite, "hsl(0.0, 0.0%, 100.0%)"},
    {"hsl(30turn, 100%, 50%)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"hsl(30%, 100%, 50%)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"hsl(30, 100deg, 50%)", kDefault, kNoAt, kW, kWrite, kNoToken},

    // Constructors and float vectors.
    {"QColor(255, 128, 0)", kDefault, kNoAt, kW, kWrite, "QColor(0, 128, 255)", kOrange},
    {"q = new QColor(1,2,3,4);", kDefault, kNoAt, kW, kWrite, "q = new QColor(0,128,255,128);", Rgba(1, 2, 3, 4)},
    {"Color.fromRGBO(255, 128, 0, 1.0)", kDefault, kNoAt, kW, kWrite, "Color.fromRGBO(0, 128, 255, 0.5)", kOrange},
    {"Color.fromARGB(255, 255, 128, 0)", kDefault, kNoAt, kW, kWrite, "Color.fromARGB(128, 0, 128, 255)", kOrange},
    {"Color.argb(1, 2, 3)", kDefault, kNoAt, kW, kWrite, kNoToken},        // four arguments only
    {"Color.rgb(+1, 2, 3)", kDefault, kNoAt, kW, kWrite, "Color.rgb(0, 128, 255)", Rgba(1, 2, 3, 255)},
    {"Color32(300, -5, 0, 255)", kDefault, kNoAt, kOrange, kWrite, "Color32(255, 128, 0, 255)", Rgba(255, 0, 0, 255)},
    {"Color.FromArgb(1, 2, 3)", kDefault, kNoAt, kW, kWrite, "Color.FromArgb(0, 128, 255)", Rgba(1, 2, 3, 255)},
    {"new Color(1, 0, 0)", kDefault, kNoAt, kW, kWrite, "new Color(0, 128, 255)", Rgba(1, 0, 0, 255)},
    {"new Color(1f, 0.5f, 0f)", kDefault, kNoAt, kW, kWrite, "new Color(0f, 0.5f, 1f)", kOrange},
    {"myQColor(1, 2, 3)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"QColor(1, 2)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"QColor(1.5, 2, 3)", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"vec3(1, 0, 0)", kDefault, kNoAt, kW, kWrite, kNoToken},               // no float among them
    {"vec3(1., 0., 0.)", kDefault, kNoAt, kOrange, kWrite, "vec3(1., 0.5, 0.)"},
    {"vec3(.5, .5, .5)", kDefault, kNoAt, Rgba(255, 0, 128, 255), kWrite, "vec3(1.0, .0, .5)"},
    {"vec3(1e0, 0, 0)", kDefault, kNoAt, Rgba(128, 0, 0, 255), kWrite, "vec3(0.5, 0, 0)"},
    {"half4(0.0, 0.0, 0.0, 1.0)", kDefault, kNoAt, Rgba(1, 0, 0, 77), kWrite, "half4(0.004, 0.0, 0.0, 0.3)"},
    {"glm::vec4(1.0f, 1.0f, 1.0f)", kDefault, kNoAt, kW, kWrite, kNoToken}, // three for vec4
    {"float4(1,2,3,4.0,5)", kDefault, kNoAt, kW, kWrite, kNoToken},

    // --at: the token holding N (end included; of two the earlier), else the
    // nearest on N's line (a tie to the earlier), else none.
    {"rgb(1,2,3)#000", kDefault, 10, kW, kWrite, "rgb(0,128,255)#000"},
    {"rgb(1,2,3)#000", kDefault, 11, kW, kWrite, "rgb(1,2,3)#0080ff"},
    {"#111  x  #222", kDefault, 6, kW, kWrite, "#0080ff  x  #222"},
    {"#111  x  #222", kDefault, 7, kW, kWrite, "#111  x  #0080ff"},
    {"#111 ab #222", kDefault, 6, kW, kWrite, "#0080ff ab #222"},             // tie
    {"#111\n\nfoo #222", kDefault, 5, kW, kWrite, kNoToken},                  // empty line
    {"#111\r\n#222", kDefault, 5, kW, kWrite, "#0080ff\r\n#222"},             // LF of CR LF
    {"#111\r#222", kDefault, 4, kW, kWrite, "#0080ff\r#222"},                 // lone CR ends line 1
    {"#111\r#222", kDefault, 5, kW, kWrite, "#111\r#0080ff"},
    {"x\n#111\n", kDefault, 7, kW, kWrite, "x\n#0080ff\n"},                   // the input's end
    {"#111\nx", kDefault, 6, kW, kWrite, kNoToken},
    {"#111", kDefault, 5, kW, kWrite, kNoToken},                               // beyond the input
    {"#111\n#222 y", kDefault, 10, kW, kWrite, "#111\n#0080ff y"},

    // Named colours: with --at inside and no other token on the line, or the whole input.
    {"color: red;", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"color: red;", kDefault, 10, kW, kWrite, "color: #0080ff;"},
    {"color: RED;", kDefault, 7, kW, kWrite, "color: #0080ff;"},
    {"color: red;", kDefault, 6, kW, kWrite, kNoToken},
    {"red #fff", kDefault, 1, kW, kWrite, "red #0080ff"},
    {"xred", kDefault, 1, kW, kWrite, kNoToken},
    {"  Orange \r\n", kDefault, kNoAt, kW, kWrite, "  #0080ff \r\n"},
    {"red", kDefault, kNoAt, Rgba(255, 0, 0, 7), kWrite, "red"},
    {"RebeccaPurple", kDefault, kNoAt, Rgba(0x66, 0x33, 0x99, 255), kWrite, "RebeccaPurple"},
    {"red blue", kDefault, kNoAt, kW, kWrite, kNoToken},

    // Decimal: the whole input only; the classic 32 bits.
    {"33023", kDefault, kNoAt, kW, kWrite, "16744448", kOrange},
    {" 33023 \n", kDefault, kNoAt, kOrange, kWrite, " 33023 \n", kOrange},
    {"-2147450625", kDefault, kNoAt, kW, kWrite, "-2130739200", kOrange128},
    {"33023 x", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"+33023", kDefault, kNoAt, kW, kWrite, kNoToken},
    {"-", kDefault, kNoAt, kW, kWrite, kNoToken},

    // Conversion to each target's default style, without and with alpha.
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kCssHex, "#ff8000"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kCssRgb, "rgb(255, 128, 0)"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kCssHsl, "hsl(30, 100%, 50%)"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kHex0x, "0xFF8000"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kClassicRgb, "RGB(255, 128, 0)"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kPascalHex, "$0080FF"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kFloatVector, "vec3(1.0, 0.5, 0.0)"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kDecimal, "33023"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kCssHex, "#ff800080"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kCssRgb, "rgba(255, 128, 0, 0.5)"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kCssHsl, "hsla(30, 100%, 50%, 0.5)"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kHex0x, "0x80FF8000"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kClassicRgb, "RGBA(255, 128, 0, 128)"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kPascalHex, "$800080FF"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kFloatVector, "vec4(1.0, 0.5, 0.0, 0.5)"},
    {"#ff800080", kDefault, kNoAt, kOrange128, Notation::kDecimal, "-2147450625"},
    {"x = #ff8000;", kDefault, kNoAt, kOrange, Notation::kCssRgb, "x = rgb(255, 128, 0);"},
    {"#ff8000ff", kDefault, kNoAt, kOrange, Notation::kCssRgb, "rgba(255, 128, 0, 1)"},  // alpha flag kept
    {"#ff8000", kDefault, kNoAt, kOrange128, Notation::kCssHex, "#ff800080"},             // alpha not 255
    {"#ff8000", kArgb, kNoAt, kOrange128, Notation::kCssHex, "#80ff8000"},
    {"#ff8000", kRgbaOrder, kNoAt, kOrange128, Notation::kHex0x, "0xFF800080"},
    {"#ff8000", kDefault, kNoAt, kOrange, Notation::kNamed, "#ff8000"},                   // no target
};
// clang-format on

std::string RunRow(const Row& row, std::optional<ColorToken>* token = nullptr) {
  const TokenOptions options{row.order};
  const std::optional<ColorToken> chosen = ChooseColorToken(row.text, options, row.at);
  if (token != nullptr) *token = chosen;
  if (!chosen) return kNoToken;
  if (row.to) return ConvertColorToken(row.text, *chosen, row.color, *row.to, options);
  return RewriteColorToken(row.text, *chosen, row.color, options);
}

TEST(ColorTokens, Table) {
  for (const Row& row : kRows) {
    std::optional<ColorToken> token;
    EXPECT_EQ(RunRow(row, &token), row.expected) << "text: " << row.text;
    if (row.read && token) {
      EXPECT_EQ(token->color, *row.read) << std::hex << "text: " << row.text;
    }
  }
}

// What a token of each notation is, and its alpha flag.
TEST(ColorTokens, NotationsAndAlphaFlags) {
  const struct {
    std::string_view text;
    Notation notation;
    int alpha_flag;
  } cases[] = {
      {"RGB(1,2,3)", Notation::kClassicRgb, 0},
      {"RGBA(1,2,3,4)", Notation::kClassicRgb, 1},
      {"$010203", Notation::kPascalHex, 0},
      {"$0010203", Notation::kPascalHex, 1},
      {"#123", Notation::kCssHex, 0},
      {"#1234", Notation::kCssHex, 1},
      {"0x010203", Notation::kHex0x, 0},
      {"0x00010203", Notation::kHex0x, 1},
      {"rgb(1 2 3)", Notation::kCssRgb, 0},
      {"rgba(1,2,3,1)", Notation::kCssRgb, 1},
      {"hsl(1 2 3)", Notation::kCssHsl, 0},
      {"hsl(1 2 3 / 1)", Notation::kCssHsl, 1},
      {"QColor(1,2,3)", Notation::kConstructor, 0},
      {"Color(1,2,3,4)", Notation::kConstructor, 1},
      {"vec3(1,2,3.)", Notation::kFloatVector, 0},
      {"Color(1,2,3,4f)", Notation::kFloatVector, 1},
      {"navy", Notation::kNamed, 0},
      {"16777215", Notation::kDecimal, 0},
      {"16777216", Notation::kDecimal, 1},
      {"-1", Notation::kDecimal, 1},
  };
  for (const auto& c : cases) {
    const auto token = ChooseColorToken(c.text, {});
    ASSERT_TRUE(token.has_value()) << c.text;
    EXPECT_EQ(token->notation, c.notation) << c.text;
    EXPECT_EQ(token->alpha_flag, c.alpha_flag) << c.text;
    EXPECT_EQ(token->begin, 0u) << c.text;
    EXPECT_EQ(token->end, c.text.size()) << c.text;
  }
}

TEST(ColorTokens, FindsEveryTokenInOrder) {
  const std::string_view text =
      "a #111; b = RGB(1,2,3) $010203 #define 0x010203\nvec3(1., 0, 0) red";
  const auto tokens = FindColorTokens(text, {});
  ASSERT_EQ(tokens.size(), 5u);
  const Notation expected[] = {Notation::kCssHex, Notation::kClassicRgb, Notation::kPascalHex,
                               Notation::kHex0x, Notation::kFloatVector};
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    EXPECT_EQ(tokens[i].notation, expected[i]) << i;
    if (i > 0) {
      EXPECT_GE(tokens[i].begin, tokens[i - 1].end) << i;
    }
  }
}

TEST(ColorTokens, NamesAndTargets) {
  EXPECT_EQ(CssNamedColorCount(), 148);
  EXPECT_EQ(FindCssNamedColor("LightGoldenrodYellow"), Rgba(0xFA, 0xFA, 0xD2, 255));
  EXPECT_EQ(FindCssNamedColor("grey"), FindCssNamedColor("gray"));
  EXPECT_FALSE(FindCssNamedColor("transparent"));
  for (const Notation n : kTargetNotations) {
    EXPECT_TRUE(IsTargetNotation(n));
    EXPECT_EQ(ParseTargetNotation(NotationName(n)), n);
  }
  EXPECT_FALSE(IsTargetNotation(Notation::kNamed));
  EXPECT_FALSE(ParseTargetNotation("named"));
  EXPECT_FALSE(ParseTargetNotation("CSS-HEX"));
  EXPECT_EQ(FormatInNotation(kOrange, Notation::kConstructor, 0, {}), "");
}

// Styles of every notation around a random colour: what is written reads back
// to the colour (the channels the token carries), the unchanged colour gives
// the input bytes, and nothing outside the token changes.
TEST(ColorTokens, RandomColoursRoundTrip) {
  const std::string_view styles[] = {
      "RGB(1, 2, 3)",
      "RGBA( 1 ,2,3,4 )",
      "$010203",
      "$01020304",
      "#abc",
      "#ABCD",
      "#a0b0c0",
      "#A0B0C0D0",
      "0xA0B0C0",
      "0xa0b0c0d0UL",
      "rgb(1, 2, 3)",
      "rgb(1% 2% 3% / 0.5)",
      "rgba(1.5,2,3,50%)",
      "RGBA(.1% 2 3 / .5)",
      "hsl(0, 0%, 0%)",
      "hsla(1.5deg 2% 3% / 1)",
      "hsl(1.25, 2, 3)",
      "QColor(1, 2, 3)",
      "Color.FromArgb(1, 2, 3, 4)",
      "Color.fromRGBO(1, 2, 3, 1.)",
      "vec3(1., 0, 0)",
      "float4(0.0f, 1, .5, 1e0)",
      "Color(1f, 0f, 0f, 1f)",
  };
  const std::string prefix = "x \xC3\xA9= ", suffix = ";\r\n";
  std::mt19937 random(20261208);
  for (const HexOrder order : {kDefault, kArgb, kRgbaOrder}) {
    const TokenOptions options{order};
    for (const std::string_view style : styles) {
      const std::string text = prefix + std::string(style) + suffix;
      const auto token = ChooseColorToken(text, options);
      ASSERT_TRUE(token) << style;
      ASSERT_EQ(token->begin, prefix.size()) << style;
      ASSERT_EQ(token->end, prefix.size() + style.size()) << style;
      EXPECT_EQ(RewriteColorToken(text, *token, token->color, options), text) << style;
      const ColorValue mask = token->alpha_flag != 0 ? 0xFFFFFFFFu : 0x00FFFFFFu;
      for (int i = 0; i < 300; ++i) {
        const ColorValue color = random();
        const std::string out = RewriteColorToken(text, *token, color, options);
        ASSERT_GE(out.size(), prefix.size() + suffix.size()) << style;
        EXPECT_EQ(out.substr(0, prefix.size()), prefix) << style;
        EXPECT_EQ(out.substr(out.size() - suffix.size()), suffix) << style;
        const auto back = ChooseColorToken(out, options);
        ASSERT_TRUE(back) << out;
        EXPECT_EQ(back->notation, token->notation) << out;
        EXPECT_EQ(back->alpha_flag, token->alpha_flag) << out;
        EXPECT_EQ(back->end, out.size() - suffix.size()) << out;
        EXPECT_EQ(back->color & mask, color & mask) << std::hex << color << " " << out;
        EXPECT_EQ(RewriteColorToken(out, *back, color, options), out) << out;
      }
    }
    // Every target reads back too.
    for (const Notation target : kTargetNotations) {
      for (int i = 0; i < 300; ++i) {
        const ColorValue color = random();
        const int alpha_flag = i % 2;
        const std::string written = FormatInNotation(color, target, alpha_flag, options);
        const auto back = ChooseColorToken(written, options);
        ASSERT_TRUE(back) << written;
        EXPECT_EQ(back->notation, target) << written;
        const bool alpha = alpha_flag != 0 || (color >> 24) != 255;
        const ColorValue mask = alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
        // Decimal cannot tell alpha 0 from no alpha.
        if (target == Notation::kDecimal && (color >> 24) == 0) continue;
        EXPECT_EQ(back->color & mask, color & mask) << std::hex << color << " " << written;
      }
    }
  }
}

// Hostile input: long runs, huge numbers, bytes of every value; a defined
// answer in linear time.
TEST(ColorTokens, HostileInput) {
  const auto start = std::chrono::steady_clock::now();
  const std::string digits(1000000, '7');
  const std::string huge = "rgba(" + digits + ", 0, 1e-" + digits + ", 0." + digits + ")";
  auto token = ChooseColorToken(huge, {});
  ASSERT_TRUE(token);
  EXPECT_EQ(token->color, Rgba(255, 0, 0, 198));  // 0.777... x 255 = 198.3
  const std::string out = RewriteColorToken(huge, *token, Rgba(1, 2, 3, 255), {});
  EXPECT_EQ(out.substr(0, 24), "rgba(1, 2, 3.0, 1.000000");
  EXPECT_EQ(out.size(), 1000000u + 19u);

  // A long line of openings without ")", then one with it.
  std::string openings;
  for (int i = 0; i < 400000; ++i) openings += "rgb(RGB(hsl(vec3(QColor(";
  token = ChooseColorToken(openings, {});
  EXPECT_FALSE(token);
  openings += "1,2,3)";
  token = ChooseColorToken(openings, {});
  ASSERT_TRUE(token);
  EXPECT_EQ(token->notation, Notation::kConstructor);
  EXPECT_EQ(token->end, openings.size());

  std::string comma_run = "RGB(1";
  for (int i = 0; i < 300000; ++i) comma_run += ",RGB(1";
  EXPECT_FALSE(ChooseColorToken(comma_run + ",\n)", {}));

  std::string bytes;
  for (int i = 0; i < 256 * 40; ++i) bytes.push_back(static_cast<char>((i * 7919) & 0xFF));
  for (std::size_t at = 0; at <= bytes.size(); at += 97) {
    token = ChooseColorToken(bytes, {}, at);
    if (token) {
      EXPECT_LE(token->end, bytes.size());
      const std::string out = RewriteColorToken(bytes, *token, kW, {});
      EXPECT_EQ(out.substr(0, token->begin), bytes.substr(0, token->begin));
    }
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 20.0);  // a quadratic scan takes hours on these
}

}  // namespace
}  // namespace tintra
