#include "app/FindBar.h"

#include <algorithm>
#include <utility>

#include "app/RecallRules.h"
#include "framework/WideText.h"

namespace qv {

TFindBar::TFindBar(TForm& window, const TClipWindowControls& controls, TClipListView& view)
    : window_(window), c_(controls), view_(view) {
  c_.FindButton->OnClick = TNotifyEvent::Of<&TFindBar::ButtonClick>(this);
  c_.FindLine->OnChange = TNotifyEvent::Of<&TFindBar::LineChange>(this);
}

TFindBar::~TFindBar() {
  c_.FindButton->OnClick = nullptr;
  c_.FindLine->OnChange = nullptr;
}

void TFindBar::Open() {
  open_ = true;
  c_.FindButton->SetDown(true);
  view_.PrepareFind();
  c_.Logo->SetVisible(false);
  c_.FindLine->SetVisible(true);
  if (window_.Visible()) c_.FindLine->SetFocus();
}

void TFindBar::Close() {
  c_.FindButton->SetDown(false);
  if (!open_) return;
  open_ = false;
  const bool hadFocus = c_.FindLine->Focused();
  c_.FindLine->SetText("");
  c_.FindLine->SetVisible(false);
  c_.Logo->SetVisible(true);
  if (view_.Finding()) view_.Find("", "");
  if (hadFocus) c_.Panel->SetFocus();
}

void TFindBar::ButtonClick(TObject*) {
  // The button went down or up with the click.
  if (c_.FindButton->Down())
    Open();
  else
    Close();
}

void TFindBar::LineChange(TObject*) {
  const std::string text = c_.FindLine->Text();
  view_.Find(text, AnsiToUtf8(text));
  c_.SlotLabels->SetTopIndex(0);
  // The reader has its focus on the line: the count it hears is the line's description.
  c_.FindLine->Accessibility.Description = view_.Finding() ? FoundText(view_.RowCount()) : "";
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, c_.FindLine->Handle(), OBJID_CLIENT, CHILDID_SELF);
}

bool TFindBar::KeyDown(WORD& key, TShiftState shift) {
  char_taken_ = false;
  if (key == VK_F3) {
    Open();
    key = 0;
    return true;
  }
  if (!open_) return false;
  TCheckListBox& list = *c_.ClipList;
  const int rows = view_.RowCount();
  const int selected = list.ItemIndex();
  switch (key) {
    case VK_ESCAPE:
      if (c_.FindLine->Text().empty())
        Close();
      else
        c_.FindLine->SetText("");
      break;
    case VK_UP:
      if (rows > 0) list.SetItemIndex(std::max(selected - 1, 0));
      break;
    case VK_DOWN:
      if (rows > 0) list.SetItemIndex(std::min(selected + 1, rows - 1));
      break;
    case VK_RETURN:
      if (selected >= 0) OnRecall(selected);
      break;
    default: {
      // Without Ctrl a slot key types.
      const int slot = SlotOfKey(key);
      if (slot < 0 || !(shift & ssCtrl)) return true;
      const int line = SlotLine(slot, list.TopIndex());
      if (line < rows) {
        list.SetItemIndex(line);
        OnRecall(line);
      }
      break;
    }
  }
  key = 0;
  char_taken_ = true;
  return true;
}

bool TFindBar::TakeChar() { return std::exchange(char_taken_, false); }

}  // namespace qv
