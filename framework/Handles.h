#pragma once
// Move-only owners of Win32 handles, and a guard for SelectObject.

#include <windows.h>

#include <utility>

namespace qv {

// The traits close a handle, and say which value means "none" with a static None() where
// that is not null (the file calls' INVALID_HANDLE_VALUE).
template <class H, class Traits>
class UniqueHandle {
 public:
  static H None() {
    if constexpr (requires { Traits::None(); })
      return Traits::None();
    else
      return H{};
  }

  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, None())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, None()));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != None(); }
  H release() { return std::exchange(h_, None()); }
  void reset(H h = None()) {
    if (h_ != None()) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_ = None();
};

struct GdiObjectTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct WindowTraits {
  static void Close(HWND h) { DestroyWindow(h); }
};
struct IconTraits {
  static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct MemoryDcTraits {
  static void Close(HDC h) { DeleteDC(h); }
};
struct KernelObjectTraits {
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct RegKeyTraits {
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct FileTraits : KernelObjectTraits {
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
};
struct FindTraits {
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct GlobalMemoryTraits {
  static void Close(HGLOBAL h) { GlobalFree(h); }
};

using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using UniquePen = UniqueHandle<HPEN, GdiObjectTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
// Mutexes, events, file mappings: null means none.
using UniqueKernelObject = UniqueHandle<HANDLE, KernelObjectTraits>;
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
// What CreateFile opens.
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
// A FindFirstFile search.
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;
// A GlobalAlloc block until the clipboard (or whoever takes it) owns it: release() then.
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalMemoryTraits>;

// Runs a function when the scope ends, however it ends.
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() {
    if (armed_) f_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  // The function will not run.
  void Dismiss() { armed_ = false; }

 private:
  F f_;
  bool armed_ = true;
};

// A window's painting between BeginPaint and EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND wnd) : wnd_(wnd), dc_(BeginPaint(wnd, &ps_)) {}
  ~PaintDc() { EndPaint(wnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }
  const RECT& Area() const { return ps_.rcPaint; }

 private:
  HWND wnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// A window's device context, released to its window at the end.
class WindowDc {
 public:
  explicit WindowDc(HWND wnd, bool wholeWindow = false)
      : wnd_(wnd), dc_(wholeWindow ? GetWindowDC(wnd) : GetDC(wnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(wnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back at the end.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~SelectGuard() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace qv
