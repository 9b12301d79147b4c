#pragma once
// Capture: a clipboard notice becomes the newest clip. Reads the clipboard without
// waiting (a busy one is tried again shortly), leaves content marked private alone,
// adds nothing for a text equal to the last one captured, and runs one capture at a time.

#include <windows.h>

#include <functional>
#include <string>

#include "app/ClipHistory.h"
#include "framework/Clipbrd.h"
#include "framework/ExtCtrls.h"

namespace qv {

// What capture needs of the window it works for.
class TCaptureHost {
 public:
  virtual ~TCaptureHost() = default;
  // The clipboard to read.
  virtual TClipboard& CaptureClipboard() = 0;
  // Width in pixels of a text in the list's font, for the display line's cut.
  virtual int TextWidth(const std::string& text) = 0;
  // A copied text was not kept (too large, or the clipboard never came free): what is
  // to be said, once per copy.
  virtual void NotKept(const std::string& what) = 0;
  // The copy that was to be ignored came, and was: what shows it can stop.
  virtual void CopyIgnored() {}
};

class TClipCapture {
 public:
  // The retry timer belongs to owner.
  TClipCapture(TComponent* owner, TClipHistory& history, TCaptureHost& host);
  TClipCapture(const TClipCapture&) = delete;
  TClipCapture& operator=(const TClipCapture&) = delete;

  // A clipboard notice, or the start's look at what the clipboard holds.
  void ClipboardChanged();

  // Whether copies are recorded (" Caching"); on from the start.
  bool On() const { return on_; }
  void SetOn(bool on) { on_ = on; }
  // The next change someone else makes to the clipboard is not recorded (a secret about
  // to be copied); the program's own writes do not count.
  void SetIgnoreNext(bool ignore) { ignore_next_ = ignore; }
  bool IgnoringNext() const { return ignore_next_; }

  // The next notice brings nothing new (the one raised by joining the viewer chain): it
  // is not captured.
  void SkipNextNotice() { skip_next_ = true; }
  void CancelSkip() { skip_next_ = false; }
  bool SkippingNextNotice() const { return skip_next_; }

  // A change whose notice has not come (still on its way, or kept back by another viewer)
  // is captured now, before a write of the program's own replaces it.
  void CatchUp();
  // The program's own clipboard write. Its notices are told apart by the sequence number
  // the write gave the clipboard, not captured; notices that arrive during the write are
  // handled after it, so a change of someone else's is never taken for ours. write returns
  // that number as the write itself found it (TClipboard's writes do): a number read once
  // the write is over may already be another program's.
  void OwnWrite(const std::function<DWORD()>& write);

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
  void Report(DWORD sequence, const std::string& what);
  // A text of size bytes, as the history would hold it, cannot be kept.
  void ReportTooLarge(DWORD sequence, size_t size);

  TClipHistory& history_;
  TCaptureHost& host_;
  TClipIdGenerator ids_;
  TTimer* retry_timer_;
  std::string last_text_;
  bool ignore_next_ = false;
  bool on_ = true;
  unsigned long texts_seen_ = 0;
  // Starts set: joining the viewer chain raises a notice of nothing new.
  bool skip_next_ = true;
  // The clipboard's sequence number when capture last looked, and after our last write.
  DWORD seen_sequence_ = 0;
  DWORD own_sequence_ = 0;
  // The copy last said to be not kept: said once, not again for further notices of it.
  DWORD reported_sequence_ = 0;
  bool writing_ = false;
  bool notice_in_write_ = false;
  bool capturing_ = false;
  bool capture_again_ = false;
  DWORD retry_sequence_ = 0;
  int retry_attempts_ = 0;
};

}  // namespace qv
