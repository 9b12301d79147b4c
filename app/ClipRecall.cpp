#include "app/ClipRecall.h"

#include <algorithm>
#include <optional>

#include "app/ClipFilter.h"
#include "app/PasteTarget.h"
#include "app/RecallRules.h"
#include "framework/Clipbrd.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

namespace {

// How long a recall waits, after the paste delay, for the window it pastes into
// to take the activation back, and how often it looks meanwhile.
constexpr DWORD kActivationWait = 1000;
constexpr unsigned kActivationPoll = 10;

}  // namespace

std::string GatherChosen(const TClipHistory& history, int index, const TRecallChoice& choice) {
  // Exact texts as they are; the others from the ANSI code page, so what is pasted does
  // not depend on the keyboard layout in force.
  const auto convert = [](std::string_view t) { return AnsiToUtf8(t); };
  return choice.Range && !choice.Run.empty() ? GatherRunExact(history, choice.Run, convert)
                                             : history.GatherExact(index, choice.Range, convert);
}

TClipRecall::TClipRecall(TComponent* owner, TClipHistory& history, TClipCapture& capture,
                         TRecallHost& host)
    : TargetRunsAbove(RunsAbove),
      history_(history),
      capture_(capture),
      host_(host),
      paste_timer_(MakeComponent<TTimer>(owner, "PasteTimer")) {
  paste_timer_->SetInterval(0);
  paste_timer_->OnTimer = TNotifyEvent::Of<&TClipRecall::PasteTimerTick>(this);
}

void TClipRecall::Recall(int index, const TRecallChoice& choice) {
  if (PastePending()) CancelPaste();
  // A copy whose notice has not come yet is recorded before our write replaces it: its
  // line comes in at the top, and in a full store the lines of the oldest clips go, so
  // the picked lines are found again by what stays with them, not by where they were.
  const auto keyOf = [this](int i) {
    return i >= 0 && i < history_.Count() ? std::optional<uint32_t>(history_.KeyOf(i)) : std::nullopt;
  };
  const auto indexOf = [this](const std::optional<uint32_t>& key) {
    return key ? history_.IndexOfKey(*key) : -1;
  };
  const std::optional<uint32_t> picked = keyOf(index);
  std::vector<std::optional<uint32_t>> runKeys;
  for (int i : choice.Run) runKeys.push_back(keyOf(i));
  capture_.CatchUp();
  index = indexOf(picked);
  TRecallChoice current = choice;
  current.Run.clear();
  for (const auto& key : runKeys) current.Run.push_back(indexOf(key));
  const std::string gathered = GatherChosen(history_, index, current);
  const bool found =
      choice.Range ? !gathered.empty()
                   : index >= 0 && index < history_.Count() && history_.TextOf(index).has_value();
  if (!found) {
    host_.HideForPaste();
    host_.RecallEnded();
    return;
  }
  // Our own write raises a notice like any other copy: it is not a new clip. A refused
  // write raises EClipboardException and leaves the window as it was.
  const std::wstring text =
      Utf8ToWide(WithRecallSuffix(gathered, choice.PlusCrLf, choice.PlusCrLfLf));
  capture_.OwnWrite([&text] { return Clipboard().SetAsUnicodeText(text); });
  if (!choice.Range) history_.MoveToTop(index);
  host_.HideForPaste();
  // The paste goes where the user was, or nowhere: the text stays on the clipboard.
  BringBackToFront(paste_target_);
  if (paste_delay_ <= 0) return AwaitTarget();
  stage_ = TStage::Delay;
  paste_timer_->SetInterval(static_cast<unsigned>(paste_delay_));
}

void TClipRecall::Paste() {
  // An elevated window drops the keys: better said than silently lost.
  if (TargetRunsAbove(paste_target_))
    host_.CannotPaste(kElevatedTargetNotice);
  else
    SendExactCtrlV();
  EndRecall();
}

void TClipRecall::AwaitTarget() {
  if (IsInFront(paste_target_)) return Paste();
  if (!paste_target_ || !IsWindow(paste_target_)) return EndRecall();
  // The other program takes the activation when it next reads its messages.
  stage_ = TStage::AwaitingTarget;
  awaiting_since_ = GetTickCount();
  paste_timer_->SetInterval(kActivationPoll);
}

void TClipRecall::PasteTimerTick(TObject*) {
  if (stage_ == TStage::Delay) return AwaitTarget();
  if (stage_ != TStage::AwaitingTarget) return paste_timer_->SetInterval(0);
  if (IsInFront(paste_target_)) return Paste();
  if (!IsWindow(paste_target_) || GetTickCount() - awaiting_since_ >= kActivationWait) EndRecall();
}

void TClipRecall::CancelPaste() {
  if (PastePending()) EndRecall();
}

void TClipRecall::EndRecall() {
  stage_ = TStage::Idle;
  paste_timer_->SetInterval(0);
  host_.RecallEnded();
}

}  // namespace qv
