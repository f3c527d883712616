// Small non-copyable holders for the Win32 handles of the picker shell: each
// releases what it holds when it goes out of scope, so every path out of an
// operation (also an early failure) gives back what the operation made.
// Plain structs with destructors; `get()` lends the handle, `reset()` drops it
// early (or takes another). The owning holders can be moved, never copied.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

namespace tintra {

// A window made by CreateWindowEx; destroyed (with its children) at the end.
struct OwnedWindow {
  HWND handle = nullptr;

  OwnedWindow() = default;
  explicit OwnedWindow(HWND h) : handle(h) {}
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;
  OwnedWindow(OwnedWindow&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
  OwnedWindow& operator=(OwnedWindow&& other) noexcept {
    if (this != &other) {
      reset();
      handle = other.handle;
      other.handle = nullptr;
    }
    return *this;
  }
  ~OwnedWindow() { reset(); }

  HWND get() const { return handle; }
  void reset(HWND h = nullptr) {
    if (handle != nullptr && IsWindow(handle)) DestroyWindow(handle);
    handle = h;
  }
};

// A GDI object (bitmap, brush, font, region) made by the program; deleted at
// the end. Stock objects must not be put in one.
struct OwnedGdiObject {
  HGDIOBJ handle = nullptr;

  OwnedGdiObject() = default;
  explicit OwnedGdiObject(HGDIOBJ h) : handle(h) {}
  OwnedGdiObject(const OwnedGdiObject&) = delete;
  OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;
  OwnedGdiObject(OwnedGdiObject&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
  OwnedGdiObject& operator=(OwnedGdiObject&& other) noexcept {
    if (this != &other) {
      reset();
      handle = other.handle;
      other.handle = nullptr;
    }
    return *this;
  }
  ~OwnedGdiObject() { reset(); }

  HGDIOBJ get() const { return handle; }
  HBITMAP bitmap() const { return static_cast<HBITMAP>(handle); }
  void reset(HGDIOBJ h = nullptr) {
    if (handle != nullptr) DeleteObject(handle);
    handle = h;
  }
};

// An icon made by CreateIconIndirect; destroyed at the end.
struct OwnedIcon {
  HICON handle = nullptr;

  OwnedIcon() = default;
  explicit OwnedIcon(HICON h) : handle(h) {}
  OwnedIcon(const OwnedIcon&) = delete;
  OwnedIcon& operator=(const OwnedIcon&) = delete;
  OwnedIcon(OwnedIcon&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
  OwnedIcon& operator=(OwnedIcon&& other) noexcept {
    if (this != &other) {
      reset();
      handle = other.handle;
      other.handle = nullptr;
    }
    return *this;
  }
  ~OwnedIcon() { reset(); }

  HICON get() const { return handle; }
  void reset(HICON h = nullptr) {
    if (handle != nullptr) DestroyIcon(handle);
    handle = h;
  }
};

// An image list; destroyed at the end. Controls that show it do not own it,
// so it must outlive them (declare it before the window that uses it).
struct OwnedImageList {
  HIMAGELIST handle = nullptr;

  OwnedImageList() = default;
  explicit OwnedImageList(HIMAGELIST h) : handle(h) {}
  OwnedImageList(const OwnedImageList&) = delete;
  OwnedImageList& operator=(const OwnedImageList&) = delete;
  OwnedImageList(OwnedImageList&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
  OwnedImageList& operator=(OwnedImageList&& other) noexcept {
    if (this != &other) {
      reset();
      handle = other.handle;
      other.handle = nullptr;
    }
    return *this;
  }
  ~OwnedImageList() { reset(); }

  HIMAGELIST get() const { return handle; }
  void reset(HIMAGELIST h = nullptr) {
    if (handle != nullptr) ImageList_Destroy(handle);
    handle = h;
  }
};

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

// A memory device context from CreateCompatibleDC; deleted at the end.
struct MemoryDc {
  HDC handle = nullptr;

  explicit MemoryDc(HDC compatible_with) : handle(CreateCompatibleDC(compatible_with)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (handle != nullptr) DeleteDC(handle);
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
