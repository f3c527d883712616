#include "frontend/filter.h"

#include <limits>

#include "picker/color_model.h"

#ifndef TINTRA_VERSION
#define TINTRA_VERSION "unknown"
#endif

namespace tintra {
namespace {

constexpr ColorValue kOpaqueBlack = 0xFF000000u;

// The templates of the live rows: each holds a "?" so that the dialog makes
// it an output field; FieldText below gives their texts.
constexpr std::string_view kTokenRow = "?token";
constexpr std::string_view kCssHexRow = "?css-hex";
constexpr std::string_view kCssRgbRow = "?css-rgb";

bool IsLineBreak(char c) {
  return c == '\n' || c == '\r';
}

// Only blanks and line breaks: the filter then writes a colour text of its own.
bool IsEmptyInput(std::string_view input) {
  for (const char c : input) {
    if (c != ' ' && c != '\t' && !IsLineBreak(c)) return false;
  }
  return true;
}

// The input's first line break (LF, CR LF or a lone CR), or the empty text.
std::string_view FirstLineBreak(std::string_view input) {
  const std::size_t at = input.find_first_of("\r\n");
  if (at == std::string_view::npos) return {};
  if (input[at] == '\r' && at + 1 < input.size() && input[at + 1] == '\n') {
    return input.substr(at, 2);
  }
  return input.substr(at, 1);
}

// A decimal byte offset; values beyond size_t saturate (they hold no token).
std::optional<std::size_t> ReadOffset(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::size_t value = 0;
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::size_t>(c - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

// What the live rows and the written text are made of, for one pass.
struct Edit {
  std::string_view input;
  std::optional<ColorToken> token;  // none: empty input
  std::optional<Notation> to;
  TokenOptions options;
  int alpha_flag = 0;
};

// The text that will be written for `color`: the token in its own style, or
// the colour in the target notation.
std::string ResultText(const Edit& edit, ColorValue color) {
  if (edit.to) return FormatInNotation(color, *edit.to, edit.alpha_flag, edit.options);
  if (edit.token) return WriteTokenText(edit.input, *edit.token, color, edit.options);
  return FormatInNotation(color, Notation::kCssHex, edit.alpha_flag, edit.options);
}

std::string FieldText(const void* context, std::string_view field_template, ColorValue color) {
  const Edit& edit = *static_cast<const Edit*>(context);
  if (field_template == kTokenRow) return ResultText(edit, color);
  if (field_template == kCssHexRow) {
    return FormatInNotation(color, Notation::kCssHex, edit.alpha_flag, edit.options);
  }
  if (field_template == kCssRgbRow) {
    return FormatInNotation(color, Notation::kCssRgb, edit.alpha_flag, edit.options);
  }
  return std::string(field_template);
}

// Title of the language, a row of captions and a row of the live fields:
// the text as it will be written (captioned with its notation), CSS hex and
// CSS rgb().
std::string EditDescriptor(const Edit& edit, Language language) {
  const std::string classic = LanguageDescriptor(language, 0);
  std::string descriptor = classic.substr(0, classic.find('\n'));
  const Notation shown = edit.to ? *edit.to : edit.token ? edit.token->notation : Notation::kCssHex;
  descriptor += '\n';
  if (shown != Notation::kCssHex && shown != Notation::kCssRgb) {
    descriptor.append(NotationName(shown)).append("\t");
  }
  descriptor.append("CSS hex\tCSS rgb()\n");
  if (shown != Notation::kCssHex && shown != Notation::kCssRgb) {
    descriptor.append(kTokenRow).append("\t");
  }
  descriptor.append(shown == Notation::kCssHex ? kTokenRow : kCssHexRow).append("\t");
  descriptor.append(shown == Notation::kCssRgb ? kTokenRow : kCssRgbRow);
  return descriptor;
}

// The picker on `color`; nothing when there is no display or the user did
// not confirm (`status` says which).
std::optional<ColorValue> Pick(const Edit& edit, ColorValue color, Language language,
                               const FrontEndShell& shell, int& status) {
  if (shell.open_display == nullptr || !shell.open_display(shell.context)) {
    status = kFilterNoDisplay;
    return std::nullopt;
  }
  PickerOptions options;
  options.dialog_keys = true;
  options.field_text = FieldText;
  options.field_text_context = &edit;
  const PickerAnswer answer =
      shell.edit(shell.context, color, EditDescriptor(edit, language), edit.alpha_flag, options);
  if (!answer.confirmed) {
    status = kFilterCancelled;
    return std::nullopt;
  }
  return answer.color;
}

// The chooser, one button per target notation, labelled with the colour in it.
std::optional<Notation> ChooseNotation(ColorValue color, int alpha_flag,
                                       const TokenOptions& options, Language language,
                                       const FrontEndShell& shell) {
  ChooserList list;
  list.title = language == Language::kFrench ? "Choisir une notation" : "Choose a notation";
  for (const Notation notation : kTargetNotations) {
    list.labels.push_back(FormatInNotation(color, notation, alpha_flag, options));
  }
  const int chosen = shell.choose(shell.context, list);
  if (chosen < 1 || chosen > static_cast<int>(list.labels.size())) return std::nullopt;
  return kTargetNotations[chosen - 1];
}

FilterOutcome Echo(std::string_view input, int status, std::string message) {
  return {status, std::string(input), std::move(message)};
}

std::string StatusMessage(int status) {
  switch (status) {
    case kFilterCancelled:
      return "tintra: cancelled\n";
    case kFilterNoToken:
      return "tintra: no colour in the input\n";
    case kFilterNoDisplay:
      return "tintra: cannot open display\n";
    default:
      return {};
  }
}

// Empty input: a colour text of its own, in the --to notation, the --set
// colour's own notation, or the one the chooser gives.
FilterOutcome WriteNewColor(std::string_view input, const FilterArguments& arguments,
                            Language language, const FrontEndShell& shell) {
  Edit edit{input, std::nullopt, arguments.to, arguments.token_options, 0};
  ColorValue color = kOpaqueBlack;
  std::string set_text;  // the --set colour as given, for a notation that is no target
  if (arguments.set) {
    const std::optional<ColorToken> set = ChooseColorToken(*arguments.set, edit.options);
    if (!set) return Echo(input, kFilterUsage, "tintra: --set: no colour in that text\n");
    color = set->color;
    edit.alpha_flag = set->alpha_flag;
    if (!edit.to && IsTargetNotation(set->notation)) edit.to = set->notation;
    if (!edit.to) set_text = WriteTokenText(*arguments.set, *set, color, edit.options);
  }
  if (!arguments.no_dialog) {
    int status = kFilterWritten;
    const std::optional<ColorValue> picked = Pick(edit, color, language, shell, status);
    if (!picked) return Echo(input, status, StatusMessage(status));
    color = *picked;
    if (!edit.to) {
      edit.to = ChooseNotation(color, edit.alpha_flag, edit.options, language, shell);
      if (!edit.to) return Echo(input, kFilterCancelled, StatusMessage(kFilterCancelled));
    }
  }
  std::string output =
      edit.to ? FormatInNotation(color, *edit.to, edit.alpha_flag, edit.options) : set_text;
  output.append(FirstLineBreak(input));
  return {kFilterWritten, std::move(output), {}};
}

}  // namespace

FilterArguments ReadFilterArguments(const std::vector<std::string_view>& arguments) {
  FilterArguments result;
  auto fail = [&result](std::string why) {
    if (result.error.empty()) result.error = std::move(why);
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    std::optional<std::string_view> value;
    if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != name.npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const bool takes_value =
        name == "--at" || name == "--to" || name == "--set" || name == "--hex-order";
    if (takes_value && !value) {
      if (i + 1 >= arguments.size()) {
        fail(std::string(name) + " needs a value");
        break;
      }
      value = arguments[++i];
    } else if (!takes_value && value) {
      fail(std::string(name) + " takes no value");
      continue;
    }
    if (name == "--filter") {
      result.filter = true;
    } else if (name == "--no-dialog") {
      result.no_dialog = true;
    } else if (name == "--verbose") {
      result.verbose = true;
    } else if (name == "--help" || name == "-h") {
      result.help = true;
    } else if (name == "--version") {
      result.version = true;
    } else if (name == "--at") {
      result.at = ReadOffset(*value);
      if (!result.at) fail("--at: not a byte offset: " + std::string(*value));
    } else if (name == "--to") {
      result.to = ParseTargetNotation(*value);
      if (!result.to) fail("--to: not a notation: " + std::string(*value));
    } else if (name == "--set") {
      result.set = std::string(*value);
    } else if (name == "--hex-order") {
      if (*value == "argb") {
        result.token_options.hex_order = HexOrder::kArgb;
      } else if (*value == "rgba") {
        result.token_options.hex_order = HexOrder::kRgba;
      } else {
        fail("--hex-order: argb or rgba, not " + std::string(*value));
      }
    } else {
      fail("unknown option: " + std::string(name));
    }
  }
  if (result.set && !ChooseColorToken(*result.set, result.token_options)) {
    fail("--set: no colour in " + *result.set);
  }
  if (result.no_dialog && !result.to && !result.set) fail("--no-dialog needs --to or --set");
  return result;
}

FilterOutcome RunFilter(std::string_view input, const FilterArguments& arguments, Language language,
                        const FrontEndShell& shell) {
  if (!arguments.error.empty()) {
    return Echo(input, kFilterUsage, "tintra: " + arguments.error + "\n");
  }
  if (IsEmptyInput(input)) return WriteNewColor(input, arguments, language, shell);

  const TokenOptions& options = arguments.token_options;
  const std::optional<ColorToken> token = ChooseColorToken(input, options, arguments.at);
  if (!token) return Echo(input, kFilterNoToken, StatusMessage(kFilterNoToken));

  ColorValue color = token->color;
  if (arguments.set) color = ChooseColorToken(*arguments.set, options)->color;
  if (!arguments.no_dialog) {
    const Edit edit{input, token, arguments.to, options, token->alpha_flag};
    int status = kFilterWritten;
    const std::optional<ColorValue> picked = Pick(edit, color, language, shell, status);
    if (!picked) return Echo(input, status, StatusMessage(status));
    color = *picked;
  }
  std::string output = arguments.to
                           ? ConvertColorToken(input, *token, color, *arguments.to, options)
                           : RewriteColorToken(input, *token, color, options);
  return {kFilterWritten, std::move(output), {}};
}

std::optional<std::string> RunClipboardPass(std::string_view clipboard_text, Language language,
                                            const FrontEndShell& shell) {
  const TokenOptions options;
  const std::optional<ColorToken> token = ChooseColorToken(clipboard_text, options);
  Edit edit{clipboard_text, token, std::nullopt, options, token ? token->alpha_flag : 0};
  int status = kFilterWritten;
  const std::optional<ColorValue> picked =
      Pick(edit, token ? token->color : kOpaqueBlack, language, shell, status);
  if (!picked) return std::nullopt;
  if (token) return RewriteColorToken(clipboard_text, *token, *picked, options);
  const std::optional<Notation> notation = ChooseNotation(*picked, 0, options, language, shell);
  if (!notation) return std::nullopt;
  return FormatInNotation(*picked, *notation, 0, options);
}

Language LanguageFromLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value == nullptr || value[0] == '\0') continue;
    return std::string_view(value).starts_with("fr") ? Language::kFrench : Language::kEnglish;
  }
  return Language::kEnglish;
}

std::string FilterHelpText(std::string_view program) {
  std::string text;
  text.append("Usage: ").append(program).append(" [--filter [OPTION]...]\n");
  text.append(
      "Edits a colour written in text in a colour picker and writes it back in the style it was\n"
      "written in. Without --filter: the colour on the clipboard, back on the clipboard.\n"
      "\n"
      "  --filter             standard input to standard output\n"
      "  --at N               the colour at or nearest to byte offset N (the cursor)\n"
      "  --to NOTATION        write it in NOTATION: css-hex, css-rgb, css-hsl, hex-0x,\n"
      "                       classic-rgb, pascal-hex, float-vector, decimal\n"
      "  --set COLOUR         write this colour (any notation) instead of asking\n"
      "  --no-dialog          no picker; needs --to or --set\n"
      "  --hex-order ORDER    argb or rgba: how 8 hexadecimal digits are read and written\n"
      "  --verbose            say why on standard error\n"
      "  --help, --version\n"
      "\n"
      "Exit status: 0 written, 1 cancelled, 2 no colour in the input, 3 no display,\n"
      "64 a wrong option. On every status but 0 the input is written back unchanged.\n");
  return text;
}

std::string VersionText(std::string_view program) {
  return std::string(program) + " " + TINTRA_VERSION + "\n";
}

}  // namespace tintra
