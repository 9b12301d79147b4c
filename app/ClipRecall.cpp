#include "app/ClipRecall.h"

#include "app/PasteTarget.h"
#include "app/RecallRules.h"
#include "framework/Clipbrd.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

namespace {

// How long a recall waits, after the paste delay, for the window it pastes into
// to take the activation back.
constexpr unsigned kActivationWait = 1000;

}  // namespace

void TClipRecall::Recall(int index, const TRecallChoice& choice) {
  // Exact texts as they are; the others from the ANSI code page, so what is pasted does
  // not depend on the keyboard layout in force.
  const std::string gathered =
      history_.GatherExact(index, choice.Range, [](std::string_view t) { return AnsiToUtf8(t); });
  const bool found =
      choice.Range ? !gathered.empty() : index >= 0 && index < history_.Count() &&
                                             history_.TextOf(index).has_value();
  if (!found) {
    host_.HideForPaste();
    host_.RecallEnded();
    return;
  }
  // Our own write raises a notice like any other copy: it is not a new clip.
  capture_.SkipNextNotice();
  try {
    Clipboard().SetAsUnicodeText(
        Utf8ToWide(WithRecallSuffix(gathered, choice.PlusCrLf, choice.PlusCrLfLf)));
  } catch (const EClipboardException&) {
    // Nothing was written, so no notice of ours will come: the user's next copy
    // must still be recorded.
    capture_.CancelSkip();
    throw;
  }
  if (!choice.Range) history_.MoveToTop(index);
  host_.HideForPaste();
  // The paste goes where the user was, or nowhere: the text stays on the clipboard.
  BringBackToFront(paste_target_);
  if (paste_delay_ > 0) Sleep(static_cast<DWORD>(paste_delay_));
  if (WaitUntilInFront(paste_target_, kActivationWait)) SendExactCtrlV();
  host_.RecallEnded();
}

}  // namespace qv
