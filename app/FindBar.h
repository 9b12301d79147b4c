#pragma once
// The find bar: the magnifier button and the find line that opens over the logo. The
// words typed narrow the clip list to the clips holding them all; while it is open the
// clip window's keys move through the found lines and recall them.

#include <windows.h>

#include "app/ClipListView.h"
#include "app/ClipWindowLayout.h"

namespace qv {

// A shown row of the clip list is to be recalled.
using TRecallRowEvent = TMethod<int /*row*/>;

class TFindBar {
 public:
  // window: the clip window, which previews its keys.
  TFindBar(TForm& window, const TClipWindowControls& controls, TClipListView& view);
  ~TFindBar();
  TFindBar(const TFindBar&) = delete;
  TFindBar& operator=(const TFindBar&) = delete;

  bool IsOpen() const { return open_; }
  void Open();
  // Empties the find line and shows the whole list again.
  void Close();

  // A key pressed in the clip window. F3 opens the bar; while it is open every key is
  // the bar's: Esc empties the line and then closes it, Up and Down move the selection,
  // Enter recalls it, Ctrl plus a slot key recalls the labelled line, other keys type.
  // True when the key was the bar's (key is 0 when it went no further).
  bool KeyDown(WORD& key, TShiftState shift);
  // True for the character of a key KeyDown took: it must not reach the find line.
  bool TakeChar();

  TRecallRowEvent OnRecall;

 private:
  void ButtonClick(TObject* sender);
  void LineChange(TObject* sender);

  TForm& window_;
  const TClipWindowControls& c_;
  TClipListView& view_;
  bool open_ = false;
  bool char_taken_ = false;
};

}  // namespace qv
