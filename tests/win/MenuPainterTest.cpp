// The flat menu painter against real GDI: items are measured and painted into a
// memory bitmap through the handlers the menu calls, and the pixels read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "framework/Forms.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "look/MenuPainter.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

constexpr COLORREF kMarker = RGB(255, 0, 255);  // what the target shows where nothing was drawn
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr int kItemWidth = 150;

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

// A 16 x 16 picture: a blue 10 x 10 block on magenta, magenta being its transparent
// (bottom-left) colour.
void MakePicture(TBitmap& b) {
  b.SetSize(16, 16);
  b.Canvas().Brush().SetColor(static_cast<TColor>(kMarker));
  b.Canvas().FillRect(RECT{0, 0, 16, 16});
  b.Canvas().Brush().SetColor(static_cast<TColor>(kBlue));
  b.Canvas().FillRect(RECT{3, 3, 13, 13});
}

struct Ink {
  RECT box{10000, 10000, -1, -1};
  int count = 0;
};

class MenuPainter : public ::testing::Test {
 protected:
  MenuPainter() : app(std::make_unique<TApplication>()) {
    form = new TForm(app.get());
    menu = new TPopupMenu(form);
    painter = new TMenuPainter(form);
    // The main window's font.
    painter->Font().SetName("Tahoma");
    painter->Font().SetHeight(-11);
    painter->Font().SetColor(clMenuText);
  }

  TMenuItem* Add(const std::string& caption, TMenuItem* parent = nullptr) {
    auto* item = new TMenuItem(form);
    item->SetCaption(caption);
    (parent ? *parent : menu->Items()).Add(item);
    return item;
  }

  SIZE TextSize(const std::string& text) {
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(painter->Font());
    return probe.Canvas().TextExtent(text);
  }

  SIZE Measure(TMenuItem* item) {
    // What the menu window answers when the system asks.
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemData = reinterpret_cast<ULONG_PTR>(item);
    SendMessageA(menu->WindowHandle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    return SIZE{static_cast<LONG>(mis.itemWidth), static_cast<LONG>(mis.itemHeight)};
  }

  // Paints the item as the menu window does, at (4, 0) of a fresh target.
  void Paint(TMenuItem* item, bool selected, int height = 23) {
    area = RECT{4, 0, 4 + kItemWidth, height};
    target.SetSize(kItemWidth + 20, height + 6);
    target.Canvas().Brush().SetColor(static_cast<TColor>(kMarker));
    target.Canvas().FillRect(RECT{0, 0, target.Width(), target.Height()});
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemData = reinterpret_cast<ULONG_PTR>(item);
    dis.hDC = target.Canvas().Handle();
    dis.rcItem = area;
    dis.itemState = (selected ? ODS_SELECTED : 0) | (item->Enabled() ? 0 : ODS_GRAYED);
    SendMessageA(menu->WindowHandle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  }

  // Pixel at a position relative to the item's top-left corner.
  COLORREF At(int x, int y) { return target.Canvas().Pixel(area.left + x, area.top + y); }

  // Pixels (relative to the item) in [from, to) columns that are not `background`.
  Ink InkOf(COLORREF background, int from, int to) {
    Ink ink;
    for (int y = 0; y < area.bottom - area.top; ++y)
      for (int x = from; x < to; ++x)
        if (At(x, y) != background) {
          ++ink.count;
          ink.box =
              RECT{std::min<LONG>(ink.box.left, x), std::min<LONG>(ink.box.top, y),
                   std::max<LONG>(ink.box.right, x + 1), std::max<LONG>(ink.box.bottom, y + 1)};
        }
    return ink;
  }
  int CountOf(COLORREF c) {
    int n = 0;
    for (int y = 0; y < area.bottom - area.top; ++y)
      for (int x = 0; x < kItemWidth; ++x) n += At(x, y) == c;
    return n;
  }

  const TMenuPainter::TPalette& P() { return painter->Palette(); }

  std::unique_ptr<TApplication> app;
  TForm* form;
  TPopupMenu* menu;
  TMenuPainter* painter;
  TBitmap target;
  RECT area{};
};

// The classic Windows scheme's button face and highlight for the test's length, so that
// the palette can be checked against values worked out by hand.
struct ClassicSystemColors {
  ClassicSystemColors() : saved{GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_HIGHLIGHT)} {
    Set({RGB(212, 208, 200), RGB(10, 36, 106)});
  }
  ~ClassicSystemColors() { Set(saved); }
  static void Set(std::array<COLORREF, 2> colors) {
    const int which[] = {COLOR_BTNFACE, COLOR_HIGHLIGHT};
    SetSysColors(2, which, colors.data());
  }
  std::array<COLORREF, 2> saved;
};

struct OwnHandlers {
  void Draw(TObject*, TCanvas&, RECT, bool) {}
  void Measure(TObject*, TCanvas&, int&, int&) {}
};

TEST_F(MenuPainter, ActiveHooksThePopupMenuAndGivesItBack) {
  TMenuItem* plain = Add("Plain");
  TMenuItem* keep = Add("Keep");
  keep->Tag = 999;
  TMenuItem* sub = Add("Sub", keep);
  TMenuItem* own = Add("Own");
  OwnHandlers handlers;
  const auto ownDraw = TMenuDrawItemEvent::Of<&OwnHandlers::Draw>(&handlers);
  own->OnDrawItem = ownDraw;
  const auto painterDraw = TMenuDrawItemEvent::Of<&TMenuPainter::DrawMenuItem>(painter);

  EXPECT_FALSE(painter->Active());
  EXPECT_FALSE(menu->OwnerDraw);
  painter->SetActive(true);
  EXPECT_TRUE(menu->OwnerDraw);
  EXPECT_TRUE(plain->OnDrawItem == painterDraw);
  EXPECT_TRUE(plain->OnMeasureItem);
  // A Tag of 999 keeps the item as it was, not its sub-items.
  EXPECT_FALSE(keep->OnDrawItem);
  EXPECT_TRUE(sub->OnDrawItem == painterDraw);
  // A handler of the form's own stays; the empty one is filled in.
  EXPECT_TRUE(own->OnDrawItem == ownDraw);
  EXPECT_TRUE(own->OnMeasureItem);

  painter->SetActive(false);
  EXPECT_FALSE(menu->OwnerDraw);
  EXPECT_FALSE(plain->OnDrawItem);
  EXPECT_FALSE(plain->OnMeasureItem);
  EXPECT_FALSE(sub->OnDrawItem);
  EXPECT_TRUE(own->OnDrawItem == ownDraw);

  // With the override the form's handler is replaced at the next hooking pass.
  painter->SetOverrideOwnerDraw(true);
  painter->SetActive(true);
  EXPECT_TRUE(own->OnDrawItem == painterDraw);
}

TEST_F(MenuPainter, FlatControlsWithoutPopupMenusUnhooksAtOnce) {
  TMenuItem* item = Add("Item");
  painter->SetActive(true);
  ASSERT_TRUE(item->OnDrawItem);
  painter->SetFlatControls(FlatBit(xcCheckBox));
  EXPECT_FALSE(menu->OwnerDraw);
  EXPECT_FALSE(item->OnDrawItem);
  EXPECT_TRUE(painter->Active());
  painter->SetFlatControls(FlatBit(xcPopupMenu) | FlatBit(xcCheckBox));
  EXPECT_TRUE(item->OnDrawItem);
}

TEST_F(MenuPainter, FreeingThePainterUnhooksAndTheOwnerMustBeAForm) {
  TMenuItem* item = Add("Item");
  painter->SetActive(true);
  painter->Free();
  EXPECT_FALSE(item->OnDrawItem);
  EXPECT_FALSE(item->OnMeasureItem);
  EXPECT_FALSE(menu->OwnerDraw);

  const int before = form->ComponentCount();
  EXPECT_THROW(new TMenuPainter(menu), EInvalidCast);
  EXPECT_THROW(new TMenuPainter(nullptr), EInvalidCast);
  EXPECT_EQ(form->ComponentCount(), before);
}

TEST_F(MenuPainter, CreatedValuesAndThePaletteFromSystemColours) {
  EXPECT_EQ(painter->DimLevel(), 30);
  EXPECT_EQ(painter->GrayLevel(), 10);
  EXPECT_EQ(painter->IconWidth(), 24);
  EXPECT_EQ(painter->FlatControls(), 0x7FFFFFu);
  EXPECT_EQ(painter->FlatContainers(), 0x3FFu);
  EXPECT_TRUE(painter->UseSystemColors());
  EXPECT_FALSE(painter->PaletteStale());
  ASSERT_TRUE(painter->HighColor());

  // Painted with a palette made under the classic colours: the face 86 percent of its
  // way to white behind the caption, 16 percent in the column; the highlight 68
  // percent lighter inside its own outline; the frame the face less 90 (green 88).
  ClassicSystemColors classic;
  painter->Free();
  painter = new TMenuPainter(form);
  TMenuItem* item = Add("Item");
  painter->SetActive(true);
  Paint(item, false);
  EXPECT_EQ(At(kItemWidth - 2, 10), RGB(249, 248, 247));
  EXPECT_EQ(At(10, 10), RGB(219, 216, 209));
  Paint(item, true);
  EXPECT_EQ(At(100, 10), RGB(177, 185, 207));
  EXPECT_EQ(At(100, 1), RGB(10, 36, 106));
  EXPECT_EQ(Rgb(P().FrameColor), RGB(122, 120, 110));

  // Switching the system colours off alone changes nothing until a colour is set.
  painter->SetUseSystemColors(false);
  EXPECT_FALSE(painter->PaletteStale());
  EXPECT_EQ(Rgb(P().MenuBackColor), RGB(249, 248, 247));
  painter->SetColor(clRed);
  painter->SetSelectColor(RGBColor(0, 0, 200));
  painter->SetUseDimColor(true);
  EXPECT_TRUE(painter->PaletteStale());
  Paint(item, false);  // the next item painted refreshes the palette
  EXPECT_FALSE(painter->PaletteStale());
  EXPECT_EQ(At(kItemWidth - 2, 10), RGB(255, 0, 0));
  // 68 and 50 percent of the way to white, halves rounded to even (127.5 to 128).
  EXPECT_EQ(Rgb(P().HighlightFillColor), RGB(173, 173, 237));
  EXPECT_EQ(Rgb(P().CheckFillHotColor), RGB(128, 128, 228));
}

TEST_F(MenuPainter, MeasuresCaptionShortcutIconAndSeparator) {
  TMenuItem* plain = Add(" Caching");
  TMenuItem* withPicture = Add("Save Vavad");
  MakePicture(withPicture->Bitmap());
  TMenuItem* accel = Add("&Open");
  TMenuItem* shortcut = Add("Save");
  shortcut->ShortCut = scCtrl | 'S';
  TMenuItem* line = Add("-");
  TMenuItem* notLine = Add("--");
  TMenuItem* parent = Add("More");
  Add("Child", parent);

  int w = 3, h0 = 4;
  painter->MeasureMenuItem(plain, target.Canvas(), w, h0);  // inactive: nothing measured
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h0, 4);
  painter->SetActive(true);

  // Tahoma 8 pt, which Wine ships, is 13 pixels high at 96 DPI: the item is 13 plus
  // 0.75 of 13 (9.75, so 10) high, above the picture's least of 16 + 6.
  const SIZE text = TextSize(" Caching");
  ASSERT_EQ(text.cy, 13);
  EXPECT_EQ(Measure(plain).cx, text.cx + 5 + 24);
  EXPECT_EQ(Measure(plain).cy, 23);
  EXPECT_EQ(Measure(withPicture).cy, 23);
  EXPECT_EQ(Measure(accel).cx, TextSize("&Open").cx - TextSize("&").cx + 5 + 24);
  EXPECT_EQ(Measure(shortcut).cx, TextSize("SaveCtrl+SWWW").cx + 5 + 24);
  EXPECT_EQ(Measure(line).cx, 5 + 24);
  EXPECT_EQ(Measure(line).cy, 4);
  EXPECT_GT(Measure(notLine).cy, 4);
  EXPECT_EQ(Measure(parent).cx, TextSize("More").cx + 5 + 6 + 24);

  // A picture wider than the column widens the item.
  TMenuItem* wide = Add("Wide");
  wide->Bitmap().SetSize(40, 16);
  painter->SetActive(false);
  painter->SetActive(true);
  EXPECT_EQ(Measure(wide).cx, TextSize("Wide").cx + 5 + 40);
}

// On a monitor of 144 DPI the form's painter draws its 96-DPI design half as large again.
TEST_F(MenuPainter, AtTheFormsDpiColumnPictureAndSeparatorGrow) {
  TMenuItem* withPicture = Add("Save Vavad");
  MakePicture(withPicture->Bitmap());
  TMenuItem* line = Add("-");
  painter->SetActive(true);
  RECT suggested{0, 0, 300, 300};
  form->Perform(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(painter->IconWidth(), 24);  // the design's value stays
  EXPECT_EQ(painter->ColumnWidth(), 36);
  EXPECT_EQ(Measure(line).cx, 8 + 36);
  EXPECT_EQ(Measure(line).cy, 6);
  const SIZE size = Measure(withPicture);
  EXPECT_GE(size.cy, 24 + 9);  // the picture and its margin
  EXPECT_GT(size.cx, TextSize("Save Vavad").cx * 3 / 2);  // the caption in a larger font

  Paint(withPicture, false, size.cy);
  EXPECT_EQ(At(35, 1), Rgb(P().IconColumnColor));
  EXPECT_EQ(At(36, 1), Rgb(P().MenuBackColor));
  // The 10 x 10 block, faded, pixel for pixel half as large again; no magenta.
  const int block = CountOf(RGB(76, 76, 255));
  EXPECT_GE(block, 14 * 14);
  EXPECT_LE(block, 15 * 15);
  EXPECT_EQ(CountOf(kMarker), 0);
}

TEST_F(MenuPainter, PlainItemColumnBackgroundAndCaption) {
  TMenuItem* item = Add(" Caching");
  painter->SetActive(true);
  Paint(item, false);
  // The buffer reaches 4 pixels left of the item.
  EXPECT_EQ(target.Canvas().Pixel(0, 10), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(0, 0), Rgb(P().IconColumnColor));
  EXPECT_EQ(At(23, 22), Rgb(P().IconColumnColor));
  EXPECT_EQ(At(24, 10), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(kItemWidth - 1, 22), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(10, 23), kMarker);  // nothing below the item
  EXPECT_EQ(At(kItemWidth, 10), kMarker);

  // The caption starts after the column and 3 pixels, behind the blank put before
  // every caption (this one has its own blank too), and sits in the middle.
  const Ink ink = InkOf(Rgb(P().MenuBackColor), 24, kItemWidth);
  ASSERT_GT(ink.count, 0);
  const SIZE blanks = TextSize("  "), drawn = TextSize("  Caching");
  const int textLeft = 24 + 3 + blanks.cx;
  EXPECT_GE(ink.box.left, textLeft);
  EXPECT_LE(ink.box.left, textLeft + 2);
  EXPECT_LE(ink.box.right, 24 + 3 + drawn.cx + 1);
  const int textTop = (24 - TextSize("W").cy) / 2;
  EXPECT_GE(ink.box.top, textTop);
  EXPECT_LE(ink.box.bottom, textTop + drawn.cy);
  EXPECT_GT(CountOf(Rgb(clMenuText)), 0);
}

TEST_F(MenuPainter, ShortcutIsRightAligned) {
  TMenuItem* item = Add("Save");
  item->ShortCut = scCtrl | 'S';
  painter->SetActive(true);
  Paint(item, false);
  const Ink ink = InkOf(Rgb(P().MenuBackColor), kItemWidth / 2, kItemWidth);
  ASSERT_GT(ink.count, 0);
  // "Ctrl+S " ends 10 pixels from the right edge; the blank leaves no ink.
  const int end = kItemWidth - 10 - TextSize(" ").cx;
  EXPECT_LE(ink.box.right, end + 1);
  EXPECT_GE(ink.box.right, end - 2);
  EXPECT_NEAR(ink.box.left, end - TextSize("Ctrl+S").cx, 2);
}

TEST_F(MenuPainter, SelectedItemIsFilledAndOutlined) {
  TMenuItem* item = Add("Settings...");
  painter->SetActive(true);
  Paint(item, true);
  const COLORREF fill = Rgb(P().HighlightFillColor), border = Rgb(P().HighlightBorderColor);
  ASSERT_NE(fill, border);
  // Row 0 keeps the background; the outline runs from row 1 to the last row.
  EXPECT_EQ(At(10, 0), Rgb(P().IconColumnColor));
  EXPECT_EQ(At(60, 0), Rgb(P().MenuBackColor));
  for (int x : {0, 10, 60, kItemWidth - 1}) {
    EXPECT_EQ(At(x, 1), border) << x;
    EXPECT_EQ(At(x, 22), border) << x;
  }
  EXPECT_EQ(At(0, 12), border);
  EXPECT_EQ(At(kItemWidth - 1, 12), border);
  // Inside, the icon column is covered too.
  EXPECT_EQ(At(1, 2), fill);
  EXPECT_EQ(At(10, 12), fill);
  EXPECT_EQ(At(kItemWidth - 2, 21), fill);
  EXPECT_EQ(target.Canvas().Pixel(1, 12), Rgb(P().MenuBackColor));
}

TEST_F(MenuPainter, DisabledItemIsGreyAndNeverHighlighted) {
  TMenuItem* item = Add("Clear Vavad");
  item->SetEnabled(false);
  painter->SetActive(true);
  Paint(item, true);
  EXPECT_EQ(At(60, 1), Rgb(P().MenuBackColor));
  EXPECT_EQ(CountOf(Rgb(P().HighlightFillColor)), 0);
  EXPECT_GT(CountOf(Rgb(P().DisabledTextColor)), 0);
  EXPECT_EQ(CountOf(Rgb(clMenuText)), 0);
}

TEST_F(MenuPainter, CheckedItemWithoutPictureGetsBoxAndTick) {
  TMenuItem* item = Add("Tray Icon");
  item->SetChecked(true);
  painter->SetActive(true);
  Paint(item, false);
  // A 10 x 10 box centred in the 24 x 24 column: (7, 7) to (17, 17).
  const COLORREF outline = Rgb(P().CheckMarkColor), fill = Rgb(P().CheckFillColor);
  for (auto [x, y] : {std::pair{7, 7}, {16, 7}, {7, 16}, {16, 16}, {7, 10}}) {
    EXPECT_EQ(At(x, y), outline) << x << "," << y;
  }
  EXPECT_EQ(At(9, 9), fill);
  EXPECT_EQ(At(6, 7), Rgb(P().IconColumnColor));
  // The black tick, which reaches out of the box at the top right.
  EXPECT_EQ(At(9, 12), RGB(0, 0, 0));
  EXPECT_EQ(At(11, 14), RGB(0, 0, 0));
  EXPECT_EQ(At(18, 7), RGB(0, 0, 0));

  Paint(item, true);
  EXPECT_EQ(At(9, 9), Rgb(P().CheckFillHotColor));
  EXPECT_EQ(At(7, 10), outline);

  item->SetEnabled(false);
  Paint(item, false);
  EXPECT_EQ(At(7, 10), Rgb(P().DisabledTextColor));
  EXPECT_EQ(At(9, 12), Rgb(P().DisabledTextColor));
}

TEST_F(MenuPainter, CheckedRadioItemGetsADot) {
  TMenuItem* item = Add("One");
  item->RadioItem = true;
  item->SetChecked(true);
  painter->SetActive(true);
  Paint(item, false);
  EXPECT_EQ(At(12, 12), Rgb(P().HighlightBorderColor));
  EXPECT_EQ(At(7, 7), Rgb(P().IconColumnColor));  // round, so the corner stays
  item->SetChecked(false);
  Paint(item, false);
  EXPECT_EQ(At(12, 12), Rgb(P().IconColumnColor));
}

TEST_F(MenuPainter, PictureIsFadedLiftedOrGreyedByState) {
  TMenuItem* item = Add("Save Vavad");
  MakePicture(item->Bitmap());
  painter->SetActive(true);

  // At rest: centred in the column (x = 3, y = 3), faded 30 percent, magenta left out.
  Paint(item, false);
  EXPECT_EQ(At(3 + 8, 3 + 8), RGB(76, 76, 255));  // 76.5 rounds to the even 76
  EXPECT_EQ(At(3 + 1, 3 + 1), Rgb(P().IconColumnColor));
  EXPECT_EQ(CountOf(kMarker), 0);

  // Selected: unfaded, one pixel up and left, over its shadow.
  Paint(item, true);
  const COLORREF shadow = Rgb(DarkenColor(P().HighlightFillColor, 50));
  EXPECT_EQ(At(2 + 3, 2 + 3), kBlue);
  EXPECT_EQ(At(2 + 12, 2 + 12), kBlue);
  EXPECT_EQ(At(2 + 14, 2 + 14), shadow);
  EXPECT_EQ(At(2 + 3, 2 + 2), Rgb(P().HighlightFillColor));

  // Disabled: grey plus 10 (95), then 40 percent lighter (159).
  item->SetEnabled(false);
  Paint(item, false);
  EXPECT_EQ(At(3 + 8, 3 + 8), RGB(159, 159, 159));
  EXPECT_EQ(At(3 + 1, 3 + 1), Rgb(P().IconColumnColor));

  // Checked: unfaded and in place over the filled box.
  item->SetEnabled(true);
  item->SetChecked(true);
  Paint(item, false);
  EXPECT_EQ(At(3 + 8, 3 + 8), kBlue);
  EXPECT_EQ(At(3 + 1, 3 + 1), Rgb(P().CheckFillColor));
  EXPECT_EQ(At(1, 2), Rgb(P().HighlightBorderColor));
  // The item's own picture is untouched.
  EXPECT_EQ(item->Bitmap().Canvas().Pixel(8, 8), kBlue);
}

TEST_F(MenuPainter, SeparatorIsALineInTheMiddle) {
  TMenuItem* line = Add("-");
  painter->SetActive(true);
  Paint(line, false, 4);
  const COLORREF color = Rgb(P().SeparatorLineColor);
  ASSERT_NE(color, Rgb(P().MenuBackColor));
  // Measured 4 high, painted 5: the line is at row 2 from 7 pixels after the column.
  EXPECT_EQ(At(31, 2), color);
  EXPECT_EQ(At(kItemWidth - 1, 2), color);
  EXPECT_EQ(At(30, 2), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(60, 1), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(60, 3), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(10, 2), Rgb(P().IconColumnColor));
  EXPECT_EQ(CountOf(color), kItemWidth - 31);
}

TEST_F(MenuPainter, RightToLeftPutsTheColumnOnTheRight) {
  TMenuItem* item = Add("Item");
  menu->BiDiMode = TBiDiMode::bdRightToLeft;
  painter->SetActive(true);
  Paint(item, false);
  EXPECT_EQ(At(kItemWidth - 1, 10), Rgb(P().IconColumnColor));
  EXPECT_EQ(At(kItemWidth - 24, 10), Rgb(P().IconColumnColor));
  EXPECT_EQ(At(kItemWidth - 25, 10), Rgb(P().MenuBackColor));
  EXPECT_EQ(At(0, 10), Rgb(P().MenuBackColor));
  // The caption moves to the right, before the column.
  const Ink ink = InkOf(Rgb(P().MenuBackColor), 0, kItemWidth - 24);
  ASSERT_GT(ink.count, 0);
  EXPECT_GT(ink.box.left, kItemWidth / 2);
}

TEST_F(MenuPainter, ImageListIconsAreFadedLiftedOverTheirShadowOrGreyed) {
  // A red 10 x 10 block on magenta, magenta masked out.
  TImageList* list = new TImageList(form);
  TBitmap strip(16, 16);
  strip.Canvas().Brush().SetColor(static_cast<TColor>(kMarker));
  strip.Canvas().FillRect(RECT{0, 0, 16, 16});
  strip.Canvas().Brush().SetColor(clRed);
  strip.Canvas().FillRect(RECT{3, 3, 13, 13});
  ASSERT_EQ(list->AddMasked(strip, static_cast<TColor>(kMarker)), 0);
  menu->SetImages(list);
  TMenuItem* item = Add("Open");
  item->ImageIndex = 0;
  painter->SetActive(true);
  EXPECT_GE(Measure(item).cy, 16 + 6) << "room for the list's icon height";

  // The icon sits at (3, 3) of the column; idle it is faded by DimLevel.
  Paint(item, false);
  EXPECT_EQ(At(6, 6), RGB(255, 76, 76));
  EXPECT_EQ(At(4, 4), Rgb(P().IconColumnColor)) << "the mask keeps the column";
  // Selected: unfaded, one up and left, over a shadow two down and right.
  Paint(item, true);
  EXPECT_EQ(At(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(At(15, 15), Rgb(DarkenColor(P().HighlightFillColor, 50)));
  // Disabled: grey, then faded by 40.
  item->SetEnabled(false);
  Paint(item, true);
  EXPECT_EQ(At(6, 6), RGB(159, 159, 159));  // 255 / 3 + 10 = 95, then 95 + 0.4 * 160
  // A list that goes leaves the item without an icon.
  list->Free();
  EXPECT_EQ(menu->Images(), nullptr);
}

TEST_F(MenuPainter, WideIconsWidenTheCheckAndPushTheCaption) {
  TImageList* list = new TImageList(form);
  list->SetSize(32, 16);
  // Red but for a masked bottom row, so that the corner colour is not red.
  TBitmap wide(32, 16);
  wide.Canvas().Brush().SetColor(clBlack);
  wide.Canvas().FillRect(RECT{0, 0, 32, 16});
  wide.Canvas().Brush().SetColor(clRed);
  wide.Canvas().FillRect(RECT{0, 0, 32, 15});
  list->AddMasked(wide, clBlack);
  menu->SetImages(list);
  TMenuItem* item = Add("Wide");
  item->ImageIndex = 0;
  item->SetChecked(true);
  painter->SetActive(true);
  EXPECT_EQ(Measure(item).cx, TextSize("Wide").cx + 5 + 32);
  Paint(item, false);
  // Checked: unfaded, at I.Left + 2, over the check rectangle widened to 32.
  EXPECT_EQ(At(2, 5), RGB(255, 0, 0));
  EXPECT_EQ(At(33, 5), RGB(255, 0, 0));
  EXPECT_EQ(At(32, 2), Rgb(P().HighlightBorderColor)) << "the check's right side";
  const Ink ink = InkOf(Rgb(P().MenuBackColor), 36, kItemWidth);
  ASSERT_GT(ink.count, 0);
  EXPECT_GE(ink.box.left, 32 + 4 + 3);
}

TEST_F(MenuPainter, RightToLeftMirrorsCheckSeparatorAndShortcut) {
  menu->BiDiMode = TBiDiMode::bdRightToLeft;
  TMenuItem* check = Add("Checked");
  check->SetChecked(true);
  TMenuItem* line = Add("-");
  TMenuItem* save = Add("Save");
  save->ShortCut = TextToShortCut("Ctrl+S");
  painter->SetActive(true);

  Paint(check, false);
  // A 10 x 10 box centred in the column at the right: 7 in from its left side.
  const int boxLeft = kItemWidth - 24 + 7;
  EXPECT_EQ(At(boxLeft, 10), Rgb(P().CheckMarkColor));
  EXPECT_EQ(At(boxLeft + 9, 10), Rgb(P().CheckMarkColor));
  EXPECT_EQ(At(boxLeft - 1, 10), Rgb(P().IconColumnColor));

  Paint(line, false, 4);
  // From the item's left edge to 7 short of the column.
  EXPECT_EQ(At(0, 2), Rgb(P().SeparatorLineColor));
  EXPECT_EQ(At(kItemWidth - 24 - 8, 2), Rgb(P().SeparatorLineColor));
  EXPECT_EQ(At(kItemWidth - 24 - 6, 2), Rgb(P().MenuBackColor));

  Paint(save, false);
  // The shortcut goes to the left, 10 in; the caption to the right.
  const Ink shortcut = InkOf(Rgb(P().MenuBackColor), 0, 50);
  ASSERT_GT(shortcut.count, 0);
  EXPECT_GE(shortcut.box.left, 10);
  EXPECT_LE(shortcut.box.left, 14);
  const Ink caption = InkOf(Rgb(P().MenuBackColor), kItemWidth / 2, kItemWidth - 24);
  EXPECT_GT(caption.count, 0);
}

// The tray menu as the main window designs it, with its painter made last.
TEST_F(MenuPainter, TrayMenuWithTheMainWindowSettings) {
  painter->Free();
  TMenuItem* items[6];
  int i = 0;
  for (const char* caption :
       {"Settings...", "Save Vavad", "Clear Vavad", "Tray Icon", " Caching", " Quit"})
    items[i++] = Add(caption);
  for (int k : {0, 1, 2, 5}) MakePicture(items[k]->Bitmap());
  items[3]->SetChecked(true);
  items[4]->SetChecked(true);

  // Only the stored values that differ from the created ones.
  painter = new TMenuPainter(form);
  painter->Font().SetName("Tahoma");
  painter->Font().SetHeight(-11);
  painter->Font().SetColor(clMenuText);
  painter->SetAutoDetect(true);
  painter->SetFlatContainers(0);
  painter->SetFlatControls(FlatBit(xcPopupMenu) | FlatBit(xcCheckBox));
  painter->SetActive(true);

  EXPECT_TRUE(menu->OwnerDraw);
  // Every item 23 pixels, with or without a picture (its least is 16 + 6).
  ASSERT_EQ(TextSize("Settings...").cy, 13) << "Tahoma 8 pt at 96 DPI";
  for (TMenuItem* item : items) {
    EXPECT_TRUE(item->OnDrawItem) << item->Caption();
    EXPECT_EQ(Measure(item).cy, 23) << item->Caption();
  }
  // The check items have no picture: box and tick in the column, no fading.
  Paint(items[4], false);
  EXPECT_EQ(At(9, 12), RGB(0, 0, 0));
  EXPECT_EQ(At(9, 9), Rgb(P().CheckFillColor));
}

TEST_F(MenuPainter, InactivePainterDrawsNothing) {
  TMenuItem* item = Add("Item");
  painter->SetActive(true);
  painter->SetActive(false);
  // The handler is gone from the item; called directly it still does nothing.
  target.SetSize(kItemWidth + 20, 30);
  target.Canvas().Brush().SetColor(static_cast<TColor>(kMarker));
  target.Canvas().FillRect(RECT{0, 0, target.Width(), target.Height()});
  painter->DrawMenuItem(item, target.Canvas(), RECT{4, 0, 4 + kItemWidth, 23}, false);
  area = RECT{4, 0, 4 + kItemWidth, 23};
  EXPECT_EQ(CountOf(kMarker), kItemWidth * 23);
}

}  // namespace
}  // namespace qv
