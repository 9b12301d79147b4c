// The painter's extras against real GDI and real windows: the gradient, menu-bar
// and control-bar painters on memory bitmaps, the flat popup frame on a popup
// window, the frame requests posted to the application window, and the manager
// taking over the controls of other forms.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/ChoiceCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "look/MenuPainter.h"
#include "look/PainterManager.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

class PainterManager : public ::testing::Test {
 protected:
  PainterManager() : app(std::make_unique<TApplication>()) {
    form = new TForm(app.get());
    form->SetBounds(400, 0, 200, 150);
  }
  ~PainterManager() override {
    app.reset();
    test::Pump();
  }

  // A painter made the way a form design makes it: registered by its after-load step.
  TMenuPainter* LoadPainter(TCustomForm* owner, TFlatContainers containers, TFlatControls controls,
                            bool active = true) {
    owner->BeginLoading();
    auto* p = new TMenuPainter(owner);
    p->SetFlatContainers(containers);
    p->SetFlatControls(controls);
    p->SetActive(active);
    owner->EndLoading();
    return p;
  }

  TForm* OtherForm(int tag = 0) {
    auto* f = new TForm(app.get());
    f->Tag = tag;
    f->SetBounds(0, 0, 300, 200);
    return f;
  }

  TCheckBox* AddCheckBox(TForm* owner, TWinControl* parent, int top = 10) {
    auto* box = new TCheckBox(owner);
    box->SetParent(parent);
    box->SetCaption("Check me");
    box->SetBounds(10, top, 120, 24);
    return box;
  }

  // Any message through the application window runs the manager's hook.
  void PokeApplication() {
    SendMessageA(app->Handle(), WM_NULL, 0, 0);
    test::Pump();
  }

  std::unique_ptr<TApplication> app;
  TForm* form;
};

// ---- painters on a canvas ----

TEST_F(PainterManager, GradientLightensFastAcrossTheIconZoneThenSlowlyUpToACap) {
  auto* p = new TMenuPainter(form);
  const TColor column = p->Palette().IconColumnColor;
  TBitmap b(80, 4);
  p->PaintGradient(b.Canvas(), RECT{0, 0, 79, 4}, false);
  // The left edge lies outside the icon zone; the zone (IconWidth 24) ends at x = 28.
  EXPECT_EQ(b.Canvas().Pixel(0, 1), Rgb(LightenColor(column, 1)));
  EXPECT_EQ(b.Canvas().Pixel(1, 1), Rgb(LightenColor(column, 4)));
  EXPECT_EQ(b.Canvas().Pixel(28, 1), Rgb(LightenColor(column, 85)));
  EXPECT_EQ(b.Canvas().Pixel(29, 1), Rgb(LightenColor(column, 86)));
  EXPECT_EQ(b.Canvas().Pixel(39, 3), Rgb(LightenColor(column, 96)));
  EXPECT_EQ(b.Canvas().Pixel(79, 0), Rgb(LightenColor(column, 96)));

  // Right to left the strips start at the right edge.
  TBitmap r(80, 4);
  p->PaintGradient(r.Canvas(), RECT{0, 0, 80, 4}, true);
  EXPECT_EQ(r.Canvas().Pixel(79, 1), Rgb(LightenColor(column, 3)));
  EXPECT_EQ(r.Canvas().Pixel(0, 1), Rgb(LightenColor(column, 96)));
}

TEST_F(PainterManager, GradientReplacesTheFlatItemBackgroundWhenSwitchedOn) {
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("Item");
  menu->Items().Add(item);
  auto* p = new TMenuPainter(form);
  p->SetActive(true);
  TBitmap plain(160, 23), shaded(160, 23);
  p->PaintMenuItem(*item, plain.Canvas(), RECT{4, 0, 154, 23}, false);
  p->SetGradient(true);
  p->PaintMenuItem(*item, shaded.Canvas(), RECT{4, 0, 154, 23}, false);
  const TColor column = p->Palette().IconColumnColor;
  EXPECT_EQ(plain.Canvas().Pixel(150, 2), Rgb(p->Palette().MenuBackColor));
  EXPECT_EQ(shaded.Canvas().Pixel(150, 2), Rgb(LightenColor(column, 96)));
  EXPECT_EQ(shaded.Canvas().Pixel(5, 2), Rgb(LightenColor(column, 4)));
}

TEST_F(PainterManager, BarItemHasAnOutlineAndAShadowThatDarkensInwards) {
  auto* p = new TMenuPainter(form);
  auto* item = new TMenuItem(form);
  const TColor bar = static_cast<TColor>(RGB(200, 200, 200));
  const auto& pal = p->Palette();
  TBitmap b(60, 20);
  p->PaintBarItem(item, b.Canvas(), RECT{0, 0, 60, 20}, bar, false);
  EXPECT_EQ(b.Canvas().Pixel(0, 5), Rgb(pal.HighlightBorderColor));
  EXPECT_EQ(b.Canvas().Pixel(52, 5), Rgb(pal.HighlightBorderColor));
  EXPECT_EQ(b.Canvas().Pixel(20, 10), Rgb(pal.HighlightFillColor));
  EXPECT_EQ(b.Canvas().Pixel(59, 1), Rgb(DarkenColor(bar, 10)));
  EXPECT_EQ(b.Canvas().Pixel(57, 4), Rgb(DarkenColor(bar, 30)));
  EXPECT_EQ(b.Canvas().Pixel(56, 6), Rgb(DarkenColor(bar, 60)));

  // Other senders (and right to left) get the plain 2-pixel shade.
  TBitmap c(60, 20);
  p->PaintBarItem(nullptr, c.Canvas(), RECT{0, 0, 60, 20}, bar, false);
  EXPECT_EQ(c.Canvas().Pixel(57, 5), Rgb(pal.HighlightBorderColor));
  EXPECT_EQ(c.Canvas().Pixel(59, 1), Rgb(bar));
  EXPECT_EQ(c.Canvas().Pixel(59, 10), Rgb(DarkenColor(bar, 70)));
}

TEST_F(PainterManager, ControlBarBandIsFilledWithADottedGripAndNoOptions) {
  auto* p = new TMenuPainter(form);
  auto* bar = new TPanel(form);
  bar->SetColor(static_cast<TColor>(RGB(180, 190, 200)));
  TBitmap b(40, 30);
  RECT band{0, 0, 40, 30};
  TBandPaintOptions options = bpoGrabber | bpoFrame;
  p->PaintControlBarBand(bar, nullptr, b.Canvas(), band, options);
  EXPECT_EQ(options, 0u);
  EXPECT_EQ(b.Canvas().Pixel(20, 15), Rgb(LightenColor(bar->Color(), 6)));
  // Even rows from y = 6 carry a 3-pixel dash at x = 3..5, each darker than the last.
  EXPECT_EQ(b.Canvas().Pixel(4, 6), Rgb(DarkenColor(bar->Color(), 30)));
  EXPECT_EQ(b.Canvas().Pixel(4, 8), Rgb(DarkenColor(bar->Color(), 37)));
  EXPECT_EQ(b.Canvas().Pixel(4, 7), Rgb(LightenColor(bar->Color(), 6)));
  EXPECT_EQ(b.Canvas().Pixel(6, 6), Rgb(LightenColor(bar->Color(), 6)));
}

// ---- the popup frame ----

LRESULT CALLBACK WhiteProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(wnd, &ps);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wparam, lparam);
}

// A plain white popup standing in for a menu window.
HWND MakePopup(int x, int y, int w, int h) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WhiteProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvTestPopup";
    RegisterClassA(&wc);
    registered = true;
  }
  HWND wnd = CreateWindowExA(WS_EX_TOPMOST, "QvTestPopup", "", WS_POPUP, x, y, w, h, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  UpdateWindow(wnd);
  test::Pump();
  return wnd;
}

COLORREF WindowPixel(HWND wnd, int x, int y) {
  HDC dc = GetWindowDC(wnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(wnd, dc);
  return c;
}

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }

TEST_F(PainterManager, PopupFrameOnNewerWindowsLeavesShadowAndRegionToTheSystem) {
  auto* p = new TMenuPainter(form);
  // Wine, like every Windows from XP on, reports NT 5.1 or later: the menu has
  // the system's own shadow already.
  ASSERT_TRUE(p->IsWinXP());
  HWND popup = MakePopup(620, 300, 100, 80);
  p->PaintPopupFrame(popup, false);
  EXPECT_EQ(ProcOf(popup), &WhiteProc) << "nothing happens while FlatMenu is off";

  p->SetFlatMenu(true);
  p->PaintPopupFrame(popup, false);
  ASSERT_TRUE(HasPopupFrame(popup));
  const auto& pal = p->Palette();
  EXPECT_EQ(WindowPixel(popup, 0, 40), Rgb(pal.FrameColor));
  EXPECT_EQ(WindowPixel(popup, 50, 0), Rgb(pal.FrameColor));
  EXPECT_EQ(WindowPixel(popup, 99, 40), Rgb(pal.FrameColor)) << "no second shadow";
  EXPECT_EQ(WindowPixel(popup, 50, 79), Rgb(pal.FrameColor));
  EXPECT_EQ(WindowPixel(popup, 1, 40), Rgb(pal.IconColumnColor));
  EXPECT_EQ(WindowPixel(popup, 97, 40), Rgb(pal.MenuBackColor)) << "the right edge is closed";
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(popup, rgn), ERROR) << "no corners cut";

  // Hiding gives the window its own procedure back.
  ShowWindow(popup, SW_HIDE);
  EXPECT_FALSE(HasPopupFrame(popup));
  EXPECT_EQ(ProcOf(popup), &WhiteProc);
  DeleteObject(rgn);
  DestroyWindow(popup);
  EXPECT_FALSE(p->FramePainting());
}

TEST_F(PainterManager, RightToLeftFrameContinuesTheColumnAtTheRight) {
  auto* p = new TMenuPainter(form);
  p->SetFlatMenu(true);
  HWND popup = MakePopup(620, 300, 100, 80);
  p->PaintPopupFrame(popup, true);
  EXPECT_EQ(WindowPixel(popup, 97, 10), Rgb(p->Palette().IconColumnColor));
  // The strip that closes the system's edge goes to the side the column is not on.
  EXPECT_EQ(WindowPixel(popup, 1, 40), Rgb(p->Palette().MenuBackColor));
  EXPECT_EQ(WindowPixel(popup, 2, 40), Rgb(p->Palette().MenuBackColor));
  EXPECT_TRUE(HasPopupFrame(popup));
  DestroyWindow(popup);
}

class PainterManagerFrame : public PainterManager {
 protected:
  PainterManagerFrame() {
    menu = new TPopupMenu(form);
    item = new TMenuItem(form);
    item->SetCaption("Item");
    menu->Items().Add(item);
    painter = LoadPainter(form, 0, FlatBit(xcPopupMenu));
    painter->SetFlatMenu(true);
  }
  int Queued(UINT msg, LPARAM* lparam = nullptr) {
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, app->Handle(), msg, msg, PM_REMOVE)) {
      ++n;
      if (lparam) *lparam = m.lParam;
    }
    return n;
  }
  TPopupMenu* menu;
  TMenuItem* item;
  TMenuPainter* painter;
};

TEST_F(PainterManagerFrame, ItemPaintedOffScreenAsksOnceByItem) {
  TBitmap target(160, 23);
  painter->PaintMenuItem(*item, target.Canvas(), RECT{4, 0, 154, 23}, false);
  painter->PaintMenuItem(*item, target.Canvas(), RECT{4, 0, 154, 23}, true);
  LPARAM lp = 0;
  EXPECT_EQ(Queued(MPM_FRAME_BY_ITEM, &lp), 1);
  EXPECT_EQ(lp, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(Queued(MPM_FRAME_BY_WINDOW), 0);

  painter->SetFlatMenu(false);
  painter->PaintMenuItem(*item, target.Canvas(), RECT{4, 0, 154, 23}, false);
  EXPECT_EQ(Queued(MPM_FRAME_BY_ITEM), 0);
}

TEST_F(PainterManagerFrame, ItemPaintedOnAWindowGetsThatWindowFramedThroughTheHook) {
  HWND popup = MakePopup(620, 300, 120, 60);
  {
    HDC dc = GetDC(popup);
    TCanvas canvas;
    canvas.SetHandle(dc);
    painter->PaintMenuItem(*item, canvas, RECT{4, 2, 110, 25}, false);
    canvas.SetHandle(nullptr);
    ReleaseDC(popup, dc);
  }
  MSG m;
  ASSERT_TRUE(
      PeekMessageA(&m, app->Handle(), MPM_FRAME_BY_WINDOW, MPM_FRAME_BY_WINDOW, PM_NOREMOVE));
  EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(popup));
  EXPECT_EQ(m.wParam, 0u);
  ASSERT_EQ(TMenuPainterManager::Instance()->ActivePainter(), painter);
  test::Pump();
  EXPECT_TRUE(HasPopupFrame(popup));
  EXPECT_EQ(WindowPixel(popup, 0, 30), Rgb(painter->Palette().FrameColor));
  DestroyWindow(popup);
}

TEST_F(PainterManagerFrame, ARequestIsAnsweredByThePainterThatPostedIt) {
  // A second painter on another form, not the one taking over controls, with
  // an icon column of its own colour.
  auto* other = OtherForm();
  auto* otherMenu = new TPopupMenu(other);
  auto* otherItem = new TMenuItem(other);
  otherItem->SetCaption("Other");
  otherMenu->Items().Add(otherItem);
  auto* second = LoadPainter(other, 0, FlatBit(xcPopupMenu));
  second->SetFlatMenu(true);
  second->SetUseSystemColors(false);
  second->SetIconBackColor(static_cast<TColor>(RGB(200, 40, 40)));
  ASSERT_EQ(TMenuPainterManager::Instance()->ActivePainter(), painter);

  HWND popup = MakePopup(620, 300, 120, 60);
  {
    HDC dc = GetDC(popup);
    TCanvas canvas;
    canvas.SetHandle(dc);
    second->PaintMenuItem(*otherItem, canvas, RECT{4, 2, 110, 25}, false);
    canvas.SetHandle(nullptr);
    ReleaseDC(popup, dc);
  }
  test::Pump();
  ASSERT_TRUE(HasPopupFrame(popup));
  EXPECT_EQ(WindowPixel(popup, 1, 40), RGB(200, 40, 40));
  DestroyWindow(popup);

  // A request by item remembers its painter until the request comes through.
  TBitmap offScreen(160, 23);
  second->PaintMenuItem(*otherItem, offScreen.Canvas(), RECT{4, 0, 154, 23}, false);
  EXPECT_EQ(TMenuPainterManager::Instance()->FrameRequester(), second);
  test::Pump();
  EXPECT_EQ(TMenuPainterManager::Instance()->FrameRequester(), nullptr);
}

// A real popup menu: the items ask for the frame while the menu is open, and
// the frame is drawn before the menu closes.
struct MenuProbe {
  static inline HWND menuWindow = nullptr;
  static inline bool framedWhileOpen = false;
  static inline bool framedFirst = false;
  static inline TMenuItem* item = nullptr;
  static inline int ticks = 0;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND w = FindWindowA("#32768", nullptr);
    if (++ticks == 3 && w) {
      framedFirst = HasPopupFrame(w);
      // Ask by item too: the manager finds the item's window itself.
      RemovePopupFrame(w);
      PostMessageA(Application->Handle(), MPM_FRAME_BY_ITEM, 0, reinterpret_cast<LPARAM>(item));
    }
    if (ticks < 6) return;
    menuWindow = w;
    if (w) framedWhileOpen = HasPopupFrame(w);
    KillTimer(nullptr, id);
    EndMenu();
  }
};

TEST_F(PainterManagerFrame, OpenPopupMenuIsFramedByWindowAndByItem) {
  menu->OwnerDraw = true;
  MenuProbe::item = item;
  MenuProbe::ticks = 0;
  MenuProbe::menuWindow = nullptr;
  MenuProbe::framedWhileOpen = false;
  MenuProbe::framedFirst = false;
  SetTimer(nullptr, 0, 100, &MenuProbe::Tick);
  menu->Popup(300, 300);
  ASSERT_NE(MenuProbe::menuWindow, nullptr) << "the menu did not show";
  EXPECT_TRUE(MenuProbe::framedFirst) << "asked for by the menu window";
  EXPECT_TRUE(MenuProbe::framedWhileOpen) << "asked for by the item";
}

// ---- the manager ----

TEST_F(PainterManager, ManagerLivesFromTheFirstPainterToTheLast) {
  EXPECT_EQ(TMenuPainterManager::Instance(), nullptr);
  auto* a = LoadPainter(form, 0, 0);
  auto* other = OtherForm();
  auto* b = LoadPainter(other, 0, 0);
  auto* manager = TMenuPainterManager::Instance();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->Painters(), (std::vector<TMenuPainter*>{a, b}));
  EXPECT_EQ(manager->ActivePainter(), a);
  EXPECT_EQ(manager->HookedForms(), (std::vector<TCustomForm*>{form, other}));
  a->Free();
  EXPECT_EQ(manager->ActivePainter(), b) << "the role passes to the next active painter";
  EXPECT_EQ(manager->Painters(), (std::vector<TMenuPainter*>{b}));
  other->Free();
  EXPECT_EQ(TMenuPainterManager::Instance(), nullptr);
}

TEST_F(PainterManager, APainterBeingDesignedNeedsNoManager) {
  form->SetDesigning(true);
  auto* p = new TMenuPainter(form);
  EXPECT_EQ(TMenuPainterManager::Instance(), nullptr);
  p->Free();
  form->SetDesigning(false);
}

TEST_F(PainterManager, FormsOwnedByOtherFormsAreTakenOverToo) {
  auto* owner = OtherForm();
  auto* child = new TForm(owner);
  child->SetBounds(0, 0, 200, 100);
  auto* loose = new TForm(nullptr);
  loose->SetBounds(0, 0, 200, 100);
  auto* childBox = AddCheckBox(child, child);
  auto* looseBox = AddCheckBox(loose, loose);
  LoadPainter(form, FlatBit(xccForm), FlatBit(xcCheckBox));
  PokeApplication();
  EXPECT_TRUE(IsSubClassMethod(childBox->WindowProc));
  EXPECT_TRUE(IsSubClassMethod(looseBox->WindowProc));
  loose->Free();
}

TEST_F(PainterManager, InactiveOrDisabledPaintersAreNotChosen) {
  auto* a = LoadPainter(form, 0, 0, false);
  auto* b = LoadPainter(OtherForm(), 0, 0);
  b->SetDisableSubclassing(true);
  auto* manager = TMenuPainterManager::Instance();
  EXPECT_EQ(manager->ActivePainter(), nullptr);
  EXPECT_EQ(manager->FindPainter(nullptr), nullptr);
  a->SetActive(true);
  a->SetDisableSubclassing(false);  // lets the manager look again
  EXPECT_EQ(manager->ActivePainter(), a);
  EXPECT_EQ(manager->FindPainter(a), nullptr);
}

TEST_F(PainterManager, WithTheProgramsSettingsNoControlIsTakenOver) {
  auto* other = OtherForm();
  auto* box = AddCheckBox(other, other);
  auto* own = AddCheckBox(form, form);
  LoadPainter(form, 0, FlatBit(xcPopupMenu) | FlatBit(xcCheckBox));
  other->Show();
  PokeApplication();
  EXPECT_FALSE(IsSubClassMethod(box->WindowProc));
  EXPECT_FALSE(IsSubClassMethod(own->WindowProc));
  EXPECT_EQ(TMenuPainterManager::Instance()->HookedForms().size(), 2u);
}

TEST_F(PainterManager, OtherFormsAreTakenOverAtTheNextApplicationMessage) {
  auto* early = OtherForm();
  auto* earlyBox = AddCheckBox(early, early);
  auto* skipped = OtherForm(kKeepOwnLookTag);
  auto* skippedBox = AddCheckBox(skipped, skipped);
  auto* painter = LoadPainter(form, FlatBit(xccForm), FlatBit(xcCheckBox));
  auto* manager = TMenuPainterManager::Instance();
  EXPECT_EQ(manager->PendingForms(), (std::vector<TCustomForm*>{early}));
  PokeApplication();
  EXPECT_TRUE(manager->PendingForms().empty());
  EXPECT_TRUE(IsSubClassMethod(earlyBox->WindowProc));
  EXPECT_FALSE(IsSubClassMethod(skippedBox->WindowProc));

  // A form made later is found too; a control or parent tagged 999 keeps its look.
  auto* late = OtherForm();
  auto* lateBox = AddCheckBox(late, late);
  auto* tagged = AddCheckBox(late, late, 40);
  tagged->Tag = kKeepOwnLookTag;
  auto* panel = new TPanel(late);
  panel->SetParent(late);
  panel->SetBounds(0, 80, 200, 60);
  panel->Tag = kKeepOwnLookTag;
  auto* onPanel = AddCheckBox(late, panel);
  painter->SetFlatContainers(FlatBit(xccForm) | FlatBit(xccPanel));
  PokeApplication();
  EXPECT_TRUE(IsSubClassMethod(lateBox->WindowProc));
  EXPECT_FALSE(IsSubClassMethod(tagged->WindowProc));
  EXPECT_FALSE(IsSubClassMethod(onPanel->WindowProc));

  // A freed form leaves the lists; the others stay.
  auto hooked = [&](TCustomForm* f) {
    const auto forms = manager->HookedForms();
    return std::find(forms.begin(), forms.end(), f) != forms.end();
  };
  ASSERT_TRUE(hooked(late));
  late->Free();
  EXPECT_FALSE(hooked(late));
  EXPECT_TRUE(hooked(early));
}

// The flat check box, read back from the screen.
class PainterManagerCheckBox : public PainterManager {
 protected:
  PainterManagerCheckBox() {
    other = OtherForm();
    box = AddCheckBox(other, other);
    // Records what reaches the control behind the subclass.
    spy.saved = box->WindowProc;
    box->WindowProc = TWndMethod::Of<&Spy::Proc>(&spy);
    painter = LoadPainter(form, FlatBit(xccForm), FlatBit(xcCheckBox));
    other->Show();
    PokeApplication();
    box->Repaint();
    test::Pump();
    const int s = GetSystemMetrics(SM_CXHTHUMB);
    RECT b{0, 3, 0, 24 - 3};
    b.top += (b.bottom - b.top - s) / 2;
    b.bottom = b.top + s;
    b.right = b.left + s - 1;
    InflateRect(&b, -2, -2);
    boxRect = b;
  }
  struct Spy {
    TWndMethod saved;
    std::vector<TMessage> seen;
    void Proc(TMessage& m) {
      seen.push_back(m);
      saved(m);
    }
  };
  COLORREF At(int x, int y) {
    HDC dc = GetDC(box->Handle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(box->Handle(), dc);
    return c;
  }
  COLORREF Fill() { return At(boxRect.left + 3, boxRect.top + 2); }
  COLORREF Outline() { return At(boxRect.left, boxRect.top + 4); }
  TForm* other;
  TCheckBox* box;
  Spy spy;
  TMenuPainter* painter;
  RECT boxRect;
};

TEST_F(PainterManagerCheckBox, BoxFollowsHoverPressAndFocus) {
  ASSERT_TRUE(IsSubClassMethod(box->WindowProc));
  const auto& p = painter->Palette();
  EXPECT_EQ(Fill(), Rgb(clWindow));
  EXPECT_EQ(Outline(), Rgb(clBtnShadow));
  // The system's own box is erased in the control's colour left of ours.
  EXPECT_EQ(At(boxRect.left - 1, boxRect.top + 4), Rgb(box->Color()));

  box->Perform(CM_MOUSEENTER);
  EXPECT_EQ(Fill(), Rgb(p.HighlightFillColor));
  EXPECT_EQ(Outline(), Rgb(p.HighlightBorderColor));
  box->Perform(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(Fill(), Rgb(p.CheckFillHotColor));
  box->Perform(WM_KEYUP, VK_SPACE);
  box->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(Fill(), Rgb(clWindow));
}

TEST_F(PainterManagerCheckBox, TickIsHighlightColouredAndGreyWhenDisabled) {
  box->SetChecked(true);
  test::Pump();
  box->Repaint();
  // First stroke of the tick: (L + 2, B - 5) to (L + 4, B - 3).
  const int x = boxRect.left + 3, y = boxRect.bottom - 4;
  EXPECT_EQ(At(x, y), Rgb(clHighlight));
  EXPECT_EQ(At(x, y - 2), Rgb(clHighlight)) << "three pixels thick";
  box->Perform(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(At(x, y), Rgb(clWindow));
  box->Perform(WM_KEYUP, VK_SPACE);
  box->SetChecked(true);  // the space bar clicked it
  box->SetEnabled(false);
  box->Repaint();
  test::Pump();
  box->Repaint();
  EXPECT_EQ(At(x, y), Rgb(painter->Palette().DisabledTextColor));
}

TEST_F(PainterManagerCheckBox, GrayedIsSilverWithAGreyTickEvenUnderTheMouse) {
  box->SetState(TCheckBoxState::cbGrayed);
  test::Pump();
  box->Perform(CM_MOUSEENTER);
  EXPECT_EQ(Fill(), RGB(192, 192, 192));
  EXPECT_EQ(Outline(), Rgb(painter->Palette().HighlightBorderColor));
  EXPECT_EQ(At(boxRect.left + 3, boxRect.bottom - 4), RGB(128, 128, 128));
  box->Perform(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(Fill(), RGB(192, 192, 192)) << "silver wins over the pressed fill";
  EXPECT_EQ(At(boxRect.left + 3, boxRect.bottom - 4), Rgb(clWindow));
  box->Perform(WM_KEYUP, VK_SPACE);
}

TEST_F(PainterManagerCheckBox, LeftJustifiedBoxGoesToTheRightEdge) {
  auto* right = new TCheckBox(other);
  right->Alignment = TAlignment::taLeftJustify;
  right->SetParent(other);
  right->SetCaption("Caption first");
  right->SetBounds(10, 60, 120, 24);
  painter->HookComponent(right, true, true);
  ASSERT_TRUE(IsSubClassMethod(right->WindowProc));
  right->Repaint();
  const int s = GetSystemMetrics(SM_CXHTHUMB);
  HDC dc = GetDC(right->Handle());
  // The outline's left side: the box is s wide ending at the right edge, less 2.
  EXPECT_EQ(GetPixel(dc, 120 - s + 1 + 2, boxRect.top + 4), Rgb(clBtnShadow));
  EXPECT_EQ(GetPixel(dc, 118 - 1, boxRect.top + 4), Rgb(clBtnShadow));
  EXPECT_NE(GetPixel(dc, boxRect.left, boxRect.top + 4), Rgb(clBtnShadow));
  ReleaseDC(right->Handle(), dc);
}

TEST_F(PainterManagerCheckBox, HeldSpaceIsSeenOnceAndReleaseClearsIt) {
  auto* sub = static_cast<const TControlSubClass*>(box->WindowProc.Object());
  box->Perform(WM_KEYDOWN, VK_SPACE);
  box->Perform(WM_KEYDOWN, VK_SPACE);  // auto-repeat
  EXPECT_TRUE(sub->SpaceDown);
  EXPECT_TRUE(sub->SpaceSeen);
  EXPECT_EQ(Fill(), Rgb(painter->Palette().CheckFillHotColor));
  box->Perform(WM_KEYUP, VK_SPACE);
  EXPECT_FALSE(sub->SpaceDown);
  EXPECT_FALSE(sub->SpaceSeen);
  EXPECT_NE(Fill(), Rgb(painter->Palette().CheckFillHotColor));
}

TEST_F(PainterManagerCheckBox, DoubleClickIsFollowedByOneMoreButtonDown) {
  spy.seen.clear();
  const LPARAM at = MAKELPARAM(5, 6);
  SendMessageA(box->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(box->Handle(), WM_LBUTTONUP, 0, at);
  ReleaseCapture();
  std::vector<UINT> clicks;
  for (const TMessage& m : spy.seen)
    if (m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_LBUTTONDOWN) {
      clicks.push_back(m.Msg);
      EXPECT_EQ(m.LParam, at);
      EXPECT_EQ(m.WParam, static_cast<WPARAM>(MK_LBUTTON));
    }
  EXPECT_EQ(clicks, (std::vector<UINT>{WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
}

TEST_F(PainterManagerCheckBox, SwitchingThePainterOffRestoresAtTheNextMessage) {
  painter->SetActive(false);
  EXPECT_TRUE(IsSubClassMethod(box->WindowProc)) << "nothing changes until a message comes";
  box->Perform(WM_NULL);
  EXPECT_EQ(box->WindowProc, TWndMethod::Of<&Spy::Proc>(&spy));
  int owned = 0;
  for (int i = 0; i < painter->ComponentCount(); ++i)
    owned += dynamic_cast<TControlSubClass*>(painter->Components(i)) != nullptr;
  EXPECT_EQ(owned, 0);
}

TEST_F(PainterManagerCheckBox, TheMessageThatRemovesTheHookKeepsItsAnswer) {
  painter->SetActive(false);
  char text[32] = {};
  const LRESULT n =
      SendMessageA(box->Handle(), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  EXPECT_FALSE(IsSubClassMethod(box->WindowProc));
  EXPECT_EQ(n, 8);
  EXPECT_STREQ(text, "Check me");
}

TEST_F(PainterManagerCheckBox, FreeingThePainterGivesTheControlItsProcedureBack) {
  painter->Free();
  EXPECT_EQ(box->WindowProc, TWndMethod::Of<&Spy::Proc>(&spy));
  EXPECT_EQ(TMenuPainterManager::Instance(), nullptr);
}

TEST_F(PainterManagerCheckBox, FreeingTheControlFirstLeavesNothingBehind) {
  box->Free();
  int owned = 0;
  for (int i = 0; i < painter->ComponentCount(); ++i)
    owned += dynamic_cast<TControlSubClass*>(painter->Components(i)) != nullptr;
  EXPECT_EQ(owned, 0);
}

TEST_F(PainterManagerCheckBox, SubclassingMovesToTheNextPainterWhenTheActiveOneGoes) {
  auto* third = OtherForm();
  auto* next = LoadPainter(third, FlatBit(xccForm), FlatBit(xcCheckBox));
  auto* manager = TMenuPainterManager::Instance();
  ASSERT_EQ(manager->ActivePainter(), painter);
  painter->Free();
  EXPECT_EQ(manager->ActivePainter(), next);
  ASSERT_TRUE(IsSubClassMethod(box->WindowProc));
  auto* holder = static_cast<const TControlSubClass*>(box->WindowProc.Object());
  EXPECT_EQ(holder->Owner(), next);
  next->Free();
  EXPECT_EQ(box->WindowProc, TWndMethod::Of<&Spy::Proc>(&spy));
}

TEST_F(PainterManagerCheckBox, WithNoPainterLeftTheOtherFormsAreReleased) {
  app->SetMainForm(form);
  auto* manager = TMenuPainterManager::Instance();
  painter->SetDisableSubclassing(true);
  EXPECT_EQ(manager->ActivePainter(), nullptr);
  EXPECT_TRUE(manager->HookedForms().empty());
  EXPECT_EQ(box->WindowProc, TWndMethod::Of<&Spy::Proc>(&spy));
}

TEST_F(PainterManager, ListBoxAndEditGetAOnePixelBorder) {
  auto* other = OtherForm();
  auto* list = new TListBox(other);
  list->SetParent(other);
  list->SetBounds(10, 10, 100, 80);
  auto* edit = new TEdit(other);
  edit->SetParent(other);
  edit->SetBounds(10, 100, 100, 22);
  auto* painter = LoadPainter(form, FlatBit(xccForm), FlatBit(xcListBox) | FlatBit(xcEdit));
  other->Show();
  PokeApplication();
  ASSERT_TRUE(IsSubClassMethod(list->WindowProc));
  ASSERT_TRUE(IsSubClassMethod(edit->WindowProc));
  list->Repaint();
  edit->Repaint();
  test::Pump();
  const COLORREF rest = Rgb(DarkenColor(other->Color(), 60));
  EXPECT_EQ(WindowPixel(list->Handle(), 0, 40), rest);
  EXPECT_EQ(WindowPixel(list->Handle(), 99, 40), rest);
  HDC dc = GetDC(edit->Handle());
  EXPECT_EQ(GetPixel(dc, 0, 5), rest);
  ReleaseDC(edit->Handle(), dc);
  list->Perform(CM_MOUSEENTER);
  EXPECT_EQ(WindowPixel(list->Handle(), 0, 40),
            Rgb(LightenColor(painter->Palette().HighlightBorderColor, 60)));
}

TEST_F(PainterManager, EditsLoseTheir3DEdgeWhileTakenOverAndGetItBack) {
  auto* other = OtherForm();
  other->SetColor(static_cast<TColor>(RGB(100, 150, 200)));
  auto* edit = new TEdit(other);
  edit->SetParent(other);
  edit->SetBounds(10, 10, 100, 22);
  auto* bare = new TEdit(other);
  bare->SetBorderStyle(TBorderStyle::bsNone);
  bare->SetColor(static_cast<TColor>(RGB(250, 250, 250)));
  bare->SetParent(other);
  bare->SetBounds(10, 40, 100, 22);
  auto* list = new TListBox(other);
  list->SetParent(other);
  list->SetBounds(10, 70, 100, 60);
  auto* painter = LoadPainter(form, FlatBit(xccForm), FlatBit(xcEdit) | FlatBit(xcListBox));
  other->Show();
  PokeApplication();
  for (TWinControl* c : std::vector<TWinControl*>{edit, bare, list}) {
    c->Repaint();
    test::Pump();
    c->Repaint();
  }
  EXPECT_FALSE(edit->Ctl3D());
  EXPECT_FALSE(GetWindowLongPtrA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongPtrA(edit->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(list->Ctl3D());
  HDC dc = GetDC(bare->Handle());
  EXPECT_EQ(GetPixel(dc, 0, 5), RGB(250, 250, 250)) << "border-less at rest: its own colour";
  ReleaseDC(bare->Handle(), dc);
  bare->Perform(CM_MOUSEENTER);
  dc = GetDC(bare->Handle());
  // The average of (250, 250, 250) and (100, 150, 200), 40 percent lighter.
  EXPECT_EQ(GetPixel(dc, 0, 5), Rgb(LightenColor(static_cast<TColor>(RGB(175, 200, 225)), 40)));
  ReleaseDC(bare->Handle(), dc);

  painter->SetActive(false);
  for (TWinControl* c : std::vector<TWinControl*>{edit, bare, list}) c->Perform(WM_NULL);
  EXPECT_TRUE(edit->Ctl3D());
  EXPECT_TRUE(GetWindowLongPtrA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(list->Ctl3D());
  EXPECT_TRUE(GetWindowLongPtrA(list->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(bare->BorderStyle(), TBorderStyle::bsNone);
  EXPECT_FALSE(GetWindowLongPtrA(bare->Handle(), GWL_STYLE) & WS_BORDER);
}

TEST_F(PainterManager, ComboButtonFollowsTheReadingOrderAndSimpleCombosHaveNone) {
  auto* other = OtherForm();
  auto* rtl = new TComboBox(other);
  rtl->BiDiMode = TBiDiMode::bdRightToLeft;
  // No edit window of its own covering the left part.
  rtl->Style = TComboBoxStyle::csDropDownList;
  rtl->SetParent(other);
  rtl->SetBounds(10, 10, 120, 24);
  auto* simple = new TComboBox(other);
  simple->Style = TComboBoxStyle::csSimple;
  simple->SetParent(other);
  simple->SetBounds(10, 50, 120, 80);
  auto* painter = LoadPainter(form, FlatBit(xccForm), FlatBit(xcCombo));
  other->Show();
  PokeApplication();
  const COLORREF fill = Rgb(painter->Palette().HighlightFillColor);
  rtl->Perform(CM_MOUSEENTER);
  RECT r;
  GetClientRect(rtl->Handle(), &r);
  HDC dc = GetDC(rtl->Handle());
  EXPECT_EQ(GetPixel(dc, 4, 4), fill);
  EXPECT_NE(GetPixel(dc, r.right - 4, 4), fill);
  EXPECT_EQ(GetPixel(dc, 6, 10), RGB(0, 0, 0)) << "the arrow, 5 in from the left";
  ReleaseDC(rtl->Handle(), dc);

  simple->Perform(CM_MOUSEENTER);
  GetClientRect(simple->Handle(), &r);
  ASSERT_GT(r.right, 100);
  dc = GetDC(simple->Handle());
  for (int x = 2; x < r.right - 2; x += 6) EXPECT_NE(GetPixel(dc, x, 4), fill) << x;
  ReleaseDC(simple->Handle(), dc);
}

TEST_F(PainterManager, PanelBevelsAndComboButtonAreRedrawnFlat) {
  auto* other = OtherForm();
  auto* panel = new TPanel(other);
  panel->SetParent(other);
  panel->SetBounds(10, 10, 120, 60);
  panel->SetColor(static_cast<TColor>(RGB(160, 170, 180)));
  auto* combo = new TComboBox(other);
  combo->SetParent(other);
  combo->SetBounds(10, 100, 120, 24);
  auto* painter = LoadPainter(form, FlatBit(xccForm), FlatBit(xcPanel) | FlatBit(xcCombo));
  other->Show();
  PokeApplication();
  panel->Repaint();
  test::Pump();
  HDC dc = GetDC(panel->Handle());
  EXPECT_EQ(GetPixel(dc, 0, 30), Rgb(LightenColor(panel->Color(), 60)));
  EXPECT_EQ(GetPixel(dc, 119, 30), Rgb(DarkenColor(panel->Color(), 60)));
  EXPECT_NE(GetPixel(dc, 1, 30), Rgb(LightenColor(panel->Color(), 60)));
  ReleaseDC(panel->Handle(), dc);
  // A wider bevel is redrawn at its width.
  panel->BevelWidth = 2;
  panel->Repaint();
  test::Pump();
  dc = GetDC(panel->Handle());
  EXPECT_EQ(GetPixel(dc, 1, 30), Rgb(LightenColor(panel->Color(), 60)));
  EXPECT_EQ(GetPixel(dc, 118, 30), Rgb(DarkenColor(panel->Color(), 60)));
  ReleaseDC(panel->Handle(), dc);

  combo->Perform(CM_MOUSEENTER);
  RECT r;
  GetClientRect(combo->Handle(), &r);
  dc = GetDC(combo->Handle());
  EXPECT_EQ(GetPixel(dc, r.right - 4, 4), Rgb(painter->Palette().HighlightFillColor));
  EXPECT_EQ(GetPixel(dc, r.right - 10, 10), RGB(0, 0, 0)) << "the arrow";
  ReleaseDC(combo->Handle(), dc);
}

}  // namespace
}  // namespace qv
