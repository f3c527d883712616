// The front-ends on the text engine: the text filter (`--filter`, standard
// input to standard output) and the Linux program's clipboard pass. Plain
// steps over the platform's shell (the toolkit, the picker, the chooser),
// which each program hands in; written once, linked by the programs only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "colortext/color_tokens.h"
#include "colortext/format_chooser.h"
#include "colortext/language_texts.h"
#include "picker/color_picker.h"

namespace tintra {

// Exit statuses of the filter.
inline constexpr int kFilterWritten = 0;    // confirmed (OK) and written, or unchanged
inline constexpr int kFilterCancelled = 1;  // Cancel or the close box
inline constexpr int kFilterNoToken = 2;    // no colour in the input
inline constexpr int kFilterNoDisplay = 3;  // the picker could not be opened
inline constexpr int kFilterUsage = 64;     // a wrong option

// The command line after the program's name.
struct FilterArguments {
  bool filter = false;             // --filter
  std::optional<std::size_t> at;   // --at N: the cursor, a byte offset
  std::optional<Notation> to;      // --to NOTATION
  std::optional<std::string> set;  // --set COLOUR
  bool no_dialog = false;          // --no-dialog
  TokenOptions token_options;      // --hex-order argb|rgba
  bool verbose = false;            // --verbose
  bool help = false;               // --help
  bool version = false;            // --version
  std::string error;               // not empty: what is wrong with the command line
};

// Reads the arguments (each one whole; `--at=N` and `--at N` alike). Any
// argument it does not know, a missing or bad value, or --no-dialog without
// --to or --set, is an error.
FilterArguments ReadFilterArguments(const std::vector<std::string_view>& arguments);

// What a front-end needs of the platform; `context` is handed back to each.
struct FrontEndShell {
  void* context = nullptr;
  // Starts the toolkit on the display; false when there is none.
  bool (*open_display)(void* context) = nullptr;
  PickerAnswer (*edit)(void* context, ColorValue initial, std::string_view descriptor,
                       int alpha_flag, const PickerOptions& options) = nullptr;
  // ChooseFromList: 1..labels.size(), or 0 for no choice.
  int (*choose)(void* context, const ChooserList& list) = nullptr;
};

struct FilterOutcome {
  int status = kFilterNoToken;
  std::string output;   // for standard output: the input itself on every status but 0
  std::string message;  // for standard error, where a person reads it; may be empty
};

// One filter pass over the input (any bytes). The input is searched before
// any display is opened; every status but 0 gives the input back unchanged.
FilterOutcome RunFilter(std::string_view input, const FilterArguments& arguments, Language language,
                        const FrontEndShell& shell);

// The Linux program's clipboard pass: the first token of the text edited in
// place, or, without one, opaque black and the chooser. Gives the text to put
// on the clipboard, or nothing (Cancel, no choice): the clipboard is left.
std::optional<std::string> RunClipboardPass(std::string_view clipboard_text, Language language,
                                            const FrontEndShell& shell);

// French when the first of LC_ALL, LC_MESSAGES, LANG that is set and not
// empty begins with "fr"; English otherwise. Arguments may be null.
Language LanguageFromLocale(const char* lc_all, const char* lc_messages, const char* lang);

// `--help` and `--version` texts (standard output), each ending in a line feed.
std::string FilterHelpText(std::string_view program);
std::string VersionText(std::string_view program);

}  // namespace tintra
