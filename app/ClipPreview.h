#pragma once
// The preview: a click on a slot label shows its clip's whole text (or the run a range
// recall would paste) as a hint beside the labels, until the pointer leaves them.

#include "app/ClipHistory.h"
#include "app/ClipListView.h"
#include "app/ClipRecall.h"
#include "app/ClipWindowLayout.h"
#include "framework/ExtCtrls.h"

namespace qv {

// The mode buttons' choice for a recall, or a preview, of a shown row.
TRecallChoice ChoiceFor(const TClipWindowControls& controls, const TClipListView& view, int row);

class TClipPreview {
 public:
  // The timer is made on window, which owns it.
  TClipPreview(TForm& window, const TClipWindowControls& controls, const TClipHistory& history,
               const TClipListView& view);
  ~TClipPreview();
  TClipPreview(const TClipPreview&) = delete;
  TClipPreview& operator=(const TClipPreview&) = delete;

  // Looks, while a preview shows, whether the pointer is still over the labels.
  TTimer* HintTimer;

 private:
  void LabelClick(TObject* sender);
  void HintTimerTick(TObject* sender);

  TForm& window_;
  const TClipWindowControls& c_;
  const TClipHistory& history_;
  const TClipListView& view_;
};

}  // namespace qv
