#pragma once
// Owners of GDI and shell handles: each frees its handle exactly once, when it
// goes or takes another. Move-only; copying would free twice.
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <utility>

namespace velmaro::win32 {

template <class H, class Free>
class Owned {
public:
  Owned() = default;
  explicit Owned(H handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(H handle = nullptr) {
    if (handle_) Free{}(handle_);
    handle_ = handle;
  }

private:
  H handle_ = nullptr;
};

struct FreeGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct FreeIcon {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct FreeImageList {
  void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
struct FreeMemoryDc {
  void operator()(HDC h) const { DeleteDC(h); }
};

using OwnedBitmap = Owned<HBITMAP, FreeGdiObject>;
using OwnedFont = Owned<HFONT, FreeGdiObject>;
using OwnedIcon = Owned<HICON, FreeIcon>;
using OwnedImageList = Owned<HIMAGELIST, FreeImageList>;
using OwnedMemoryDc = Owned<HDC, FreeMemoryDc>;

// An object selected into a device context for a while; the one it replaced
// goes back when this ends.
class Selection {
public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's (or, for null, the screen's) device context, released at the end.
class WindowDc {
public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint ... EndPaint.
class PaintDc {
public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~PaintDc() { EndPaint(hwnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace velmaro::win32
