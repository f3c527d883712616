// The Linux program's toolkit part, a module of its own (tintra-toolkit.so)
// that the program loads only when it shows a window or uses the clipboard:
// a filter run that needs no dialog never loads Qt. Plain C++ types only
// cross; both sides are built from this tree together.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colortext/format_chooser.h"
#include "picker/color_picker.h"

namespace tintra {

struct ToolkitModule {
  // Starts the toolkit (a QApplication over `argc`/`argv`, which must outlive
  // it); with `quiet`, the toolkit's own messages are dropped. Call once, and
  // only when a display answers.
  void (*start)(int* argc, char** argv, bool quiet);
  // Ends the toolkit started by `start`, if any.
  void (*stop)();
  // EditColorInPicker and ChooseFromList (no owner window).
  PickerAnswer (*edit)(ColorValue initial, std::string_view descriptor, int alpha_flag,
                       const PickerOptions& options);
  int (*choose)(const ChooserList& list);
  // standalone/clipboard.h, after `start`.
  std::string (*read_clipboard)();
  bool (*write_clipboard)(std::string_view utf8);
  // The clipboard keeper's whole run (RunClipboardKeeper).
  int (*run_keeper)(int argc, char** argv);
};

// The argument that starts the program as the clipboard keeper.
inline constexpr char kClipboardKeeperFlag[] = "--tintra-keep-clipboard";

// The keeper's whole run (the program started with kClipboardKeeperFlag;
// clipboard_qt.cpp): reads the UTF-8 text from its standard input (at most
// 64 MiB), owns the clipboard with it, tells its starter by one byte on its
// standard output, and ends when another program takes the clipboard (or
// the display goes). Returns the exit code.
int RunClipboardKeeper(int argc, char** argv);

// The module's one entry point.
inline constexpr char kToolkitModuleEntry[] = "tintra_toolkit_module";
inline constexpr char kToolkitModuleFile[] = "tintra-toolkit.so";
using ToolkitModuleEntry = const ToolkitModule* (*)();

}  // namespace tintra
