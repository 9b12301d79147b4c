// The flat push button against real GDI: the window's pixels are read back after
// each mouse event, driven by messages sent to the button.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "framework/Forms.h"
#include "framework/TypInfo.h"
#include "look/FlatButton.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

const COLORREF kFace = RGB(231, 223, 173), kBorder = RGB(153, 143, 130),
               kWhite = RGB(255, 255, 255);
// Hover and pressed faces differ here, so that every check tells the two states apart.
const COLORREF kDown = RGB(216, 190, 10), kOver = RGB(120, 200, 90), kLight = RGB(248, 244, 237), kDark = RGB(79, 79, 79);

bool Blackish(COLORREF c) { return GetRValue(c) < 40 && GetGValue(c) < 40 && GetBValue(c) < 40; }
bool Reddish(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 80 && GetBValue(c) < 80; }

// The button's pixels as they are on screen now.
struct Shot {
  explicit Shot(TFlatButton& b) : bmp(b.Width(), b.Height()) {
    WindowDc dc(b.Handle());
    BitBlt(bmp.Canvas().Handle(), 0, 0, b.Width(), b.Height(), dc.get(), 0, 0, SRCCOPY);
  }
  COLORREF operator()(int x, int y) { return bmp.Canvas().Pixel(x, y); }
  // Bounding box of the interior pixels, from column `from` on, that are not `face`.
  RECT Ink(COLORREF face, int from = 1) {
    RECT r{1000, 1000, -1, -1};
    for (int y = 1; y < bmp.Height() - 1; ++y)
      for (int x = from; x < bmp.Width() - 1; ++x)
        if ((*this)(x, y) != face)
          r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                   std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
    return r;
  }
  int Count(bool (*pred)(COLORREF)) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) n += pred((*this)(x, y));
    return n;
  }
  TBitmap bmp;
};

// Raised: light top and left, dark right and bottom; sunken the other way round.
void ExpectBevel(Shot& s, COLORREF topLeft, COLORREF bottomRight) {
  for (auto [x, y] : {std::pair{0, 0}, {84, 0}, {0, 20}}) EXPECT_EQ(s(x, y), topLeft);
  for (auto [x, y] : {std::pair{85, 0}, {85, 21}, {0, 21}}) EXPECT_EQ(s(x, y), bottomRight);
}

SIZE TextSize(TFlatButton& b, const std::string& text) {
  TBitmap probe(1, 1);
  probe.Canvas().Font().Assign(b.Font());
  return probe.Canvas().TextExtent(text);
}

// The Settings dialog's "OK" button on a borderless form.
class FlatButton : public ::testing::Test {
 protected:
  FlatButton() : app(std::make_unique<TApplication>()) {
    SetCursorPos(1200, 1000);  // the real pointer stays off the button
    form = new TForm(app.get());
    form->BorderStyle = TFormBorderStyle::bsNone;
    form->SetBounds(50, 50, 240, 120);
    ok = new TFlatButton(form);
    ok->SetName("OkButton");
    ok->SetParent(form);
    ok->SetBounds(71, 36, 86, 22);
    ok->SetColor(11395047);
    ok->Font().SetHeight(-11);
    ok->SetCaption("OK");
    ok->SetColorOver(static_cast<TColor>(kOver));
    ok->OnClick = TNotifyEvent::Of<&FlatButton::Clicked>(this);
    ok->OnMouseDown = TMouseEvent::Of<&FlatButton::Pressed>(this);
    ok->OnMouseUp = TMouseEvent::Of<&FlatButton::Released>(this);
    form->Show();
    UpdateWindow(ok->Handle());
    test::Pump();
  }
  void Clicked(TObject*) {
    ++clicks;
    face_at_click = Shot(*ok)(1, 1);
  }
  void Pressed(TObject*, TMouseButton b, TShiftState, int x, int) { downs += b == mbLeft ? x : -1; }
  void Released(TObject*, TMouseButton, TShiftState, int, int) { ++ups; }
  // Puts the real pointer over a client point of the button (or far away).
  void PointerAt(int x, int y = 10) {
    POINT p{x, y};
    ClientToScreen(ok->Handle(), &p);
    SetCursorPos(p.x, p.y);
  }
  void PointerAway() { SetCursorPos(1200, 1000); }
  void Send(UINT msg, int x, int y = 10) {
    SendMessageA(ok->Handle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  }

  std::unique_ptr<TApplication> app;
  TForm* form;
  TFlatButton* ok;
  int clicks = 0, ups = 0, downs = 0;  // downs: sum of the x of left presses
  COLORREF face_at_click = CLR_INVALID;
};

TEST_F(FlatButton, RestsFlatAndRaisesItsBevelInTheHoverColoursOnlyWhileHovered) {
  auto* fresh = new TFlatButton(form);
  EXPECT_EQ(std::pair(fresh->Width(), fresh->Height()), std::pair(86, 22));
  fresh->SetName("VerivorButton9");
  fresh->SetParent(form);
  EXPECT_EQ(fresh->Caption(), "VerivorButton9");

  Shot rest(*ok);
  for (auto [x, y] : {std::pair{0, 0}, {85, 0}, {0, 21}, {85, 21}, {40, 0}, {0, 10}})
    EXPECT_EQ(rest(x, y), kBorder) << x << "," << y;
  EXPECT_EQ(rest(1, 1), kFace);
  EXPECT_EQ(rest(84, 20), kFace);
  const SIZE t = TextSize(*ok, "OK");
  const RECT ink = rest.Ink(kFace);
  EXPECT_GE(ink.left, 43 - t.cx / 2);
  EXPECT_LE(ink.right, 43 - t.cx / 2 + t.cx);
  EXPECT_GE(ink.top, 11 - t.cy / 2);
  EXPECT_GT(rest.Count(Blackish), 0);

  ok->Perform(CM_MOUSEENTER);
  Shot hover(*ok);
  EXPECT_EQ(hover(1, 1), kOver);
  ExpectBevel(hover, kLight, kDark);
  // A repaint from the system shows the rest state even under the mouse.
  InvalidateRect(ok->Handle(), nullptr, TRUE);
  UpdateWindow(ok->Handle());
  EXPECT_EQ(Shot(*ok)(0, 0), kBorder);
  ok->Perform(CM_MOUSEENTER);
  ok->Perform(CM_MOUSELEAVE);
  Shot left(*ok);
  EXPECT_EQ(left(1, 1), kFace);
  EXPECT_EQ(left(0, 0), kBorder);
}

TEST_F(FlatButton, PressingSinksTheOkButtonAndReleasingClicksBetweenRestAndHover) {
  const RECT restInk = Shot(*ok).Ink(kFace);
  Send(WM_LBUTTONDOWN, 40);
  EXPECT_EQ(downs, 40);
  Shot pressed(*ok);
  const RECT ink = pressed.Ink(kDown);
  EXPECT_EQ(ink.left, restInk.left + 1);
  EXPECT_EQ(ink.top, restInk.top + 1);
  EXPECT_EQ(ink.right, restInk.right + 1);
  EXPECT_EQ(ink.bottom, restInk.bottom + 1);
  for (int y = 1; y < 21; ++y)
    for (int x = 1; x < 85; ++x)
      if (x < ink.left || x >= ink.right || y < ink.top || y >= ink.bottom) {
        ASSERT_EQ(pressed(x, y), kDown) << x << "," << y;
      }
  ExpectBevel(pressed, kDark, kLight);

  PointerAt(40);
  Send(WM_LBUTTONUP, 40);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(face_at_click, kFace);  // the click came after the rest painting
  EXPECT_EQ(ups, 1);
  Shot after(*ok);
  EXPECT_EQ(after(1, 1), kOver);  // released with the pointer on the button: hover
  ExpectBevel(after, kLight, kDark);

  // A release inside the button while the pointer is elsewhere (a late
  // message): the click's rest painting stays.
  PointerAway();
  Send(WM_LBUTTONDOWN, 40);
  Send(WM_LBUTTONUP, 40);
  EXPECT_EQ(clicks, 2);
  Shot away(*ok);
  EXPECT_EQ(away(1, 1), kFace);
  EXPECT_EQ(away(0, 0), kBorder);

  // Pressed, the caption keeps the colour the hover painting gave it.
  ok->SetColorOverCaption(clRed);
  ok->Perform(CM_MOUSEENTER);
  Send(WM_LBUTTONDOWN, 40);
  Shot red(*ok);
  EXPECT_GT(red.Count(Reddish), 0);
  EXPECT_EQ(red.Count(Blackish), 0);
  Send(WM_LBUTTONUP, 40);
}

TEST_F(FlatButton, ReleasingOutsideRaisesNoClickAndKeepsThePressedLook) {
  Send(WM_LBUTTONDOWN, 40);
  Send(WM_LBUTTONUP, 150);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  Shot s(*ok);
  EXPECT_EQ(s(1, 1), kDown);
  ExpectBevel(s, kDark, kLight);
  ok->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(Shot(*ok)(1, 1), kFace);
}

TEST_F(FlatButton, DisabledLooksTheSameAndIgnoresHoverPressAndClick) {
  Shot enabled(*ok);
  auto expectRest = [&] {
    Shot now(*ok);
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 86; ++x) ASSERT_EQ(now(x, y), enabled(x, y)) << x << "," << y;
  };
  ok->SetEnabled(false);
  EXPECT_TRUE(IsWindowEnabled(ok->Handle()));
  ok->Repaint();
  expectRest();
  ok->Perform(CM_MOUSEENTER);
  expectRest();
  Send(WM_LBUTTONDOWN, 40);
  expectRest();
  Send(WM_LBUTTONUP, 40);
  expectRest();
  EXPECT_EQ(clicks + downs + ups, 0);

  // Hovered while enabled, then disabled: leaving still brings the rest colours back.
  ok->SetEnabled(true);
  ok->Perform(CM_MOUSEENTER);
  ok->SetEnabled(false);
  ok->Perform(CM_MOUSELEAVE);
  expectRest();
  // Other buttons do nothing even when enabled.
  ok->SetEnabled(true);
  SendMessageA(ok->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 10));
  SendMessageA(ok->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(40, 10));
  expectRest();
  EXPECT_EQ(downs, 0);
}

TEST_F(FlatButton, GlyphSitsLeftOfTheCaptionWithItsCornerColourTransparent) {
  // 8 x 6: a magenta first and last row (the corner colour), red between.
  TBitmap glyph(8, 6);
  glyph.Canvas().Brush().SetColor(clFuchsia);
  glyph.Canvas().FillRect(RECT{0, 0, 8, 6});
  glyph.Canvas().Brush().SetColor(clRed);
  glyph.Canvas().FillRect(RECT{0, 1, 8, 5});
  ok->SetGlyph(&glyph);
  glyph.SetSize(0, 0);  // the button keeps its own copy
  UpdateWindow(ok->Handle());
  const int tw = TextSize(*ok, "OK").cx;
  const int left = 43 - (8 + tw) / 2 - 1, right = 43 + 8 - (8 + tw) / 2;  // one wider
  auto expectGlyph = [](Shot& s, int left, int right, int top, COLORREF face) {
    for (int x = left; x < right; ++x) {
      EXPECT_EQ(s(x, top), face) << x;
      for (int y = top + 1; y < top + 5; ++y) EXPECT_EQ(s(x, y), RGB(255, 0, 0)) << x << "," << y;
      EXPECT_EQ(s(x, top + 5), face) << x;
    }
    EXPECT_EQ(s(left - 1, top + 2), face);
    EXPECT_EQ(s(right, top + 2), face);
  };
  Shot rest(*ok);
  expectGlyph(rest, left, right, 8, kFace);
  const RECT text = rest.Ink(kFace, right);
  EXPECT_GE(text.left, right + 4);
  EXPECT_LE(text.left, 43 + (8 - tw) / 2 + 4 + 2);

  Send(WM_LBUTTONDOWN, 40);  // moved, and the corner colour is now the pressed face
  Shot pressed(*ok);
  expectGlyph(pressed, left + 1, right + 1, 9, kDown);
  Send(WM_LBUTTONUP, 150);

  ok->SetShowCaption(false);  // the glyph alone, centred at its own width
  Shot alone(*ok);
  expectGlyph(alone, 39, 47, 8, kFace);
  EXPECT_EQ(alone.Count(Blackish), 0);
}

TEST_F(FlatButton, ColorAndCaptionRepaintAtOnceInTheRestStateEvenWhileHovered) {
  ok->Perform(CM_MOUSEENTER);
  ok->SetColor(clWhite);
  Shot white(*ok);
  EXPECT_EQ(white(1, 1), kWhite);
  EXPECT_EQ(white(0, 0), kBorder);
  ok->Perform(CM_MOUSEENTER);
  ok->SetCaption("Cancel all");
  Shot longer(*ok);
  EXPECT_EQ(longer(1, 1), kWhite);
  EXPECT_EQ(longer(0, 0), kBorder);
  EXPECT_LT(longer.Ink(kWhite).left, white.Ink(kWhite).left);
}

TEST_F(FlatButton, PublishesItsPropertiesForTheDesigns) {
  for (const char* name : {"Glyph", "ColorOverCaption", "ShowCaption", "OnMouseEnter", "Name"})
    EXPECT_NE(GetPropInfo(ok, name), nullptr) << name;
  TextToPropValue(ok, GetPropInfo(ok, "Enabled"), "FALSE");
  EXPECT_FALSE(ok->Enabled());
  SetOrdProp(ok, "ColorBorder", 704216);
  EXPECT_EQ(Shot(*ok)(0, 0), kDown);
}

}  // namespace
}  // namespace qv
