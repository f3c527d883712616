#include "standalone/filter_shell_win32.h"

#include <windows.h>

#include "colortext/format_chooser.h"
#include "picker/color_picker.h"
#include "picker/handles_win32.h"

namespace tintra {

namespace {

bool OpenDisplay(void*) {
  return WindowsCanBeShown();
}

PickerAnswer Edit(void*, ColorValue initial, std::string_view descriptor, int alpha_flag,
                  const PickerOptions& options) {
  return EditColorInPicker(initial, descriptor, alpha_flag, nullptr, options);
}

int Choose(void*, const ChooserList& list) {
  return ChooseFromList(list);
}

bool InteractiveWindowStation() {
  const HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (station == nullptr ||
      !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return true;  // not known: the window test below decides
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

FrontEndShell FilterShell() {
  FrontEndShell shell;
  shell.open_display = OpenDisplay;
  shell.edit = Edit;
  shell.choose = Choose;
  return shell;
}

bool WindowsCanBeShown() {
  if (!InteractiveWindowStation()) return false;
  // A hidden top-level window, made and destroyed at once: the window system
  // answers.
  const OwnedWindow probe(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1,
                                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  return probe.get() != nullptr;
}

Language UserInterfaceLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH ? Language::kFrench
                                                                  : Language::kEnglish;
}

}  // namespace tintra
