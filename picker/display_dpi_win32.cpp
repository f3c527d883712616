#include "picker/display_dpi_win32.h"

#include "picker/dialog_layout.h"

namespace tintra {

namespace {

// Any function pointer may take the generic type without a cast warning.
template <typename Function>
Function Lookup(const char* module, const char* name) {
  HMODULE handle = GetModuleHandleA(module);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

using SetThreadDpiFunction = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

SetThreadDpiFunction SetThreadDpi() {
  static const auto set =
      Lookup<SetThreadDpiFunction>("user32.dll", "SetThreadDpiAwarenessContext");
  return set;
}

}  // namespace

int SystemDpi() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  static const auto get = Lookup<GetDpiForSystemFunction>("user32.dll", "GetDpiForSystem");
  if (get != nullptr) return static_cast<int>(get());
  WindowDc screen(nullptr);
  const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get = Lookup<GetDpiForWindowFunction>("user32.dll", "GetDpiForWindow");
  const int dpi = get != nullptr && window != nullptr ? static_cast<int>(get(window)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD ex_style, int dpi) {
  using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = Lookup<AdjustFunction>("user32.dll", "AdjustWindowRectExForDpi");
  if (adjust != nullptr && adjust(&r, style, FALSE, ex_style, static_cast<UINT>(dpi))) return;
  AdjustWindowRectEx(&r, style, FALSE, ex_style);
}

void MakeGuiFont(GuiFont& font, int dpi) {
  const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  font.scaled.reset();
  font.font = stock;
  const int system = SystemDpi();
  if (dpi == system) return;
  // The stock font is made for the system's DPI.
  LOGFONTA face{};
  if (GetObjectA(stock, sizeof face, &face) != sizeof face) return;
  face.lfHeight = MulDiv(face.lfHeight, dpi, system);
  face.lfWidth = MulDiv(face.lfWidth, dpi, system);
  font.scaled.reset(CreateFontIndirectA(&face));
  if (font.scaled.get() != nullptr) font.font = static_cast<HFONT>(font.scaled.get());
}

DPI_AWARENESS_CONTEXT SetThreadDpiContext(DPI_AWARENESS_CONTEXT context) {
  const SetThreadDpiFunction set = SetThreadDpi();
  return set != nullptr ? set(context) : nullptr;
}

DPI_AWARENESS_CONTEXT SetThreadPerMonitorAware() {
  const DPI_AWARENESS_CONTEXT previous =
      SetThreadDpiContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  return previous != nullptr ? previous
                             : SetThreadDpiContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

ThreadDpiAwareness::ThreadDpiAwareness() : previous(SetThreadPerMonitorAware()) {}

void ThreadDpiAwareness::Restore() {
  if (previous != nullptr) SetThreadDpiContext(previous);
  previous = nullptr;
}

}  // namespace tintra
