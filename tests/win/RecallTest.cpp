// Recall and paste, slot keys, the hot key and dragging, against the real
// clipboard and list box.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/PasteTarget.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"
#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

std::string IdOf(int i) {
  char id[14];
  std::snprintf(id, sizeof id, "%07d%06d", i + 1, i + 1);
  return id;
}

// A clipboard owner that closes the clipboard when it loses it: whoever is
// emptying the clipboard then has it closed under them, and their write is refused.
LRESULT CALLBACK ClosingOwnerProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_DESTROYCLIPBOARD) CloseClipboard();
  return DefWindowProcA(wnd, msg, wparam, lparam);
}

class Recall : public test::MainWindowFixture {
 protected:
  // A history of n clips "c0" (newest) .. "c<n-1>"; those hasText refuses have no block.
  void StartWithClips(int n, const std::function<bool(int)>& hasText = nullptr) {
    std::string list, store;
    for (int i = 0; i < n; ++i) {
      list += "c" + std::to_string(i) + ListLineMarker + IdOf(i) + "\r\n";
      if (!hasText || hasText(i))
        store += "/:hdr:\\" + IdOf(i) + "\r\nc" + std::to_string(i) + "\r\n/:tlr:\\" +
                 IdOf(i) + "\r\n";
    }
    folder.Write("Lb1.qvl", list);
    folder.Write("vqclips.qvl", store);
    Start();
    test::Pump();
    form->Recall.SetPasteDelay(0);
  }
  // A history of these texts, the first the newest; each line shows its text's first line.
  void StartWithTexts(const std::vector<std::string>& texts) {
    std::string list, store;
    for (size_t i = 0; i < texts.size(); ++i) {
      const int n = static_cast<int>(i);
      list += texts[i].substr(0, texts[i].find('\r')) + ListLineMarker + IdOf(n) + "\r\n";
      store += "/:hdr:\\" + IdOf(n) + "\r\n" + texts[i] + "\r\n/:tlr:\\" + IdOf(n) + "\r\n";
    }
    folder.Write("Lb1.qvl", list);
    folder.Write("vqclips.qvl", store);
    Start();
    test::Pump();
    form->Recall.SetPasteDelay(0);
  }
  void Press(WORD key, TShiftState shift = 0) {
    WORD k = key;
    form->OnKeyDown(form, k, shift);
    test::Pump();  // our own clipboard notice arrives and is skipped
  }
  std::string Line(int i) { return form->ClipControls().ClipList->Items().Get(i); }
  // The window up, as the hot key leaves it.
  void ShowWindow() {
    form->Show();  // first activation, then hidden
    test::Pump();
    form->ToggleClips();
    ASSERT_TRUE(form->Shown());
  }
  std::string ClipboardText() { return Clipboard().AsText(); }
};

// Recall needs no window: a history, capture (to skip its own write) and a host that hides.
// With no watcher, no notice ever comes: a copy made before the recall is still recorded
// first, and the recall's own write is not, whatever notices of it arrive.
TEST(RecallUnit, WorksWithoutTheMainWindowAndKeepsACopyWhoseNoticeNeverCame) {
  struct THost : TCaptureHost, TRecallHost {
    TClipboard clipboard;
    std::vector<std::string> calls;
    TClipboard& CaptureClipboard() override { return clipboard; }
    int TextWidth(const std::string&) override { return 0; }
    void NotKept(const std::string&) override { calls.push_back("not kept"); }
    void HideForPaste() override { calls.push_back("hide"); }
    void RecallEnded() override { calls.push_back("ended"); }
  } host;
  TComponent owner(nullptr);
  TClipHistory history;
  TClipCapture capture(&owner, history, host);
  capture.CancelSkip();
  TClipRecall recall(&owner, history, capture, host);
  TClipIdGenerator ids([] { return 0x7FFFFFFFu; });
  history.AddClip("older", "0000000000001", "older");
  history.AddClip("newer", "0000000000002", "newer");
  Clipboard().SetAsText("copied meanwhile");
  recall.Recall(1, TRecallChoice{false, true, false, {}});
  EXPECT_EQ(Clipboard().AsText(), "older\r\n");
  ASSERT_EQ(history.Count(), 3);
  EXPECT_EQ(history.Display(0), "older");  // the picked line, not the one now at index 1
  EXPECT_EQ(history.Display(1), "copied meanwhile");
  capture.ClipboardChanged();
  capture.ClipboardChanged();
  EXPECT_EQ(history.Count(), 3);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"hide", "ended"}));

  // A full store: the copy makes room, so one line comes in at the top and the oldest
  // goes; the count is the same, yet every line has moved. Three clips of five fit.
  TClipHistory full(3 * 49 + 2 * 2);
  TClipCapture fullCapture(&owner, full, host);
  fullCapture.CancelSkip();
  TClipRecall fullRecall(&owner, full, fullCapture, host);
  for (const char* text : {"aaaaa", "bbbbb", "ccccc"})
    ASSERT_TRUE(full.AddClip(text, ids.Next(), text));
  Clipboard().SetAsText("ddddd");
  fullRecall.Recall(1, TRecallChoice{false, false, false, {}});
  EXPECT_EQ(Clipboard().AsText(), "bbbbb");
  ASSERT_EQ(full.Count(), 3);
  EXPECT_EQ(full.Display(0), "bbbbb");
  EXPECT_EQ(full.Display(1), "ddddd");
  // A range over found lines, the same way: the picked lines, wherever they went.
  full.Clear();
  for (const char* text : {"aaaaa", "bbbbb", "ccccc"})
    ASSERT_TRUE(full.AddClip(text, ids.Next(), text));
  Clipboard().SetAsText("eeeee");
  fullRecall.Recall(1, TRecallChoice{true, false, false, {1, 0}});
  EXPECT_EQ(Clipboard().AsText(), "bbbbb\r\nccccc\r\n");
}

TEST_F(Recall, TheExactTextGoesBackAsUnicodeAndAnsiTextsFromTheCodePage) {
  StartWithClips(0);
  const std::string exact = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x86\x92 \xF0\x9F\x98\x80";  // Grüße → 😀
  ASSERT_TRUE(form->History.AddClip("caf\xE9", "0000000000001", "caf\xE9"));
  ASSERT_TRUE(form->History.AddClip("Gr\xFC\xDF" "e ? ?", "0000000000002", "x", exact));
  Press('1');
  Clipboard().Open();
  const std::optional<std::wstring> pasted = Clipboard().ReadUnicodeText();
  Clipboard().Close();
  EXPECT_EQ(pasted, Utf8ToWide(exact));
  // Readers of 8-bit text get the system's rendering of it.
  EXPECT_EQ(ClipboardText().substr(0, 5), "Gr\xFC\xDF" "e");

  form->ClipControls().RangeButton->Click();
  form->ClipControls().PlusCrLfButton->Click();
  Press('2');  // "café" first, then the exact text; é as the code page means it
  Clipboard().Open();
  EXPECT_EQ(Clipboard().ReadUnicodeText(), L"caf\u00E9\r\n" + Utf8ToWide(exact) + L"\r\n\r\n");
  Clipboard().Close();
}

// A clipboard without memory for the text: the user's clipboard stays as it was.
TEST(RecallUnit, AWriteWithoutMemoryLeavesTheClipboardWhole) {
  struct TNoMemoryClipboard : TClipboard {
    HGLOBAL AllocateGlobal(SIZE_T) override { return nullptr; }
  } starved;
  Clipboard().SetAsText("the user's");
  const DWORD sequence = GetClipboardSequenceNumber();
  EXPECT_THROW(starved.SetAsText("recalled"), EClipboardException);
  EXPECT_THROW(starved.SetAsUnicodeText(L"recalled"), EClipboardException);
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
  EXPECT_EQ(Clipboard().AsText(), "the user's");
}

// The user's copy whose notice is still on its way when the recall writes: it is
// recorded, and the recalled text is not recorded again.
TEST_F(Recall, ACopyWhoseNoticeIsPendingDuringTheRecallIsRecordedAndTheRecallIsNot) {
  StartWithClips(3);
  // Another program's copy, its notice not yet handled: this thread does not pump.
  std::thread([] {
    ASSERT_TRUE(OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 16);
    std::memcpy(GlobalLock(mem), "copied just now", 16);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
  }).join();
  WORD key = '3';
  form->OnKeyDown(form, key, 0);
  test::Pump();
  EXPECT_EQ(ClipboardText(), "c2");
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 4);
  EXPECT_EQ(Line(0).substr(0, 2), "c2");
  EXPECT_EQ(form->History.Display(1), "copied just now");
  EXPECT_EQ(Line(2).substr(0, 2), "c0");
}

TEST_F(Recall, ASlotKeyRecallsItsLineAndMovesItToTheTop) {
  StartWithClips(5);
  Press('3');
  EXPECT_EQ(ClipboardText(), "c2");
  EXPECT_EQ(Line(0).substr(0, 2), "c2");
  EXPECT_EQ(Line(1).substr(0, 2), "c0");
  EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), -1);
  EXPECT_FALSE(form->Shown());
  EXPECT_FALSE(form->Capture.SkippingNextNotice());  // the program's own write was skipped...
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 5);  // ...and not captured
  Press('1');  // the top line: order unchanged
  EXPECT_EQ(ClipboardText(), "c2");
  EXPECT_EQ(Line(0).substr(0, 2), "c2");
}

TEST_F(Recall, SlotKeysFollowTheLabelsAndIgnoreModifiersAndOtherKeys) {
  StartWithClips(80);
  Press('0');
  EXPECT_EQ(ClipboardText(), "c9");
  Press(VK_F1);
  EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), -1);
  form->ClipControls().ClipList->SetTopIndex(5);
  ASSERT_EQ(form->ClipControls().ClipList->TopIndex(), 5);
  WORD key = '6';
  form->OnKeyDown(form, key, ssCtrl);  // line 5 carries label "6"
  EXPECT_EQ(ClipboardText(), "c4");      // c9 moved to the top earlier: line 5 is c4
  form->ClipControls().ClipList->SetTopIndex(5);
  Press('1');  // label "1" of the second column: line 36
  EXPECT_EQ(ClipboardText(), "c36");
}

TEST_F(Recall, ArrowsSelectWithoutRecallingSpaceKeepsDeleteRemovesAndEnterRecalls) {
  StartWithClips(4);
  TCheckListBox& list = *form->ClipControls().ClipList;
  const std::string clipboard = ClipboardText();
  const int count = list.Count();
  Press(VK_DOWN);  // the first Down selects the top line
  EXPECT_EQ(list.ItemIndex(), 0);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_UP);
  EXPECT_EQ(list.ItemIndex(), 1);
  EXPECT_EQ(ClipboardText(), clipboard);
  EXPECT_EQ(list.Count(), count);
  const std::string below = Line(2);

  Press(VK_SPACE);
  EXPECT_TRUE(form->History.Kept(1));
  EXPECT_EQ(list.ItemState(1), TCheckBoxState::cbChecked);
  char space = ' ';
  form->OnKeyPress(form, space);  // its character does not toggle it back in the list
  EXPECT_EQ(space, 0);
  prompts.answers = {TModalResult::mrNo};
  Press(VK_DELETE);
  ASSERT_FALSE(prompts.asked.empty());
  EXPECT_EQ(prompts.asked.back().Text, "Delete this kept clip?");
  EXPECT_EQ(list.Count(), count);

  Press(VK_SPACE);
  EXPECT_FALSE(form->History.Kept(1));
  const size_t asked = prompts.asked.size();
  Press(VK_DELETE);  // not kept: no question
  EXPECT_EQ(prompts.asked.size(), asked);
  ASSERT_EQ(list.Count(), count - 1);
  EXPECT_EQ(Line(1), below);  // the lines below moved up, and the selection with them
  EXPECT_EQ(list.ItemIndex(), 1);
  Press(VK_RETURN);
  EXPECT_EQ(ClipboardText(), form->History.TextOf(0).value_or("?"));
  EXPECT_EQ(Line(0), below);
}

// With the mouse, as a person clicks: the check box keeps the clip and lets it go, without
// a recall; the text recalls.
TEST_F(Recall, AClickOnTheCheckBoxKeepsTheClipAndOneOnTheTextRecallsIt) {
  StartWithClips(3);
  ShowWindow();
  TCheckListBox& list = *form->ClipControls().ClipList;
  const std::string clipboard = ClipboardText();
  const RECT check = list.CheckRect(1);
  const int y = (check.top + check.bottom) / 2;
  const auto click = [&](int x) {
    POINT at{x, y};
    ClientToScreen(list.Handle(), &at);
    INPUT in[3]{};
    for (INPUT& i : in) {
      i.type = INPUT_MOUSE;
      i.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
      i.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
      i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    in[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
    test::PumpUntil([] { return false; }, 200);
  };
  for (const bool kept : {true, false}) {
    click((check.left + check.right) / 2);
    EXPECT_EQ(form->History.Kept(1), kept);
    EXPECT_EQ(list.ItemState(1), kept ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    EXPECT_TRUE(form->Shown());
    EXPECT_EQ(ClipboardText(), clipboard);
  }
  click(check.right + 20);
  EXPECT_TRUE(test::PumpUntil([&] { return ClipboardText() == "c1"; })) << ClipboardText();
  EXPECT_FALSE(form->Shown());
  EXPECT_FALSE(form->History.Kept(0));
}

TEST_F(Recall, ASlotWithoutALineRecallsNothing) {
  StartWithClips(3);
  Clipboard().SetAsText("kept");
  test::Pump();
  const int count = form->ClipControls().ClipList->Count();
  Press('Z');
  EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), -1);
  EXPECT_EQ(Clipboard().AsText(), "kept");
  EXPECT_GE(form->ClipControls().ClipList->Count(), count);
}

TEST_F(Recall, RangeModeTakesTheRunToTheTopOldestFirstOnce) {
  StartWithClips(6);
  form->ClipControls().RangeButton->Click();
  ASSERT_TRUE(form->ClipControls().RangeButton->Down());
  Press('4');
  EXPECT_EQ(ClipboardText(), "c3\r\nc2\r\nc1\r\nc0\r\n");
  EXPECT_EQ(Line(0).substr(0, 2), "c0");  // the order is left alone
  EXPECT_FALSE(form->ClipControls().RangeButton->Down());

  form->ClipControls().RangeButton->Click();
  form->ClipControls().PlusCrLfButton->Click();  // "+cR"
  Press('1');
  EXPECT_EQ(ClipboardText(), "c0\r\n\r\n");
  form->ClipControls().PlusCrLfLfButton->Click();  // "+CR" takes the group's place
  EXPECT_FALSE(form->ClipControls().PlusCrLfButton->Down());
  form->ClipControls().RangeButton->Click();
  Press('1');
  EXPECT_EQ(ClipboardText(), "c0\r\n\r\n\n");
}

// The find line: every word anywhere in the whole text, labels over the found lines,
// Ctrl plus a slot key, the arrows and Enter recall; a plain slot key types.
class Find : public Recall {
 protected:
  void SetUp() override {
    Recall::SetUp();
    StartWithTexts({"alpha street\r\nTuesday", "beta", "street only", "ALPHA tuesday road",
                    "gamma"});
    ShowWindow();
    Press(VK_F3);
    ASSERT_TRUE(form->Find().IsOpen());
    ASSERT_TRUE(form->ClipControls().FindLine->Visible());
  }
};

TEST_F(Find, TheListShowsTheClipsHoldingEveryWordAndCtrlSlotRecallsByLabel) {
  form->ClipControls().FindLine->SetText("tuesday  ALPHA");
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 2);
  EXPECT_EQ(Line(0).substr(0, 12), "alpha street");
  EXPECT_EQ(Line(1).substr(0, 13), "ALPHA tuesday");
  Press('2');  // without Ctrl a slot key is typed, not a recall
  EXPECT_TRUE(form->Shown());
  Press('2', ssCtrl);
  EXPECT_EQ(ClipboardText(), "ALPHA tuesday road");
  // Hidden, the find is over: the whole list, the recalled clip on top.
  EXPECT_FALSE(form->Find().IsOpen());
  EXPECT_FALSE(form->ClipControls().FindButton->Down());
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 5);
  EXPECT_EQ(Line(0).substr(0, 13), "ALPHA tuesday");
  EXPECT_EQ(Line(1).substr(0, 12), "alpha street");
}

TEST_F(Find, ArrowsAndEnterRecallTheSelectedLineAndEscEmptiesThenCloses) {
  form->ClipControls().FindLine->SetText("street");
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 2);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_DOWN);  // stays on the last line
  EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), 1);
  Press(VK_UP);
  EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), 0);
  Press(VK_ESCAPE);
  EXPECT_TRUE(form->Find().IsOpen());
  EXPECT_EQ(form->ClipControls().FindLine->Text(), "");
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 5);
  Press(VK_ESCAPE);
  EXPECT_FALSE(form->Find().IsOpen());
  EXPECT_FALSE(form->ClipControls().FindLine->Visible());
  EXPECT_TRUE(form->ClipControls().Logo->Visible());
  Press('2');  // a slot key recalls again
  EXPECT_EQ(ClipboardText(), "beta");

  ShowWindow();
  form->ClipControls().FindButton->Click();
  ASSERT_TRUE(form->Find().IsOpen());
  form->ClipControls().FindLine->SetText("street");
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_EQ(ClipboardText(), "street only");
}

TEST_F(Find, ARangeTakesTheFoundLinesFromThePickedOneUpToTheTop) {
  form->ClipControls().FindLine->SetText("street");
  form->ClipControls().RangeButton->Click();
  form->ClipControls().PlusCrLfButton->Click();
  Press('2', ssCtrl);
  EXPECT_EQ(ClipboardText(), "street only\r\nalpha street\r\nTuesday\r\n\r\n");
  EXPECT_EQ(Line(0).substr(0, 12), "alpha street");  // the order is left alone
  // The hot key's hide ends a find too; the next show has the whole list.
  ShowWindow();
  Press(VK_F3);
  form->ClipControls().FindLine->SetText("gamma");
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 1);
  form->ToggleClips();
  EXPECT_FALSE(form->Find().IsOpen());
  EXPECT_EQ(form->ClipControls().ClipList->Count(), 5);
}

TEST_F(Recall, RangeModeCannotBeArmedWhileTheListIsScrolled) {
  StartWithClips(80);
  form->ClipControls().ClipList->SetTopIndex(3);
  form->ClipControls().RangeButton->Click();
  EXPECT_FALSE(form->ClipControls().RangeButton->Down());
}

TEST_F(Recall, AClickOnALineWithoutTheMarkerRecallsNothing) {
  // Its text is in the store, so only the missing marker keeps it from a recall.
  folder.Write("Lb1.qvl", "typed by hand " + IdOf(0) + "\r\n");
  folder.Write("vqclips.qvl", "/:hdr:\\" + IdOf(0) + "\r\nhidden\r\n/:tlr:\\" + IdOf(0) + "\r\n");
  Start();
  form->Capture.SetOn(false);  // the next copy is not recorded
  Clipboard().SetAsText("kept");
  test::Pump();
  form->ClipControls().ClipList->SetItemIndex(0);
  form->ClipControls().ClipList->OnClick(nullptr);
  EXPECT_EQ(Clipboard().AsText(), "kept");
  EXPECT_FALSE(form->Capture.SkippingNextNotice());
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 1);
  EXPECT_EQ(Line(0), "typed by hand " + IdOf(0));
}

// A window of another application, as far as a paste is concerned: it pastes the
// clipboard on exactly Ctrl+V, and writes down any other key it is sent.
class PasteTarget {
 public:
  PasteTarget() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvTestPasteTarget";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             500, 300, 200, 100, nullptr, nullptr, wc.hInstance, this);
  }
  ~PasteTarget() {
    if (IsWindow(window)) DestroyWindow(window);
  }
  HWND window = nullptr;
  std::string pasted;
  std::vector<std::string> others;

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrA(wnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<PasteTarget*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && wp == 'V') {
      const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0,
                 alt = GetKeyState(VK_MENU) < 0;
      if (ctrl && !shift && !alt)
        self->pasted += Clipboard().AsText();
      else
        self->others.push_back(std::string(ctrl ? "Ctrl+" : "") + (shift ? "Shift+" : "") +
                               (alt ? "Alt+" : "") + "V");
    }
    return DefWindowProcA(wnd, msg, wp, lp);
  }
};

void HoldKey(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

TEST_F(Recall, ASlotKeyWithShiftHeldStillPastesWithExactlyCtrlV) {
  StartWithClips(3);
  PasteTarget target;
  SetForegroundWindow(target.window);
  test::PumpUntil([] { return false; }, 200);  // the focus change is over
  // The target stays in front throughout: under Wine a change of focus would
  // itself let go of a Shift that only SendInput holds.
  form->Recall.SetPasteTarget(target.window);
  HoldKey(VK_LSHIFT, true);
  test::Pump();
  ASSERT_LT(GetKeyState(VK_SHIFT), 0);
  Press('2');
  EXPECT_TRUE(test::PumpUntil([&] { return !target.pasted.empty() || !target.others.empty(); }));
  HoldKey(VK_LSHIFT, false);
  test::Pump();
  EXPECT_EQ(target.pasted, "c1");
  EXPECT_TRUE(target.others.empty()) << target.others.front();
  EXPECT_EQ(GetForegroundWindow(), target.window);
}

// The paste waits on a timer: meanwhile the window answers what other programs send it
// (a clipboard viewer passing a notice on, a second start), and the paste still follows.
TEST_F(Recall, TheWindowAnswersDuringThePasteDelayAndThePasteFollowsIt) {
  StartWithClips(3);
  PasteTarget target;
  SetForegroundWindow(target.window);
  test::PumpUntil([] { return false; }, 200);
  form->Recall.SetPasteTarget(target.window);
  form->Recall.SetPasteDelay(1500);
  Press('2');
  EXPECT_TRUE(form->Recall.PastePending());
  std::atomic<bool> answered{false};
  const HWND window = form->Handle();
  std::thread other([&] {
    SendMessageA(window, WM_NULL, 0, 0);
    answered = true;
  });
  EXPECT_TRUE(test::PumpUntil([&] { return answered.load(); }));
  other.join();
  EXPECT_TRUE(form->Recall.PastePending());
  EXPECT_EQ(target.pasted, "");
  EXPECT_TRUE(test::PumpUntil([&] { return !target.pasted.empty(); }));
  EXPECT_EQ(target.pasted, "c1");
  EXPECT_FALSE(form->Recall.PastePending());
}

// During the delay, the hot key drops the paste and brings the clips up (a paste then
// would land in the clip window); a second recall replaces the pending one: one Ctrl+V;
// quitting drops it.
TEST_F(Recall, AHotKeyASecondRecallOrQuitDuringThePasteDelayLeaveNoPasteBehind) {
  StartWithClips(3);
  form->Show();  // first activation, then hidden
  test::Pump();
  PasteTarget target;
  SetForegroundWindow(target.window);
  test::PumpUntil([] { return false; }, 200);
  form->Recall.SetPasteTarget(target.window);
  form->Recall.SetPasteDelay(300);
  Press('2');
  ASSERT_TRUE(form->Recall.PastePending());
  form->ToggleClips();
  EXPECT_FALSE(form->Recall.PastePending());
  EXPECT_TRUE(form->Shown());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  test::PumpUntil([] { return false; }, 600);
  EXPECT_EQ(target.pasted, "");
  EXPECT_EQ(ClipboardText(), "c1");  // there to paste by hand

  form->Recall.SetPasteTarget(target.window);
  Press('2');  // c0, pushed down by the first recall
  Press('3');  // c2
  // After the delay the paste waits for the target to come in front, which a window
  // manager can take its time over; what must never come is a paste of c0.
  test::PumpUntil([&target] { return !target.pasted.empty(); }, 2500);
  test::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(target.pasted, "c2");

  // Quitting while a paste waits: the paste goes with the program.
  Press('1');
  ASSERT_TRUE(form->Recall.PastePending());
  app.reset();
  test::PumpUntil([] { return false; }, 500);
  EXPECT_EQ(target.pasted, "c2");
}

TEST_F(Recall, WhenTheRememberedWindowIsGoneNothingIsTyped) {
  StartWithClips(3);
  form->Show();
  test::Pump();
  auto gone = std::make_unique<PasteTarget>();
  SetForegroundWindow(gone->window);
  test::Pump();
  form->ToggleClips();
  gone.reset();
  PasteTarget bystander;
  SetForegroundWindow(bystander.window);
  test::Pump();
  Press('3');
  test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(bystander.pasted, "");
  EXPECT_TRUE(bystander.others.empty());
  EXPECT_EQ(Clipboard().AsText(), "c2");  // the text is there to paste by hand
}

// An elevated window drops the keys sent to it: the clip stays on the clipboard and the
// balloon says what to do. Windows of the program's own rights take the paste.
TEST_F(Recall, AWindowWithHigherRightsGetsNoKeysAndTheBalloonSaysToPasteByHand) {
  StartWithClips(3);
  PasteTarget target;
  EXPECT_FALSE(RunsAbove(target.window));  // the same process
  EXPECT_FALSE(RunsAbove(GetDesktopWindow()));  // another, with the same rights
  EXPECT_FALSE(RunsAbove(nullptr));
  form->Recall.TargetRunsAbove = [&target](HWND w) { return w == target.window; };
  SetForegroundWindow(target.window);
  test::Pump();
  form->Recall.SetPasteTarget(target.window);
  Press('2');
  EXPECT_TRUE(test::PumpUntil([&] { return !form->Recall.PastePending(); }));
  test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(target.pasted, "");
  EXPECT_TRUE(target.others.empty());
  EXPECT_EQ(Clipboard().AsText(), "c1");
  EXPECT_STREQ(form->Tray().TrayIcon->BalloonData().szInfo, kElevatedTargetNotice);
}

TEST_F(Recall, AClipboardThatStaysBusyStopsTheRecallAndTheNextCopyIsStillRecorded) {
  StartWithClips(3);
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> done{false};
  std::thread holder([&] {
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                               nullptr);
    OpenClipboard(wnd);
    SetEvent(opened);
    WaitForSingleObject(release, 5000);
    CloseClipboard();
    DestroyWindow(wnd);
    done = true;
  });
  // Pumping meanwhile: with a window manager, the holder's window creation talks to this
  // thread's windows.
  ASSERT_TRUE(test::PumpUntil([&] { return WaitForSingleObject(opened, 0) == WAIT_OBJECT_0; }));
  WORD key = '2';
  EXPECT_THROW(form->OnKeyDown(form, key, 0), EClipboardException);
  SetEvent(release);
  test::PumpUntil([&] { return done.load(); });
  holder.join();
  EXPECT_FALSE(form->Capture.SkippingNextNotice());
  EXPECT_EQ(Line(1).substr(0, 2), "c1");  // the list is unchanged
  CloseHandle(opened);
  CloseHandle(release);
}

TEST_F(Recall, AClipboardThatRefusesTheWriteStopsTheRecallAsABusyOneDoes) {
  StartWithClips(3);
  ShowWindow();
  WNDCLASSA wc{};
  wc.lpfnWndProc = ClosingOwnerProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QvClosingClipboardOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               wc.hInstance, nullptr);
  ASSERT_TRUE(OpenClipboard(owner));
  ::EmptyClipboard();
  CloseClipboard();
  test::Pump();

  WORD key = '2';
  EXPECT_THROW(form->OnKeyDown(form, key, 0), EClipboardException);
  EXPECT_FALSE(form->Capture.SkippingNextNotice());
  EXPECT_EQ(Line(1).substr(0, 2), "c1");  // the list is unchanged
  EXPECT_TRUE(form->Shown());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  DestroyWindow(owner);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST_F(Recall, LinesWhoseTextIsGoneAreLeftOutAndARecallOfNothingStillEnds) {
  // Lines 0, 1 and 3 have no block in the store.
  StartWithClips(5, [](int i) { return i == 2 || i == 4; });

  form->ClipControls().RangeButton->Click();
  Press('5');
  EXPECT_EQ(ClipboardText(), "c4\r\nc2\r\n");

  // A run of lines without text, and a single line without text: nothing is
  // written or pasted, but the recall ends: no selection, range mode up, hidden.
  for (bool range : {true, false}) {
    SCOPED_TRACE(range ? "range" : "single");
    ShowWindow();
    form->ClipControls().RangeButton->SetDown(range);
    const DWORD sequence = GetClipboardSequenceNumber();
    Press(range ? '2' : '4');
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(ClipboardText(), "c4\r\nc2\r\n");
    EXPECT_FALSE(form->ClipControls().RangeButton->Down());
    EXPECT_EQ(form->ClipControls().ClipList->ItemIndex(), -1);
    EXPECT_FALSE(form->Shown());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(Line(3).substr(0, 2), "c3");  // the order is left alone
  }
}

TEST_F(Recall, ASlotKeyOnTheFocusedClipListRecallsOnce) {
  StartWithClips(14);  // every line starts with "c", the letter of slot 12
  ShowWindow();
  // What one recall does to the clipboard, by the key alone.
  DWORD before = GetClipboardSequenceNumber();
  Press('C');
  const DWORD one = GetClipboardSequenceNumber() - before;
  ASSERT_GT(one, 0u);

  // The key as typed: its character follows it to the focused list.
  form->ToggleClips();
  ASSERT_TRUE(form->Shown());
  form->ClipControls().ClipList->SetFocus();
  ASSERT_EQ(GetFocus(), form->ClipControls().ClipList->Handle());
  before = GetClipboardSequenceNumber();
  PostMessageA(form->ClipControls().ClipList->Handle(), WM_KEYDOWN, 'C',
               1 | (MapVirtualKeyA('C', MAPVK_VK_TO_VSC) << 16));
  test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(GetClipboardSequenceNumber() - before, one);
  EXPECT_EQ(Line(0).substr(0, 3), "c11");  // line 12 after the first recall moved c12 up
}

TEST_F(Recall, TheHotKeyShowsAndHidesTheWindow) {
  StartWithClips(50);
  form->Show();  // first activation, then hidden
  test::Pump();
  form->ToggleClips();
  EXPECT_TRUE(form->Shown());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // The labels follow the list as it scrolls.
  const TClipWindowControls& c = form->ClipControls();
  c.ClipList->SetTopIndex(10);
  EXPECT_TRUE(test::PumpUntil([&] { return c.SlotLabels->TopIndex() == 10; }, 2000));
  const POINT cursor = CursorPosition();
  EXPECT_EQ(cursor.x, form->Left() + kClipWindowWidth - 3);
  EXPECT_EQ(cursor.y, form->Top() + 119);
  form->ToggleClips();
  EXPECT_FALSE(form->Shown());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(Recall, ThePanelDragsTheWindowWithTheLeftButtonOnly) {
  StartWithClips(1);
  const int left = form->Left(), top = form->Top();
  form->ClipControls().Panel->OnMouseDown(nullptr, mbLeft, ssLeft, 10, 10);
  form->ClipControls().Panel->OnMouseMove(nullptr, ssLeft | ssCtrl, 30, 30);
  EXPECT_EQ(form->Left(), left);
  form->ClipControls().Panel->OnMouseMove(nullptr, ssLeft, 15, 12);
  EXPECT_EQ(form->Left(), left + 5);
  EXPECT_EQ(form->Top(), top + 2);
}

}  // namespace
}  // namespace qv
