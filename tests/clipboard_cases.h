// The standalone program's clipboard cases, one row each: what the
// clipboard holds when the program starts, what its dialog shows, what is
// done in the format chooser, and what the clipboard holds once the program
// has ended. The Windows test (tests/windows/standalone_wintest.cpp) and the
// Linux one (tests/linux/standalone_linuxtest.cpp) run the same rows. Texts
// are Windows-1252 bytes, as the core has them.
#pragma once

namespace tintra::clipboard_cases {

enum class Start { kText, kEmpty, kBitmap };
inline constexpr int kNoChooser = -1;  // the program must end without asking
inline constexpr int kCloseChooser = 0;

struct FlowCase {
  const char* name;
  Start start;
  const char* clipboard;     // kText only
  int alpha_flag;            // expected in the dialog and the chooser
  const char* dialog_color;  // "r g b [a] | hex row | RGB row" as the dialog opens
  int chooser;               // kNoChooser, kCloseChooser or a button 1..4
  const char* expected;      // the clipboard text at the end; nullptr: no text
  bool bitmap_kept;          // the image is still on the clipboard
};

inline constexpr FlowCase kFlows[] = {
    // Spaces trimmed, RGB notation, normalised on the way out.
    {"spaces around rgb(", Start::kText, "  rgb(1,2,3)  ", 0, "1 2 3 | $030201 | RGB(1, 2, 3)",
     kNoChooser, "RGB(1, 2, 3)", false},
    // Hexadecimal in lower case comes back in upper case, 6 digits.
    {"$ff8000", Start::kText, "$ff8000", 0, "0 128 255 | $FF8000 | RGB(0, 128, 255)", kNoChooser,
     "$FF8000", false},
    // 8 digits: alpha flag, and 8 digits back.
    {"$80FF8000", Start::kText, "$80FF8000", 1,
     "0 128 255 128 | $80FF8000 | RGBA(0, 128, 255, 128)", kNoChooser, "$80FF8000", false},
    // RGBA notation keeps its alpha.
    {"RGBA(", Start::kText, "RGBA(10,20,30,40)", 1,
     "10 20 30 40 | $281E140A | RGBA(10, 20, 30, 40)", kNoChooser, "RGBA(10, 20, 30, 40)", false},
    // What follows ")" is ignored: a copied line with its line break.
    {"RGB( with a line break", Start::kText, "RGB(1,2,3)\r\n", 0, "1 2 3 | $030201 | RGB(1, 2, 3)",
     kNoChooser, "RGB(1, 2, 3)", false},
    // A line break spoils the hexadecimal notation: opaque black, chooser.
    {"$FF8000 with a line break", Start::kText, "$FF8000\r\n", 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 3, "$FF000000", false},
    // A leading tab is not trimmed: not RGB notation.
    {"tab before RGB(", Start::kText, "\tRGB(1,2,3)", 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 1, "RGB(0, 0, 0)", false},
    // Decimal always asks; the decimal button gives it back.
    {"255, decimal button", Start::kText, "255", 0, "255 0 0 | $0000FF | RGB(255, 0, 0)", 4, "255",
     false},
    // ... and the HEX button writes 6 digits (no alpha).
    {"255, HEX button", Start::kText, "255", 0, "255 0 0 | $0000FF | RGB(255, 0, 0)", 3, "$0000FF",
     false},
    // ... and closing the chooser leaves the clipboard as it was.
    {"255, chooser closed", Start::kText, "255", 0, "255 0 0 | $0000FF | RGB(255, 0, 0)",
     kCloseChooser, "255", false},
    // Empty clipboard: opaque black with alpha; the RGBA button is offered.
    {"empty clipboard, RGBA button", Start::kEmpty, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 2, "RGBA(0, 0, 0, 255)", false},
    // Empty clipboard, chooser closed: still empty.
    {"empty clipboard, chooser closed", Start::kEmpty, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", kCloseChooser, nullptr, false},
    // An image is no text: opaque black; closing the chooser keeps the image.
    {"image, chooser closed", Start::kBitmap, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", kCloseChooser, nullptr, true},
    // An image, then a choice: the text replaces the image.
    {"image, decimal button", Start::kBitmap, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 4, "-16777216", false},
};

}  // namespace tintra::clipboard_cases
