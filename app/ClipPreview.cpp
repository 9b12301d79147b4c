#include "app/ClipPreview.h"

#include "app/RecallRules.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"

namespace qv {

TRecallChoice ChoiceFor(const TClipWindowControls& controls, const TClipListView& view, int row) {
  TRecallChoice choice;
  choice.Range = controls.RangeButton->Down();
  choice.PlusCrLf = controls.PlusCrLfButton->Down();
  choice.PlusCrLfLf = controls.PlusCrLfLfButton->Down();
  // Over found clips a range takes the found ones from the picked one up to the top.
  if (choice.Range && view.Finding()) choice.Run = view.RunFrom(row);
  return choice;
}

TClipPreview::TClipPreview(TForm& window, const TClipWindowControls& controls,
                           const TClipHistory& history, const TClipListView& view)
    : window_(window), c_(controls), history_(history), view_(view) {
  HintTimer = MakeComponent<TTimer>(&window, "HintTimer");
  HintTimer->SetInterval(0);
  HintTimer->OnTimer = TNotifyEvent::Of<&TClipPreview::HintTimerTick>(this);
  c_.SlotLabels->OnClick = TNotifyEvent::Of<&TClipPreview::LabelClick>(this);
}

TClipPreview::~TClipPreview() {
  HintTimer->OnTimer = nullptr;
  c_.SlotLabels->OnClick = nullptr;
}

void TClipPreview::LabelClick(TObject*) {
  TListBox& labels = *c_.SlotLabels;
  labels.SetHint("");
  // The labels scroll with the list, so a label's row is its line's index.
  const int row = labels.ItemIndex();
  const int index = view_.ModelIndex(row);
  if (index >= 0) {
    c_.ClipList->SetItemIndex(row);
    labels.SetHint(PreviewHintText(GatherChosen(history_, index, ChoiceFor(c_, view_, row))));
    labels.SetShowHint(true);
    HintTimer->SetInterval(100);
  }
  labels.SetItemIndex(-1);
  c_.ClipList->SetItemIndex(-1);
}

void TClipPreview::HintTimerTick(TObject*) {
  TListBox& labels = *c_.SlotLabels;
  const POINT p = CursorPosition();
  const int left = window_.Left() + labels.Left(), top = window_.Top() + labels.Top();
  if (p.x > left && p.x < left + labels.Width() && p.y > top && p.y < top + labels.Height())
    return;
  HintTimer->SetInterval(0);
  labels.SetShowHint(false);
}

}  // namespace qv
