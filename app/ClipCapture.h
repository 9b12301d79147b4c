#pragma once
// Capture: a clipboard notice becomes the newest clip. Reads the clipboard without
// waiting (a busy one is tried again shortly), leaves content marked private alone,
// adds nothing for a text equal to the last one captured, and runs one capture at a time.

#include <windows.h>

#include <string>

#include "app/ClipHistory.h"
#include "framework/Clipbrd.h"
#include "framework/ExtCtrls.h"

namespace qv {

// What capture needs of the window it works for.
class TCaptureHost {
 public:
  virtual ~TCaptureHost() = default;
  // Whether capture is switched on (" Caching").
  virtual bool CaptureOn() = 0;
  // The clipboard to read.
  virtual TClipboard& CaptureClipboard() = 0;
  // Width in pixels of a text in the list's font, for the display line's cut.
  virtual int TextWidth(const std::string& text) = 0;
};

class TClipCapture {
 public:
  // The retry timer belongs to owner.
  TClipCapture(TComponent* owner, TClipHistory& history, TCaptureHost& host);
  TClipCapture(const TClipCapture&) = delete;
  TClipCapture& operator=(const TClipCapture&) = delete;

  // A clipboard notice, or the start's look at what the clipboard holds.
  void ClipboardChanged();

  // The next notice is the program's own write (or the one raised by joining the viewer
  // chain): it is not captured. Cancelled when the write did not happen after all.
  void SkipNextNotice() { skip_next_ = true; }
  void CancelSkip() { skip_next_ = false; }
  bool SkippingNextNotice() const { return skip_next_; }

  // The exact text (UTF-8) the duplicate rule compares with; forgotten by Clear Vavad.
  const std::string& LastText() const { return last_text_; }
  void ForgetLastText() { last_text_.clear(); }
  // Texts seen with capture on, repeats of the last one included: auto save compares.
  unsigned long TextsSeen() const { return texts_seen_; }
  // Whether a busy clipboard is to be tried again.
  bool RetryPending() const { return retry_timer_->Interval() != 0; }

 private:
  void Run();
  // False when the clipboard could not be read (held by another program, or its owner
  // failed to render the text): the capture is then tried again shortly.
  bool CaptureOnce();
  void RetryTimerTick(TObject* sender);

  TClipHistory& history_;
  TCaptureHost& host_;
  TClipIdGenerator ids_;
  TTimer* retry_timer_;
  std::string last_text_;
  unsigned long texts_seen_ = 0;
  // Starts set: joining the viewer chain raises a notice of nothing new.
  bool skip_next_ = true;
  bool capturing_ = false;
  bool capture_again_ = false;
  DWORD retry_sequence_ = 0;
  int retry_attempts_ = 0;
};

}  // namespace qv
