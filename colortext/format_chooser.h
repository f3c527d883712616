// The format chooser: a small window with one push button per colour
// notation, shown when the input text had no notation of its own. The texts
// and the geometry are portable; the window itself is format_chooser_win32.cpp
// (Windows) or format_chooser_qt.cpp (Linux).
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "picker/window_placement.h"

namespace tintra {

// The five texts of one language, 8-bit ANSI (code page 1252), NUL-ended.
// Each button text belongs to the format code of the same number.
struct FormatChooserTexts {
  const char* title;
  const char* rgb;      // button 1
  const char* rgba;     // button 2, offered only with the alpha flag
  const char* hex;      // button 3
  const char* decimal;  // button 4
};

inline constexpr FormatChooserTexts kEnglishChooserTexts = {
    "Format selection", "Copy color in RGB", "Copy color in RGBA", "Copy color in HEX",
    "Copy color in decimal"};

inline constexpr FormatChooserTexts kFrenchChooserTexts = {
    "Choix du format", "Copier la couleur au format RGB", "Copier la couleur au format RGBA",
    "Copier la couleur au format HEX",
    "Copier la couleur au format d\xE9"
    "cimal"};

constexpr int kChooserClientWidth = 200;  // pixels at 96 DPI
constexpr int kChooserButtonHeight = 24;  // pixels at 96 DPI
constexpr int kChooserMargin = 4;         // pixels at 96 DPI, around the column of buttons

// One push button, in client pixels of the chooser window. Its control
// identifier is the format code it stands for (1..4).
struct ChooserButton {
  int id;
  int x, y, width, height;
};

struct ChooserLayout {
  int dpi;                               // what the pixels below are for
  int client_width;                      // 200 at 96 DPI
  int client_height;                     // (alpha flag + 3) x 24 + 8: 80 or 104 at 96 DPI
  int button_count;                      // 3, or 4 with the alpha flag
  std::array<ChooserButton, 4> buttons;  // the first button_count, top to bottom
};

// Buttons 1, (2 with the alpha flag), 3, 4 stacked from y = 4, each 24 high
// and 192 wide at x = 4, at 96 DPI; at another DPI the same scaled as the
// picker's layout scales (picker/dialog_layout.h). Any non-zero alpha flag
// counts as 1.
ChooserLayout LayoutFormatChooser(int alpha_flag, int dpi = 96);

// The button text for a format code 1..4; nullptr for any other code.
const char* ChooserButtonText(const FormatChooserTexts& texts, int id);

// Shows the chooser window (top-level, no owner, centred on the primary
// screen, class kFormatChooserClass) with the buttons of
// LayoutFormatChooser, and blocks until a button is pressed or the window is
// asked to close (close box, system menu, Alt+F4). Returns the pressed
// button's format code 1..4, or 0 for a close request or a window that
// cannot be created. The window is destroyed before the call returns.
// In the shells (format_chooser_win32.cpp, format_chooser_qt.cpp).
int FormatChooser(const FormatChooserTexts& texts, int alpha_flag);

inline constexpr char kFormatChooserClass[] = "TintraFormatChooser";
inline constexpr char kListChooserClass[] = "TintraListChooser";  // ChooseFromList's window

// The chooser of the text filter and the Linux program's clipboard mode: one
// button per label (8-bit ANSI, code page 1252), top to bottom, each wide
// enough for its label at the chooser's DPI. Arrows and Tab move between the
// buttons, Enter chooses the focused one, Escape and the close box choose
// nothing. The window stays above other windows. Returns 1..labels.size()
// for the chosen button, 0 for none (also for no labels, without a window).
// Centred on the primary screen. In the shells.
struct ChooserList {
  std::string title;
  std::vector<std::string> labels;
};
int ChooseFromList(const ChooserList& list);

// Room between a list button's label and each of its sides, at 96 DPI: the
// push button's frame and its focus rectangle.
constexpr int kListLabelPadding = 10;

// The list chooser's geometry, in physical client pixels at `dpi`. Button i
// (0-based) has the id i + 1.
struct ListChooserLayout {
  int dpi = 96;
  int client_width = 0;
  int client_height = 0;
  std::vector<ChooserButton> buttons;  // top to bottom
};

// The classic chooser's margins and button height, scaled as its layout
// scales, one button per entry of `label_widths` (the labels' text widths in
// physical pixels at `dpi`, measured with the chooser's font). The buttons
// are all as wide as the widest label with its padding needs, and no
// narrower than the classic chooser's; the client area is at least
// `title_width` wide (physical pixels the title needs beside the window's
// caption buttons; 0 for none). Negative widths count as 0; sizes saturate
// at the int range.
ListChooserLayout LayoutListChooser(std::span<const int> label_widths, int title_width,
                                    int dpi = 96);

// A label as a push button shows it: "&" doubled, so that the toolkit draws
// it instead of taking it for a mnemonic.
std::string ButtonLabel(std::string_view label);

// The list chooser's keys, as the shells translate them.
enum class ListKey { kUp, kDown, kTab, kShiftTab, kEnter, kEscape };

// The list chooser's state between events. `focus` is the index of the
// button that has the keyboard focus (0-based); the shell moves the focus
// there after each handler.
struct ListChooserState {
  int count = 0;
  int focus = 0;
  bool done = false;
  int choice = 0;  // 1..count, or 0 for none; valid once done
};

// The first button focused; with no buttons, done at once with no choice.
ListChooserState StartListChooser(int count);

// Up and Shift+Tab move to the previous button, Down and Tab to the next,
// wrapping around; Enter chooses the focused button, Escape nothing. Keys
// after the end do nothing.
void OnListKey(ListChooserState& state, ListKey key);

// Button `id` (1..count) pressed by the pointer or Space; other ids do nothing.
void OnListButton(ListChooserState& state, int id);

// The platform moved the focus to button `index` (a click); mirror only.
void OnListFocus(ListChooserState& state, int index);

// The close box or the system asked the window to close: no choice.
void OnListClose(ListChooserState& state);

}  // namespace tintra
