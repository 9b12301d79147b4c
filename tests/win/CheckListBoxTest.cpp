// The check list box against the real LISTBOX: check records that travel with
// their lines, re-creation, toggling by mouse and keys, radio mode, the
// horizontal scroll width and the drawing of the check column.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/ClipListView.h"
#include "components/CheckListBox.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "tests/win/WinTestSupport.h"

namespace qv {

// Readable failure messages.
void PrintTo(TCheckBoxState state, std::ostream* os) {
  static const char* const names[] = {"cbUnchecked", "cbChecked", "cbGrayed"};
  *os << names[static_cast<int>(state) % 3];
}

namespace {

constexpr auto kUnchecked = TCheckBoxState::cbUnchecked;
constexpr auto kChecked = TCheckBoxState::cbChecked;
constexpr auto kGrayed = TCheckBoxState::cbGrayed;
constexpr TColor kListColor = 13434879;  // the clip list's pale yellow

struct Events {
  int clickChecks = 0;
  std::vector<int> changed;
  void ClickCheck(TObject*) { ++clickChecks; }
  void StateChange(TObject*, int index) { changed.push_back(index); }
};

class CheckList : public ::testing::Test {
 protected:
  CheckList() : app(std::make_unique<TApplication>()) {
    form = new TForm(app.get());
    form->SetBounds(0, 0, 300, 300);
    list = new TCheckListBox(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 200, 150);
    list->SetColor(kListColor);
    list->Font().SetName("MS Sans Serif");
    list->Font().SetHeight(-11);
    list->Font().SetColor(clNavy);
    list->SetItemHeight(13);
    list->OnClickCheck = TNotifyEvent::Of<&Events::ClickCheck>(&events);
    list->OnStateChange = TCheckStateChangeEvent::Of<&Events::StateChange>(&events);
  }
  void AddLines(std::initializer_list<const char*> lines) {
    for (const char* line : lines) list->Items().Add(line);
  }
  LRESULT Send(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(list->Handle(), msg, wparam, lparam);
  }
  void Click(int x, int y) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  // The line's pixel width by the control's rules, measured independently.
  int LineWidth(const std::string& text) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(dc.get(), list->Font().Handle());
    const std::string measured = text + "x";
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), measured.data(), static_cast<int>(measured.size()), &size);
    SelectObject(dc.get(), old);
    return size.cx + 18;
  }
  int Extent() { return static_cast<int>(Send(LB_GETHORIZONTALEXTENT)); }
  // The client area as the list paints it.
  void Shoot(TBitmap& shot) {
    const RECT client = list->ClientRect();
    shot.SetSize(client.right, client.bottom);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()), PRF_CLIENT);
  }
  // Pixels of a 96-DPI shot that differ from check image cell drawn at (left, top), its
  // transparent part in the list's colour.
  int CellMismatches(TBitmap& shot, int cell, int left, int top) {
    TBitmap images;
    images.LoadFromResourceName(GetModuleHandleA(nullptr), "CHECK_IMAGES");
    int magentaSeen = 0, mismatches = 0;
    for (int y = 0; y < 13; ++y) {
      for (int x = 0; x < 16; ++x) {
        const COLORREF art = images.Canvas().Pixel(cell * 16 + x, y);
        magentaSeen += art == RGB(255, 0, 255);
        const COLORREF want = art == RGB(255, 0, 255) ? ColorToRGB(kListColor) : art;
        mismatches += shot.Canvas().Pixel(left + x, top + y) != want;
      }
    }
    EXPECT_GT(magentaSeen, 0);
    return mismatches;
  }

  test::PromptRecorder prompts;
  std::unique_ptr<TApplication> app;
  TForm* form;
  TCheckListBox* list;
  Events events;
};

TEST_F(CheckList, RecordsTravelWithTheirLinesAndMovedClipsComeBackUnchecked) {
  AddLines({"a", "b", "c"});
  list->Items().PutObject(0, 77);
  list->SetItemState(1, kChecked);
  list->SetItemState(2, kGrayed);
  list->SetItemEnabled(2, false);
  EXPECT_EQ(events.changed, (std::vector<int>{1, 2}));

  // A new top line has no record; those below keep theirs.
  list->Items().Insert(0, "new");
  EXPECT_EQ(list->ItemState(0), kUnchecked);
  EXPECT_TRUE(list->ItemEnabled(0));
  EXPECT_EQ(list->Items().GetObject(0), 0);
  EXPECT_EQ(list->Items().GetObject(1), 77);
  EXPECT_EQ(list->ItemState(2), kChecked);
  EXPECT_EQ(list->ItemState(3), kGrayed);
  EXPECT_FALSE(list->ItemEnabled(3));

  // The main window moves a clip to the top by reading, deleting and inserting.
  const std::string text = list->Items().Get(2);
  list->Items().Delete(2);
  list->Items().Insert(0, text);
  EXPECT_EQ(list->Items().Get(0), "b");
  EXPECT_EQ(list->ItemState(0), kUnchecked);
  EXPECT_EQ(list->ItemState(3), kGrayed);

  // A state write leaves the line's object alone.
  list->SetItemState(2, kChecked);
  EXPECT_EQ(list->Items().GetObject(2), 77);

  // Writing the same state again is no change.
  events.changed.clear();
  list->SetItemState(2, kChecked);
  EXPECT_TRUE(events.changed.empty());
}

TEST_F(CheckList, ExchangeAndMoveKeepEachLinesChecks) {
  AddLines({"a", "b", "c", "d"});
  list->SetItemState(0, kChecked);
  list->SetItemEnabled(0, false);
  list->SetItemState(3, kGrayed);
  list->Items().Exchange(0, 3);
  EXPECT_EQ(list->Items().Get(0), "d");
  EXPECT_EQ(list->ItemState(0), kGrayed);
  EXPECT_TRUE(list->ItemEnabled(0));
  EXPECT_EQ(list->ItemState(3), kChecked);
  EXPECT_FALSE(list->ItemEnabled(3));

  list->Items().Move(3, 1);  // "a" goes to 1
  EXPECT_EQ(list->Items().Get(1), "a");
  EXPECT_EQ(list->ItemState(1), kChecked);
  EXPECT_FALSE(list->ItemEnabled(1));
  EXPECT_EQ(list->ItemState(3), kUnchecked);
  EXPECT_TRUE(list->ItemEnabled(3));
}

TEST_F(CheckList, FilesHoldOnlyTextsAndLoadedLinesAreUnchecked) {
  test::ScratchFolder folder;
  AddLines({"one", "two"});
  list->SetItemState(0, kChecked);
  list->SetItemEnabled(1, false);
  list->Items().SaveToFile(folder.File("Lb1.qvl"));
  EXPECT_EQ(folder.Read("Lb1.qvl"), "one\r\ntwo\r\n");

  list->Items().LoadFromFile(folder.File("Lb1.qvl"));
  ASSERT_EQ(list->Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(list->ItemState(i), kUnchecked);
    EXPECT_TRUE(list->ItemEnabled(i));
  }
}

TEST_F(CheckList, SortingRecreatesTheWindowAndEveryLineKeepsItsChecks) {
  AddLines({"pear", "apple", "fig"});
  list->SetItemState(0, kChecked);
  list->Items().PutObject(0, 5);
  list->SetItemEnabled(1, false);
  list->SetItemState(2, kGrayed);
  list->SetItemIndex(0);
  HWND before = list->Handle();

  list->SetSorted(true);
  EXPECT_NE(list->Handle(), before);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Items().Get(0), "apple");
  EXPECT_FALSE(list->ItemEnabled(0));
  EXPECT_EQ(list->ItemState(0), kUnchecked);
  EXPECT_EQ(list->Items().Get(1), "fig");
  EXPECT_EQ(list->ItemState(1), kGrayed);
  EXPECT_EQ(list->Items().Get(2), "pear");
  EXPECT_EQ(list->ItemState(2), kChecked);
  EXPECT_EQ(list->Items().GetObject(2), 5);
  EXPECT_EQ(list->ItemIndex(), 0);  // by number: now "apple"

  list->Items().Insert(0, "zebra");  // an insert at an index is never sorted
  EXPECT_EQ(list->Items().Get(0), "zebra");
  EXPECT_EQ(list->ItemState(0), kUnchecked);

  // And back: the checks survive a second re-creation too.
  list->SetSorted(false);
  EXPECT_EQ(list->ItemState(2), kGrayed);
  EXPECT_EQ(list->ItemState(3), kChecked);
}

TEST_F(CheckList, AClickInTheCheckColumnTogglesAndOnePastItOnlySelects) {
  AddLines({"first", "second", "third"});
  const int lineHeight = static_cast<int>(Send(LB_GETITEMHEIGHT));
  const int y = lineHeight + lineHeight / 2;  // line 1
  Click(17, y);
  EXPECT_EQ(list->ItemState(1), kChecked);
  EXPECT_EQ(events.clickChecks, 1);
  EXPECT_EQ(list->ItemIndex(), 1);

  list->SetItemIndex(-1);
  Click(18, y);
  EXPECT_EQ(list->ItemState(1), kChecked);
  EXPECT_EQ(events.clickChecks, 1);
  EXPECT_EQ(list->ItemIndex(), 1);

  list->SetItemEnabled(2, false);
  Click(5, 2 * lineHeight + 2);
  EXPECT_EQ(list->ItemState(2), kUnchecked);
  Click(5, 5 * lineHeight);  // below the last line
  EXPECT_EQ(events.clickChecks, 1);
}

TEST_F(CheckList, SpaceTogglesTheSelectedLineAndPlusMinusSetAllEnabledLines) {
  AddLines({"a", "b", "c"});
  Send(WM_CHAR, ' ');
  EXPECT_EQ(events.clickChecks, 0);  // nothing selected
  list->SetItemIndex(1);
  Send(WM_CHAR, ' ');
  EXPECT_EQ(list->ItemState(1), kChecked);
  EXPECT_EQ(events.clickChecks, 1);

  list->SetItemEnabled(2, false);
  Send(WM_CHAR, '+');
  EXPECT_EQ(list->ItemState(0), kChecked);
  EXPECT_EQ(list->ItemState(2), kUnchecked);
  EXPECT_EQ(events.clickChecks, 2);
  list->SetItemState(2, kGrayed);
  Send(WM_CHAR, '-');
  EXPECT_EQ(list->ItemState(0), kUnchecked);
  EXPECT_EQ(list->ItemState(1), kUnchecked);
  EXPECT_EQ(list->ItemState(2), kGrayed);
  EXPECT_EQ(events.clickChecks, 3);
}

TEST_F(CheckList, TogglingCyclesThroughGrayedOnlyWhenAllowed) {
  AddLines({"a"});
  list->SetItemState(0, kGrayed);
  list->ToggleClickCheck(0);
  EXPECT_EQ(list->ItemState(0), kChecked);
  list->ToggleClickCheck(0);
  EXPECT_EQ(list->ItemState(0), kUnchecked);
  list->ToggleClickCheck(0);
  EXPECT_EQ(list->ItemState(0), kChecked);

  list->SetAllowGrayed(true);
  list->SetItemState(0, kUnchecked);
  const std::vector<TCheckBoxState> cycle{kGrayed, kChecked, kUnchecked};
  for (TCheckBoxState expected : cycle) {
    list->ToggleClickCheck(0);
    EXPECT_EQ(list->ItemState(0), expected);
  }
  list->ToggleClickCheck(-1);  // ignored, no error
  list->ToggleClickCheck(1);
  EXPECT_EQ(events.clickChecks, 6);
}

TEST_F(CheckList, RadioModeKeepsExactlyOneLineChecked) {
  AddLines({"a", "b", "c"});
  list->SetItemState(1, kGrayed);
  list->SetAllowGrayed(true);
  list->SetCheckKind(TCheckKind::ckRadioButtons);
  EXPECT_FALSE(list->AllowGrayed());
  EXPECT_EQ(list->ItemState(1), kUnchecked);  // grayed reads unchecked
  EXPECT_EQ(list->CheckedIndex(), 0);

  list->SetItemState(2, kChecked);
  EXPECT_EQ(list->ItemState(0), kUnchecked);
  EXPECT_EQ(list->CheckedIndex(), 2);
  list->SetItemState(2, kUnchecked);  // refused
  EXPECT_EQ(list->ItemState(2), kChecked);
  list->SetCheckedIndex(-5);
  EXPECT_EQ(list->CheckedIndex(), 0);
  EXPECT_EQ(list->ItemState(2), kUnchecked);

  // "+" and "-" belong to check boxes only.
  Send(WM_CHAR, '+');
  EXPECT_EQ(list->CheckedIndex(), 0);
  EXPECT_EQ(events.clickChecks, 0);
}

TEST_F(CheckList, ScrollWidthFollowsTheWidestLine) {
  const std::string narrow = "short";
  const std::string wide(60, 'W');
  const std::string middle(40, 'W');
  list->Items().Add(narrow);
  EXPECT_EQ(Extent(), LineWidth(narrow));
  list->Items().Insert(0, wide);
  list->Items().Add(middle);
  EXPECT_EQ(Extent(), LineWidth(wide));

  // An outside reset to 0 is undone by the next line, narrow or not.
  Send(LB_SETHORIZONTALEXTENT, 0);
  EXPECT_EQ(Extent(), 0);
  list->Items().Insert(0, "x");
  EXPECT_EQ(Extent(), LineWidth(wide));

  // Deleting a narrower line leaves the view and the width alone.
  for (int i = 0; i < 5; ++i) Send(WM_HSCROLL, SB_PAGEDOWN);
  const int scrolled = GetScrollPos(list->Handle(), SB_HORZ);
  ASSERT_GT(scrolled, 0);
  list->Items().Delete(0);
  EXPECT_EQ(GetScrollPos(list->Handle(), SB_HORZ), scrolled);
  EXPECT_EQ(Extent(), LineWidth(wide));

  // Deleting the widest goes back to the left edge and shrinks to the next.
  ASSERT_EQ(list->Items().Get(0), wide);
  list->Items().Delete(0);
  EXPECT_EQ(GetScrollPos(list->Handle(), SB_HORZ), 0);
  EXPECT_EQ(Extent(), LineWidth(middle));
  EXPECT_EQ(list->WidestLine(), LineWidth(middle));

  // A bigger font measures every line again and makes the lines higher.
  list->Font().SetHeight(-24);
  test::Pump();
  EXPECT_EQ(Extent(), LineWidth(middle));
  EXPECT_GT(Send(LB_GETITEMHEIGHT), 20);

  list->Clear();
  EXPECT_EQ(Extent(), 0);
  EXPECT_EQ(list->WidestLine(), 0);
}

struct Painter : TObject {
  int doubleClicks = 0;
  void Draw(TObject*, int, RECT, unsigned) {}
  void Width(TObject*, int, int& width) { width = 500; }
  void DoubleClick(TObject*) { ++doubleClicks; }
};

TEST_F(CheckList, HandlersThatDrawOrMeasureLinesSwitchTheWidthRulesHoweverTheyAreSet) {
  Painter painter;
  list->Items().Add("short");
  list->SetOnGetItemWidth(TGetItemWidthEvent::Of<&Painter::Width>(&painter));
  EXPECT_EQ(Extent(), LineWidth("short"));  // measuring alone is not enough
  // Through the base class as well: the list box hears of it.
  TCustomListBox* base = list;
  base->SetOnDrawItem(TDrawItemEvent::Of<&Painter::Draw>(&painter));
  EXPECT_EQ(Extent(), 500 + list->StripWidth());
  base->SetOnDrawItem(nullptr);
  EXPECT_EQ(Extent(), LineWidth("short"));
}

TEST_F(CheckList, ADoubleClickIsReportedOnce) {
  Painter painter;
  list->OnDblClick = TNotifyEvent::Of<&Painter::DoubleClick>(&painter);
  AddLines({"one", "two"});
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 3));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(60, 3));
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, 3));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(60, 3));
  test::Pump();
  EXPECT_EQ(painter.doubleClicks, 1);
}

// Notes how many lines the list holds whenever its line height is set.
class THeightWatch : public TCheckListBox {
 public:
  using TCheckListBox::TCheckListBox;
  std::vector<int> linesAtReset;

 protected:
  void ResetItemHeight() override {
    if (HandleAllocated()) linesAtReset.push_back(Count());
    TCheckListBox::ResetItemHeight();
  }
};

TEST_F(CheckList, ARecreatedWindowGetsItsLineHeightWithTheLinesBack) {
  auto* watched = new THeightWatch(form);
  watched->SetParent(form);
  watched->SetBounds(0, 160, 200, 100);
  for (const char* line : {"c", "a", "b"}) watched->Items().Add(line);
  watched->linesAtReset.clear();
  watched->SetSorted(true);
  ASSERT_FALSE(watched->linesAtReset.empty());  // (a font set while it is made comes first)
  EXPECT_EQ(watched->linesAtReset.back(), 3);
}

// A source of numbered lines with records of its own, as the clip list's view keeps them.
class NumberedLines : public TListLineSource {
 public:
  std::string LineText(int index) override { return "line " + std::to_string(index); }
  TCheckListBoxItem& LineCheck(int index) override { return checks[index]; }
  std::map<int, TCheckListBoxItem> checks;
};

// A list of lines kept elsewhere: the window counts them, the source draws and checks them,
// and a hundred thousand lines are set in one step.
TEST_F(CheckList, LinesOfASourceAreCountedAndAskedForNeverCopied) {
  AddLines({"own"});
  NumberedLines source;
  list->SetLineSource(&source);
  EXPECT_EQ(list->Count(), 0);  // its own lines went
  list->SetLineCount(100000);
  ASSERT_EQ(list->Count(), 100000);
  const LONG_PTR style = GetWindowLongPtrA(list->Handle(), GWL_STYLE);
  EXPECT_EQ(style & (LBS_NODATA | LBS_HASSTRINGS), LBS_NODATA);  // the window keeps no text
  EXPECT_EQ(list->Items().Get(99999), "line 99999");
  EXPECT_THROW(list->Items().Get(100000), EStringListError);
  list->Items().Insert(0, "");
  list->Items().Delete(5);
  EXPECT_EQ(list->Count(), 100000);

  source.checks[3].State = kChecked;
  EXPECT_EQ(list->ItemState(3), kChecked);
  Click(5, 13 * 2 + 6);  // the check column of line 2
  EXPECT_EQ(source.checks[2].State, kChecked);
  EXPECT_EQ(events.changed, (std::vector<int>{2}));

  // A new window keeps the number of lines, the top line and the selection.
  list->SetTopIndex(500);
  list->SetItemIndex(501);
  list->SetItemHeight(14);
  EXPECT_EQ(list->Count(), 100000);
  EXPECT_EQ(list->TopIndex(), 500);
  EXPECT_EQ(list->ItemIndex(), 501);

  list->SetLineSource(nullptr);
  list->Items().Add("own again");
  EXPECT_EQ(list->Items().Get(0), "own again");
}

TEST_F(CheckList, BadIndexesRaiseTheListIndexError) {
  AddLines({"a", "b"});
  auto message = [](auto&& action) -> std::string {
    try {
      action();
    } catch (const EStringListError& e) {
      return e.what();
    }
    return "no error";
  };
  EXPECT_EQ(message([&] { list->Items().Get(2); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { list->Items().Delete(2); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { list->Items().GetObject(2); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { list->ItemState(2); }), "List index out of bounds (2)");
  EXPECT_EQ(message([&] { list->SetItemState(-1, kChecked); }), "List index out of bounds (-1)");
  EXPECT_EQ(message([&] { list->SetItemEnabled(7, false); }), "List index out of bounds (7)");
  EXPECT_EQ(list->Count(), 2);
}

TEST_F(CheckList, LinesAreDrawnBehindTheCheckImageInTheListsColour) {
  AddLines({"WWWW", "second"});
  list->SetItemState(0, kChecked);
  list->SetItemEnabled(1, false);
  list->SetItemIndex(1);
  const int lineHeight = static_cast<int>(Send(LB_GETITEMHEIGHT));
  EXPECT_EQ(lineHeight, 13);

  const RECT client = list->ClientRect();
  TBitmap shot;
  Shoot(shot);
  TBitmap images;
  images.LoadFromResourceName(GetModuleHandleA(nullptr), "CHECK_IMAGES");
  const COLORREF magenta = RGB(255, 0, 255);
  const COLORREF back = ColorToRGB(kListColor);

  // The image sits at x = 1 of the 18-pixel strip; magenta shows the list's colour,
  // also on the selected line. Cell 1 is checked, cell 3 disabled unchecked.
  EXPECT_EQ(CellMismatches(shot, 1, 1, 0), 0);
  EXPECT_EQ(CellMismatches(shot, 3, 1, lineHeight), 0);

  // In one colour (a high-contrast theme's), the outline and the mark on the list's colour:
  // the box's white inside is not filled, or checked and unchecked would look alike.
  list->CheckColor = clBlack;
  TBitmap shape;
  Shoot(shape);
  int shapeMismatches = 0;
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 16; ++x) {
      const COLORREF art = images.Canvas().Pixel(16 + x, y);
      const bool empty = art == magenta || art == RGB(255, 255, 255);
      shapeMismatches += shape.Canvas().Pixel(1 + x, y) != (empty ? back : RGB(0, 0, 0));
    }
  }
  EXPECT_EQ(shapeMismatches, 0);

  // The text part starts past the strip: selection colour covers x >= 18 only,
  // and the text begins 2 pixels further in.
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(shot.Canvas().Pixel(18, lineHeight + 1), highlight);
  EXPECT_EQ(shot.Canvas().Pixel(client.right - 3, lineHeight + 6), highlight);
  EXPECT_NE(shot.Canvas().Pixel(17, lineHeight + 6), highlight);
  int inked = 0;
  for (int y = 0; y < lineHeight; ++y) {
    for (int x = 18; x < 20; ++x) EXPECT_EQ(shot.Canvas().Pixel(x, y), back);
    for (int x = 20; x < 30; ++x) inked += shot.Canvas().Pixel(x, y) != back;
  }
  EXPECT_GT(inked, 0);
}

TEST_F(CheckList, AtHigherDpiTheLinesTheCheckColumnAndItsImagesGrow) {
  AddLines({"first", "second"});
  list->SetItemState(0, kChecked);
  RECT suggested{0, 0, 450, 450};
  form->Perform(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  test::Pump();  // the font reaches the window
  const int lineHeight = static_cast<int>(Send(LB_GETITEMHEIGHT));
  EXPECT_GE(lineHeight, 20);  // 13 at 96 DPI
  EXPECT_EQ(list->Width(), 300);
  EXPECT_EQ(list->Font().Height(), -17);

  // The check column is 27 pixels wide now.
  const int y = lineHeight + lineHeight / 2;
  Click(26, y);
  EXPECT_EQ(list->ItemState(1), kChecked);
  Click(27, y);
  EXPECT_EQ(list->ItemState(1), kChecked);

  // The checked image of line 0 covers about 1.5 x 1.5 times the pixels of its art.
  TBitmap images;
  images.LoadFromResourceName(GetModuleHandleA(nullptr), "CHECK_IMAGES");
  int art = 0;
  for (int py = 0; py < 13; ++py)
    for (int px = 0; px < 16; ++px) art += images.Canvas().Pixel(16 + px, py) != RGB(255, 0, 255);
  const RECT client = list->ClientRect();
  TBitmap shot(client.right, client.bottom);
  Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()), PRF_CLIENT);
  int inked = 0;
  for (int py = 0; py < lineHeight; ++py)
    for (int px = 0; px < 27; ++px) inked += shot.Canvas().Pixel(px, py) != ColorToRGB(kListColor);
  EXPECT_GT(inked, art * 2);
}

// Room before the check column, where another control may stand over the lines: the column,
// its clicks and the text move right by it, at every DPI, and the scroll width counts it.
TEST_F(CheckList, AnIndentMovesTheCheckColumnItsClicksAndTheTextRight) {
  AddLines({"first", "second"});
  list->SetCheckIndent(16);
  EXPECT_EQ(Extent(), LineWidth("second") + 16);
  list->SetItemState(0, kChecked);
  const int lineHeight = static_cast<int>(Send(LB_GETITEMHEIGHT));
  const int y = lineHeight + lineHeight / 2;  // line 1
  Click(15, y);                               // in the indent: selects only
  EXPECT_EQ(list->ItemState(1), kUnchecked);
  EXPECT_EQ(list->ItemIndex(), 1);
  Click(16, y);
  EXPECT_EQ(list->ItemState(1), kChecked);
  Click(34, y);  // just past the column
  EXPECT_EQ(list->ItemState(1), kChecked);
  Click(33, y);
  EXPECT_EQ(list->ItemState(1), kUnchecked);
  EXPECT_EQ(events.clickChecks, 2);

  // The image one pixel into the column, the indent in the list's colour, the text from 36.
  TBitmap shot;
  Shoot(shot);
  EXPECT_EQ(CellMismatches(shot, 1, 17, 0), 0);
  const COLORREF back = ColorToRGB(kListColor);
  int inked = 0, indentInked = 0;
  for (int py = 0; py < lineHeight; ++py) {
    for (int px = 0; px < 16; ++px) indentInked += shot.Canvas().Pixel(px, py) != back;
    for (int px = 34; px < 36; ++px) EXPECT_EQ(shot.Canvas().Pixel(px, py), back);
    for (int px = 36; px < 46; ++px) inked += shot.Canvas().Pixel(px, py) != back;
  }
  EXPECT_EQ(indentInked, 0);
  EXPECT_GT(inked, 0);

  // At 144 DPI the indent is 24 pixels, the column 27.
  RECT suggested{0, 0, 450, 450};
  form->Perform(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  test::Pump();
  const int y144 = static_cast<int>(Send(LB_GETITEMHEIGHT)) * 3 / 2;
  EXPECT_EQ(list->CheckAt(POINT{23, y144}), -1);
  EXPECT_EQ(list->CheckAt(POINT{24, y144}), 1);
  EXPECT_EQ(list->CheckAt(POINT{50, y144}), 1);
  EXPECT_EQ(list->CheckAt(POINT{51, y144}), -1);
  Click(24, y144);
  EXPECT_EQ(list->ItemState(1), kChecked);
}

TEST_F(CheckList, StoredStringsKeepStatesAndOldLayoutsStillRead) {
  AddLines({"a", "b"});
  list->SetItemState(1, kGrayed);
  list->SetItemEnabled(0, false);
  const std::vector<TStreamValue> stored = list->WriteStringsProperty();
  EXPECT_EQ(stored,
            (std::vector<TStreamValue>{std::string("a"), 0LL, false, std::string("b"), 2LL, true}));
  list->Clear();
  list->ReadStringsProperty(stored);
  EXPECT_EQ(list->ItemState(1), kGrayed);
  EXPECT_FALSE(list->ItemEnabled(0));

  // Version 0: text, checked, enabled.
  list->InternalVersion = 0;
  list->ReadStringsProperty({std::string("x"), true, false});
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->ItemState(0), kChecked);
  EXPECT_FALSE(list->ItemEnabled(0));
}

// The clip list as a view of the history: a mark is its clip's keep mark, and follows it
// through captures, recalls, removals and a sort.
TEST_F(CheckList, AsAViewOfTheHistoryEveryMarkFollowsItsClip) {
  TClipHistory history;
  TClipListView view(history, *list);
  std::map<uint32_t, bool> marked;  // by the clip's key
  std::mt19937 random(7);
  int made = 0;
  for (int step = 0; step < 300; ++step) {
    const int count = history.Count();
    const int pick = count ? static_cast<int>(random() % static_cast<unsigned>(count)) : 0;
    switch (count ? random() % 5 : 0) {
      case 0: {
        const std::string text = "clip " + std::to_string(random() % 1000);
        char id[14];
        snprintf(id, sizeof id, "%013d", ++made);
        history.AddClip(text, id, text);
        marked[history.KeyOf(0)] = false;
        break;
      }
      case 1:
        history.MoveLineToTop(pick);
        break;
      case 2:
        history.RemoveLine(pick);
        break;
      case 3:
        history.Sort([](const std::string& a, const std::string& b) { return a < b; });
        break;
      default:
        list->SetItemState(pick, kChecked);
        marked[history.KeyOf(pick)] = true;
        break;
    }
    ASSERT_EQ(list->Count(), history.Count());
    for (int row = 0; row < history.Count(); ++row)
      ASSERT_EQ(list->ItemState(row), marked[history.KeyOf(row)] ? kChecked : kUnchecked)
          << "step " << step << ", row " << row;
  }
}

}  // namespace
}  // namespace qv
