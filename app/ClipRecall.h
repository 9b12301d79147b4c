#pragma once
// Recall: a picked clip (or the run from it up to the newest) goes back on the clipboard,
// the clip window goes away, and after the paste delay exactly Ctrl+V is sent to the
// window that was in front when the clip window came up. The delay and the wait for that
// window run on a timer, so the program keeps answering (hot key, tray, clipboard chain)
// meanwhile.

#include <windows.h>

#include <functional>
#include <vector>

#include "app/ClipCapture.h"
#include "app/ClipHistory.h"
#include "framework/ExtCtrls.h"

namespace qv {

// What a recall needs of the window it works for.
class TRecallHost {
 public:
  virtual ~TRecallHost() = default;
  // The clip window goes away before the paste: range mode off, no line selected,
  // application minimised, window hidden.
  virtual void HideForPaste() = 0;
  // The recall is over: pasted, found nothing to paste, or its paste dropped.
  virtual void RecallEnded() = 0;
  // The paste could not be made (the text stays on the clipboard): what to tell the user.
  virtual void CannotPaste(const std::string& what) { (void)what; }
};

// How the window's buttons shape a recall.
struct TRecallChoice {
  bool Range = false;       // the run from the picked line up to the newest
  bool PlusCrLf = false;    // "+cR"
  bool PlusCrLfLf = false;  // "+CR"
  // A range over found lines: the lines it takes, the picked one first. Empty: every line
  // from the picked one up to the newest.
  std::vector<int> Run;
};

// The text a recall of line index puts on the clipboard (UTF-8), and the preview shows:
// the line's, the run up to the newest, or the chosen run over found lines. Empty for
// nothing.
std::string GatherChosen(const TClipHistory& history, int index, const TRecallChoice& choice);

class TClipRecall {
 public:
  // The paste timer belongs to owner.
  TClipRecall(TComponent* owner, TClipHistory& history, TClipCapture& capture,
              TRecallHost& host);

  // Milliseconds between the window going away and Ctrl+V.
  int PasteDelay() const { return paste_delay_; }
  void SetPasteDelay(int milliseconds) { paste_delay_ = milliseconds; }
  // The window in front when the clip window came up: the paste goes there, or nowhere.
  HWND PasteTarget() const { return paste_target_; }
  void SetPasteTarget(HWND target) { paste_target_ = target; }

  // Recalls line index. With nothing to recall (no text for the line, or for any line of
  // the run) the clipboard keeps what it holds and nothing is pasted, but the recall still
  // ends as one does. A clipboard that refuses the text raises EClipboardException, and
  // the window stays as it was. Returns once the window is hidden; Ctrl+V follows from
  // the message loop. A paste still pending is dropped first: its text is no longer on
  // the clipboard.
  void Recall(int index, const TRecallChoice& choice);
  // Whether a recall is waiting out the paste delay or for its window to come in front.
  bool PastePending() const { return stage_ != TStage::Idle; }
  // Drops the pending paste (its text stays on the clipboard) and ends the recall.
  void CancelPaste();
  // Whether the paste target runs with higher rights than this program (RunsAbove): a test
  // stands in for an elevated window, which Wine cannot run.
  std::function<bool(HWND target)> TargetRunsAbove;

 private:
  TClipHistory& history_;
  TClipCapture& capture_;
  enum class TStage { Idle, Delay, AwaitingTarget };

  // After the delay: pastes now if the window is in front, else waits for it a while.
  void AwaitTarget();
  // Ctrl+V into the target now in front, or the word why it cannot take it.
  void Paste();
  void PasteTimerTick(TObject* sender);
  void EndRecall();

  TRecallHost& host_;
  int paste_delay_ = 0;
  HWND paste_target_ = nullptr;
  TStage stage_ = TStage::Idle;
  DWORD awaiting_since_ = 0;
  TTimer* paste_timer_;
};

}  // namespace qv
