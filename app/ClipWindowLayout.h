#pragma once
// The clip window's controls where the design puts them: the panel the user drags, the
// logo, the mode buttons, the find button and line, the clip list, the slot labels beside
// it and the strip that marks them. The window wires their events.

#include "components/CheckListBox.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

namespace qv {

struct TClipWindowControls {
  TPanel* Panel = nullptr;
  TImage* Logo = nullptr;
  TSpeedButton* RangeButton = nullptr;
  TSpeedButton* PlusCrLfLfButton = nullptr;  // "+CR"
  TSpeedButton* PlusCrLfButton = nullptr;    // "+cR"
  TSpeedButton* HideButton = nullptr;
  TSpeedButton* FindButton = nullptr;
  // The find line: over the logo while it is open.
  TEdit* FindLine = nullptr;
  TCheckListBox* ClipList = nullptr;
  TListBox* SlotLabels = nullptr;
  TPanel* SlotStrip = nullptr;
};

// The clip window's width in the design, at 96 DPI: the panel fills it.
inline constexpr int kClipWindowWidth = 265;

// Makes the controls on form (which owns them), at their design places.
TClipWindowControls BuildClipWindow(TForm& form);

// Paints the controls in the design's colours, or in the system's while a high-contrast
// theme is on.
void ColorClipWindow(const TClipWindowControls& controls, bool highContrast);

// The lists' heights from the design at the form's DPI, grown where the 36 labelled rows
// need more, and the panel and the form with them.
void FitSlotRows(TForm& form, const TClipWindowControls& controls);

// The panel drags the window it is on while the left button alone is held.
class TPanelDrag {
 public:
  TPanelDrag(TForm& window, TPanel& panel);
  ~TPanelDrag();
  TPanelDrag(const TPanelDrag&) = delete;
  TPanelDrag& operator=(const TPanelDrag&) = delete;

 private:
  void MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TObject* sender, TShiftState shift, int x, int y);

  TForm& window_;
  TPanel& panel_;
  int start_x_ = 0, start_y_ = 0;
};

// A picture of the program's own, from its resources; a missing one leaves it empty.
void LoadOwnPicture(TBitmap& bitmap, const char* name);
void LoadOwnIcon(TImage& image, const char* name);

}  // namespace qv
