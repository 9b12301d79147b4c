// The framework against the real Win32 API: window procedures, list boxes,
// timers, the clipboard, drawing, dialogs and the application's error guard.

#include <gtest/gtest.h>

#include <memory>

#include "framework/Clipbrd.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

class Framework : public ::testing::Test {
 protected:
  Framework() : app(std::make_unique<TApplication>()) {
    form = new TForm(app.get());
    form->SetBounds(0, 0, 300, 300);
  }
  test::PromptRecorder prompts;
  std::unique_ptr<TApplication> app;
  TForm* form;
};

struct Counter {
  TWndMethod saved;
  int seen = 0;
  void Proc(TMessage& m) {
    if (m.Msg == WM_USER + 7) ++seen;
    saved(m);
  }
};

TEST_F(Framework, WindowProcCanBeReplacedAndChained) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  HWND wnd = panel->Handle();
  ASSERT_TRUE(wnd);
  EXPECT_EQ(TWinControl::FromHandle(wnd), panel);
  Counter counter;
  counter.saved = panel->WindowProc;
  panel->WindowProc = TWndMethod::Of<&Counter::Proc>(&counter);
  SendMessageA(wnd, WM_USER + 7, 0, 0);
  panel->Perform(WM_USER + 7);
  EXPECT_EQ(counter.seen, 2);
  // The chained default still answers.
  EXPECT_EQ(SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0), 0);
  panel->WindowProc = counter.saved;

  // Teardown stops dispatching before the window goes.
  panel->Free();
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(TWinControl::FromHandle(wnd), nullptr);
}

TEST_F(Framework, ListBoxLinesAreWindowMessagesWithExactErrors) {
  auto* list = new TListBox(form);
  list->SetParent(form);
  TStrings& items = list->Items();
  items.Add("b");
  items.Insert(0, "a");
  items.AddObject("c", 42);
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(items.Get(0), "a");
  EXPECT_EQ(items.GetObject(2), 42);
  try {
    items.Get(3);
    ADD_FAILURE() << "read past the end";
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  try {
    items.Delete(5);
    ADD_FAILURE() << "deleted past the end";
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  items.Move(2, 0);  // objects go with their lines
  EXPECT_EQ(items.Get(0), "c");
  EXPECT_EQ(items.GetObject(0), 42);
  const std::string longLine(5000, 'x');
  items.Add(longLine);  // longer than any fixed read buffer
  EXPECT_EQ(items.Get(3), longLine);
}

TEST_F(Framework, ReCreatingTheListWindowKeepsLinesObjectsAndSelection) {
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->Items().AddObject("pear", 1);
  list->Items().AddObject("apple", 2);
  list->SetItemIndex(1);
  HWND before = list->Handle();
  list->SetSorted(true);
  EXPECT_NE(list->Handle(), before);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Items().Get(0), "apple");
  EXPECT_EQ(list->Items().GetObject(0), 2);
  EXPECT_EQ(list->ItemIndex(), 1);  // restored by number
  list->Items().Insert(0, "zebra");  // an insert at an index is never sorted
  EXPECT_EQ(list->Items().Get(0), "zebra");
}

TEST_F(Framework, ListBoxFilesUseTheStringListFormat) {
  test::ScratchFolder folder;
  auto* list = new TListBox(form);
  list->SetParent(form);
  folder.Write("in.txt", "one\r\ntwo\nthree\rfour");
  list->Items().LoadFromFile(folder.File("in.txt"));
  EXPECT_EQ(list->Count(), 4);
  list->Items().SaveToFile(folder.File("out.txt"));
  EXPECT_EQ(folder.Read("out.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
  try {
    list->Items().LoadFromFile(folder.File("missing.txt"));
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + folder.File("missing.txt"));
  }
}

struct Ticks {
  int count = 0;
  bool fail = false;
  void OnTick(TObject*) {
    ++count;
    if (fail) throw Exception("tick failed");
  }
};

TEST_F(Framework, TimersTickThroughTheLoopAndErrorsAreShownWithoutStoppingIt) {
  Ticks ticks;
  auto* timer = new TTimer(form);
  timer->OnTimer = TNotifyEvent::Of<&Ticks::OnTick>(&ticks);
  timer->SetInterval(10);
  ASSERT_TRUE(test::PumpUntil([&] { return ticks.count >= 2; }));
  ticks.fail = true;
  const int failedAt = ticks.count;
  ASSERT_TRUE(test::PumpUntil([&] { return ticks.count >= failedAt + 2; }));
  ASSERT_FALSE(prompts.asked.empty());
  EXPECT_EQ(prompts.asked[0].Text, "tick failed");
  EXPECT_EQ(prompts.asked[0].Type, TMsgDlgType::mtError);
  timer->SetInterval(0);
  EXPECT_FALSE(timer->Running());
}

TEST_F(Framework, ClipboardTextRoundTripsAsAnsiBytes) {
  const std::string text = "caf\xE9\r\nline two";
  Clipboard().SetAsText(text);
  EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard().AsText(), text);
  Clipboard().Clear();
  EXPECT_FALSE(Clipboard().HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard().AsText(), "");
}

TEST_F(Framework, CanvasDrawsIntoABitmapThatCanBeReadBack) {
  TBitmap bitmap(20, 10);
  TCanvas& canvas = bitmap.Canvas();
  canvas.Brush().SetColor(RGBColor(10, 20, 30));
  canvas.FillRect(RECT{0, 0, 20, 10});
  canvas.Pen().SetColor(clRed);
  canvas.MoveTo(0, 5);
  canvas.LineTo(20, 5);
  EXPECT_EQ(canvas.Pixel(3, 2), RGB(10, 20, 30));
  EXPECT_EQ(canvas.Pixel(3, 5), RGB(255, 0, 0));
  canvas.Font().SetName("MS Sans Serif");
  canvas.Font().SetHeight(-11);
  EXPECT_GT(canvas.TextWidth("hello"), 10);
  EXPECT_EQ(canvas.TextWidth(""), 0);
}

TEST_F(Framework, DialogsCarryTheirCaptionsAndAnswers) {
  prompts.answers = {TModalResult::mrNo};
  EXPECT_EQ(MessageDlg("Sure?", TMsgDlgType::mtConfirmation, mbYes | mbNo), TModalResult::mrNo);
  ShowMessage("Done.");
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[0].Caption, "Confirm");
  EXPECT_EQ(prompts.asked[0].Buttons, unsigned(mbYes | mbNo));
  EXPECT_EQ(prompts.asked[1].Caption, app->Title());
}

TEST(Application, TitleIsTheExeNameUpToItsFirstDotWithTheRestInLowerCase) {
  EXPECT_EQ(TApplication::TitleFromExeName("C:\\tools\\ClipTool.exe"), "Cliptool");
  EXPECT_EQ(TApplication::TitleFromExeName("C:\\tools\\qvavad.exe"), "qvavad");
  EXPECT_EQ(TApplication::TitleFromExeName("C:\\tools\\MY.APP.EXE"), "My");
}

TEST_F(Framework, SpeedButtonsInAGroupThatMayBeUpToggle) {
  auto* button = new TSpeedButton(form);
  button->SetParent(form);
  button->GroupIndex = 2;
  button->AllowAllUp = true;
  button->Click();
  EXPECT_TRUE(button->Down());
  button->Click();
  EXPECT_FALSE(button->Down());
  button->SetEnabled(false);
  button->Click();
  EXPECT_FALSE(button->Down());
}

}  // namespace
}  // namespace qv
