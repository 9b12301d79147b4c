#include "framework/Clipbrd.h"

#include <algorithm>
#include <cstring>

#include "framework/Handles.h"
#include "framework/Controls.h"
#include "framework/SysUtils.h"

namespace qv {

TClipboard::TClipboard() = default;

TClipboard::~TClipboard() {
}

void TClipboard::WndProc(TMessage& m) {
  m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
}

void TClipboard::Open() {
  if (open_count_ == 0) {
    if (!window_) window_ = TUtilityWindow(TWndMethod::Of<&TClipboard::WndProc>(this));
    bool opened = false;
    // Other programs (and other viewers reacting to the last change) may hold
    // the clipboard for a moment.
    for (int attempt = 0; attempt < 20 && !opened; ++attempt) {
      opened = OpenClipboard(window_.Handle()) != 0;
      if (!opened) Sleep(10);
    }
    if (!opened) throw EClipboardException(MsgCannotOpenClipboard());
    emptied_ = false;
  }
  ++open_count_;
}

bool TClipboard::TryOpen() {
  if (open_count_ == 0) {
    if (!window_) window_ = TUtilityWindow(TWndMethod::Of<&TClipboard::WndProc>(this));
    if (!OpenClipboard(window_.Handle())) return false;
    emptied_ = false;
  }
  ++open_count_;
  return true;
}

void TClipboard::Close() {
  if (open_count_ == 0) return;
  if (--open_count_ == 0) CloseClipboard();
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != 0; }

namespace {

template <class Char>
bool ViewData(UINT format, const std::function<void(std::basic_string_view<Char>)>& look) {
  HANDLE data = GetClipboardData(format);
  if (!data) return false;
  const SIZE_T size = GlobalSize(data) / sizeof(Char);
  const Char* p = static_cast<const Char*>(GlobalLock(data));
  if (!p) return false;
  // Unlocked however look ends: it may run out of memory copying a large text.
  ScopeExit unlock([data] { GlobalUnlock(data); });
  // The text ends at its first NUL, or at the block's end if it has none.
  look(std::basic_string_view<Char>(p, static_cast<size_t>(std::find(p, p + size, Char()) - p)));
  return true;
}

}  // namespace

bool TClipboard::ViewText(const std::function<void(std::string_view)>& look) {
  return ViewData<char>(CF_TEXT, look);
}

bool TClipboard::ViewUnicodeText(const std::function<void(std::wstring_view)>& look) {
  return ViewData<wchar_t>(CF_UNICODETEXT, look);
}

std::optional<std::string> TClipboard::ReadText() {
  std::optional<std::string> text;
  if (!ViewText([&text](std::string_view t) { text.emplace(t); })) return std::nullopt;
  return text;
}

std::string TClipboard::AsText() {
  Open();
  std::optional<std::string> text = ReadText();
  Close();
  return text.value_or(std::string());
}

DWORD TClipboard::SetAsText(const std::string& text) {
  return Put(CF_TEXT, text.c_str(), text.size() + 1);
}

DWORD TClipboard::Put(UINT format, const void* data, size_t size) {
  // The data is made ready before the clipboard is emptied: a failure leaves the user's
  // clipboard as it was.
  UniqueGlobal mem(AllocateGlobal(size));
  void* p = mem ? GlobalLock(mem.get()) : nullptr;
  if (!p) throw EClipboardException(MsgCannotWriteClipboard());
  std::memcpy(p, data, size);
  GlobalUnlock(mem.get());
  Open();
  ScopeExit close([this] { Close(); });
  if (!emptied_) {
    EmptyClipboard();
    emptied_ = true;
  }
  // A refused write is an error like a refused open: the caller must not go
  // on as if the text were there.
  if (!SetClipboardData(format, mem.get())) throw EClipboardException(MsgCannotWriteClipboard());
  mem.release();  // the clipboard's now
  // The number is read while the clipboard is still ours: once it is closed, another program
  // may change it before a number is read.
  const DWORD written = GetClipboardSequenceNumber();
  close.Dismiss();
  Close();
  // Closing may number the change once more (Wine does, for the formats it makes from ours),
  // and notices carry the number after the close. That one is ours while we still own the
  // clipboard: a program that changes it empties it and so becomes its owner. Otherwise the
  // number read while open stands, and no later notice carries it.
  const DWORD closed = GetClipboardSequenceNumber();
  if (GetClipboardOwner() == window_.Handle() && GetClipboardSequenceNumber() == closed)
    return closed;
  return written;
}

std::optional<std::wstring> TClipboard::ReadUnicodeText() {
  std::optional<std::wstring> text;
  if (!ViewUnicodeText([&text](std::wstring_view t) { text.emplace(t); })) return std::nullopt;
  return text;
}

DWORD TClipboard::SetAsUnicodeText(const std::wstring& text) {
  return Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  emptied_ = true;
  Close();
}

UINT TClipboard::RegisterFormat(const char* name) { return RegisterClipboardFormatA(name); }

std::optional<std::string> TClipboard::FormatData(UINT format) {
  if (!HasFormat(format)) return std::nullopt;
  std::optional<std::string> result;
  Open();
  if (HANDLE data = GetClipboardData(format)) {
    const SIZE_T size = GlobalSize(data);
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      result = std::string(p, size);
      GlobalUnlock(data);
    } else {
      result = std::string();
    }
  } else {
    result = std::string();
  }
  Close();
  return result;
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace qv
