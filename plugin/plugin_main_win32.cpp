// Tintra-Plugin: started by the Tarvo editor with "Tarvo", the editor
// window's handle and one unused argument. Asks the editor for the colour
// text, lets the user edit it in the picker (and choose a notation when the
// text had none), sends the result back and reports that it has finished.
// Ends with exit code 0 in every case.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "frontend/front_end_run.h"
#include "plugin/host_link.h"
#include "plugin/host_link_win32.h"
#include "plugin/plugin.h"
#include "plugin/preferences_win32.h"

namespace tintra {
namespace {

void ShowStartMessage(const char* text) {
  MessageBoxA(nullptr, text, kStartCaption, MB_OK);
}

void RunPlugin() {
  if (!OpenLinkWindow()) {
    ShowStartMessage(kNoWindowText);
    return;
  }
  InstallLinkHook();
  const std::optional<std::int32_t> editor = EditorWindowArgument(GetCommandLineA());
  if (!editor) {
    ShowStartMessage(kNotStartedByEditorText);
    CloseLinkWindow();
    return;
  }
  SetEditorWindow(*editor);
  const std::string text = LinkGetText();  // unchanged: the plug-in does not trim
  if (const std::optional<std::string> result =
          EditFrontEndRun(StartFrontEndRun(text, PluginLanguage()))) {
    LinkSendText(kResultTextCode, *result);
  }
  LinkPostFinished();  // also when no text was sent
  CloseLinkWindow();
}

}  // namespace
}  // namespace tintra

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int exit_code = tintra::RunPass(tintra::RunPlugin);
  tintra::ReleaseLink();  // also after a pass that ended early
  return exit_code;
}
