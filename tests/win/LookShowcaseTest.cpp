// A form of every flat-look piece at once: a menu bar with image-list icons, a
// control bar and a control of each kind, painted with the painter active and
// read back from the screen.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/Buttons.h"
#include "framework/ChoiceCtrls.h"
#include "framework/ComCtrls.h"
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

// A lookup combo box is known to the painters by its class name only.
class TDBLookupComboBox : public TWinControl {
  QV_CLASS(TDBLookupComboBox)
 public:
  using TWinControl::TWinControl;
  int NcPaints = 0;

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    params.SysClassName = "COMBOBOX";
    params.Style |= CBS_DROPDOWNLIST | WS_BORDER;
    params.Height = 200;
  }
  void WndProc(TMessage& m) override {
    NcPaints += m.Msg == WM_NCPAINT;
    TWinControl::WndProc(m);
  }
};

COLORREF ClientPixel(TWinControl* c, int x, int y) {
  WindowDc dc(c->Handle());
  return GetPixel(dc.get(), x, y);
}
COLORREF WindowPixel(TWinControl* c, int x, int y) {
  WindowDc dc(c->Handle(), true);
  return GetPixel(dc.get(), x, y);
}

class LookShowcase : public ::testing::Test {
 protected:
  LookShowcase() : app(std::make_unique<TApplication>()) {
    SetCursorPos(1200, 1000);
    form = new TForm(app.get());
    form->SetBounds(40, 40, 640, 440);
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
    memo = Place(new TMemo(form), 10, 186, 120, 50);
    rich = Place(new TRichEdit(form), 140, 186, 140, 50);
    radio = Place(new TRadioButton(form), 300, 50, 120, 24);
    radio->SetCaption("Radio");
    radio->SetChecked(true);
    button = Place(new TButton(form), 300, 84, 90, 26);
    button->SetCaption("Button");
    bitBtn = Place(new TBitBtn(form), 300, 116, 110, 26);
    bitBtn->SetCaption("Glyph");
    bitBtn->Glyph().SetSize(12, 12);
    bitBtn->Glyph().Canvas().Brush().SetColor(clFuchsia);
    bitBtn->Glyph().Canvas().FillRect(RECT{0, 0, 12, 12});
    bitBtn->Glyph().Canvas().Brush().SetColor(clRed);
    bitBtn->Glyph().Canvas().FillRect(RECT{2, 2, 10, 10});
    upDown = Place(new TUpDown(form), 400, 84, 17, 26);
    speed = Place(new TSpeedButton(form), 430, 84, 60, 26);
    speed->SetCaption("Speed");
    group = Place(new TGroupBox(form), 300, 150, 150, 60);
    group->SetCaption("Group");
    radioGroup = Place(new TRadioGroup(form), 460, 150, 150, 80);
    radioGroup->SetCaption("Radio group");
    radioGroup->SetItems({"One", "Two"});
    radioGroup->SetItemIndex(1);
    tree = Place(new TTreeView(form), 10, 246, 120, 70);
    listView = Place(new TListView(form), 140, 246, 140, 70);
    progress = Place(new TProgressBar(form), 300, 246, 150, 16);
    progress->SetPosition(60);
    hotKey = Place(new THotKey(form), 300, 272, 150, 22);
    hotKey->SetHotKey(TextToShortCut("Ctrl+Alt+Down"));
    lookup = Place(new TDBLookupComboBox(form), 460, 246, 150, 24);

    painter = new TMenuPainter(form);
    painter->SetFlatContainers(FlatBit(xccForm) | FlatBit(xccPanel) | FlatBit(xccControlbar) |
                               FlatBit(xccGroupBox));
    painter->SetDrawMenuBar(true);
    painter->SetActive(true);
    form->EndLoading();
    form->Show();
    for (TWinControl* c : All()) c->Repaint();
    test::Pump();
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::Pump();
  }
  ~LookShowcase() override {
    app.reset();
    test::Pump();
  }

  template <class T>
  T* Place(T* c, int x, int y, int w, int h) {
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    return c;
  }

  std::vector<TWinControl*> All() {
    return {check, rightCheck, editBox, list,  combo, panel,    memo,     rich,
            radio, button,     bitBtn,  upDown, speed, group,   tree,     listView,
            progress, hotKey, lookup, radioGroup->Buttons(0), radioGroup->Buttons(1)};
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
  TMemo* memo;
  TRichEdit* rich;
  TRadioButton* radio;
  TButton* button;
  TBitBtn* bitBtn;
  TUpDown* upDown;
  TSpeedButton* speed;
  TGroupBox* group;
  TRadioGroup* radioGroup;
  TTreeView* tree;
  TListView* listView;
  TProgressBar* progress;
  THotKey* hotKey;
  TDBLookupComboBox* lookup;
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

// Moves the pointer as a mouse would, so that the window under it hears of it.
void MovePointer(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(in));
}

TEST_F(LookShowcase, BarItemsLightUpUnderThePointerAndGoBackWhenItMovesOn) {
  const COLORREF hot = Rgb(painter->Palette().HighlightFillColor);
  const COLORREF normal = Rgb(painter->MenuBarColor());
  HMENU menuBar = GetMenu(form->Handle());
  // A pixel of the item's own background, clear of its icon and caption.
  auto shown = [&](TMenuItem* item) {
    RECT r{}, window{};
    GetMenuItemRect(form->Handle(), menuBar, item->MenuIndex(), &r);
    GetWindowRect(form->Handle(), &window);
    WindowDc dc(form->Handle(), true);
    return GetPixel(dc.get(), r.right - window.left - 9, r.top - window.top + 1);
  };
  auto enter = [&](TMenuItem* item) {
    RECT r{};
    GetMenuItemRect(form->Handle(), menuBar, item->MenuIndex(), &r);
    MovePointer(r.left + 5, r.top + 5);
  };
  EXPECT_EQ(shown(file), normal);
  EXPECT_EQ(shown(edit), normal);

  enter(edit);
  EXPECT_TRUE(test::PumpUntil([&] { return shown(edit) == hot; }, 2000));
  EXPECT_EQ(bar->HotItem(), edit->MenuIndex());
  EXPECT_EQ(shown(file), normal);

  // From one item to the next: the one left behind goes back at once.
  enter(file);
  EXPECT_TRUE(test::PumpUntil([&] { return shown(file) == hot; }, 2000));
  EXPECT_EQ(shown(edit), normal);

  // Into the form's client area: the bar is left.
  POINT inside{200, 300};
  ClientToScreen(form->Handle(), &inside);
  MovePointer(inside.x, inside.y);
  EXPECT_TRUE(test::PumpUntil([&] { return shown(file) == normal; }, 2000));
  EXPECT_EQ(bar->HotItem(), -1);

  // Off the form altogether.
  enter(edit);
  EXPECT_TRUE(test::PumpUntil([&] { return shown(edit) == hot; }, 2000));
  MovePointer(1200, 1000);
  EXPECT_TRUE(test::PumpUntil([&] { return shown(edit) == normal; }, 2000));
  EXPECT_EQ(bar->HotItem(), -1);
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

TEST_F(LookShowcase, AutoDetectTakesOverAControlBarMadeWhileThePainterIsActive) {
  painter->SetAutoDetect(true);
  auto* later = new TControlBar(form);
  later->SetParent(form);
  later->SetBounds(300, 320, 300, 40);
  auto* onLater = new TPanel(form);
  onLater->SetParent(later);
  onLater->SetBounds(20, 6, 100, 26);
  // Made and freed before the painter looks: it must simply be forgotten.
  (new TControlBar(form))->Free();
  test::Pump();
  EXPECT_TRUE(later->OnBandPaint);
  const RECT band = TControlBar::BandRect(*onLater);
  EXPECT_EQ(ClientPixel(later, band.left + 1, band.top + 1),
            Rgb(LightenColor(later->Color(), 6)));

  painter->SetAutoDetect(false);
  auto* plain = new TControlBar(form);
  plain->SetParent(form);
  test::Pump();
  EXPECT_FALSE(plain->OnBandPaint);
}

TEST_F(LookShowcase, EveryControlIsTakenOverWithItsBorderAndHotState) {
  for (TControl* c : All()) EXPECT_TRUE(IsSubClassMethod(c->WindowProc)) << c->ClassName();
  const auto& p = painter->Palette();
  const COLORREF rest = Rgb(DarkenColor(form->Color(), 60));
  const COLORREF hotEdge = Rgb(LightenColor(p.HighlightBorderColor, 60));

  // Edits and lists: one flat line, lighter under the mouse.
  EXPECT_EQ(WindowPixel(list, 0, 30), rest);
  list->Perform(CM_MOUSEENTER);
  EXPECT_EQ(WindowPixel(list, 0, 30), hotEdge);
  EXPECT_EQ(ClientPixel(editBox, 0, 5), rest);
  EXPECT_EQ(ClientPixel(memo, 0, 20), rest);
  memo->Perform(CM_MOUSEENTER);
  EXPECT_EQ(ClientPixel(memo, 0, 20), hotEdge);
  EXPECT_EQ(WindowPixel(tree, 0, 30), rest);
  EXPECT_EQ(WindowPixel(listView, 0, 30), rest);
  tree->Perform(CM_MOUSEENTER);
  EXPECT_EQ(WindowPixel(tree, 0, 30), hotEdge);

  // The rich edit loses its own edge and is framed on the form, one pixel out.
  EXPECT_EQ(rich->BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(ClientPixel(form, 139, 200), rest);
  rich->Perform(CM_MOUSEENTER);
  EXPECT_EQ(ClientPixel(form, 139, 200), hotEdge);

  // Radio button: a flat circle with a highlight dot.
  const int s = GetSystemMetrics(SM_CXHTHUMB);
  const int centreY = 4 + (24 - 8 - (s - 1)) / 2 + (s - 1) / 2;
  EXPECT_EQ(ClientPixel(radio, (s - 1) / 2, centreY), Rgb(clHighlight));

  // Push button: face and the bevel at the right and bottom; lighter when hot.
  EXPECT_EQ(ClientPixel(button, 5, 5), Rgb(p.IconColumnColor));
  EXPECT_EQ(ClientPixel(button, 88, 13), Rgb(DarkenColor(clBtnShadow, 50)));
  button->Perform(CM_MOUSEENTER);
  EXPECT_EQ(ClientPixel(button, 5, 5), Rgb(LightenColor(clBtnFace, p.HotTintPercent)));
  button->Perform(CM_MOUSELEAVE);

  // Bit button: the glyph faded at rest, unfaded and lifted when hot.
  int faded = 0, red = 0;
  for (int x = 0; x < 110; ++x)
    for (int y = 0; y < 26; ++y) faded += ClientPixel(bitBtn, x, y) == Rgb(LightenColor(clRed, 30));
  EXPECT_GT(faded, 0);
  bitBtn->Perform(CM_MOUSEENTER);
  for (int x = 0; x < 110; ++x)
    for (int y = 0; y < 26; ++y) red += ClientPixel(bitBtn, x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 0);

  // Up-down: the half under the mouse gets the highlight outline.
  POINT at{8, 4};
  ClientToScreen(upDown->Handle(), &at);
  SetCursorPos(at.x, at.y);
  upDown->Perform(WM_MOUSEMOVE);
  EXPECT_EQ(ClientPixel(upDown, 0, 2), Rgb(p.HighlightBorderColor));
  EXPECT_EQ(ClientPixel(upDown, 0, 20), Rgb(LightenColor(form->Color(), 80)));

  // Flat speed button: a highlight frame while the mouse is over it.
  at = POINT{30, 13};
  ClientToScreen(speed->Handle(), &at);
  SetCursorPos(at.x, at.y);
  speed->Perform(CM_MOUSEENTER);
  EXPECT_EQ(ClientPixel(speed, 0, 13), Rgb(p.HighlightBorderColor));
  EXPECT_EQ(ClientPixel(speed, 5, 5), Rgb(p.HighlightFillColor));
  SetCursorPos(1200, 1000);

  // Group box: a flat 3-D frame below half the caption.
  group->Repaint();
  EXPECT_EQ(ClientPixel(group, 0, 40), Rgb(DarkenColor(group->Color(), 60)));
  EXPECT_EQ(ClientPixel(group, 1, 40), Rgb(LightenColor(group->Color(), 60)));
  EXPECT_EQ(ClientPixel(group, 40, 30), Rgb(group->Color())) << "the inside is filled";

  // Progress bar and hot-key field: one line round the window.
  EXPECT_EQ(WindowPixel(progress, 0, 5), rest);
  progress->Perform(CM_MOUSEENTER);
  EXPECT_EQ(WindowPixel(progress, 0, 5), Rgb(p.HighlightBorderColor));
  EXPECT_EQ(WindowPixel(hotKey, 0, 5), rest);
  EXPECT_EQ(WindowPixel(hotKey, 1, 5), Rgb(clWindow));

  // Lookup combo box: the system never paints its border; the flat one does.
  lookup->NcPaints = 0;
  RedrawWindow(lookup->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(lookup->NcPaints, 0);
  EXPECT_FALSE(lookup->Ctl3D());
  EXPECT_EQ(WindowPixel(lookup, 0, 10), rest);

  if (const char* hold = std::getenv("QV_SHOWCASE_HOLD_MS")) {
    // For a look by eye: the form stays up this long.
    const int ms = std::atoi(hold);
    test::PumpUntil([] { return false; }, ms);
  }
}

TEST_F(LookShowcase, ControlsOnEveryContainerKindAreTakenOverWhenItsKindIsOn) {
  // One edit on each kind of container, below the showcase's controls.
  auto on = [&](TWinControl* container) {
    auto* e = new TEdit(form);
    e->SetParent(container);
    e->SetBounds(4, 4, 60, 20);
    return e;
  };
  auto* toolBar = Place(new TToolBar(form), 300, 300, 80, 30);
  auto* coolBar = Place(new TCoolBar(form), 390, 300, 80, 30);
  auto* scrollBox = Place(new TScrollBox(form), 480, 300, 80, 30);
  auto* tabs = Place(new TTabControl(form), 10, 320, 130, 70);
  tabs->SetTabs({"One", "Two"});
  auto* pages = Place(new TPageControl(form), 150, 320, 130, 70);
  auto* sheet = new TTabSheet(form);
  sheet->SetCaption("Page");
  sheet->SetPageControl(pages);
  auto* scroller = Place(new TPageScroller(form), 300, 340, 80, 30);
  TEdit* edits[] = {on(toolBar), on(coolBar), on(scrollBox), on(tabs), on(sheet), on(scroller)};
  TEdit* onCoolBar = edits[1];
  scroller->SetControl(edits[5]);
  edits[5]->SetWidth(150);
  EXPECT_EQ(pages->ActivePage(), sheet);

  // Every kind but the cool bar; the change hooks the form again.
  painter->SetFlatContainers(FlatBit(xccForm) | FlatBit(xccToolbar) | FlatBit(xccScrollBox) |
                             FlatBit(xccTabSheet) | FlatBit(xccPageScroller));
  test::Pump();
  for (TEdit* e : edits) {
    const bool taken = IsSubClassMethod(e->WindowProc);
    EXPECT_EQ(taken, e != onCoolBar) << e->Parent()->ClassName();
    if (!taken) continue;
    e->Repaint();
    EXPECT_EQ(ClientPixel(e, 0, 10), Rgb(DarkenColor(e->Parent()->Color(), 60)))
        << e->Parent()->ClassName();
    EXPECT_FALSE(e->Ctl3D()) << e->Parent()->ClassName();
  }
  EXPECT_TRUE(onCoolBar->Ctl3D());

  painter->SetFlatContainers(FlatBit(xccCoolbar));
  test::Pump();
  EXPECT_TRUE(IsSubClassMethod(onCoolBar->WindowProc));
}

TEST_F(LookShowcase, UpDownHalvesThatAlreadyShowTheirStateAreLeftAlone) {
  const auto& p = painter->Palette();
  POINT upper{8, 4};
  ClientToScreen(upDown->Handle(), &upper);
  SetCursorPos(upper.x, upper.y);
  upDown->Perform(WM_MOUSEMOVE);
  ASSERT_EQ(ClientPixel(upDown, 0, 0), Rgb(p.HighlightBorderColor));
  ASSERT_EQ(ClientPixel(upDown, 0, 13), Rgb(LightenColor(form->Color(), 80)));
  // Marks inside both halves, their outlines untouched.
  auto mark = [&](int y) {
    WindowDc dc(upDown->Handle());
    SetPixel(dc.get(), 2, y, RGB(1, 2, 3));
  };
  mark(10);
  mark(22);

  // The pointer moves within the upper half: neither half is drawn again.
  upDown->Perform(WM_MOUSEMOVE);
  EXPECT_EQ(ClientPixel(upDown, 2, 10), RGB(1, 2, 3));
  EXPECT_EQ(ClientPixel(upDown, 2, 22), RGB(1, 2, 3));

  // A half the system drew over (its corner no longer the outline) is drawn again.
  {
    WindowDc dc(upDown->Handle());
    SetPixel(dc.get(), 0, 13, RGB(4, 5, 6));
  }
  upDown->Perform(WM_MOUSEMOVE);
  EXPECT_EQ(ClientPixel(upDown, 2, 10), RGB(1, 2, 3));
  EXPECT_EQ(ClientPixel(upDown, 2, 22), Rgb(LightenColor(p.HighlightFillColor, p.ParentTintPercent)));

  // Into the lower half: both halves change their outline, so both are drawn.
  mark(22);
  POINT lower{8, 20};
  ClientToScreen(upDown->Handle(), &lower);
  SetCursorPos(lower.x, lower.y);
  upDown->Perform(WM_MOUSEMOVE);
  EXPECT_EQ(ClientPixel(upDown, 0, 0), Rgb(LightenColor(form->Color(), 80)));
  EXPECT_EQ(ClientPixel(upDown, 2, 10), Rgb(LightenColor(p.HighlightFillColor, p.ParentTintPercent)));
  EXPECT_EQ(ClientPixel(upDown, 0, 13), Rgb(p.HighlightBorderColor));
  EXPECT_EQ(ClientPixel(upDown, 2, 22), Rgb(LightenColor(p.HighlightFillColor, 60)));

  // Pressing keeps the outline, yet the pressed fill shows once the control has
  // painted itself again.
  upDown->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 20));
  test::Pump();
  EXPECT_EQ(ClientPixel(upDown, 2, 22), Rgb(p.CheckFillHotColor));
  upDown->Perform(WM_LBUTTONUP, 0, MAKELPARAM(8, 20));
  test::Pump();
  EXPECT_EQ(ClientPixel(upDown, 2, 22), Rgb(LightenColor(p.HighlightFillColor, 60)));
  SetCursorPos(1200, 1000);
}

TEST_F(LookShowcase, SwitchingOffGivesEveryControlItsOwnLookBack) {
  painter->SetActive(false);
  for (TWinControl* c : All()) c->Perform(WM_NULL);
  for (TControl* c : All()) EXPECT_FALSE(IsSubClassMethod(c->WindowProc)) << c->ClassName();
  EXPECT_EQ(rich->BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_TRUE(memo->Ctl3D());
  EXPECT_TRUE(tree->Ctl3D());
  EXPECT_TRUE(GetWindowLongPtrA(tree->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

}  // namespace
}  // namespace qv
