// Small non-copyable holders for the Win32 handles of the shell: each
// releases what it holds when it goes out of scope, so every path out of an
// operation (also an early failure) gives back what the operation made.
//
// Owned<Handle, Release> holds one handle, nullptr for none; `get()` lends
// it, `reset()` releases it early (or takes another), `release()` hands it
// over to whoever takes it. It can be moved, never copied. The scopes below
// it (a window's DC, a selected object, a window class, the clipboard, a
// disabled owner, the pointer) undo what they did at their construction.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <utility>

namespace tintra {

template <typename Handle, void (*Release)(Handle)>
struct Owned {
  Handle handle = nullptr;

  Owned() = default;
  explicit Owned(Handle h) : handle(h) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Owned() { reset(); }

  Handle get() const { return handle; }
  Handle release() { return std::exchange(handle, nullptr); }
  void reset(Handle h = nullptr) {
    if (handle != nullptr) Release(handle);
    handle = h;
  }
};

// The release functions, of the holders' own calling convention.
namespace release {
// A window destroyed from outside meanwhile (with its parent) is left alone.
inline void Window(HWND w) {
  if (IsWindow(w)) DestroyWindow(w);
}
inline void GdiObject(HGDIOBJ o) {
  DeleteObject(o);
}
inline void Bitmap(HBITMAP b) {
  DeleteObject(b);
}
inline void Icon(HICON i) {
  DestroyIcon(i);
}
inline void ImageList(HIMAGELIST l) {
  ImageList_Destroy(l);
}
inline void MemoryDc(HDC dc) {
  DeleteDC(dc);
}
inline void Accelerators(HACCEL a) {
  DestroyAcceleratorTable(a);
}
inline void Hook(HHOOK h) {
  UnhookWindowsHookEx(h);
}
inline void KernelHandle(HANDLE h) {
  CloseHandle(h);
}
inline void GlobalBlock(HGLOBAL g) {
  GlobalFree(g);
}
}  // namespace release

// A window made by CreateWindowEx; destroyed (with its children) at the end.
using OwnedWindow = Owned<HWND, release::Window>;
// A GDI object (brush, font, region) made by the program. Stock objects must
// not be put in one.
using OwnedGdiObject = Owned<HGDIOBJ, release::GdiObject>;
using OwnedBitmap = Owned<HBITMAP, release::Bitmap>;
// An icon made by CreateIconIndirect.
using OwnedIcon = Owned<HICON, release::Icon>;
// An image list. Controls that show it do not own it, so it must outlive
// them (declare it before the window that uses it).
using OwnedImageList = Owned<HIMAGELIST, release::ImageList>;
// A memory device context from CreateCompatibleDC.
using MemoryDc = Owned<HDC, release::MemoryDc>;
using OwnedAccelerators = Owned<HACCEL, release::Accelerators>;
using OwnedHook = Owned<HHOOK, release::Hook>;
// A kernel handle (file, thread, process...); a function that gives
// INVALID_HANDLE_VALUE for a failure is put in as nullptr.
using OwnedKernelHandle = Owned<HANDLE, release::KernelHandle>;
// A global memory block, freed unless it was handed to the clipboard.
using OwnedGlobalBlock = Owned<HGLOBAL, release::GlobalBlock>;

// The device context of a window (or of the screen for nullptr), from GetDC;
// released at the end.
struct WindowDc {
  HWND window = nullptr;
  HDC handle = nullptr;

  explicit WindowDc(HWND w) : window(w), handle(GetDC(w)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (handle != nullptr) ReleaseDC(window, handle);
  }

  HDC get() const { return handle; }
};

// Selects an object into a DC and selects the previous one back at the end,
// so that the object can be deleted afterwards.
struct SelectedObject {
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;

  SelectedObject(HDC d, HGDIOBJ object) : dc(d), previous(SelectObject(d, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (dc != nullptr && previous != nullptr && previous != HGDI_ERROR) SelectObject(dc, previous);
  }
};

// A window class registered for the length of one operation and
// unregistered at its end: the one way the shell registers its classes
// (picker/top_window_win32.h describes them). Registered already (by a run
// on another thread): that one is used (`usable`) and left to its owner.
struct RegisteredClass {
  const char* name = nullptr;
  HINSTANCE instance = nullptr;
  bool registered = false;
  bool usable = false;  // registered here, or already there

  explicit RegisteredClass(const WNDCLASSEXA& wc)
      : name(wc.lpszClassName), instance(wc.hInstance), registered(RegisterClassExA(&wc) != 0) {
    usable = registered || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }
  RegisteredClass(const RegisteredClass&) = delete;
  RegisteredClass& operator=(const RegisteredClass&) = delete;
  ~RegisteredClass() {
    if (registered) UnregisterClassA(name, instance);
  }
};

// The clipboard, when OpenClipboard succeeded (`open`); closed at the end.
struct OpenedClipboard {
  bool open = false;

  explicit OpenedClipboard(bool opened) : open(opened) {}
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open) CloseClipboard();
  }
};

// An owner window disabled for the life of a modal window: disabled at
// construction (when it is a window at all) and enabled again at the end,
// whatever path the modal operation takes.
struct DisabledOwner {
  HWND owner = nullptr;  // nullptr: no owner

  explicit DisabledOwner(HWND w) : owner(w != nullptr && IsWindow(w) ? w : nullptr) {
    if (owner != nullptr) EnableWindow(owner, FALSE);
  }
  DisabledOwner(const DisabledOwner&) = delete;
  DisabledOwner& operator=(const DisabledOwner&) = delete;
  ~DisabledOwner() {
    if (owner != nullptr && IsWindow(owner)) EnableWindow(owner, TRUE);
  }
};

// The pointer as a drag leaves it: hidden some number of times and confined
// to a rectangle. Hide/Show and Confine/Restore keep the system's state
// balanced; at the end every hide still in force is undone and a confinement
// still in force is given back, so a dialog that ends in a drag leaves the
// pointer as it found it.
struct PointerGuard {
  int hidden = 0;         // ShowCursor(FALSE) calls not yet undone
  bool confined = false;  // `saved` holds the confinement to give back
  RECT saved{};           // screen pixels, right and bottom excluded

  PointerGuard() = default;
  PointerGuard(const PointerGuard&) = delete;
  PointerGuard& operator=(const PointerGuard&) = delete;
  ~PointerGuard() {
    Restore();
    while (hidden > 0) Show();
  }

  void Hide() {
    ShowCursor(FALSE);
    ++hidden;
  }
  void Show() {
    if (hidden <= 0) return;
    ShowCursor(TRUE);
    --hidden;
  }
  // Saves the confinement in force, unless one is already saved (a second
  // save would keep our own rectangle instead of the system's), and confines
  // the pointer to `screen_rect`.
  void Confine(const RECT& screen_rect) {
    if (!confined) confined = GetClipCursor(&saved) != FALSE;
    ClipCursor(&screen_rect);
  }
  void Restore() {
    if (!confined) return;
    ClipCursor(&saved);
    confined = false;
  }
};

}  // namespace tintra
