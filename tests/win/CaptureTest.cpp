// Capture through the real clipboard: texts copied while the main window runs
// become clips, newest first, unless they repeat the last one, caching is off,
// the change brings no text, or its source marks the content as private.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "framework/WideText.h"
#include "tests/win/MainWindowFixture.h"

// Allocations from a given size on fail while a test asks for it, as they do in a 32-bit
// process that has no room left for one more copy of a large text. This replaces operator
// new for every test of this binary; it behaves as the usual one unless a test asks.
namespace {
std::atomic<size_t> refuse_from{SIZE_MAX};
std::atomic<int> refused{0};

class RefusedAllocations {
 public:
  explicit RefusedAllocations(size_t from) {
    refused = 0;
    refuse_from = from;
  }
  ~RefusedAllocations() { refuse_from = SIZE_MAX; }
  int Count() const { return refused; }
};
}  // namespace

// Replaced alone: the library's operator delete releases with free(), which takes these
// blocks as it takes its own.
void* operator new(size_t size) {
  if (size >= refuse_from) {
    ++refused;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

namespace qv {
namespace {

class Capture : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    folder.Write("Lb1.qvl", "");
    folder.Write("vqclips.qvl", "");
    Start();
    test::Pump();  // the clearing of the clipboard reaches the watcher
  }

  // Copies text as another program would and waits until the watcher has seen it.
  void Copy(const std::string& text, const char* extraFormat = nullptr, DWORD extraValue = 0) {
    const int before = notices;
    Clipboard().Open();
    EmptyClipboard();
    Clipboard().SetAsText(text);
    if (extraFormat) Put(extraFormat, extraValue);
    Clipboard().Close();
    WaitForNotice(before);
  }
  // As a Unicode program copies: UTF-16 only; the system makes the 8-bit forms.
  void CopyWide(const std::wstring& text) {
    const int before = notices;
    Clipboard().SetAsUnicodeText(text);
    WaitForNotice(before);
  }
  void Put(const char* format, DWORD value) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    std::memcpy(GlobalLock(mem), &value, sizeof value);
    GlobalUnlock(mem);
    SetClipboardData(RegisterClipboardFormatA(format), mem);
  }
  void WaitForNotice(int before) {
    ASSERT_TRUE(test::PumpUntil([&] { return notices > before; })) << "no change notice";
  }
  int Count() { return form->ClipControls().ClipList->Count(); }
  std::string Line(int i) { return form->ClipControls().ClipList->Items().Get(i); }
  std::string Display(int i) { return Line(i).substr(0, Line(i).size() - 90); }

  void Counting() {
    counted_ = form->Watcher->OnChange;
    form->Watcher->OnChange = TNotifyEvent::Of<&Capture::Notice>(this);
  }
  void Notice(TObject* sender) {
    ++notices;
    counted_(sender);
  }

  int notices = 0;
  TNotifyEvent counted_;
};

TEST_F(Capture, OneLineTextBecomesABlockAndAListLine) {
  Counting();
  Copy("hello");
  ASSERT_EQ(Count(), 1);
  const std::string line = Line(0);
  ASSERT_EQ(line.size(), 5u + 77u + 13u);
  EXPECT_EQ(line.substr(0, 5 + 77), "hello" + ListLineMarker);
  const std::string id = line.substr(82);
  EXPECT_EQ(form->History.Store().Text(), "/:hdr:\\" + id + "\r\nhello\r\n/:tlr:\\" + id);
  EXPECT_EQ(Text(0), "hello");
}

TEST_F(Capture, DisplayLinesFollowTheFirstNonBlankLine) {
  Counting();
  Copy("one\r\ntwo\r\nthree");
  EXPECT_EQ(Display(0), "one...");
  EXPECT_EQ(Text(0), "one\r\ntwo\r\nthree");
  Copy("\r\n \t \r\n  word\r\nrest");
  EXPECT_EQ(Display(0), "  word...");
  Copy("ends with a break\r\n");
  EXPECT_EQ(Display(0), "ends with a break");
  Copy("unix\nlines");
  EXPECT_EQ(Display(0), "unix...");
  EXPECT_EQ(Text(0), "unix\r\nlines");
  EXPECT_EQ(Count(), 4);
}

TEST_F(Capture, AnOverWideLineIsCutToTheLongestStartThatFits) {
  Counting();
  const std::string wide(120, 'W');
  Copy(wide);
  const std::string display = Display(0);
  ASSERT_GE(display.size(), 4u);
  EXPECT_EQ(display.substr(display.size() - 3), "...");
  const std::string cut = display.substr(0, display.size() - 3);
  EXPECT_EQ(cut, wide.substr(0, cut.size()));
  EXPECT_LE(form->ListView().TextWidth(cut), 180);
  EXPECT_GT(form->ListView().TextWidth(wide.substr(0, cut.size() + 1)), 180);
  EXPECT_EQ(Text(0), wide);
}

TEST_F(Capture, RepeatsOfTheLastTextAreNotStoredButAreSeen) {
  Counting();
  Copy("A");
  const unsigned long seen = form->Capture.TextsSeen();
  Copy("A");
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(form->Capture.TextsSeen(), seen + 1);
  Copy("B");
  Copy("A");
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(Text(0), "A");
  EXPECT_EQ(Text(1), "B");
  EXPECT_EQ(Text(2), "A");
  EXPECT_NE(Line(0), Line(2));  // two clips, two ids
}

TEST_F(Capture, AnEmptyTextIsNeverAClip) {
  Counting();
  Copy("");
  EXPECT_EQ(Count(), 0);
  Copy("x");
  Copy("");
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(Text(0), "x");
}

TEST_F(Capture, AChangeWithoutTextChangesNothing) {
  Counting();
  const unsigned long seen = form->Capture.TextsSeen();
  const int before = notices;
  Clipboard().Open();
  EmptyClipboard();
  Put("QvPictureStandIn", 1);
  Clipboard().Close();
  WaitForNotice(before);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(form->Capture.TextsSeen(), seen);
}

TEST_F(Capture, IgnoreNextCopyLetsOneCopyGoAndShowsItUntilThen) {
  Counting();
  Copy("before");
  TTrayCommands& tray = form->Tray();
  tray.IgnoreItem->Click();
  EXPECT_TRUE(tray.IgnoreItem->Checked());
  EXPECT_EQ(tray.TrayIcon->Hint(), "Quorvel Vavad: the next copy is ignored");
  Copy("secret");
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(tray.IgnoreItem->Checked());
  EXPECT_EQ(tray.TrayIcon->Hint(), "");
  Copy("after");
  EXPECT_EQ(Count(), 2);
  tray.IgnoreItem->Click();
  tray.IgnoreItem->Click();  // taken back
  Copy("taken");
  EXPECT_EQ(Count(), 3);
}

TEST_F(Capture, CachingOffTakesNothingAndTheLastTextStillCounts) {
  Counting();
  Copy("kept");
  form->Tray().CachingItem->Click();
  Copy("missed");
  EXPECT_EQ(Count(), 1);
  form->Tray().CachingItem->Click();
  Copy("kept");  // equal to the last text stored before caching went off
  EXPECT_EQ(Count(), 1);
  Copy("new");
  EXPECT_EQ(Count(), 2);
}

TEST_F(Capture, PrivateContentIsNeverRecorded) {
  Counting();
  const unsigned long seen = form->Capture.TextsSeen();
  Copy("secret1", "ExcludeClipboardContentFromMonitorProcessing");
  Copy("secret2", "Clipboard Viewer Ignore");
  Copy("secret3", "CanIncludeInClipboardHistory", 0);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(form->Capture.TextsSeen(), seen);
  Copy("public", "CanIncludeInClipboardHistory", 1);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Text(0), "public");
}

TEST_F(Capture, ATextTheHistoryCannotHoldIsSaidByABalloonWithoutBeingCopied) {
  Counting();
  // One character more than a block in the whole store has room for: 32 MB of UTF-16.
  const std::wstring huge(kStoreCapacity - 43, L'x');
  {
    const RefusedAllocations refusals(8 << 20);
    CopyWide(huge);
    EXPECT_EQ(refusals.Count(), 0);  // judged where it lies: never copied nor converted
  }
  EXPECT_STREQ(form->Tray().TrayIcon->BalloonData().szInfo,
               "A copied text of 16.0 MB was not kept: the history holds at most 16 MB.");
  EXPECT_EQ(Count(), 0);
}

TEST_F(Capture, TheProgramsOwnWriteIsToldApartByItsSequenceNumber) {
  Counting();
  const int before = notices;
  form->Capture.OwnWrite([] { return Clipboard().SetAsText("recalled"); });
  WaitForNotice(before);
  form->Capture.ClipboardChanged();  // any further notice of the same write
  EXPECT_EQ(Count(), 0);
  Copy("recalled");  // someone else's copy of the same text is a copy like any other
  EXPECT_EQ(Count(), 1);
}

TEST_F(Capture, CapturesSurviveAQuitAndARestartNewestFirst) {
  Counting();
  Copy("first");
  Copy("second");
  form->Close();
  const std::string list = *folder.Read("Lb1.qvl");
  const std::string store = *folder.Read("vqclips.qvl");
  EXPECT_EQ(list.substr(0, 6), "second");
  EXPECT_EQ(store.substr(20, 10), "\r\nsecond\r\n");
  EXPECT_EQ(store.substr(store.size() - 2), "\r\n");
}

TEST_F(Capture, CopiesBehindAViewerThatPassesNothingOnAreRecordedAfterTheCheck) {
  Counting();
  Copy("seen");
  test::SwallowingViewer swallower;
  for (const char* text : {"behind it", "and after"}) {
    const int swallowed = swallower.swallowed;
    Clipboard().SetAsText(text);
    ASSERT_TRUE(test::PumpUntil([&] { return swallower.swallowed > swallowed; }));
    form->Watcher->CheckChain();
    test::Pump();
    ASSERT_EQ(Text(0), text);
  }
  EXPECT_EQ(Count(), 3);
}

// Another program's clipboard work on a thread of its own: a window that owns what it
// puts on the clipboard, renders its text late if asked to, and can hold the clipboard.
class OtherProgram {
 public:
  OtherProgram() {
    thread_ = CreateThread(nullptr, 0, &OtherProgram::Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 5000);
  }
  ~OtherProgram() {
    PostMessageA(wnd_, WM_CLOSE, 0, 0);
    test::PumpUntil([&] { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    CloseHandle(done_);
  }
  // Offers text rendered only when asked; while rendering, another change notice reaches
  // watcherWindow (as a notice of an earlier change that arrives late would).
  void CopyLate(const std::string& text, HWND watcherWindow) {
    late_ = text;
    notify_ = watcherWindow;
    Do(kCopyLate);
  }
  // Copies text as a program does.
  void Copy(const std::string& text) {
    late_ = text;
    Do(kCopy);
  }
  // Copies text, then holds the clipboard open for a while before letting it go.
  void CopyAndHold(const std::string& text, DWORD milliseconds) {
    late_ = text;
    hold_ = milliseconds;
    Do(kCopyAndHold);
  }
  int renders = 0;

 private:
  static constexpr UINT kCopyLate = WM_APP + 1, kCopyAndHold = WM_APP + 2, kCopy = WM_APP + 3;
  void Do(UINT what) {
    ResetEvent(done_);
    PostMessageA(wnd_, what, 0, 0);
    // Emptying the clipboard tells its last owner, which may be a window of this thread.
    test::PumpUntil([&] { return WaitForSingleObject(done_, 0) == WAIT_OBJECT_0; }, 5000);
  }
  static HGLOBAL Global(const std::string& text) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    return mem;
  }
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* me = reinterpret_cast<OtherProgram*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    switch (msg) {
      case kCopyLate:
        OpenClipboard(wnd);
        ::EmptyClipboard();
        SetClipboardData(CF_TEXT, nullptr);
        CloseClipboard();
        SetEvent(me->done_);
        return 0;
      case kCopy:
        OpenClipboard(wnd);
        ::EmptyClipboard();
        SetClipboardData(CF_TEXT, Global(me->late_));
        CloseClipboard();
        SetEvent(me->done_);
        return 0;
      case kCopyAndHold:
        OpenClipboard(wnd);
        ::EmptyClipboard();
        SetClipboardData(CF_TEXT, Global(me->late_));
        CloseClipboard();
        OpenClipboard(wnd);
        SetEvent(me->done_);
        Sleep(me->hold_);
        CloseClipboard();
        return 0;
      case WM_RENDERFORMAT:
        ++me->renders;
        if (me->notify_) {
          HWND notify = std::exchange(me->notify_, nullptr);
          SendMessageA(notify, WM_DRAWCLIPBOARD, 0, 0);
        }
        SetClipboardData(CF_TEXT, Global(me->late_));
        return 0;
      case WM_RENDERALLFORMATS:
      case WM_DESTROYCLIPBOARD:
        return 0;
      case WM_CLOSE:
        DestroyWindow(wnd);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
  }
  static DWORD WINAPI Run(void* self) {
    auto* me = static_cast<OtherProgram*>(self);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &OtherProgram::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvTestOtherProgram";
    RegisterClassA(&wc);
    me->wnd_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                               wc.hInstance, nullptr);
    SetWindowLongPtrA(me->wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(me));
    SetEvent(me->ready_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  }
  HANDLE thread_ = nullptr;
  HANDLE ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HWND wnd_ = nullptr;
  HWND notify_ = nullptr;
  std::string late_;
  DWORD hold_ = 0;
};

TEST_F(Capture, ANoticeDuringALateRenderingNeverRunsTwoCopiesTogether) {
  Counting();
  OtherProgram other;
  for (const char* text : {"alpha", "burst-01", "burst-02"}) {
    const int before = notices;
    other.CopyLate(text, form->Watcher->WindowHandle());
    WaitForNotice(before);
    ASSERT_TRUE(test::PumpUntil([&] { return Count() > 0 && Text(0) == text; }))
        << "newest: " << (Count() ? Text(0) : "none");
  }
  test::Pump();
  ASSERT_EQ(Count(), 3);
  EXPECT_EQ(Text(1), "burst-01");
  EXPECT_EQ(Text(2), "alpha");
  EXPECT_GE(other.renders, 3);
  // The store holds exactly the three blocks the list names.
  EXPECT_EQ(form->History.Store().Segments().size(), 3u);
}

// Another program's copy that comes after our write has closed the clipboard, before the
// notice of our write is handled, is that program's copy, not ours.
TEST_F(Capture, ACopyRightAfterTheProgramsOwnWriteIsCaptured) {
  Counting();
  OtherProgram other;
  form->Capture.OwnWrite([&other] {
    const DWORD ours = Clipboard().SetAsText("recalled");
    other.Copy("copied right after");
    return ours;
  });
  ASSERT_TRUE(test::PumpUntil([&] { return Count() > 0; })) << "never recorded";
  test::Pump();
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Text(0), "copied right after");
}

TEST_F(Capture, AClipboardHeldByAnotherProgramIsReadOnceItIsFree) {
  Counting();
  Copy("before");
  OtherProgram other;
  const int before = notices;
  other.CopyAndHold("held text", 600);
  WaitForNotice(before);
  ASSERT_TRUE(test::PumpUntil([&] { return Count() == 2; }, 3000)) << "never recorded";
  EXPECT_EQ(Text(0), "held text");
  EXPECT_EQ(Text(1), "before");
  test::PumpUntil([] { return false; }, 300);  // no late second clip, no empty one
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(form->Tray().TrayIcon->BalloonData().szInfo[0], '\0');  // nothing to say
}

TEST_F(Capture, AClipboardNeverFreedIsSaidByABalloonAndNothingElseChanges) {
  Counting();
  Copy("before");
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    OpenClipboard(nullptr);
    SetEvent(opened);
    WaitForSingleObject(release, 15000);
    CloseClipboard();
  });
  WaitForSingleObject(opened, 5000);
  // A notice that arrives while another program holds the clipboard past every retry.
  SendMessageA(form->Watcher->WindowHandle(), WM_DRAWCLIPBOARD, 0, 0);
  EXPECT_TRUE(form->Capture.RetryPending());
  const bool gaveUp = test::PumpUntil([&] { return !form->Capture.RetryPending(); }, 10000);
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
  ASSERT_TRUE(gaveUp);
  EXPECT_STREQ(form->Tray().TrayIcon->BalloonData().szInfo,
               "A copied text was not kept: the clipboard stayed busy.");
  EXPECT_EQ(Count(), 1);
}

TEST_F(Capture, TextOutsideTheCodePageIsKeptExactlyBesideItsAnsiRendering) {
  Counting();
  // "Grüße → 日本語 ✓ 😀 Ελληνικά"
  const std::wstring wide = L"Gr\u00FC\u00DFe \u2192 \u65E5\u672C\u8A9E \u2713 \U0001F600 "
                            L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC";
  CopyWide(wide);
  ASSERT_EQ(Count(), 1);
  // The two files keep the system's 8-bit rendering, no look-alikes.
  EXPECT_EQ(Text(0), WideToAnsi(wide).text);
  EXPECT_NE(Text(0).find('?'), std::string::npos);
  ASSERT_NE(form->History.ExactTextOf(0), nullptr);
  EXPECT_EQ(Utf8ToWide(*form->History.ExactTextOf(0)), wide);
  // The list draws the exact line.
  std::wstring shown;
  form->ClipControls().ClipList->OnGetWideText(form->ClipControls().ClipList, 0, shown);
  EXPECT_EQ(shown.substr(0, 7), L"Gr\u00FC\u00DFe \u2192");

  // Exact texts decide what repeats: both render alike, but they are two clips.
  CopyWide(L"Gr\u00FC\u00DFe \u2192 A");
  CopyWide(L"Gr\u00FC\u00DFe \u2192 B");
  CopyWide(L"Gr\u00FC\u00DFe \u2192 B");
  EXPECT_EQ(Count(), 3);
  // A text the code page holds whole has no exact text beside it.
  CopyWide(L"plain");
  EXPECT_EQ(form->History.ExactTextOf(0), nullptr);
}

// Capture needs no window: a history and a clipboard.
struct TUnitHost : TCaptureHost {
  TClipboard clipboard;
  TClipboard& CaptureClipboard() override { return clipboard; }
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
  void NotKept(const std::string& what) override { said.push_back(what); }
  std::vector<std::string> said;
};

TEST(CaptureUnit, WorksWithoutTheMainWindow) {
  TUnitHost host;
  TComponent owner(nullptr);
  TClipHistory history(3 << 20);
  TClipCapture capture(&owner, history, host);
  Clipboard().SetAsText("alone");
  capture.ClipboardChanged();  // the notice of joining the chain: skipped
  EXPECT_EQ(history.Count(), 0);
  capture.ClipboardChanged();
  capture.ClipboardChanged();  // the same text again
  ASSERT_EQ(history.Count(), 1);
  EXPECT_EQ(history.TextOf(0), "alone");
  EXPECT_EQ(capture.TextsSeen(), 2u);
  // Larger than the whole history: said once, however many notices the copy brings.
  Clipboard().SetAsText(std::string(7 << 19, 'x'));
  capture.ClipboardChanged();
  capture.ClipboardChanged();
  EXPECT_EQ(history.Count(), 1);
  EXPECT_EQ(host.said, std::vector<std::string>{
                           "A copied text of 3.5 MB was not kept: the history holds at most 3 MB."});
  // Kept clips are never made room for: a copy only they are in the way of is not kept,
  // and the balloon says why.
  Clipboard().SetAsText(std::string(2 << 20, 'k'));
  capture.ClipboardChanged();
  ASSERT_EQ(history.Count(), 2);
  ASSERT_TRUE(history.SetKept(0, true));
  Clipboard().SetAsText(std::string(3 << 19, 'y'));
  capture.ClipboardChanged();
  EXPECT_EQ(history.Count(), 2);
  EXPECT_EQ(host.said.back(),
            "A copied text of 1.5 MB was not kept: kept clips fill the room it needs. Let some "
            "of them go to make room.");
  capture.SetOn(false);
  Clipboard().SetAsText("off");
  capture.ClipboardChanged();
  EXPECT_EQ(history.Count(), 2);
  EXPECT_EQ(host.said.size(), 2u);
}

TEST(CaptureUnit, TheLargestTextThatFitsIsKeptAndMemoryRunningOutChangesNothing) {
  TUnitHost host;
  TComponent owner(nullptr);
  TClipHistory history(1 << 20);
  TClipCapture capture(&owner, history, host);
  capture.CancelSkip();
  // A block's header and trailer lines take 44 bytes of the store's 1 MB.
  Clipboard().SetAsText(std::string((1 << 20) - 43, 'x'));
  capture.ClipboardChanged();
  EXPECT_EQ(history.Count(), 0);
  Clipboard().SetAsText(std::string((1 << 20) - 44, 'x'));
  capture.ClipboardChanged();
  EXPECT_EQ(history.Count(), 1);
  EXPECT_EQ(host.said.size(), 1u);

  // 600 kB as UTF-16 and read; its UTF-8 form, 900 kB, finds no memory.
  const std::wstring text(300000, L'\u65E5');
  Clipboard().SetAsUnicodeText(text);
  {
    const RefusedAllocations refusals(800 << 10);
    capture.ClipboardChanged();
    EXPECT_EQ(refusals.Count(), 1);
  }
  EXPECT_EQ(history.TextOf(0).value_or("").size(), (1u << 20) - 44);  // the clip before it
  EXPECT_EQ(host.said.back(),
            "A copied text of 0.3 MB was not kept: the history holds at most 1 MB.");
  capture.ClipboardChanged();  // a notice once there is memory again takes it
  ASSERT_NE(history.ExactTextOf(0), nullptr);
  EXPECT_EQ(Utf8ToWide(*history.ExactTextOf(0)), text);
}

class StartUpCapture : public test::MainWindowFixture {};

TEST_F(StartUpCapture, TextOnTheClipboardAtStartBecomesTheNewestClipEvenIfItRepeats) {
  folder.Write("Lb1.qvl", "same" + ListLineMarker + "0000100000001\r\n");
  folder.Write("vqclips.qvl", "/:hdr:\\0000100000001\r\nsame\r\n/:tlr:\\0000100000001\r\n");
  Clipboard().SetAsText("same");
  Start();
  EXPECT_FALSE(form->Capture.SkippingNextNotice());  // the joining notice only cleared it
  ASSERT_EQ(form->ClipControls().ClipList->Count(), 2);
  EXPECT_EQ(Text(0), "same");
  EXPECT_NE(form->ClipControls().ClipList->Items().Get(0), form->ClipControls().ClipList->Items().Get(1));
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// The display cut searches the prefix widths; on the real font it must agree
// with taking one character off the end at a time while the text is too wide.
TEST_F(StartUpCapture, TheCutAgreesWithOneCharacterAtATimeOnTheRealFont) {
  Start();
  auto width = [&](const std::string& t) { return form->ListView().TextWidth(t); };
  const std::string samples[] = {
      std::string(200, 'i'),
      std::string(60, 'W'),
      "The quick brown fox jumps over the lazy dog, then does it all over again and again",
      "\tindented with a tab and spaces       and more text to make it run long enough",
      "caf\xE9 na\xEFve r\xE9sum\xE9 \xC6sop \xDF\xDF\xDF mixed ANSI letters that run on and on",
      "exactly-fitting-check " + std::string(40, 'm'),
  };
  for (const std::string& line : samples) {
    std::string slow = line;
    bool truncated = false;
    while (width(slow) > 180) {
      truncated = true;
      slow.pop_back();
    }
    const TCutResult fast = CutToWidth(line, width);
    EXPECT_EQ(fast.text, slow) << line;
    EXPECT_EQ(fast.truncated, truncated) << line;
  }
}

}  // namespace
}  // namespace qv
