// The framework against the real Win32 API: window procedures, list boxes,
// timers, the clipboard, drawing, dialogs and the application's error guard.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "framework/ChoiceCtrls.h"
#include "framework/Clipbrd.h"
#include "framework/ComCtrls.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/ShortCuts.h"
#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"
#include "framework/Win32Error.h"
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
  EXPECT_EQ(list->ItemIndex(), 1);   // restored by number
  list->Items().Insert(0, "zebra");  // an insert at an index is never sorted
  EXPECT_EQ(list->Items().Get(0), "zebra");

  // The system destroying the window with its parent takes the same way down: the
  // control lets go of it and keeps its lines for the next window.
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  list->SetParent(panel);
  ASSERT_TRUE(list->HandleAllocated());
  DestroyWindow(panel->Handle());
  EXPECT_FALSE(list->HandleAllocated());
  EXPECT_FALSE(panel->HandleAllocated());
  ASSERT_EQ(list->Count(), 3);  // sorted again as they come back
  EXPECT_EQ(list->Items().Get(1), "pear");
  EXPECT_EQ(list->Items().GetObject(1), 1);
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
    EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
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

struct Thrower {
  TWndMethod saved;
  void Proc(TMessage& m) {
    if (m.Msg == WM_USER + 9) throw Exception("failed while another thread waited");
    saved(m);
  }
};

TEST_F(Framework, AnErrorInAMessageFromAnotherThreadIsShownOnlyAfterTheSenderHasItsAnswer) {
  auto* control = new TPanel(form);
  control->SetParent(form);
  Thrower thrower{control->WindowProc};
  control->WindowProc = TWndMethod::Of<&Thrower::Proc>(&thrower);
  std::atomic<bool> answered{false};
  bool answeredWhenShown = false;
  std::string shown;
  DialogHook() = [&](const TDialogRequest& r) {
    // A box shown inside the send would keep the sender waiting for as long as it is up.
    test::PumpUntil([&] { return answered.load(); }, 2000);
    answeredWhenShown = answered;
    shown = r.Text;
    return TModalResult::mrOk;
  };
  const HWND window = control->Handle();
  std::thread sender([&] {
    SendMessageA(window, WM_USER + 9, 0, 0);
    answered = true;
  });
  ASSERT_TRUE(test::PumpUntil([&] { return !shown.empty(); }));
  sender.join();
  EXPECT_TRUE(answeredWhenShown);
  EXPECT_EQ(shown, "failed while another thread waited");
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

TEST(Win32Error, AFailedCallIsNamedWithItsCodeAndTheSystemsText) {
  HWND desktop = GetDesktopWindow();
  EXPECT_EQ(Win32Check(desktop, "GetDesktopWindow"), desktop);
  // A handle closed already: ERROR_INVALID_HANDLE is 6.
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  try {
    Win32Check(CloseHandle(event), "CloseHandle");
    FAIL() << "no exception";
  } catch (const EWin32Error& e) {
    EXPECT_EQ(e.Call(), "CloseHandle");
    EXPECT_EQ(e.ErrorCode(), 6u);
    // The system's wording differs between systems; the call and the code are ours.
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("CloseHandle failed: ", 0), 0u) << message;
    EXPECT_TRUE(message.ends_with(" (error 6)")) << message;
  }
}

TEST(Handles, FileAndSearchOwnersTakeInvalidHandleValueForNoneAndCloseWhatTheyOwn) {
  test::ScratchFolder folder;
  const std::string path = folder.File("held.txt");
  auto open = [&path](DWORD disposition) {
    return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  disposition, 0, nullptr));
  };
  EXPECT_FALSE(open(OPEN_EXISTING));
  {
    UniqueFile held = open(CREATE_NEW);
    ASSERT_TRUE(held);
    EXPECT_FALSE(open(OPEN_EXISTING)) << "opened twice without sharing";
    UniqueFile moved = std::move(held);
    EXPECT_FALSE(held);
    EXPECT_EQ(held.release(), INVALID_HANDLE_VALUE);
  }
  EXPECT_TRUE(open(OPEN_EXISTING)) << "the owner did not close it";

  WIN32_FIND_DATAA found;
  EXPECT_FALSE(UniqueFind(FindFirstFileA(folder.File("none*").c_str(), &found)));
  EXPECT_TRUE(UniqueFind(FindFirstFileA(folder.File("held*").c_str(), &found)));
}

TEST(WideText, LeadBytesAreThoseOfADoubleByteCodePageOnly) {
  if (!IsValidCodePage(932)) GTEST_SKIP() << "code page 932 is not installed";
  const TLeadBytes sjis = LeadBytesOf(932);
  EXPECT_TRUE(sjis[0x81] && sjis[0x9F] && sjis[0xE0] && sjis[0xFC]);
  EXPECT_FALSE(sjis[0x5C] || sjis[0x80] || sjis[0xA0] || sjis[0xDF] || sjis[0xFD]);
  EXPECT_FALSE(LeadBytesOf(1252).Any());
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

// A click on the system's box, as the user makes it.
void ClickButton(TWinControl* c) {
  SendMessageA(c->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c->Handle()), BN_CLICKED),
               reinterpret_cast<LPARAM>(c->Handle()));
}

TEST_F(Framework, CheckBoxesGrayOnlyWhenAllowedAndRadioButtonsExcludeEachOther) {
  auto* box = new TCheckBox(form);
  box->SetParent(form);
  form->Show();
  ClickButton(box);
  EXPECT_EQ(box->State(), TCheckBoxState::cbChecked);
  ClickButton(box);
  EXPECT_EQ(box->State(), TCheckBoxState::cbUnchecked);
  box->AllowGrayed = true;
  ClickButton(box);
  EXPECT_EQ(box->State(), TCheckBoxState::cbGrayed);
  EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_FALSE(box->Checked());
  ClickButton(box);
  EXPECT_TRUE(box->Checked());

  auto* a = new TRadioButton(form);
  a->SetParent(form);
  auto* b = new TRadioButton(form);
  b->SetParent(form);
  auto* group = new TRadioGroup(form);
  group->SetParent(form);
  group->SetItems({"x", "y"});
  a->SetChecked(true);
  ClickButton(b);
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(SendMessageA(a->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(group->ItemIndex(), -1) << "another parent's buttons are left alone";
  group->SetItemIndex(1);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(group->Buttons(1)->Owner(), group);
  group->SetItems({"only"});
  EXPECT_EQ(group->ComponentCount(), 1);
}

struct MenuClicks {
  int n = 0;
  void Clicked(TObject*) { ++n; }
};

TEST_F(Framework, AFormsMenuBarRunsTheCommandsOfItsItems) {
  auto* bar = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("&File");
  bar->Items().Add(file);
  auto* open = new TMenuItem(form);
  open->SetCaption("&Open");
  file->Add(open);
  MenuClicks clicks;
  open->OnClick = TNotifyEvent::Of<&MenuClicks::Clicked>(&clicks);
  form->SetMenu(bar);
  form->Show();
  HMENU menu = GetMenu(form->Handle());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 1);
  const UINT id = GetMenuItemID(GetSubMenu(menu, 0), 0);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
  EXPECT_EQ(clicks.n, 1);
  // A bar that goes leaves the form without one.
  bar->Free();
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
}

TEST_F(Framework, CommonControlsKeepTheirValues) {
  auto* hotKey = new THotKey(form);
  hotKey->SetParent(form);
  hotKey->SetHotKey(TextToShortCut("Ctrl+Alt+Down"));
  form->Show();
  EXPECT_EQ(ShortCutToText(hotKey->HotKey()), "Ctrl+Alt+Down");
  auto* upDown = new TUpDown(form);
  upDown->Max = 10;
  upDown->SetParent(form);
  upDown->SetPosition(15);
  EXPECT_EQ(upDown->Position(), 10);
  auto* tree = new TTreeView(form);
  tree->SetParent(form);
  HTREEITEM root = tree->AddItem(nullptr, "root");
  ASSERT_NE(root, nullptr);
  EXPECT_NE(tree->AddItem(root, "leaf"), nullptr);
  EXPECT_EQ(SendMessageA(tree->Handle(), TVM_GETCOUNT, 0, 0), 2);
  auto* rich = new TRichEdit(form);
  rich->SetParent(form);
  rich->SetText("rich text");
  EXPECT_EQ(rich->Text(), "rich text");
}

TEST_F(Framework, PageControlShowsThePageOfTheChosenTab) {
  auto* pages = new TPageControl(form);
  pages->SetParent(form);
  pages->SetBounds(0, 0, 200, 120);
  TTabSheet* sheets[2];
  for (TTabSheet*& sheet : sheets) {
    sheet = new TTabSheet(form);
    sheet->SetCaption(sheet == sheets[0] ? "First" : "Second");
    sheet->SetPageControl(pages);
  }
  form->Show();
  EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
  // The page lies inside the tabs' frame, below the tab row.
  EXPECT_GT(sheets[0]->Top(), 10);
  EXPECT_LT(sheets[0]->Width(), 200);

  // A click on the second tab.
  RECT tab{};
  SendMessageA(pages->Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  const LPARAM at = MAKELPARAM(tab.left + 5, tab.top + 5);
  SendMessageA(pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(pages->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_TRUE(IsWindowVisible(sheets[1]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));

  // A page that goes takes its tab with it.
  sheets[0]->Free();
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

}  // namespace
}  // namespace qv
