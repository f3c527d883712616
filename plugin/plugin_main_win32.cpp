// Tintra-Plugin: started by the Tarvo editor with "Tarvo", the editor
// window's handle and one unused argument. Asks the editor for the colour
// text, lets the user edit it in the picker (and choose a notation when the
// text had none), sends the result back and reports that it has finished.
// Ends with exit code 0 in every case.
#include <windows.h>

#include <string>

#include "colortext/color_text.h"
#include "colortext/format_chooser.h"
#include "colortext/language_texts.h"
#include "picker/color_picker.h"
#include "picker/read_integer.h"
#include "plugin/command_line.h"
#include "plugin/host_link.h"
#include "plugin/host_link_win32.h"
#include "plugin/preferences_win32.h"

namespace tintra {
namespace {

constexpr char kStartCaption[] = "Tarvo Plugin";
constexpr char kNoWindowText[] = "Can't open a window!";
constexpr char kNotStartedByEditorText[] = "This is a Tarvo-Plugin\nYou can't run it without Tarvo";
constexpr char kEditorArgument[] = "Tarvo";

// State of the one pass.
struct PluginRun {
  std::string text;  // from the editor, unchanged
  ParsedColor parsed{};
  Language language = Language::kEnglish;
  std::string descriptor;
};

void ShowStartMessage(const char* text) {
  MessageBoxA(nullptr, text, kStartCaption, MB_OK);
}

// Arguments 1..3; argument 1 must be "Tarvo" exactly.
bool ReadCommandLine() {
  const std::string command_line = GetCommandLineA();
  if (CommandLineArgument(command_line, 1) != kEditorArgument) return false;
  SetEditorWindow(ReadInteger32(CommandLineArgument(command_line, 2)));
  CommandLineArgument(command_line, 3);  // read, not used
  return true;
}

PluginRun ObtainColor() {
  PluginRun run;
  run.text = LinkGetText();
  run.parsed = ParseColorText(run.text);
  run.language = PluginLanguage();
  run.descriptor = LanguageDescriptor(run.language, run.parsed.alpha_flag);
  return run;
}

void EditColor(PluginRun& run) {
  run.parsed.color =
      OpenColorPicker(run.parsed.color, run.descriptor, run.parsed.alpha_flag, nullptr);
}

void ChooseFormatWhenNone(PluginRun& run) {
  if (run.parsed.format != ColorTextFormat::kNone) return;
  const int answer = FormatChooser(LanguageChooserTexts(run.language), run.parsed.alpha_flag);
  run.parsed.format =
      answer >= 1 && answer <= 4 ? static_cast<ColorTextFormat>(answer) : ColorTextFormat::kNone;
}

void SendResult(const PluginRun& run) {
  if (run.parsed.format == ColorTextFormat::kNone) return;  // nothing chosen: no text
  LinkSendText(kResultTextCode,
               FormatColorText(run.parsed.color, run.parsed.format, run.parsed.alpha_flag));
}

void RunPlugin() {
  if (!OpenLinkWindow()) {
    ShowStartMessage(kNoWindowText);
    return;
  }
  InstallLinkHook();
  if (!ReadCommandLine()) {
    ShowStartMessage(kNotStartedByEditorText);
    CloseLinkWindow();
    return;
  }
  PluginRun run = ObtainColor();
  EditColor(run);
  ChooseFormatWhenNone(run);
  SendResult(run);
  LinkPostFinished();  // also when no text was sent
  CloseLinkWindow();
}

}  // namespace
}  // namespace tintra

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    tintra::RunPlugin();
  } catch (...) {
    // Out of memory somewhere in the pass: end quietly, as on every path.
  }
  tintra::ReleaseLink();
  return 0;
}
