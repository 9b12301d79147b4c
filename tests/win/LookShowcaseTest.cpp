// A form of every flat-look piece at once: a menu bar with image-list icons, a
// control bar and a control of each kind, painted with the painter active and
// read back from the screen.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "framework/ChoiceCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "look/MenuPainter.h"
#include "look/PainterManager.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

class LookShowcase : public ::testing::Test {
 protected:
  LookShowcase() : app(std::make_unique<TApplication>()) {
    SetCursorPos(1200, 1000);
    form = new TForm(app.get());
    form->SetBounds(40, 40, 420, 300);
    form->SetCaption("Flat look");
    form->BeginLoading();
    images = new TImageList(form);
    TBitmap picture(16, 16);
    picture.Canvas().Brush().SetColor(clFuchsia);
    picture.Canvas().FillRect(RECT{0, 0, 16, 16});
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect(RECT{2, 2, 14, 14});
    images->AddMasked(picture, clFuchsia);
    bar = new TMainMenu(form);
    bar->SetImages(images);
    file = AddItem(bar->Items(), "&File", 0);
    AddItem(*file, "&Open", 0);
    AddItem(*file, "-", -1);
    AddItem(*file, "E&xit", -1);
    edit = AddItem(bar->Items(), "&Edit", -1);
    AddItem(*edit, "Copy", -1);
    form->SetMenu(bar);

    controlBar = new TControlBar(form);
    controlBar->SetParent(form);
    controlBar->SetBounds(0, 0, 420, 40);
    auto* onBar = new TPanel(form);
    onBar->SetParent(controlBar);
    onBar->SetBounds(20, 6, 120, 26);

    check = new TCheckBox(form);
    check->SetParent(form);
    check->SetCaption("Grayed");
    check->SetBounds(10, 50, 120, 24);
    check->SetState(TCheckBoxState::cbGrayed);
    rightCheck = new TCheckBox(form);
    rightCheck->Alignment = TAlignment::taLeftJustify;
    rightCheck->SetParent(form);
    rightCheck->SetCaption("Box at the right");
    rightCheck->SetBounds(140, 50, 140, 24);
    rightCheck->SetChecked(true);
    editBox = new TEdit(form);
    editBox->SetParent(form);
    editBox->SetBounds(10, 84, 120, 22);
    list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 116, 120, 60);
    combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(140, 84, 140, 24);
    panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(140, 116, 140, 60);

    painter = new TMenuPainter(form);
    painter->SetFlatContainers(FlatBit(xccForm) | FlatBit(xccPanel) | FlatBit(xccControlbar));
    painter->SetDrawMenuBar(true);
    painter->SetActive(true);
    form->EndLoading();
    form->Show();
    for (TWinControl* c : {static_cast<TWinControl*>(check), static_cast<TWinControl*>(rightCheck),
                           static_cast<TWinControl*>(editBox), static_cast<TWinControl*>(list),
                           static_cast<TWinControl*>(combo), static_cast<TWinControl*>(panel)})
      c->Repaint();
    test::Pump();
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
  }
  ~LookShowcase() override {
    app.reset();
    test::Pump();
  }

  TMenuItem* AddItem(TMenuItem& parent, const char* caption, int image) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    item->ImageIndex = image;
    parent.Add(item);
    return item;
  }

  // A bar item painted as the system asks for it, on the form's window DC.
  COLORREF PaintBarAndRead(TMenuItem* item, bool selected, int x, int y) {
    RECT r{};
    GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), item->MenuIndex(), &r);
    RECT window{};
    GetWindowRect(form->Handle(), &window);
    OffsetRect(&r, -window.left, -window.top);
    WindowDc dc(form->Handle(), true);
    TCanvas canvas;
    canvas.SetHandle(dc.get());
    painter->PaintMenuItem(*item, canvas, r, selected);
    const COLORREF c = GetPixel(dc.get(), r.left + x, r.top + y);
    canvas.SetHandle(nullptr);
    last = r;
    return c;
  }

  std::unique_ptr<TApplication> app;
  TForm* form;
  TImageList* images;
  TMainMenu* bar;
  TMenuItem *file, *edit;
  TControlBar* controlBar;
  TCheckBox *check, *rightCheck;
  TEdit* editBox;
  TListBox* list;
  TComboBox* combo;
  TPanel* panel;
  TMenuPainter* painter;
  RECT last{};
};

TEST_F(LookShowcase, MenuBarIsOwnerDrawnAndItsItemsShowNormalHotAndSelected) {
  ASSERT_TRUE(bar->OwnerDraw);
  ASSERT_NE(GetMenu(form->Handle()), nullptr);
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(GetMenu(form->Handle()), 0, TRUE, &mii);
  EXPECT_TRUE(mii.fType & MFT_OWNERDRAW);
  const auto& p = painter->Palette();

  // Normal: the bar colour; the icon at the item's left, faded.
  EXPECT_EQ(PaintBarAndRead(edit, false, 3, 3), Rgb(painter->MenuBarColor()));
  const COLORREF idleIcon = PaintBarAndRead(file, false, 1 + 6, 3 + 6);
  EXPECT_EQ(idleIcon, Rgb(LightenColor(clRed, painter->DimLevel())));

  // Selected: highlight, outline at the left, the stepped shadow at the right.
  EXPECT_EQ(PaintBarAndRead(edit, true, 3, 5), Rgb(p.HighlightFillColor));
  EXPECT_EQ(PaintBarAndRead(edit, true, 0, 5), Rgb(p.HighlightBorderColor));
  const int w = last.right - last.left;
  EXPECT_EQ(PaintBarAndRead(edit, true, w - 1, 1),
            Rgb(DarkenColor(painter->MenuBarColor(), 10)));

  // Hot: the item under the mouse, without the shadow.
  RECT screen{};
  GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), edit->MenuIndex(), &screen);
  SetCursorPos(screen.left + 5, screen.top + 5);
  EXPECT_EQ(PaintBarAndRead(edit, false, 3, 3), Rgb(p.HighlightFillColor));
  EXPECT_EQ(PaintBarAndRead(edit, false, w - 3, 3), Rgb(painter->MenuBarColor()));
  SetCursorPos(1200, 1000);

  // Unhooking gives the bar back to the system.
  painter->SetActive(false);
  EXPECT_FALSE(bar->OwnerDraw);
}

TEST_F(LookShowcase, ControlBarBandsAreFilledWithADottedGrip) {
  const TMenuPainter* p = painter;
  (void)p;
  WindowDc dc(controlBar->Handle());
  const RECT band = TControlBar::BandRect(*controlBar->Controls(0));
  EXPECT_EQ(GetPixel(dc.get(), band.left + 1, band.top + 1),
            Rgb(LightenColor(controlBar->Color(), 6)));
  // The grip: dots on even rows, darker further down.
  int dots = 0;
  for (int y = band.top + 5; y <= band.bottom - 5; ++y)
    dots += GetPixel(dc.get(), band.left + 4, y) != Rgb(LightenColor(controlBar->Color(), 6));
  EXPECT_GT(dots, 3);
  painter->SetActive(false);
  EXPECT_FALSE(controlBar->OnBandPaint);
}

TEST_F(LookShowcase, EveryControlIsTakenOverWithItsBorderAndHotState) {
  for (TControl* c : {static_cast<TControl*>(check), static_cast<TControl*>(rightCheck),
                      static_cast<TControl*>(editBox), static_cast<TControl*>(list),
                      static_cast<TControl*>(combo), static_cast<TControl*>(panel)})
    EXPECT_TRUE(IsSubClassMethod(c->WindowProc)) << c->ClassName();
  const auto& p = painter->Palette();
  const COLORREF rest = Rgb(DarkenColor(form->Color(), 60));
  {
    WindowDc dc(list->Handle(), true);
    EXPECT_EQ(GetPixel(dc.get(), 0, 30), rest);
  }
  list->Perform(CM_MOUSEENTER);
  {
    WindowDc dc(list->Handle(), true);
    EXPECT_EQ(GetPixel(dc.get(), 0, 30), Rgb(LightenColor(p.HighlightBorderColor, 60)));
  }
  {
    WindowDc dc(editBox->Handle());
    EXPECT_EQ(GetPixel(dc.get(), 0, 5), rest);
  }
  if (const char* hold = std::getenv("QV_SHOWCASE_HOLD_MS")) {
    // For a look by eye: the form stays up this long.
    const int ms = std::atoi(hold);
    test::PumpUntil([] { return false; }, ms);
  }
}

}  // namespace
}  // namespace qv
