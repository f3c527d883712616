// The text engine on any bytes. The input's first byte gives the hexadecimal
// order, the next two an offset for --at, the next four a colour; the rest
// is the text.
//
// Checked: tokens lie in the text, in order, without overlaps, of ASCII bytes
// and without line breaks; writing a token's own colour gives the text byte
// for byte; writing another colour changes no byte outside the token, and
// the token read again at the same place has the notation, alpha flag and
// colour written (the channels it carries) and writes back to itself; the
// token chosen for an offset is one of those found (or a named colour around
// the offset) and holds the offset when any token does; every target's
// default style reads back to the colour.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "colortext/color_tokens.h"
#include "fuzz/fuzz_input.h"

namespace {

using tintra::ColorToken;
using tintra::ColorValue;
using tintra::Notation;
using tintra::TokenOptions;

constexpr std::size_t kMostTokensChecked = 16;

ColorValue KeptBits(int alpha_flag) {
  return alpha_flag != 0 ? 0xFFFFFFFFu : 0x00FFFFFFu;
}

bool Holds(const ColorToken& t, std::size_t at) {
  return t.begin <= at && at <= t.end;
}

void CheckTokenBytes(std::string_view text, const ColorToken& t) {
  FUZZ_CHECK(t.begin < t.end && t.end <= text.size(), "token [%zu, %zu) in %zu bytes", t.begin,
             t.end, text.size());
  for (std::size_t i = t.begin; i < t.end; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    FUZZ_CHECK(c < 0x80 && c != '\n' && c != '\r', "byte %02X at %zu inside a token", c, i);
  }
}

void CheckRewrite(std::string_view text, const ColorToken& t, ColorValue color,
                  const TokenOptions& options) {
  FUZZ_CHECK(tintra::RewriteColorToken(text, t, t.color, options) == text,
             "the token's own colour changed the text");
  const std::string out = tintra::RewriteColorToken(text, t, color, options);
  const std::size_t suffix = text.size() - t.end;
  FUZZ_CHECK(out.size() >= t.begin + suffix && out.compare(0, t.begin, text, 0, t.begin) == 0 &&
                 out.compare(out.size() - suffix, suffix, text, t.end, suffix) == 0,
             "bytes outside the token changed");
  const std::string written = tintra::WriteTokenText(text, t, color, options);
  FUZZ_CHECK(out.size() == t.begin + written.size() + suffix &&
                 out.compare(t.begin, written.size(), written) == 0,
             "WriteTokenText disagrees with RewriteColorToken");

  // An unchanged colour keeps the bytes (checked above).
  if ((t.color & KeptBits(t.alpha_flag)) == (color & KeptBits(t.alpha_flag))) {
    FUZZ_CHECK(out == text, "an unchanged colour changed the text");
    return;
  }
  // Read again where it was written; a name after "&" becomes "&#rrggbb",
  // which reads as a character reference, not a colour.
  if (t.notation == Notation::kNamed && t.begin > 0 && text[t.begin - 1] == '&') return;
  std::optional<ColorToken> back;
  for (const ColorToken& found : tintra::FindColorTokens(out, options)) {
    if (found.begin == t.begin) back = found;
  }
  FUZZ_CHECK(back.has_value() && back->end == t.begin + written.size(), "\"%s\" not found again",
             written.c_str());
  CheckTokenBytes(out, *back);
  // A named colour is written as css-hex.
  const Notation expected = t.notation == Notation::kNamed ? Notation::kCssHex : t.notation;
  FUZZ_CHECK(back->notation == expected, "\"%s\" read back as notation %d", written.c_str(),
             static_cast<int>(back->notation));
  if (t.notation == Notation::kDecimal && t.alpha_flag != 0 && (color >> 24) == 0) return;
  FUZZ_CHECK(back->alpha_flag == t.alpha_flag, "\"%s\" alpha flag %d, written %d", written.c_str(),
             back->alpha_flag, t.alpha_flag);
  const ColorValue kept = KeptBits(t.alpha_flag);
  FUZZ_CHECK((back->color & kept) == (color & kept), "\"%s\" read back as %08X, written %08X",
             written.c_str(), back->color, color);
  FUZZ_CHECK(tintra::RewriteColorToken(out, *back, color, options) == out,
             "\"%s\" written again differs", written.c_str());
}

void CheckChoice(std::string_view text, const std::vector<ColorToken>& tokens, std::size_t at,
                 const TokenOptions& options) {
  const auto chosen = tintra::ChooseColorToken(text, options, at);
  if (at > text.size()) {
    FUZZ_CHECK(!chosen.has_value(), "a token for an offset beyond the text");
    return;
  }
  const ColorToken* holder = nullptr;
  for (const ColorToken& t : tokens) {
    if (Holds(t, at)) {
      holder = &t;
      break;
    }
  }
  if (holder != nullptr) {
    FUZZ_CHECK(chosen.has_value() && chosen->begin == holder->begin && chosen->end == holder->end,
               "the token holding %zu was not chosen", at);
    return;
  }
  if (!chosen) return;
  CheckTokenBytes(text, *chosen);
  bool listed = false;
  for (const ColorToken& t : tokens)
    listed = listed || (t.begin == chosen->begin && t.end == chosen->end);
  FUZZ_CHECK(listed || (chosen->notation == Notation::kNamed && Holds(*chosen, at)),
             "chosen token [%zu, %zu) for %zu is not one found", chosen->begin, chosen->end, at);
  // On the offset's line: no line break between them but the one the offset
  // stands on (the input's end stands on its last byte; CR LF is one break).
  std::size_t a = at == text.size() && at > 0 ? at - 1 : at;
  if (a < text.size() && text[a] == '\n' && a > 0 && text[a - 1] == '\r') --a;
  const std::size_t from = a < chosen->begin ? a : chosen->end;
  const std::size_t to = a < chosen->begin ? chosen->begin : a;
  for (std::size_t i = from; i < to; ++i) {
    FUZZ_CHECK(text[i] != '\n' && text[i] != '\r', "token chosen from another line than %zu", at);
  }
}

void CheckTargets(ColorValue color, int alpha_flag, const TokenOptions& options) {
  for (const Notation target : tintra::kTargetNotations) {
    const std::string written = tintra::FormatInNotation(color, target, alpha_flag, options);
    const auto back = tintra::ChooseColorToken(written, options);
    FUZZ_CHECK(back.has_value() && back->begin == 0 && back->end == written.size() &&
                   back->notation == target,
               "default style \"%s\" not read back", written.c_str());
    const bool alpha = alpha_flag != 0 || (color >> 24) != 255;
    if (target == Notation::kDecimal && (color >> 24) == 0) continue;
    const ColorValue kept = KeptBits(alpha ? 1 : 0);
    FUZZ_CHECK((back->color & kept) == (color & kept), "\"%s\" read back as %08X, written %08X",
               written.c_str(), back->color, color);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tintra::fuzz::Reader reader{data, size};
  TokenOptions options;
  options.hex_order = static_cast<tintra::HexOrder>(tintra::fuzz::TakeByte(reader) % 3);
  const std::uint16_t at = tintra::fuzz::TakeU16(reader);
  const ColorValue color = tintra::fuzz::TakeU32(reader);
  const std::string_view text = tintra::fuzz::TakeRest(reader);

  const std::vector<ColorToken> tokens = tintra::FindColorTokens(text, options);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    CheckTokenBytes(text, tokens[i]);
    if (i > 0) {
      FUZZ_CHECK(tokens[i].begin >= tokens[i - 1].end, "tokens overlap or are out of order");
    }
  }
  const auto first = tintra::ChooseColorToken(text, options);
  FUZZ_CHECK(first.has_value() == !tokens.empty(), "a first token without a list or the reverse");
  if (first) {
    FUZZ_CHECK(first->begin == tokens[0].begin && first->end == tokens[0].end,
               "the first token differs from the list's");
  }
  for (std::size_t i = 0; i < tokens.size() && i < kMostTokensChecked; ++i) {
    CheckRewrite(text, tokens[i], color, options);
  }
  CheckChoice(text, tokens, at % (text.size() + 2), options);
  if (const auto chosen = tintra::ChooseColorToken(text, options, at % (text.size() + 2))) {
    if (chosen->notation == Notation::kNamed) CheckRewrite(text, *chosen, color, options);
  }
  CheckTargets(color, static_cast<int>(at & 1u), options);
  return 0;
}
