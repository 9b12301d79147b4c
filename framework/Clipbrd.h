#pragma once
// The application's one clipboard object.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "framework/Controls.h"

namespace qv {

struct TMessage;

class TClipboard {
 public:
  TClipboard();
  virtual ~TClipboard();
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Opening is counted; another program holding the clipboard is waited for
  // briefly, then "Cannot open clipboard" is raised.
  void Open();
  // One attempt, no waiting: false while another program holds the clipboard. Counted
  // like Open when it succeeds.
  bool TryOpen();
  void Close();
  bool HasFormat(UINT format) const;
  // The text (CF_TEXT), "" when there is none.
  std::string AsText();
  // The text (CF_TEXT) up to its terminator, with the clipboard open; nullopt when there
  // is no text or its owner could not hand it over (a late rendering that failed).
  std::optional<std::string> ReadText();
  // Returns the clipboard's sequence number after the write, as SetAsUnicodeText.
  DWORD SetAsText(const std::string& text);
  // The text as UTF-16 (CF_UNICODETEXT, which the system offers for every text) up to its
  // terminator, with the clipboard open; nullopt as ReadText.
  std::optional<std::wstring> ReadUnicodeText();
  // The same texts shown to look where they lie in the clipboard's memory, so that a reader
  // can judge one before copying any of it; false where the reads give nullopt.
  bool ViewText(const std::function<void(std::string_view)>& look);
  bool ViewUnicodeText(const std::function<void(std::wstring_view)>& look);
  // Puts text on the clipboard as CF_UNICODETEXT (readers of CF_TEXT get the system's
  // conversion). The memory is filled before the clipboard is opened and emptied, so a
  // failure leaves the clipboard as it was; it raises EClipboardException. Returns the
  // clipboard's sequence number that notices of this write carry, never a number that
  // another program's change made after it.
  DWORD SetAsUnicodeText(const std::wstring& text);
  void Clear();
  // Registers a named format (or finds it) and returns its number.
  static UINT RegisterFormat(const char* name);
  // The bytes of a format on the clipboard, if present.
  std::optional<std::string> FormatData(UINT format);

 protected:
  // The block a write hands to the clipboard; null when there is no memory for it.
  virtual HGLOBAL AllocateGlobal(SIZE_T size) { return GlobalAlloc(GMEM_MOVEABLE, size); }

 private:
  void WndProc(TMessage& m);
  // One format written: memory filled first, then the clipboard opened, emptied once
  // and given it. Returns the sequence number as SetAsUnicodeText.
  DWORD Put(UINT format, const void* data, size_t size);
  TUtilityWindow window_;
  int open_count_ = 0;
  bool emptied_ = false;
};

// The shared clipboard object.
TClipboard& Clipboard();

}  // namespace qv
