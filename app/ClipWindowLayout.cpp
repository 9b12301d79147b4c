#include "app/ClipWindowLayout.h"

#include <algorithm>
#include <string>

#include "app/RecallRules.h"
#include "framework/SysUtils.h"
#include "look/ProgramColors.h"

namespace qv {

namespace {

// The heights of the panel and of the lists that run down it, in the design.
constexpr int kPanelHeight = 496, kClipListHeight = 473, kSlotLabelsHeight = 470,
              kSlotStripHeight = 472;

// The slot labels stand over the start of the clip list's lines (from its client edge, 15
// wide); its check boxes begin one pixel past them, which at any DPI's rounding leaves them
// uncovered. The text moves right with them, and the window is as much wider than before
// the checks moved: a line cut to its 180 pixels, "..." included, still fits beside the
// scroll bar.
constexpr int kCheckIndent = 16;

// The three mode buttons: bold maroon captions, groups whose buttons may all be up.
TSpeedButton* MakeModeButton(TForm& form, TPanel* panel, const char* name, int left, int width,
                             int group, const char* caption, const char* spoken) {
  TSpeedButton* b = MakeComponent<TSpeedButton>(&form, name, panel);
  b->Accessibility.Name = spoken;
  b->SetBounds(left, 2, width, 16);
  b->GroupIndex = group;
  b->AllowAllUp = true;
  b->SetCaption(caption);
  b->Font().SetStyle(fsBold);
  b->SetHint("Paste from clicked line to top.");
  return b;
}

void BuildButtons(TForm& form, TClipWindowControls& c) {
  // The buttons keep their places from the panel's right end. The captions say little to a
  // listener: each button is told by what it does. The range button's caption is three
  // upward arrows in the Symbol font.
  c.RangeButton = MakeModeButton(form, c.Panel, "RangeButton", kClipWindowWidth - 121, 34, 1,
                                 "\xAD\xAD\xAD", "Paste the range up to the newest clip");
  c.RangeButton->Font().SetName("Symbol");
  c.PlusCrLfLfButton = MakeModeButton(form, c.Panel, "PlusCrLfLfButton", kClipWindowWidth - 86, 29,
                                      2, "+CR", "Paste and add a line break and a line feed");
  c.PlusCrLfButton = MakeModeButton(form, c.Panel, "PlusCrLfButton", kClipWindowWidth - 57, 29, 2,
                                    "+cR", "Paste and add a line break");
  c.HideButton = MakeComponent<TSpeedButton>(&form, "HideButton", c.Panel);
  c.HideButton->Accessibility.Name = "Hide";
  c.HideButton->SetBounds(kClipWindowWidth - 28, 3, 25, 14);
  LoadOwnPicture(c.HideButton->Glyph(), "HIDE_GLYPH");
  c.FindButton = MakeComponent<TSpeedButton>(&form, "FindButton", c.Panel);
  c.FindButton->SetBounds(kClipWindowWidth - 148, 3, 25, 14);
  // Down while the find line is open.
  c.FindButton->GroupIndex = 3;
  c.FindButton->AllowAllUp = true;
  LoadOwnPicture(c.FindButton->Glyph(), "FIND_GLYPH");
  c.FindButton->SetHint("Find clips by the words they hold (F3).");
  c.FindButton->Accessibility.Name = "Find clips";
  for (TSpeedButton* b :
       {c.RangeButton, c.PlusCrLfLfButton, c.PlusCrLfButton, c.HideButton, c.FindButton})
    b->ParentColor = true;

  c.FindLine = MakeComponent<TEdit>(&form, "FindLine", c.Panel);
  // Up to the find button.
  c.FindLine->SetBounds(4, 2, kClipWindowWidth - 154, 15);
  c.FindLine->SetCtl3D(false);  // a thin border: the strip is low
  c.FindLine->SetVisible(false);
  c.FindLine->Accessibility.Name = "Find clips";
}

void BuildLists(TForm& form, TClipWindowControls& c) {
  c.ClipList = MakeComponent<TCheckListBox>(&form, "ClipList", c.Panel);
  c.ClipList->SetBounds(8, 18, kClipWindowWidth - 16, kClipListHeight);
  c.ClipList->SetCheckIndent(kCheckIndent);
  c.ClipList->Font().SetName("MS Sans Serif");
  c.ClipList->Font().SetHeight(-11);
  c.ClipList->SetItemHeight(13);
  c.ClipList->Accessibility.Name = "Clips";

  c.SlotLabels = MakeComponent<TListBox>(&form, "SlotLabels", c.Panel);
  c.SlotLabels->SetBounds(10, 20, 15, kSlotLabelsHeight);
  c.SlotLabels->BorderSingle = false;
  c.SlotLabels->SetItemHeight(13);
  c.SlotLabels->HintBesideControl = true;  // the preview leaves the other labels clickable
  c.SlotLabels->Accessibility.Name = "Slot labels";
  // "1".."9", "0", "A".."Z", twice: the list's 72 lines.
  for (int round = 0; round < 2; ++round) {
    for (const char* label : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
      c.SlotLabels->Items().Add(label);
    for (char letter = 'A'; letter <= 'Z'; ++letter)
      c.SlotLabels->Items().Add(std::string(1, letter));
  }

  c.SlotStrip = MakeComponent<TPanel>(&form, "SlotStrip", c.Panel);
  c.SlotStrip->SetBounds(5, 19, 3, kSlotStripHeight);
  c.SlotStrip->BevelOuter = TBevelCut::bvNone;
}

}  // namespace

void LoadOwnPicture(TBitmap& bitmap, const char* name) {
  try {
    bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const Exception&) {
    // An empty picture: the control still works.
  }
}

void LoadOwnIcon(TImage& image, const char* name) {
  try {
    image.Icon().LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const Exception&) {
    // An empty image: the control still works.
  }
}

TClipWindowControls BuildClipWindow(TForm& form) {
  // The design leaves a part beside the panel, which FormCreate cuts off.
  form.SetClientSize(kClipWindowWidth + 130, kPanelHeight);
  TClipWindowControls c;
  c.Panel = MakeComponent<TPanel>(&form, "Panel", &form);
  c.Panel->SetBounds(0, 0, kClipWindowWidth, kPanelHeight);
  c.Panel->SetHint("Press Ctrl plus 0-9, A-Z for this column.");
  // It has the keyboard focus while the clips are up: a reader names the window by it.
  c.Panel->Accessibility.Name = "Quorvel Vavad clips";
  c.Logo = MakeComponent<TImage>(&form, "Logo", c.Panel);
  c.Logo->SetBounds(4, 1, 94, 16);
  LoadOwnPicture(c.Logo->Picture(), "LOGO");
  BuildButtons(form, c);
  BuildLists(form, c);
  ColorClipWindow(c, HighContrastOn());
  return c;
}

void ColorClipWindow(const TClipWindowControls& c, bool highContrast) {
  // The design's colours; under a high-contrast theme, the system's for each kind of surface.
  const auto pick = [highContrast](TColor designed, TColor system) {
    return highContrast ? system : designed;
  };
  c.Panel->SetColor(pick(kPanelColor, clBtnFace));
  c.Logo->ShapeColor = pick(clNone, clBtnText);
  c.Logo->Invalidate();
  c.ClipList->SetColor(pick(13434879, clWindow));
  c.ClipList->Font().SetColor(pick(clNavy, clWindowText));
  c.ClipList->CheckColor = pick(clNone, clWindowText);
  c.SlotLabels->SetColor(pick(kPanelColor, clBtnFace));
  c.SlotLabels->Font().SetColor(pick(clWindowText, clBtnText));
  c.SlotStrip->SetColor(pick(39423, clHighlight));
  for (TSpeedButton* b : {c.RangeButton, c.PlusCrLfLfButton, c.PlusCrLfButton})
    b->Font().SetColor(pick(clMaroon, clBtnText));
  for (TSpeedButton* b : {c.HideButton, c.FindButton}) {
    b->GlyphColor = pick(clNone, clBtnText);
    b->Invalidate();
  }
}

TPanelDrag::TPanelDrag(TForm& window, TPanel& panel) : window_(window), panel_(panel) {
  panel_.OnMouseDown = TMouseEvent::Of<&TPanelDrag::MouseDown>(this);
  panel_.OnMouseMove = TMouseMoveEvent::Of<&TPanelDrag::MouseMove>(this);
}

TPanelDrag::~TPanelDrag() {
  panel_.OnMouseDown = nullptr;
  panel_.OnMouseMove = nullptr;
}

void TPanelDrag::MouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
  start_x_ = x;
  start_y_ = y;
}

void TPanelDrag::MouseMove(TObject*, TShiftState shift, int x, int y) {
  if (shift != ssLeft) return;
  window_.SetTop(window_.Top() + (y - start_y_));
  window_.SetLeft(window_.Left() + (x - start_x_));
}

void FitSlotRows(TForm& form, const TClipWindowControls& c) {
  // From the design each time: a height grown here is never scaled again.
  const auto placeAll = [&](int grow) {
    c.ClipList->SetHeight(form.ScaleValue(kClipListHeight) + grow);
    c.SlotLabels->SetHeight(form.ScaleValue(kSlotLabelsHeight) + grow);
    c.SlotStrip->SetHeight(form.ScaleValue(kSlotStripHeight) + grow);
    c.Panel->SetHeight(form.ScaleValue(kPanelHeight) + grow);
  };
  placeAll(0);
  if (!c.ClipList->HandleAllocated() || !c.SlotLabels->HandleAllocated()) return;
  // Lines of fonts that rounded up can outgrow the lists scaled from the design (20
  // pixels a line at 144 DPI, not 19.5): every labelled row must show whole.
  const int grow =
      std::max(c.ClipList->HeightShortOf(kSlotCount), c.SlotLabels->HeightShortOf(kSlotCount));
  if (grow > 0) placeAll(grow);
  RECT client;
  GetClientRect(form.Handle(), &client);
  if (client.bottom != c.Panel->Height()) form.SetClientSize(client.right, c.Panel->Height());
}

}  // namespace qv
